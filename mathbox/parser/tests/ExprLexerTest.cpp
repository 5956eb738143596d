#include "ParseFixture.h"
#include "mathbox/CharTable.h"

namespace parsetest {
namespace {

// The math-font byte that reads as a character index.
uint8_t MathByteOf(uint8_t index) {
    for (int code = 0; code < 256; ++code)
        if (MathCharIndex[static_cast<size_t>(code)] == index) return static_cast<uint8_t>(code);
    ADD_FAILURE() << "no byte for index " << int(index);
    return 0;
}

TEST_F(ParseTest, UnknownCapitalNamesFollowTheServerRules) {
    FakeSession session;
    EXPECT_EQ(Parse("Abc"), "Abc");
    EXPECT_TRUE(session.host.messages.empty());

    session.restricted = true;
    EXPECT_EQ(Parse("Ab+x"), "Plus(Ab, x)");
    EXPECT_EQ(Parse("Pi"), "Pi");
    EXPECT_TRUE(session.host.messages.empty());
    EXPECT_EQ(Parse("abc"), "abc");

    EXPECT_EQ(Parse("x+Abc"), "Error");
    ASSERT_EQ(session.host.messages.size(), 1u);
    EXPECT_NE(session.host.messages[0].find("capital letter or $"), std::string::npos);
}

TEST_F(ParseTest, RestrictedFunctionsAreRefusedOnlyWhileTheRulesApply) {
    FakeSession session;
    session.restrictedRow = LookupBuiltinName("sin");
    EXPECT_EQ(Parse("sin x"), "Call(TYSin, x)");
    session.restricted = true;
    EXPECT_EQ(Parse("sin x"), "Error");
    ASSERT_EQ(session.host.messages.size(), 1u);
    EXPECT_NE(session.host.messages[0].find("restricted function"), std::string::npos);
    EXPECT_EQ(Parse("cos x"), "Call(TYCos, x)");
}

TEST_F(ParseTest, MathFontSignsGiveTheirTokens) {
    struct SignCase {
        const char* name;
        uint8_t code;
        const char* tree;
    };
    // Character indexes of the math font's arrow, relation signs and a Greek letter.
    const SignCase cases[] = {
        {"arrow", 207, "Rule(a, b)"},
        {"less or equal", 178, "Rel(a, LessEqual, b)"},
        {"greater or equal", 179, "Rel(a, GreaterEqual, b)"},
        {"greek letter", 172, "Times(a, alpha, b)"},
    };
    for (const SignCase& row : cases) {
        SCOPED_TRACE(row.name);
        Line line;
        line.Type("a").Code(MathByteOf(row.code)).Type("b");
        EXPECT_EQ(Parse(line), row.tree);
    }
    Line greek;
    greek.Code(MathByteOf(172)).Code(MathByteOf(172));
    EXPECT_EQ(Parse(greek), "Times(alpha, alpha)");
}

TEST_F(ParseTest, AMinusBeforeABoxOrTheEndIsAMinus) {
    Line line;
    line.Type("a-").Box(SymbolNode::FromName("b"));
    EXPECT_EQ(Parse(line), "Plus(a, Times(-1, b))");
    Line stretch;
    stretch.Type("a->b");
    ExprLexer lexer;
    lexer.Init(&stretch.List(), 1, 3); // "a-" only
    EXPECT_EQ(TreeText(ExprParser::Parse(lexer).get()), "Error");
}

TEST_F(ParseTest, LongNamesAndNumbersSplitAtTheBufferSize) {
    Line line;
    line.Type(std::string(4100, 'q'));
    Parse(line);
    const auto* product = dynamic_cast<const TimesNode*>(lastTree.get());
    ASSERT_TRUE(product);
    ASSERT_EQ(product->Count(), 2);
    EXPECT_EQ(product->FirstChild()->Source().end - product->FirstChild()->Source().start, 4095);
    EXPECT_EQ(TreeText(product->FirstChild()->Next()), "qqqqq");

    Line digits;
    digits.Type(std::string(4100, '7'));
    Parse(digits);
    const auto* numbers = dynamic_cast<const TimesNode*>(lastTree.get());
    ASSERT_TRUE(numbers);
    EXPECT_EQ(TreeText(numbers->FirstChild()->Next()), "77777");
}

} // namespace
} // namespace parsetest
