#include "NodeCases.h"
#include "expr/FunctionNode.h"
#include "expr/LinkReader.h"
#include "expr/ListNodes.h"
#include "expr/RelationNodes.h"
#include "expr/ScriptNodes.h"
#include "expr/symbols/SymbolTable.h"

namespace exprtest {
namespace {

NodePtr Pair(NodePtr a, NodePtr b) {
    a->SetNext(std::move(b));
    return a;
}

std::unique_ptr<SymbolNode> Op(int32_t row) {
    return std::make_unique<SymbolNode>(row);
}

class FakeMatrix final : public CompositeNode {
public:
    NodePtr Clone() const override { return std::make_unique<FakeMatrix>(); }
    void PutToLink(QKLINK link, MarkerMode) const override { QKPutFunction(link, "TYMatrix", 0); }
    ::TypeTag TypeTag() const override { return ::TypeTag("matN"); }
};

const NodeCase kScriptsAndRelations[] = {
    {"subscript of two indexes",
     [] {
         return std::make_unique<SubscriptNode>(
             Sym("x"), std::make_unique<SequenceNode>(Pair(Sym("i"), Sym("j"))));
     },
     "TYSubscript[x, i, j]", "Subscript[x, i, j]",
     "<msub><mi>x</mi><mrow><mi>i</mi><mo> , </mo><mi>j</mi></mrow></msub>", "x_i,j", "xSubs{i,j}"},
    // An msub must hold two elements: without an index the base stands alone.
    {"subscript without an index",
     [] { return std::make_unique<SubscriptNode>(Sym("x"), nullptr); }, nullptr, nullptr,
     "<mi>x</mi>", nullptr, nullptr},
    {"absolute value", [] { return std::make_unique<AbsDetNode>(Sym("x")); }, "TYAbs[x]", "Abs[x]",
     "<mrow><mo>|</mo><mi>x</mi><mo>|</mo></mrow>", "|x|", "AbsV{x}"},
    {"determinant", [] { return std::make_unique<AbsDetNode>(std::make_unique<FakeMatrix>()); },
     "TYDet[TYMatrix[]]", nullptr, nullptr, nullptr, nullptr},
    {"equation",
     [] { return InequalityNode::FromOperands(symbol_row::kEqual, Pair(Sym("a"), Sym("b"))); },
     "TYInequality[a, Equal, b]", "Equal[a, b]", "<mrow><mi>a</mi><mo>=</mo><mi>b</mi></mrow>",
     nullptr, "a = b"},
    {"sum with an iterator",
     [] {
         return std::make_unique<BigOperatorNode>(
             Op(symbol_row::kSum), Sym("a"),
             InequalityNode::FromOperands(symbol_row::kEqual, Pair(Sym("i"), Int(1))), Sym("n"));
     },
     "TYSum[a, List[i, 1, n]]", "Sum[a, List[i, 1, n]]",
     "<mrow><munderover><mo>&#8721;</mo><mrow><mi>i</mi><mo>=</mo><mn>1</mn></mrow>"
     "<mi>n</mi></munderover><mi>a</mi></mrow>",
     nullptr, "Sum{i = 1|n}a"},
    // A lower bound that is a bare variable still gives a sound iterator.
    {"sum over a bare variable",
     [] {
         return std::make_unique<BigOperatorNode>(Op(symbol_row::kProduct), Sym("a"), Sym("i"),
                                                  Sym("n"));
     },
     "TYProduct[a, List[i, n]]", "Product[a, List[i, n]]", nullptr, nullptr, "Prod{i|n}a"},
    {"sum without body",
     [] {
         return std::make_unique<BigOperatorNode>(Op(symbol_row::kSum), nullptr, Sym("i"), nullptr);
     },
     "TYSum[Null, i]", nullptr, nullptr, nullptr, "Sum{i}"},
};

class ScriptsAndRelations : public NodeTest {
protected:
    NodePtr Read() {
        EXPECT_TRUE(QKEndPacket(link));
        EXPECT_TRUE(QKFlush(link));
        return ReadExprFromLink(link);
    }
};

TEST_F(ScriptsAndRelations, WriteEveryForm) {
    for (const NodeCase& row : kScriptsAndRelations)
        Check(row);
}

TEST_F(ScriptsAndRelations, IntegrationConstantsSortByIndex) {
    SubscriptNode two(SymbolNode::FromName("C"), Int(2));
    EXPECT_EQ(two.OrderValue(), 2);
    SubscriptNode named(SymbolNode::FromName("C"), Sym("n"));
    EXPECT_EQ(named.OrderValue(), 1000);
    SubscriptNode longer(SymbolNode::FromName("Cx"), Int(2));
    EXPECT_EQ(longer.OrderValue(), 0);
}

TEST_F(ScriptsAndRelations, RelationChainsFromTheLink) {
    QKPutFunction(link, "Less", 3);
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "b");
    QKPutSymbol(link, "c");
    NodePtr chain = Read();
    EXPECT_EQ(chain->ChildCount(), 5);
    EXPECT_EQ(Standard(*chain), "Inequality[a, Less, b, Less, c]");
    EXPECT_EQ(BoxesOf(*chain, 5), "Paren{a < b < c}");
}

TEST_F(ScriptsAndRelations, LimitFromTheLinkKeepsItsSide) {
    QKPutFunction(link, "TYLimit", 3);
    QKPutSymbol(link, "f");
    QKPutFunction(link, "Rule", 2);
    QKPutSymbol(link, "x");
    QKPutLongInteger(link, 0);
    QKPutFunction(link, "Rule", 2);
    QKPutSymbol(link, "Direction");
    QKPutLongInteger(link, 1);
    NodePtr limit = Read();
    auto* node = dynamic_cast<LimitNode*>(limit.get());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetDirection(), LimitNode::kFromBelow);
    EXPECT_EQ(BoxesOf(*limit), "Limit{x <x9C> 0Expo{-}}f");
    StringMathMLWriter writer;
    limit->WriteMathML(writer);
    EXPECT_EQ(writer.Text(), "<mrow><munder><mi>lim</mi><mrow><mi>x</mi><mo>&#x2192;</mo><msup>"
                             "<mn>0</mn><mo>-</mo></msup></mrow></munder><mi>f</mi></mrow>");
    EXPECT_EQ(Own(*limit), "TYLimit[f, Rule[x, 0], Rule[Direction, 1]]");
}

