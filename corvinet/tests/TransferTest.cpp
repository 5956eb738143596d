// Marks and the copy of expressions between links.

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

class Transfer : public LoopbackTest {
protected:
    void TearDown() override {
        if (other) QKClose(other);
        LoopbackTest::TearDown();
    }
    QKLINK other = nullptr;
};

TEST_F(Transfer, MarkReturnsAndSkips) {
    QKPutFunction(link, "f", 2);
    QKPutInteger(link, 1);
    QKPutFunction(link, "g", 1);
    QKPutString(link, "deep");
    QKPutSymbol(link, "after");
    QKFlush(link);

    int32_t n = 0;
    ASSERT_TRUE(QKCheckFunction(link, "f", &n));
    QKMARK mark = QKCreateMark(link);
    ASSERT_NE(mark, nullptr);
    int32_t i = 0;
    ASSERT_TRUE(QKGetInteger(link, &i));
    ASSERT_TRUE(QKCheckFunction(link, "g", &n));

    // Back to the mark, then past the integer and the whole g[...].
    ASSERT_EQ(QKSeekMark(link, mark, 2), mark);
    EXPECT_TRUE(QKCheckSymbol(link, "after"));

    ASSERT_EQ(QKSeekToMark(link, mark, 0), mark);
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, 1);
    QKDestroyMark(link, mark);
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(Transfer, ExpressionGoesOutAsItCame) {
    int32_t error = 0;
    other = QKLoopbackOpen(env, &error);
    ASSERT_NE(other, nullptr);

    const char16_t wide[] = {0x3B1};
    const unsigned char bytes[] = {0xE9};
    QKPutFunction(link, "f", 5);
    QKPutString(link, "a\\\\b");
    QKPutUnicodeSymbol(link, wide, 1);
    QKPutByteString(link, bytes, 1);
    QKPutDouble(link, 0.5);
    QKPutFunction(link, "List", 0);
    QKPutSymbol(link, "next");
    std::string sent = wire();
    feed(sent);

    ASSERT_TRUE(QKTransferExpression(other, link));
    // The copy is the first expression byte for byte; the source stands at the next one.
    const std::string copy = [&] {
        std::swap(link, other);
        std::string bytes = wire();
        std::swap(link, other);
        return bytes;
    }();
    const std::string next = "#\x47"
                             "A~\x44"
                             "next\n";
    EXPECT_EQ(copy, sent.substr(0, sent.size() - next.size()));
    EXPECT_TRUE(QKCheckSymbol(link, "next"));

    // Without a destination the expression is skipped.
    QKPutFunction(link, "skip", 1);
    QKPutInteger(link, 3);
    QKPutSymbol(link, "kept");
    ASSERT_TRUE(QKTransferExpression(nullptr, link));
    EXPECT_TRUE(QKCheckSymbol(link, "kept"));
}

} // namespace
} // namespace corvinet::testing
