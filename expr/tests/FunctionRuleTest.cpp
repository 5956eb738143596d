#include "NodeCases.h"
#include "expr/FunctionNode.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/symbols/SymbolTable.h"

namespace exprtest {
namespace {

NodePtr Pair(NodePtr a, NodePtr b) {
    a->SetNext(std::move(b));
    return a;
}
NodePtr Sum(NodePtr a, NodePtr b) {
    return std::make_unique<PlusNode>(Pair(std::move(a), std::move(b)));
}
NodePtr Apply(NodePtr head, NodePtr argument) {
    return std::make_unique<FunctionNode>(std::move(head), std::move(argument));
}
NodePtr List(NodePtr chain) {
    return std::make_unique<ListNode>(std::move(chain));
}

const NodeCase kApplicationsAndRules[] = {
    {"named function of an atom", [] { return Apply(Sym("Sin"), Sym("x")); }, "TYSin[x]", "Sin[x]",
     "<mrow><mi>sin</mi><mo>&af;</mo><mi>x</mi></mrow>", "TYSin(x)", "sin x"},
    // f(x + y) must not read as f x + y.
    {"function of a sum", [] { return Apply(Sym("f"), Sum(Sym("x"), Sym("y"))); },
     "f[TYPlus[x, y]]", "f[Plus[x, y]]",
     "<mrow><mi>f</mi><mo>&af;</mo><mrow><mo>(</mo><mrow><mi>x</mi><mo>+</mo>"
     "<mi>y</mi></mrow><mo>)</mo></mrow></mrow>",
     "f(x + y)", "fBracket{x + y}"},
    {"named function of a sum", [] { return Apply(Sym("Cos"), Sum(Sym("x"), Sym("y"))); }, nullptr,
     nullptr, nullptr, nullptr, "cosParen{x + y}"},
    {"two arguments",
     [] { return Apply(Sym("g"), std::make_unique<SequenceNode>(Pair(Sym("a"), Sym("b")))); },
     "g[a, b]", "g[a, b]",
     "<mrow><mi>g</mi><mo>&af;</mo><mrow><mo>(</mo><mrow><mi>a</mi><mo> , </mo>"
     "<mi>b</mi></mrow><mo>)</mo></mrow></mrow>",
     nullptr, "gBracket{a,b}"},
    {"no argument", [] { return Apply(Sym("h"), nullptr); }, "h[]", nullptr, nullptr, "h()",
     "hBracket{}"},
    {"square root head", [] { return Apply(SymbolNode::FromName("TYRadical"), Sym("x")); }, nullptr,
     nullptr, nullptr, nullptr, "Sqrt{x}"},
    {"rule", [] { return std::make_unique<RuleNode>(Sym("x"), Int(2)); }, "Rule[x, 2]",
     "Rule[x, 2]", "<mrow><mi>x</mi><mo>&#8594;</mo><mn>2</mn></mrow>", nullptr, "x <x9C> 2"},
    {"rule in a list", [] { return List(std::make_unique<RuleNode>(Sym("x"), Int(2))); },
     "List[Rule[x, 2]]", nullptr,
     "<mrow><mo>{</mo><mrow><mi>x</mi><mo>&#8594;</mo><mn>2</mn></mrow>"
     "<mo>}</mo></mrow>",
     nullptr, nullptr},
    {"residue", [] { return std::make_unique<ModNode>(Sum(Sym("a"), Sym("b")), Int(3)); },
     "TYMod[TYPlus[a, b], 3]", "Mod[Plus[a, b], 3]",
     "<mrow><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mo>mod</mo><mn>3</mn></mrow>", nullptr,
     "a + b mod 3"},
    // Matrices are lists of rows; a flat list is a row vector.
    {"list of rows",
     [] { return List(Pair(List(Pair(Sym("a"), Sym("b"))), List(Pair(Sym("c"), Sym("d"))))); },
     "List[List[a, b], List[c, d]]", "List[List[a, b], List[c, d]]", nullptr, nullptr,
     "Matr{Row{a|b}Row{c|d}}"},
    // The braces hold commas of their own between the items.
    {"flat list", [] { return List(Pair(Int(1), Int(2))); }, nullptr, nullptr,
     "<mrow><mo>{</mo><mn>1</mn><mo>,</mo><mn>2</mn><mo>}</mo></mrow>", nullptr, "Matr{Row{1|2}}"},
    {"one element in one list", [] { return List(List(Sym("a"))); }, nullptr, nullptr, nullptr,
     nullptr, "a"},
    {"empty list", [] { return List(nullptr); }, "List[]", nullptr,
     "<mrow><mo>{</mo><mo>}</mo></mrow>", nullptr, "{}"},
};

class ApplicationsAndRules : public NodeTest {};

TEST_F(ApplicationsAndRules, WriteEveryForm) {
    for (const NodeCase& row : kApplicationsAndRules)
        Check(row);
}

TEST_F(ApplicationsAndRules, RuleBracketsOnlyAtLevelTwo) {
    RuleNode rule(Sym("x"), Int(2));
    EXPECT_EQ(BoxesOf(rule, 2), "Paren{x <x9C> 2}");
    EXPECT_EQ(BoxesOf(rule, 4), "x <x9C> 2");
}

TEST_F(ApplicationsAndRules, BareModKeywordUntilItHasOperands) {
    ModNode mod{NodeSource(nullptr, 3, 4)};
    EXPECT_EQ(mod.Precedence(), ModNode::kKeywordPrecedence);
    auto left = Sym("a");
    left->SetSource(NodeSource(nullptr, 1, 2));
    mod.SetLeft(std::move(left));
    auto right = Int(3);
    right->SetSource(NodeSource(nullptr, 5, 6));
    mod.SetRight(std::move(right));
    EXPECT_EQ(mod.Precedence(), 259);
    EXPECT_EQ(mod.Source().start, 1);
    EXPECT_EQ(mod.Source().end, 6);
}

TEST_F(ApplicationsAndRules, ApplicationsMarkTheirApplicationHeads) {
    auto inner = std::make_unique<FunctionNode>(Sym("f"), Sym("x"));
    FunctionNode* innerRaw = inner.get();
    FunctionNode outer(std::move(inner), Sym("y"));
    EXPECT_TRUE(innerRaw->IsApplied());
    EXPECT_FALSE(outer.IsApplied());
    NodePtr copy = outer.Clone();
    EXPECT_TRUE(static_cast<FunctionNode*>(copy.get())->Head() != nullptr);
    EXPECT_TRUE(
        static_cast<FunctionNode*>(static_cast<FunctionNode*>(copy.get())->Head())->IsApplied());
}

TEST_F(ApplicationsAndRules, SequencesAreNeverSentAlone) {
    SequenceNode sequence(Pair(Int(1), Int(2)));
    EXPECT_FALSE(sequence.IsEvaluable());
    EXPECT_EQ(sequence.ElementCount(), 2);
    EXPECT_TRUE(sequence.IsNumeric());
    EXPECT_EQ(BoxesOf(sequence, 5), "1,2");
}

} // namespace
} // namespace exprtest
