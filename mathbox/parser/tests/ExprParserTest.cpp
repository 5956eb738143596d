#include "ParseFixture.h"

namespace parsetest {
namespace {

struct TypedCase {
    const char* name;
    const char* typed;
    const char* tree;
};

// clang-format off
const TypedCase kTyped[] = {
    {"name",                 "x",              "x"},
    {"sequence",             "a, b, c",        "Seq(a, b, c)"},
    {"list of one",          "{a}",            "List(a)"},
    {"list",                 "{a, b}",         "List(a, b)"},
    {"nested lists",         "{{a}, b}",       "List(List(a), b)"},
    {"rule",                 "a->b",           "Rule(a, b)"},
    {"rules in a sequence",  "a->1, b->2",     "Seq(Rule(a, 1), Rule(b, 2))"},
    {"relation",             "a=b",            "Rel(a, Equal, b)"},
    {"relation chain",       "a=b<c",          "Rel(a, Equal, b, Less, c)"},
    {"or",                   "a or b",         "Or(a, b)"},
    {"or of a relation",     "a or b=c",       "Or(a, Rel(b, Equal, c))"},
    {"or chain",             "a or b or c",    "Or(a, b, c)"},
    {"string",               "\"hi there\"",   "\"hi there\""},
    {"sum",                  "a+b+c",          "Plus(a, b, c)"},
    {"difference",           "a-b",            "Plus(a, Times(-1, b))"},
    {"integer not negated",  "2-3x",           "Plus(2, Times(-1, 3, x))"},
    {"real negated in place","2-1.5x",         "Plus(2, Times(-1.5R, x))"},
    {"two minus are plus",   "a--b",           "Plus(a, b)"},
    {"three minus",          "a---b",          "Plus(a, Times(-1, b))"},
    {"plus then minus",      "a+-b",           "Plus(a, Times(-1, b))"},
    {"plus-minus",           "a\xB1" "b",      "Plus(a, Times(PM, b))"},
    {"leading minus",        "-a b",           "Times(-1, a, b)"},
    {"leading plus",         "+a",             "a"},
    {"leading double minus", "--a",            "a"},
    {"leading plus-minus",   "\xB1" "a",       "Times(PM, a)"},
    {"mod",                  "a mod b",        "Mod(a, b)"},
    {"mod groups left",      "a mod b mod c",  "Mod(Mod(a, b), c)"},
    {"mod over a product",   "a mod b c",      "Mod(a, Times(b, c))"},
    {"mod binds tighter than +", "a+b mod c",  "Plus(a, Mod(b, c))"},
    {"implicit product",     "2x y",           "Times(2, x, y)"},
    {"explicit product",     "a*b*c",          "Times(a, b, c)"},
    {"quotient",             "a/b",            "Divide(a, b)"},
    {"quotient then factor", "a/b c",          "Times(Divide(a, b), c)"},
    {"quotients left",       "a/b/c",          "Divide(Divide(a, b), c)"},
    {"power",                "a^b",            "Power(a, b)"},
    {"powers group left",    "a^b^c",          "Power(Power(a, b), c)"},
    {"negative exponent",    "a^-b",           "Power(a, Times(-1, b))"},
    {"power binds tighter",  "2a^2",           "Times(2, Power(a, 2))"},
    {"parentheses",          "(a+b)c",         "Times(Paren(Plus(a, b)), c)"},
    {"function without brackets", "sin x y",   "Times(Call(TYSin, x), y)"},
    {"function with brackets","sin[x]",        "Call(TYSin, Bracket(x))"},
    {"function of two",      "f[x, y]",        "Call(f, Bracket(Seq(x, y)))"},
    {"calls nest",           "f[x][y]",        "Call(Call(f, Bracket(x)), Bracket(y))"},
    {"log",                  "log x",          "Call(TYLog, Seq(10, x))"},
    {"log with brackets",    "log[x]",         "Call(TYLog, Seq(10, Bracket(x)))"},
    // A power right after a named function's bracketed argument squares the application;
    // without brackets the argument takes the power.
    {"call squared",         "sin(2)^2",       "Power(Call(TYSin, Paren(2)), 2)"},
    {"bracket call squared", "sin[x]^2",       "Power(Call(TYSin, Bracket(x)), 2)"},
    {"log squared",          "log(x)^2",       "Power(Call(TYLog, Seq(10, Paren(x))), 2)"},
    {"bracket log squared",  "log[x]^2",       "Power(Call(TYLog, Seq(10, Bracket(x))), 2)"},
    {"call to minus y",      "sin(x)^-y",      "Power(Call(TYSin, Paren(x)), Times(-1, y))"},
    {"powers of a call",     "sin(x)^2^3",     "Power(Power(Call(TYSin, Paren(x)), 2), 3)"},
    {"squares summed",       "sin(x)^2+cos(x)^2",
     "Plus(Power(Call(TYSin, Paren(x)), 2), Power(Call(TYCos, Paren(x)), 2))"},
    {"product with a square", "2sin(x)^2 y",   "Times(2, Power(Call(TYSin, Paren(x)), 2), y)"},
    {"square times a call",  "sin(x)^2 cos(x)",
     "Times(Power(Call(TYSin, Paren(x)), 2), Call(TYCos, Paren(x)))"},
    {"own function squared", "f[x]^2",         "Power(Call(f, Bracket(x)), 2)"},
    {"unbracketed argument", "sin x^2",        "Call(TYSin, Power(x, 2))"},
    {"name before parens",   "f(x)^2",         "Times(f, Power(Paren(x), 2))"},
    {"call in parentheses",  "sin(x) y",       "Times(Call(TYSin, Paren(x)), y)"},
    {"factorial",            "n!",             "Factorial(n)"},
    {"factorial of a power", "n^2!",           "Factorial(Power(n, 2))"},
    {"name with digits",     "x2",             "x2"},
    {"number then name",     "2x",             "Times(2, x)"},
    {"two points",           "1.5.3",          "Times(1.5R, 0.3R)"},
    {"nine digits",          "999999999",      "999999999"},
    {"ten digits",           "1000000000",     "'1000000000'"},
    {"short real",           "1.5",            "1.5R"},
    {"ten-character real",   "1.23456789",     "'1.23456789'R"},
    {"blanks and tabs",      " a \t+ b ",      "Plus(a, b)"},
    {"built-in constant",    "Pi x",           "Times(Pi, x)"},
};
// clang-format on

TEST_F(ParseTest, TypedInputGivesItsTree) {
    for (const TypedCase& row : kTyped) {
        SCOPED_TRACE(row.name);
        ParseFailed = false;
        EXPECT_EQ(Parse(row.typed), row.tree) << row.typed;
        EXPECT_FALSE(ParseFailed) << row.typed;
    }
}

struct ErrorCase {
    const char* name;
    const char* typed;
    int32_t code;
};

// clang-format off
const ErrorCase kErrors[] = {
    {"empty stretch",         "",             ExprLexer::kSyntaxError},
    {"blanks only",           "   ",          ExprLexer::kSyntaxError},
    {"rules do not chain",    "a->b->c",      ExprLexer::kSyntaxError},
    {"dangling operator",     "a+",           ExprLexer::kSyntaxError},
    {"unclosed parenthesis",  "(a",           ExprLexer::kSyntaxError},
    {"stray closing bracket", "a]",           ExprLexer::kSyntaxError},
    {"unclosed string",       "\"abc",        ExprLexer::kSyntaxError},
    {"hash",                  "a#b",          ExprLexer::kUnknownCharacter},
    {"semicolon",             "a;",           ExprLexer::kUnknownCharacter},
    {"dollar starts no name", "$a",           ExprLexer::kUnknownCharacter},
    {"lone point",            "a+.",          ExprLexer::kUnknownCharacter},
    {"unknown then syntax",   "# )",          ExprLexer::kUnknownCharacter},
};
// clang-format on

TEST_F(ParseTest, FailuresGiveAnErrorNodeOverTheStretch) {
    for (const ErrorCase& row : kErrors) {
        SCOPED_TRACE(row.name);
        ParseFailed = false;
        Line line;
        line.Type(row.typed);
        EXPECT_EQ(Parse(line), "Error");
        EXPECT_TRUE(ParseFailed);
        EXPECT_EQ(errorCode, row.code);
        ASSERT_TRUE(lastTree);
        EXPECT_EQ(lastTree->Source().start, 1);
        EXPECT_EQ(lastTree->Source().end, line.End());
    }
}

// Builds n nested parentheses around x.
std::string Nested(int n) {
    return std::string(static_cast<size_t>(n), '(') + "x" +
           std::string(static_cast<size_t>(n), ')');
}

TEST_F(ParseTest, NestingStopsAtTheStackLimit) {
    const std::string deepest = Parse(Nested(996));
    EXPECT_FALSE(ParseFailed);
    EXPECT_EQ(deepest.rfind("Paren(x)", std::string::npos) != std::string::npos, true);
    EXPECT_EQ(Parse(Nested(997)), "Error");
    EXPECT_TRUE(ParseFailed);
    EXPECT_EQ(errorCode, ExprLexer::kStackExhausted);
}

TEST_F(ParseTest, SourcesCoverTheTypedPositions) {
    Parse("ab+c");
    const auto& sum = dynamic_cast<const PlusNode&>(*lastTree);
    EXPECT_EQ(sum.FirstChild()->Source().start, 1);
    EXPECT_EQ(sum.FirstChild()->Source().end, 3);
    EXPECT_EQ(sum.FirstChild()->Next()->Source().start, 4);
}

// Box tokens: each fake box converts to a node waiting for its operand.
TEST_F(ParseTest, BoxesJoinTheExpression) {
    const auto sym = [](const char* name) { return SymbolNode::FromName(name); };
    const BuiltLine cases[] = {
        {"superscript box",
         [&](Line& l) { l.Type("x").Box(std::make_unique<PowerNode>(sym("n"))); }, "Power(x, n)"},
        {"superscript on a power",
         [&](Line& l) { l.Type("x^2").Box(std::make_unique<PowerNode>(sym("n"))); },
         "Power(Power(x, 2), n)"},
        {"subscript box",
         [&](Line& l) { l.Type("a").Box(std::make_unique<SubscriptNode>(NodeSource(), sym("i"))); },
         "Sub(a, i)"},
        {"operand box",
         [&](Line& l) { l.Type("2").Box(std::make_unique<DivideNode>(sym("a"), sym("b"))); },
         "Times(2, Divide(a, b))"},
        {"squared function",
         [&](Line& l) {
             l.Type("sin")
                 .Box(std::make_unique<PowerNode>(std::make_unique<MachineIntegerNode>(2)))
                 .Type(" x");
         },
         "Power(Call(TYSin, x), 2)"},
        {"call in parentheses with a superscript box",
         [&](Line& l) {
             l.Type("sin(2)").Box(
                 std::make_unique<PowerNode>(std::make_unique<MachineIntegerNode>(2)));
         },
         "Power(Call(TYSin, Paren(2)), 2)"},
        {"parenthesis box with a superscript box",
         [&](Line& l) {
             l.Type("sin")
                 .Box(std::make_unique<GroupNode>(sym("x"), true))
                 .Box(std::make_unique<PowerNode>(std::make_unique<MachineIntegerNode>(2)));
         },
         "Power(Call(TYSin, Paren(x)), 2)"},
        {"bracket box squared",
         [&](Line& l) {
             l.Type("cos").Box(std::make_unique<GroupNode>(sym("x"), false)).Type("^2");
         },
         "Power(Call(TYCos, Bracket(x)), 2)"},
        {"log to a base squared",
         [&](Line& l) {
             l.Type("log")
                 .Box(std::make_unique<SubscriptNode>(NodeSource(),
                                                      std::make_unique<MachineIntegerNode>(2)))
                 .Type("(x)^2");
         },
         "Power(Call(TYLog, Seq(2, Paren(x))), 2)"},
        {"log to a base",
         [&](Line& l) {
             l.Type("log")
                 .Box(std::make_unique<SubscriptNode>(NodeSource(),
                                                      std::make_unique<MachineIntegerNode>(2)))
                 .Type(" x");
         },
         "Call(TYLog, Seq(2, x))"},
        {"mod box",
         [&](Line& l) { l.Type("a").Box(std::make_unique<ModNode>(NodeSource())).Type("b"); },
         "Mod(a, b)"},
        {"parenthesis box",
         [&](Line& l) { l.Type("f").Box(std::make_unique<GroupNode>(sym("y"), false)); },
         "Call(f, Bracket(y))"},
    };
    ExpectTrees(cases);
}

TEST_F(ParseTest, ABoxWithoutAnExpressionIsAnUnknownCharacter) {
    Line line;
    line.Type("a+").Box(nullptr);
    EXPECT_EQ(Parse(line), "Error");
    EXPECT_EQ(errorCode, ExprLexer::kUnknownCharacter);
}

TEST_F(ParseTest, ListsParseThroughTheInstalledParser) {
    InfixListParser parser;
    Installed<ListParser> installed(gListParser, &parser);
    Line inner;
    inner.Type("a+b");
    NodePtr tree(inner.List().ToExpression());
    EXPECT_EQ(TreeText(tree.get()), "Plus(a, b)");
    CompList empty;
    NodePtr nothing(empty.ToExpression());
    EXPECT_EQ(TreeText(nothing.get()), "Null");
}

// A box that fails while converting, as a failed allocation would.
class ThrowingBox final : public TextComp {
public:
    OwnedComponent Clone() const override { return nullptr; }
    ExprNode* ToExpression() override { throw std::bad_alloc(); }
};

TEST_F(ParseTest, AnExceptionPassesOnAndLeavesNothingBehind) {
    Line line;
    line.Type("(a+b)*(c");
    line.List().Append(new ThrowingBox);
    ExprLexer lexer;
    lexer.Init(&line.List(), 1, line.End());
    EXPECT_THROW(ExprParser::Parse(lexer), std::bad_alloc);
    EXPECT_FALSE(lexer.result);
}

// A box whose content is a line of its own, parsed while the outer parse is under way.
class NestedLineBox final : public TextComp {
public:
    explicit NestedLineBox(std::string_view text) { m_line.Type(text); }
    OwnedComponent Clone() const override { return nullptr; }
    ExprNode* ToExpression() override {
        return new GroupNode(NodePtr(m_line.List().ToExpression()), true);
    }

private:
    Line m_line;
};

TEST_F(ParseTest, BoxesParseTheirOwnLinesInsideAParse) {
    InfixListParser parser;
    Installed<ListParser> installed(gListParser, &parser);
    Line line;
    line.Type("2");
    line.List().Append(new NestedLineBox("a-b"));
    line.Type("+c");
    EXPECT_EQ(Parse(line), "Plus(Times(2, Paren(Plus(a, Times(-1, b)))), c)");
}

} // namespace
} // namespace parsetest
