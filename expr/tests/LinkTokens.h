#pragma once

// A loopback link of the interface-1 build (the build the editor links): what a node writes
// comes back through the real put and get sides and is shown as text, Head[arg, ...], with
// strings quoted in their 7-bit link form and reals marked "R:".

#include "corvinet/corvinet.h"
#include "expr/ExprNode.h"
#include "expr/tests/TreeChecks.h"

#include <gtest/gtest.h>

#include <string>

namespace exprtest {

using treecheck::LinkDigits;
using treecheck::LinkExprText;

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
