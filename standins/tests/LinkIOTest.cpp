// The kernel's expressions on the link: how numbers travel, and a reader that bounds what an
// untrusted peer can make it build.

#include "LinkIO.h"

#include "KernelHarness.h"

#include <gtest/gtest.h>

namespace standin::testing {
namespace {

class LinkIO : public ::testing::Test {
protected:
    void SetUp() override {
        QKNewParameters(m_block, 7, 6);
        QKSetDeviceParameter(m_block, "");
        m_env = QKBegin(m_block);
        int32_t error = 0;
        link = QKLoopbackOpen(m_env, &error);
        ASSERT_NE(link, nullptr);
    }
    void TearDown() override {
        QKClose(link);
        QKEnd(m_env);
    }

    QKLINK link = nullptr;

private:
    QKParameters m_block;
    QKENV m_env = nullptr;
};

TEST_F(LinkIO, NumbersTravelAsTheirSizeAsks) {
    struct Case {
        const char* name;
        Expr sent;
        int32_t rawType; // the wire's type byte as the reader sees it
    };
    const Case cases[] = {
        {"nine digits: a machine integer", num(999999999), 0},
        {"ten digits: number text", Expr::integerText("1000000000"), QKTOK_INTEGER},
        {"a machine real", Expr::machine(0.5), 0},
        {"a long real: number text", Expr::realText("1.41421356237309504880168872e40"), QKTOK_REAL},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeExpr(link, c.sent)) << c.name;
        ASSERT_TRUE(QKFlush(link));
        const int32_t raw = QKGetNextRaw(link);
        if (c.rawType)
            EXPECT_EQ(raw, c.rawType) << c.name;
        else
            EXPECT_NE(raw, QKTOK_INTEGER) << c.name << ": binary, not text";
        auto back = readExpr(link);
        ASSERT_TRUE(back) << c.name;
        EXPECT_TRUE(*back == c.sent) << c.name << ": " << linearText(*back);
    }
}

// A double that cannot travel in binary is spelled with 17 digits; read, it is the machine
// real again, with the short text of the decimal it stands for.
TEST_F(LinkIO, ADoubleSpelledOutReadsAsTheMachineReal) {
    ASSERT_TRUE(writeExpr(link, Expr::realText(".29999999999999999")));
    ASSERT_TRUE(writeExpr(link, Expr::realText("0.29999999999999998")));
    ASSERT_TRUE(QKFlush(link));
    auto spelled = readExpr(link);
    ASSERT_TRUE(spelled);
    EXPECT_TRUE(spelled->machineReal);
    EXPECT_EQ(spelled->text, "0.3");
    auto digits = readExpr(link);
    ASSERT_TRUE(digits);
    EXPECT_FALSE(digits->machineReal) << "digits of its own: number text";
    EXPECT_EQ(digits->text, "0.29999999999999998");
}

TEST_F(LinkIO, ADeepExpressionIsRefusedWithAReason) {
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(QKPutFunction(link, "f", 1));
    ASSERT_TRUE(QKPutInteger(link, 1));
    ASSERT_TRUE(QKFlush(link));
    std::string why;
    EXPECT_FALSE(readExpr(link, &why));
    EXPECT_EQ(why, "expression nested too deeply");
}

TEST_F(LinkIO, StringsSymbolsAndCompoundHeadsComeBackWhole) {
    Expr derivative;
    derivative.kind = Expr::Kind::Function;
    derivative.compoundHead = std::make_shared<const Expr>(fn("Derivative", {num(1)}));
    derivative.args = {sym("f")};
    const Expr sent = fn("List", {Expr::string("a \"quoted\" text"), sym("alpha"), derivative});
    ASSERT_TRUE(writeExpr(link, sent));
    ASSERT_TRUE(QKFlush(link));
    auto back = readExpr(link);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == sent) << linearText(*back);
}

TEST_F(LinkIO, ALimitOnNodesStopsALongFlatList) {
    ASSERT_TRUE(QKPutFunction(link, "List", 100));
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(QKPutInteger(link, i));
    ASSERT_TRUE(QKFlush(link));
    std::string why;
    ReadLimits small;
    small.nodes = 50;
    EXPECT_FALSE(readExpr(link, &why, small));
    EXPECT_EQ(why, "expression too large");
}

} // namespace
} // namespace standin::testing
