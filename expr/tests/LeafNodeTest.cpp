#include "NodeCases.h"
#include "expr/ExprSettings.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"
#include "expr/symbols/SymbolTable.h"

#include <limits>

namespace exprtest {
namespace {

template <typename Node, typename... Args>
std::function<NodePtr()> Make(Args... args) {
    return [=] { return NodePtr(std::make_unique<Node>(args...)); };
}

const NodeCase kLeaves[] = {
    {"text with quotes", Make<TextNode>(std::string("say \"hi\"")), R"("say "hi"")", nullptr,
     "<mtext>\"say &quot;hi&quot;\"</mtext>", "say \"hi\"", "\"say \"hi\"\""},
    {"machine integer", Make<MachineIntegerNode>(-5), "-5", "-5", "<mn>-5</mn>", "-5", "-5"},
    {"machine integer from long digits saturates",
     [] { return NodePtr(MachineIntegerNode::FromText("99999999999")); }, "2147483647", nullptr,
     "<mn>2147483647</mn>", "2147483647", nullptr},
    {"integer text", Make<IntegerNode>(std::optional<std::string>("123456789012")), "123456789012",
     "123456789012", "<mn>123456789012</mn>", "123456789012", "123456789012"},
    {"integer without text", Make<IntegerNode>(std::optional<std::string>()), "0", "0",
     "<mn>0</mn>", "", "0"},
    {"machine real", Make<MachineRealNode>(2.5), "R:2.5", "R:2.5", "<mn>2.5</mn>", "2.5", "2.5"},
    {"machine real in exponent form", Make<MachineRealNode>(1.5e10), nullptr, nullptr,
     "<mn>1.5e+10</mn>", "1.5e+10", "1.5 10Expo{10}"},
    {"real text", Make<RealNode>(std::optional<std::string>("-3.25")), "R:-3.25", nullptr,
     "<mn>-3.25</mn>", "-3.25", "-3.25"},
    {"real text with exponent", Make<RealNode>(std::optional<std::string>("1.5e-7")), nullptr,
     nullptr, nullptr, nullptr, "1.5 10Expo{-7}"},
    {"own symbol", [] { return Sym("x"); }, "x", "x", "<mi>x</mi>", "x", "x"},
    {"Greek letter", [] { return Sym("alpha"); }, "alpha", "\\:03B1", "<mi>&#x03B1;</mi>", "alpha",
     "<xA8>"},
    {"kernel logarithm keeps its row", [] { return Sym("Log"); }, "TYLog", "Log", "<mi>log</mi>",
     "TYLog", "log"},
    {"error", Make<ErrorNode>(), "Error", "Error", "<mi>Error</mi>", "Error", "Error"},
    {"factorial", [] { return NodePtr(std::make_unique<FactorialNode>(Sym("x"))); },
     "TYFactorial[x]", "Factorial[x]", "<mrow><mi>x</mi><mo>!</mo></mrow>", "x!", "x!"},
    {"conjugate", [] { return NodePtr(std::make_unique<ConjugateNode>(Sym("z"))); },
     "TYConjugate[z]", "Conjugate[z]",
     "<mover accent=\"false\"><mi>z</mi><mo>&OverBar;</mo></mover>", nullptr, "Over{z}"},
    {"approach from below", [] { return NodePtr(std::make_unique<DirectionNode>(Sym("x"), true)); },
     "Rule[Direction, 1]", "Rule[Direction, 1]", "", nullptr, "xExpo{-}"},
    {"approach from above",
     [] { return NodePtr(std::make_unique<DirectionNode>(Sym("x"), false)); },
     "Rule[Direction, -1]", nullptr, nullptr, nullptr, "xExpo{+}"},
    {"plus-or-minus alone", Make<PlusMinusNode>(), "plusMinus", "plusMinus", "", nullptr, ""},
};

class LeafNodes : public NodeTest {};

TEST_F(LeafNodes, WriteEveryForm) {
    for (const NodeCase& row : kLeaves)
        Check(row);
}

struct NegativeNumber {
    const char* name;
    std::function<NodePtr()> make;
};

// A negative number inside a product or a power is bracketed; at looser levels it is not.
TEST_F(LeafNodes, NegativeNumbersAreBracketedFromLevelSeven) {
    const NegativeNumber rows[] = {
        {"machine integer", Make<MachineIntegerNode>(-2)},
        {"integer text", Make<IntegerNode>(std::optional<std::string>("-2"))},
        {"machine real", Make<MachineRealNode>(-2.0)},
        {"real text", Make<RealNode>(std::optional<std::string>("-2"))},
    };
    for (const NegativeNumber& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BoxesOf(*row.make(), 6), "-2");
        EXPECT_EQ(BoxesOf(*row.make(), 7), "Paren{-2}");
    }
}

TEST_F(LeafNodes, MarkerHeadsFollowTheMode) {
    auto both = Sym("x");
    both->SetTarget(true);
    both->SetMover(true);
    EXPECT_EQ(Own(*both, kTargetAndMover), "TYTarget[x]");
    EXPECT_EQ(Own(*both, kMarkerOnly), "TYMarker[x]");
    EXPECT_EQ(Own(*both, kNoMarkers), "x");
    EXPECT_EQ(Standard(*both), "x");
    auto mover = Sym("x");
    mover->SetMover(true);
    EXPECT_EQ(Own(*mover, kTargetAndMover), "TYMover[x]");
    auto target = Sym("x");
    target->SetTarget(true);
    EXPECT_EQ(Own(*target, kMarkerOnly), "x");
    // The direction of a limit carries a marker only in the second mode.
    DirectionNode direction(Sym("x"), true);
    direction.SetMover(true);
    EXPECT_EQ(Own(direction, kTargetAndMover), "Rule[Direction, 1]");
    EXPECT_EQ(Own(direction, kMarkerOnly), "TYMarker[Rule[Direction, 1]]");
}

TEST_F(LeafNodes, NumbersAnswerTheirValues) {
    EXPECT_EQ(MachineRealNode(2.5).GetInteger(), 2);
    EXPECT_EQ(MachineRealNode(2.6).GetInteger(), 3);
    EXPECT_EQ(MachineRealNode(-2.5).GetInteger(), -3);
    EXPECT_EQ(MachineRealNode(1e300).GetInteger(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RealNode(std::string("2.5")).GetInteger(), 2);
    EXPECT_FALSE(RealNode(std::string("1.")).IsOne());
    EXPECT_TRUE(MachineRealNode(1.0).IsOne());
    EXPECT_TRUE(MachineIntegerNode(1).IsOne());
    EXPECT_DOUBLE_EQ(IntegerNode(std::string("12345678901")).GetReal(), 12345678901.0);
    EXPECT_EQ(IntegerNode(std::string("-12")).GetInteger(), -12);
    EXPECT_EQ(IntegerNode(std::nullopt).GetInteger(), 0);
}

TEST_F(LeafNodes, SignsComeOffAndGoOn) {
    IntegerNode digits(std::string("-5"));
    EXPECT_EQ(digits.StripNegative(), kMinusSign);
    EXPECT_EQ(*digits.Text(), "5");
    digits.Negate();
    EXPECT_EQ(*digits.Text(), "-5");
    MachineIntegerNode smallest(std::numeric_limits<int32_t>::min());
    EXPECT_EQ(smallest.StripNegative(), kNoSign); // no positive twin in 32 bits
    EXPECT_EQ(smallest.GetInteger(), std::numeric_limits<int32_t>::min());
    MachineRealNode real(-0.5);
    EXPECT_EQ(real.StripNegative(), kMinusSign);
    EXPECT_EQ(real.GetReal(), 0.5);
    EXPECT_FALSE(MachineIntegerNode(3).CanNegateInPlace());
    EXPECT_TRUE(MachineRealNode(3).CanNegateInPlace());
}

struct DigitCase {
    const char* name;
    const char* text;
    int32_t precision;
    const char* boxes;
};

// A real shows as many significant digits as the limit, rounded at the last: zeros before the
// first digit count for nothing, and only fraction digits are dropped, so the integer part and
// the point of a large real show.
TEST_F(LeafNodes, DigitLimitRoundsOnlyFractionDigits) {
    const DigitCase rows[] = {
        {"default sixteen", "3.14159265358979323846", 0, "3.141592653589793"},
        {"session precision, rounded", "3.14159265358979323846", 4, "3.142"},
        {"large real", "123456789012345678901.25", 0, "123456789012345678901."},
        {"large real, rounded", "123456789012345678901.75", 0, "123456789012345678902."},
        {"exponent kept", "1.23456e+30", 3, "1.23 10Expo{30}"},
        {"zeros before the digits", "0.000123456", 3, "0.000123"},
        {"sixteen below one", "0.82682181043180591", 0, "0.8268218104318059"},
        {"thirty below one", "0.6666666666666666666666666666667", 30,
         "0.666666666666666666666666666667"},
        {"a carry into a new digit", "9.99996", 4, "10.00"},
        {"a carry past the point", "-0.99996", 4, "-1.000"},
        {"a carry past a leading point", ".996", 2, "1.0"},
        {"no more digits than the limit", "0.45", 30, "0.45"},
    };
    for (const DigitCase& row : rows) {
        SCOPED_TRACE(row.name);
        ExprSettings chosen;
        chosen.precision = row.precision;
        chosen.constantsToBack = false;
        Installed installed(gExprSettings, &chosen);
        RealNode node{std::string(row.text)};
        EXPECT_EQ(BoxesOf(node), row.boxes);
    }
    // Integers never lose digits.
    ExprSettings chosen;
    chosen.precision = 4;
    chosen.constantsToBack = false;
    Installed installed(gExprSettings, &chosen);
    IntegerNode integer{std::string("1234567890123")};
    EXPECT_EQ(BoxesOf(integer), "1234567890123");
}

// Names of their own go out in the link's character form, as the function head and as the
// symbol alike.
TEST_F(LeafNodes, OwnNamesAreConvertedInEveryForm) {
    SymbolNode symbol(NodeSource(), std::string("a\xB5"));
    EXPECT_EQ(Own(symbol), "a\\:03BC");
    symbol.PutHead(link, 0);
    EXPECT_EQ(ReadBack(), "a\\:03BC[]");
    symbol.PutStandardHead(link, 0);
    EXPECT_EQ(ReadBack(), "a\\:03BC[]");
}

TEST_F(LeafNodes, SymbolsTakeTheirPrecedenceFromTheTable) {
    EXPECT_EQ(SymbolNode(symbol_row::kEqual).Precedence(), 266);
    EXPECT_EQ(Sym("Sin")->Precedence(), 263);
    EXPECT_EQ(Sym("myName")->Precedence(), 258);
    EXPECT_EQ(DirectionNode(NodeSource(), false).Precedence(), 270);
}

} // namespace
} // namespace exprtest
