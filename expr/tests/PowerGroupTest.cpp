#include "NodeCases.h"
#include "expr/CompositeNode.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/TimesNode.h"
#include "expr/symbols/SymbolTable.h"

namespace exprtest {
namespace {

NodePtr Sum(NodePtr a, NodePtr b) {
    a->SetNext(std::move(b));
    return std::make_unique<PlusNode>(std::move(a));
}
NodePtr Power(NodePtr exponent, NodePtr base, bool keep = true) {
    return std::make_unique<PowerNode>(std::move(exponent), std::move(base), keep);
}
NodePtr Paren(NodePtr inner) {
    return std::make_unique<GroupNode>(std::move(inner), true);
}
NodePtr Bracket(NodePtr inner) {
    return std::make_unique<GroupNode>(std::move(inner), false);
}

// Stands in for a matrix: a list of rows in the standard form.
class FakeMatrix final : public CompositeNode {
public:
    NodePtr Clone() const override { return std::make_unique<FakeMatrix>(); }
    void PutToLink(QKLINK link, MarkerMode) const override { QKPutFunction(link, "TYMatrix", 0); }
    void PutStandardToLink(QKLINK link) const override { QKPutFunction(link, "List", 0); }
    ::TypeTag TypeTag() const override { return ::TypeTag("matN"); }
};

const NodeCase kPowersAndGroups[] = {
    {"power", [] { return Power(Int(2), Sym("x")); }, "TYPower[x, 2]", "Power[x, 2]",
     "<msup><mi>x</mi><mn>2</mn></msup>", nullptr, "xExpo{2}"},
    {"power of a power", [] { return Power(Int(2), Power(Int(3), Sym("x"))); }, nullptr, nullptr,
     nullptr, nullptr, "Paren{xExpo{3}}Expo{2}"},
    {"power of a quotient",
     [] { return Power(Int(2), std::make_unique<DivideNode>(Sym("a"), Sym("b"))); }, nullptr,
     nullptr, nullptr, nullptr, "Paren{Frac{a|b}}Expo{2}"},
    {"transpose", [] { return Power(Sym("TYT"), std::make_unique<FakeMatrix>()); },
     "TYPower[TYMatrix[], TYT]", "Transpose[List[]]", nullptr, nullptr, nullptr},
    {"matrix power", [] { return Power(Int(2), std::make_unique<FakeMatrix>()); }, nullptr,
     "MatrixPower[List[], 2]", nullptr, nullptr, nullptr},
    {"quotient", [] { return std::make_unique<DivideNode>(Sym("a"), Sym("b")); }, "TYDivide[a, b]",
     "Divide[a, b]", "<mfrac><mi>a</mi><mi>b</mi></mfrac>", "a/b", "Frac{a|b}"},
    // The text of a quotient brackets a side that a sign or a blank would split: (a+b)/c
    // must not read as a+b/c.
    {"quotient of a sum",
     [] { return std::make_unique<DivideNode>(Sum(Sym("a"), Sym("b")), Sym("c")); }, nullptr,
     nullptr, nullptr, "(a + b)/c", "Frac{a + b|c}"},
    {"square root", [] { return std::make_unique<RadicalNode>(Sym("x"), nullptr); },
     "TYRadical[x, 2]", "Sqrt[x]", "<msqrt><mi>x</mi></msqrt>", "sqrt(x)", "Sqrt{x}"},
    {"cube root", [] { return std::make_unique<RadicalNode>(Sym("x"), Int(3)); }, "TYRadical[x, 3]",
     "Power[x, Divide[1, 3]]", "<mroot><mi>x</mi><mn>3</mn></mroot>", nullptr, "Root{x|3}"},
    {"root of index two", [] { return std::make_unique<RadicalNode>(Sym("x"), Int(2)); },
     "TYRadical[x, 2]", "Power[x, Divide[1, 2]]", nullptr, nullptr, "Sqrt{x}"},
    // Brackets are display only: a group writes exactly what its inner node writes.
    {"parenthesised sum", [] { return Paren(Sum(Sym("a"), Sym("b"))); }, "TYPlus[a, b]",
     "Plus[a, b]", "<mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>)</mo></mrow>",
     "(a + b)", "Paren{a + b}"},
    {"square brackets", [] { return Bracket(Sym("x")); }, "x", "x",
     "<mrow><mo>[</mo><mi>x</mi><mo>]</mo></mrow>", "[x]", "Bracket{x}"},
    // Fences nest, each closing with its own mark.
    {"brackets in parentheses", [] { return Paren(Bracket(Sym("x"))); }, nullptr, nullptr,
     "<mrow><mo>(</mo><mrow><mo>[</mo><mi>x</mi><mo>]</mo></mrow><mo>)</mo></mrow>", nullptr,
     nullptr},
};

class PowersAndGroups : public NodeTest {};

TEST_F(PowersAndGroups, WriteEveryForm) {
    for (const NodeCase& row : kPowersAndGroups)
        Check(row);
}

TEST_F(PowersAndGroups, QuotientBracketsOnlyInAPowerBase) {
    auto quotient = [] { return std::make_unique<DivideNode>(Sym("a"), Sym("b")); };
    EXPECT_EQ(BoxesOf(*quotient(), 6), "Frac{a|b}");
    EXPECT_EQ(BoxesOf(*quotient(), 10), "Paren{Frac{a|b}}");
}

struct FractionCase {
    const char* name;
    std::function<NodePtr()> make;
    const char* own;
    const char* boxes;
};

// The kernel's negative exponents show as quotients; the user's stay exponents.
TEST_F(PowersAndGroups, NegativeExponentsOfTheKernelBecomeQuotients) {
    const FractionCase rows[] = {
        {"squared", [] { return Power(Int(-2), Sym("x"), false); }, "TYDivide[1, TYPower[x, 2]]",
         "Frac{1|xExpo{2}}"},
        {"to the minus one", [] { return Power(Int(-1), Sym("x"), false); }, "TYDivide[1, x]",
         "Frac{1|x}"},
        {"typed by the user", [] { return Power(Int(-2), Sym("x"), true); }, "TYPower[x, -2]",
         "xExpo{-2}"},
        {"positive", [] { return Power(Int(2), Sym("x"), false); }, "TYPower[x, 2]", "xExpo{2}"},
    };
    for (const FractionCase& row : rows) {
        SCOPED_TRACE(row.name);
        NodePtr node = row.make();
        ReplaceByFraction(node);
        EXPECT_EQ(BoxesOf(*node), row.boxes);
        node = row.make();
        ReplaceByFraction(node);
        EXPECT_EQ(Own(*node), row.own);
    }
}

TEST_F(PowersAndGroups, GroupsDrawPlainAtLevelZeroAndUnwrapTheirOwnKind) {
    EXPECT_EQ(BoxesOf(*Paren(Sum(Sym("a"), Sym("b"))), 0), "a + b");

    auto doubled = Paren(Paren(Sym("x")));
    doubled->VisitTreeNoArg();
    EXPECT_EQ(BoxesOf(*doubled), "Paren{x}");

    auto mixed = Bracket(Paren(Sym("x")));
    mixed->VisitTreeNoArg();
    EXPECT_EQ(BoxesOf(*mixed), "Bracket{Paren{x}}");

    EXPECT_EQ(Paren(Sym("x"))->TypeTag(), ::TypeTag("grpN"));
    EXPECT_EQ(Bracket(Sym("x"))->TypeTag(), ::TypeTag("argN"));
    EXPECT_EQ(Paren(Sym("x"))->Precedence(), 261);
    EXPECT_EQ(Bracket(Sym("x"))->Precedence(), 260);
}

TEST_F(PowersAndGroups, PowerTakesItsBaseLater) {
    PowerNode power(NodeSource(nullptr, 5, 6), Int(2));
    EXPECT_EQ(power.Precedence(), PowerNode::kMissingBasePrecedence);
    auto base = Sym("x");
    base->SetSource(NodeSource(nullptr, 4, 5));
    power.AppendChild(std::move(base));
    EXPECT_EQ(power.Precedence(), 259);
    EXPECT_EQ(power.Source().start, 4);
    EXPECT_EQ(power.Source().end, 6);
    EXPECT_EQ(Own(power), "TYPower[x, 2]");
    EXPECT_TRUE(power.IsPower());
    EXPECT_EQ(power.GetBase(), power.Second());
}

TEST_F(PowersAndGroups, NumericAnswersComeFromTheParts) {
    EXPECT_TRUE(Power(Int(2), Int(3))->IsNumeric());
    EXPECT_FALSE(Power(Int(2), Sym("x"))->IsNumeric());
    EXPECT_TRUE(std::make_unique<RadicalNode>(Int(2), nullptr)->IsNumeric());
    EXPECT_TRUE(std::make_unique<RadicalNode>(Sym("x"), nullptr)->IsAtom());
    EXPECT_EQ(Paren(Sum(Sym("a"), Sym("b")))->ElementCount(), 1);
}

} // namespace
} // namespace exprtest
