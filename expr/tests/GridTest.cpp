#include "NodeCases.h"
#include "expr/GridNodes.h"
#include "expr/LinkReader.h"
#include "expr/ListNodes.h"
#include "expr/RelationNodes.h"
#include "expr/symbols/SymbolTable.h"

namespace exprtest {
namespace {

// A chain of the given nodes, in order.
template <typename... Nodes>
NodePtr Items(Nodes... nodes) {
    NodePtr items[] = {std::move(nodes)...};
    NodePtr chain;
    for (size_t i = sizeof...(Nodes); i-- > 0;) {
        items[i]->SetNext(std::move(chain));
        chain = std::move(items[i]);
    }
    return chain;
}
template <typename... Nodes>
NodePtr List(Nodes... nodes) {
    return std::make_unique<ListNode>(Items(std::move(nodes)...));
}
NodePtr Relation(int32_t row, NodePtr a, NodePtr b) {
    return InequalityNode::FromOperands(row, Items(std::move(a), std::move(b)));
}
NodePtr Greater(NodePtr a, NodePtr b) {
    return Relation(LookupBuiltinName("Greater"), std::move(a), std::move(b));
}
NodePtr Otherwise() {
    return Sym("tyOtherwise");
}

const NodeCase kGrids[] = {
    {"matrix of rows",
     [] {
         return std::make_unique<MatrixNode>(
             Items(List(Sym("a"), Sym("b")), List(Sym("c"), Sym("d"))));
     },
     "TYMatrix[List[a, b], List[c, d]]", "List[List[a, b], List[c, d]]",
     "<mrow><mo>[</mo><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd>"
     "</mtr><mtr><mtd><mi>c</mi></mtd><mtd><mi>d</mi></mtd></mtr></mtable><mo>]</mo></mrow>",
     nullptr, "Matr{Row{a|b}Row{c|d}}"},
    {"table of columns",
     [] {
         return std::make_unique<TableNode>(
             Items(std::make_unique<ColumnNode>(Items(Sym("a"), Sym("Null"))),
                   std::make_unique<ColumnNode>(Items(Sym("b"), Sym("c")))));
     },
     "TYTable[TYColumn[a, Null], TYColumn[b, c]]", "List[List[a, Null], List[b, c]]",
     "<mtable columnlines=\"solid\" frame=\"solid\" rowlines=\"solid none\"><mtr><mtd><mi>a</mi>"
     "</mtd><mtd><mi>b</mi></mtd></mtr><mtr><mtd></mtd><mtd><mi>c</mi></mtd>"
     "</mtr></mtable>",
     nullptr, "Tabl{Col{a|}Col{b|c}}"},
    {"column alone shows nothing", [] { return std::make_unique<ColumnNode>(Items(Sym("a"))); },
     "TYColumn[a]", "List[a]", "<mi>a</mi>", nullptr, ""},
    {"equation set",
     [] {
         return std::make_unique<EquationSetNode>(
             Items(Relation(symbol_row::kEqual, Sym("x"), Int(1)),
                   Relation(symbol_row::kEqual, Sym("y"), Int(2))));
     },
     "TYEqnSet[TYInequality[x, Equal, 1], TYInequality[y, Equal, 2]]",
     "List[Equal[x, 1], Equal[y, 2]]",
     "<mrow><mo>{</mo><mtable><mtr><mtd><mrow><mi>x</mi><mo>=</mo><mn>1</mn></mrow></mtd></mtr>"
     "<mtr><mtd><mrow><mi>y</mi><mo>=</mo><mn>2</mn></mrow></mtd></mtr></mtable><mo>}</mo>"
     "</mrow>",
     nullptr, "eqSt{x = 1|y = 2}"},
    // The bars of a determinant stand in place of the matrix's brackets.
    {"determinant",
     [] {
         return std::make_unique<AbsDetNode>(std::make_unique<MatrixNode>(
             Items(List(Sym("a"), Sym("b")), List(Sym("c"), Sym("d")))));
     },
     "TYDet[TYMatrix[List[a, b], List[c, d]]]", nullptr,
     "<mrow><mo>|</mo><mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mtr><mtr><mtd>"
     "<mi>c</mi></mtd><mtd><mi>d</mi></mtd></mtr></mtable><mo>|</mo></mrow>",
     nullptr, nullptr},
    {"piecewise with otherwise",
     [] {
         return std::make_unique<SplitNode>(
             Items(List(Int(1), Greater(Sym("x"), Int(0))), List(Int(0), Otherwise())));
     },
     "TYSplit[List[1, TYInequality[x, Greater, 0]], List[0, tyOtherwise]]",
     "If[Inequality[x, Greater, 0], 1, 0]",
     "<mrow><mo> { </mo><mtable><mtr><mtd><mn>1</mn></mtd><mtd><mrow><mi>x</mi><mo>&gt;</mo>"
     "<mn>0</mn></mrow></mtd></mtr><mtr><mtd><mn>0</mn></mtd><mtd><mi>otherwise</mi></mtd>"
     "</mtr></mtable></mrow>",
     nullptr, "splF{Line{1|0}Line{x > 0|otherwise}}"},
    {"piecewise with a last condition",
     [] {
         return std::make_unique<SplitNode>(Items(List(Int(1), Greater(Sym("x"), Int(0))),
                                                  List(Int(0), Greater(Int(0), Sym("x")))));
     },
     nullptr, "If[Inequality[x, Greater, 0], 1, If[Inequality[0, Greater, x], 0]]", nullptr,
     nullptr, nullptr},
    // A condition that is a symbol is a condition, not "otherwise".
    {"piecewise with a symbol condition",
     [] { return std::make_unique<SplitNode>(Items(List(Int(0), Sym("c")))); }, nullptr, "If[c, 0]",
     nullptr, nullptr, nullptr},
    {"piecewise row without a condition",
     [] { return std::make_unique<SplitNode>(Items(List(Int(5)))); }, "TYSplit[List[5]]", "5",
     nullptr, nullptr, "splF{Line{5}Line{}}"},
    {"alternatives", [] { return std::make_unique<OrNode>(Items(Sym("a"), Sym("b"))); },
     "TYOr[a, b]", "Or[a, b]", "<mrow><mi>a</mi><mo>or</mo><mi>b</mi></mrow>", nullptr, "a or b"},
    {"list text", [] { return List(Sym("a"), Sym("b")); }, nullptr, nullptr, nullptr, "{a,b}",
     nullptr},
    {"empty list text", [] { return std::make_unique<ListNode>(); }, nullptr, nullptr, nullptr,
     "{ }", nullptr},
};

class Grids : public NodeTest {};

TEST_F(Grids, WriteEveryForm) {
    for (const NodeCase& row : kGrids)
        Check(row);
}

// The expression holder spreads alternatives by copying: each copy is the next alternative.
TEST_F(Grids, CopyingAlternativesCopiesThemAll) {
    OrNode alternatives(Items(Sym("a"), Sym("b"), Sym("c")));
    EXPECT_EQ(alternatives.AlternativeCount(), 3);
    NodePtr copy = alternatives.Clone();
    EXPECT_EQ(Own(*copy), "TYOr[a, b, c]");
    EXPECT_EQ(copy->Next(), nullptr);
    // The original keeps every alternative.
    EXPECT_EQ(alternatives.AlternativeCount(), 3);
    EXPECT_EQ(Own(alternatives), "TYOr[a, b, c]");
}

TEST_F(Grids, CopiesKeepTheirClass) {
    MatrixNode matrix(Items(List(Int(1), Int(2)), List(Int(3), Int(4))));
    NodePtr copy = matrix.Clone();
    EXPECT_EQ(copy->TypeTag(), ::TypeTag("matN"));
    EXPECT_EQ(Own(*copy), "TYMatrix[List[1, 2], List[3, 4]]");
}

TEST_F(Grids, ReadFromTheLink) {
    QKPutFunction(link, "TYMatrix", 1);
    QKPutFunction(link, "List", 2);
    QKPutLongInteger(link, 1);
    QKPutLongInteger(link, 2);
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    NodePtr matrix = ReadExprFromLink(link);
    EXPECT_EQ(matrix->TypeTag(), ::TypeTag("matN"));
    EXPECT_EQ(BoxesOf(*matrix), "Matr{Row{1|2}}");
}

} // namespace
} // namespace exprtest
