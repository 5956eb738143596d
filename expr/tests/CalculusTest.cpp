#include "NodeCases.h"
#include "expr/CalculusNodes.h"
#include "expr/FunctionNode.h"
#include "expr/LinkReader.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"

namespace exprtest {
namespace {

NodePtr Pair(NodePtr a, NodePtr b) {
    a->SetNext(std::move(b));
    return a;
}
NodePtr Prime(int32_t order, NodePtr function) {
    return std::make_unique<FunctionNode>(std::make_unique<DerivativeNode>(Int(order)),
                                          std::move(function));
}

const NodeCase kCalculus[] = {
    {"definite integral",
     [] { return std::make_unique<IntegrateNode>(Sym("b"), Sym("a"), Sym("f"), Sym("x")); },
     "TYIntegrate[f, List[x, a, b]]", "Integrate[f, List[x, a, b]]",
     "<mrow><munderover><mo>&int;</mo><mi>a</mi><mi>b</mi></munderover><mi>f</mi><mi>d</mi><mi>x</"
     "mi></mrow>",
     nullptr, "Inte{f|x|a|b}"},
    // A single bound is no integral's bound: not written, not drawn, but kept in MathML.
    {"lower bound only",
     [] { return std::make_unique<IntegrateNode>(nullptr, Sym("a"), Sym("f"), Sym("x")); },
     "TYIntegrate[f, x]", nullptr,
     "<mrow><munder><mo>&int;</mo><mi>a</mi></munder><mi>f</mi><mi>d</mi><mi>x</mi></mrow>",
     nullptr, "Inte{f|x}"},
    {"first derivative of a function", [] { return Prime(1, Sym("f")); }, "TYDt[f, tyDefaultVar]",
     "Dt[f, tyDefaultVar]", "<msup><mi>f</mi><mo>&#x2032;</mo></msup>", nullptr, "fExpo{<xB7>}"},
    {"second derivative of a function", [] { return Prime(2, Sym("f")); },
     "TYDt[f, List[tyDefaultVar, 2]]", nullptr, "<msup><mi>f</mi><mo>&#x2033;</mo></msup>", nullptr,
     "fExpo{<xF2>}"},
    {"third derivative", [] { return Prime(3, Sym("f")); }, nullptr, nullptr,
     "<msup><mi>f</mi><mrow><mo>(</mo><mn>3</mn><mo>)</mo></mrow></msup>", nullptr,
     "fExpo{Paren{3}}"},
    {"total derivative",
     [] { return std::make_unique<DifferentiationNode>(Sym("y"), Sym("x"), false); }, "TYDt[y, x]",
     "Dt[y, x]",
     "<mfrac><mrow><mi>d</mi><mi>y</mi></mrow><mrow><mi>d</mi><mi>x</mi></mrow></mfrac>", nullptr,
     "totD{x||y}"},
    {"partial derivative in two variables",
     [] {
         auto variables = std::make_unique<SequenceNode>(
             Pair(std::make_unique<ListNode>(Pair(Sym("x"), Int(2))), Sym("y")));
         return std::make_unique<DifferentiationNode>(Sym("f"), std::move(variables), true);
     },
     "TYD[f, List[x, 2], y]", "D[f, List[x, 2], y]", nullptr, nullptr, "parD{Var{x|2}Var{y|}|f}"},
};

class Calculus : public NodeTest {
protected:
    NodePtr Read() {
        EXPECT_TRUE(QKEndPacket(link));
        EXPECT_TRUE(QKFlush(link));
        return ReadExprFromLink(link);
    }
};

TEST_F(Calculus, WriteEveryForm) {
    for (const NodeCase& row : kCalculus)
        Check(row);
}

// f'(x): the derivative applied to an argument is a plain application of Derivative[1][f].
TEST_F(Calculus, AppliedDerivativeIsAPlainApplication) {
    FunctionNode applied(Prime(1, Sym("f")), Sym("x"));
    applied.PutToLink(link, kNoMarkers);
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    int32_t count = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_FUNCTION);
    ASSERT_TRUE(QKGetArgCount(link, &count));
    EXPECT_EQ(count, 1);
    ASSERT_EQ(QKGetNext(link), QKTOK_FUNCTION); // the head Derivative[1][f]
    ASSERT_TRUE(QKGetArgCount(link, &count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(ReadExpr(), "Derivative[1]");
    EXPECT_EQ(ReadExpr(), "f");
    EXPECT_EQ(ReadExpr(), "x");
}

// d^2 y / dx^2 keeps the power on its numerator when copied.
TEST_F(Calculus, CopyKeepsTheNumeratorPower) {
    auto variables =
        std::make_unique<SequenceNode>(std::make_unique<ListNode>(Pair(Sym("x"), Int(2))));
    DifferentiationNode second(NodeSource(), false, std::move(variables), Int(2));
    second.AppendChild(Sym("y"));
    NodePtr copy = second.Clone();
    StringMathMLWriter original;
    second.WriteMathML(original);
    StringMathMLWriter copied;
    copy->WriteMathML(copied);
    EXPECT_EQ(copied.Text(), original.Text());
    EXPECT_NE(copied.Text().find("<msup><mi>d</mi><mn>2</mn></msup>"), std::string::npos);
}

TEST_F(Calculus, IntegralsFromTheLink) {
    QKPutFunction(link, "TYIntegrate", 2);
    QKPutSymbol(link, "f");
    QKPutFunction(link, "List", 3);
    QKPutSymbol(link, "x");
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "b");
    EXPECT_EQ(BoxesOf(*Read()), "Inte{f|x|a|b}");
    // A range of two items, and surplus arguments: the link stays in step.
    QKPutFunction(link, "TYIntegrate", 3);
    QKPutSymbol(link, "f");
    QKPutFunction(link, "List", 2);
    QKPutSymbol(link, "x");
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "extra");
    EXPECT_EQ(BoxesOf(*Read()), "Inte{f|x}");
}

TEST_F(Calculus, DerivativesFromTheLink) {
    QKPutFunction(link, "TYD", 3);
    QKPutSymbol(link, "f");
    QKPutSymbol(link, "x");
    QKPutSymbol(link, "y");
    EXPECT_EQ(BoxesOf(*Read()), "parD{Var{x|}Var{y|}|f}");
    QKPutFunction(link, "TYAiryAiPrime", 1);
    QKPutSymbol(link, "x");
    EXPECT_EQ(BoxesOf(*Read()), "AiExpo{<xB7>}Bracket{x}");
    // Operands missing: still a node, drawn empty.
    QKPutFunction(link, "TYDt", 0);
    NodePtr empty = Read();
    EXPECT_EQ(empty->Precedence(), DifferentiationNode::kMissingOperandPrecedence);
    EXPECT_EQ(BoxesOf(*empty), "totD{||}");
}

} // namespace
} // namespace exprtest
