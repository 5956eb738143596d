#pragma once

// A loopback link of the interface-1 build (the build the editor links): what a node writes
// comes back through the real put and get sides and is shown as text, Head[arg, ...], with
// strings quoted in their 7-bit link form and reals marked "R:".

#include "corvinet/corvinet.h"
#include "expr/ExprNode.h"

#include <gtest/gtest.h>

#include <string>

namespace exprtest {

// The digits of the number the link is at, as the link sends them.
inline std::string LinkDigits(QKLINK link) {
    int32_t n = 0;
    if (!QKBytesToGet(link, &n)) return "<bad number>";
    std::string text(static_cast<size_t>(n), '\0');
    int32_t copied = 0;
    if (n > 0 && !QKGetData(link, text.data(), n, &copied)) return "<bad number>";
    text.resize(static_cast<size_t>(copied));
    return text;
}

// One expression from the link as text; `other` stands for a token that is no expression (the
// end of a packet, an error).
inline std::string LinkExprText(QKLINK link, const char* other = "<error>") {
    switch (QKGetNext(link)) {
    case QKTOK_FUNCTION: {
        const char* head = nullptr;
        int32_t count = 0;
        if (!QKGetFunction(link, &head, &count)) return "<bad function>";
        std::string out = std::string(head) + "[";
        QKDisownSymbol(link, head);
        for (int32_t i = 0; i < count; ++i)
            out += (i ? ", " : "") + LinkExprText(link, other);
        return out + "]";
    }
    case QKTOK_SYMBOL: {
        const char* name = nullptr;
        if (!QKGetSymbol(link, &name)) return "<bad symbol>";
        std::string out = name;
        QKDisownSymbol(link, name);
        return out;
    }
    case QKTOK_STRING: {
        const char* text = nullptr;
        if (!QKGetString(link, &text)) return "<bad string>";
        std::string out = "\"" + std::string(text) + "\"";
        QKDisownString(link, text);
        return out;
    }
    case QKTOK_INTEGER:
        return LinkDigits(link);
    case QKTOK_REAL:
        return "R:" + LinkDigits(link);
    default:
        return other;
    }
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QKNewParameters(block, 1, 7), 7);
        QKSetDeviceParameter(block, "");
        env = QKBegin(block);
        ASSERT_NE(env, nullptr);
        int32_t error = 0;
        link = QKLoopbackOpen(env, &error);
        ASSERT_NE(link, nullptr) << error;
    }
    void TearDown() override {
        if (link) QKClose(link);
        if (env) QKEnd(env);
    }

    std::string Own(const ExprNode& node, MarkerMode mode = kNoMarkers) {
        node.PutToLink(link, mode);
        return ReadBack();
    }
    std::string Standard(const ExprNode& node) {
        node.PutStandardToLink(link);
        return ReadBack();
    }

    std::string ReadBack() {
        EXPECT_TRUE(QKEndPacket(link));
        EXPECT_TRUE(QKFlush(link));
        std::string text = ReadExpr();
        EXPECT_EQ(QKError(link), 0) << text;
        return text;
    }

    std::string ReadExpr() { return LinkExprText(link); }

    QKParameters block{};
    QKENV env = nullptr;
    QKLINK link = nullptr;
};

} // namespace exprtest