TEST_F(ScriptsAndRelations, PrefixFormsCollectWhatFollows) {
    LimitNode limit(NodeSource(), std::make_unique<RuleNode>(Sym("x"), Int(0)));
    EXPECT_EQ(limit.Precedence(), LimitNode::kMissingOperandPrecedence);
    limit.AppendChild(Sym("x"));
    limit.AppendChild(Sym("f"));
    auto sum =
        std::make_unique<BigOperatorNode>(NodeSource(), Op(symbol_row::kSum), Sym("i"), nullptr);
    limit.AppendChild(std::move(sum));
    limit.AppendChild(Sym("g"));
    limit.AppendChild(Sym("h"));
    EXPECT_EQ(Own(limit), "TYLimit[TYTimes[x, f, TYSum[TYTimes[g, h], i]], Rule[x, 0]]");
}

TEST_F(ScriptsAndRelations, SumFromTheLinkTakesItsIteratorApart) {
    QKPutFunction(link, "TYSum", 2);
    QKPutSymbol(link, "a");
    QKPutFunction(link, "List", 3);
    QKPutSymbol(link, "i");
    QKPutLongInteger(link, 1);
    QKPutSymbol(link, "n");
    NodePtr sum = Read();
    EXPECT_EQ(BoxesOf(*sum), "Sum{i = 1|n}a");
    EXPECT_EQ(BoxesOf(*sum, 8), "Paren{Sum{i = 1|n}a}");
    EXPECT_EQ(Own(*sum), "TYSum[a, List[i, 1, n]]");
}

TEST_F(ScriptsAndRelations, IndexedFunctionsFromTheLink) {
    QKPutFunction(link, "TYBesselJ", 2);
    QKPutLongInteger(link, 0);
    QKPutSymbol(link, "x");
    EXPECT_EQ(BoxesOf(*Read()), "JSubs{0}Bracket{x}");
    QKPutFunction(link, "TYLegendreP", 3);
    QKPutSymbol(link, "n");
    QKPutLongInteger(link, -1);
    QKPutSymbol(link, "x");
    // The second index stays an exponent, even when negative.
    NodePtr legendre = Read();
    ReplaceByFraction(legendre);
    EXPECT_EQ(BoxesOf(*legendre), "PSubs{n}Expo{-1}Bracket{x}");
}

} // namespace
} // namespace exprtest
