// The graphics nodes on the link: what the reader builds from the kernel's plot answers (every
// argument consumed, plot data as machine reals), what the nodes write under their own and the
// standard heads, their text forms and the plot a request builds.

#include "expr/LinkReader.h"
#include "expr/tests/LinkTokens.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using plottest::PlotTest;

void Number(QKLINK link, int32_t token, const char* text) {
    QKPutNext(link, token);
    QKPutSize(link, static_cast<int32_t>(std::strlen(text)));
    QKPutData(link, text, static_cast<int32_t>(std::strlen(text)));
}

void PutRange(QKLINK link, const char* variable, double min, double max) {
    QKPutFunction(link, "List", 3);
    QKPutSymbol(link, variable);
    QKPutDouble(link, min);
    QKPutDouble(link, max);
}

class GraphicsNodeTest : public PlotTest {
protected:
    GraphicsNodeTest() {
        EXPECT_EQ(QKNewParameters(block, 1, 7), 7);
        QKSetDeviceParameter(block, "");
        env = QKBegin(block);
        int32_t error = 0;
        link = QKLoopbackOpen(env, &error);
        EXPECT_NE(link, nullptr) << error;
    }
    ~GraphicsNodeTest() override {
        if (link) QKClose(link);
        if (env) QKEnd(env);
    }

    void Send() {
        ASSERT_TRUE(QKEndPacket(link));
        ASSERT_TRUE(QKFlush(link));
    }
    std::string Own(const ExprNode& node) {
        node.PutToLink(link, kNoMarkers);
        Send();
        return exprtest::LinkExprText(link);
    }
    std::string Standard(const ExprNode& node) {
        node.PutStandardToLink(link);
        Send();
        return exprtest::LinkExprText(link);
    }
    // The plain text of a node's display boxes.
    std::string Text(ExprNode& node) {
        BoxList boxes;
        node.BuildBoxes(boxes, 0);
        std::string out;
        for (int32_t i = 0; i < boxes.Count(); ++i)
            out += boxes.At(i)->IsNotChar() ? '#' : static_cast<char>(boxes.At(i)->GetCharCode());
        return out;
    }

    QKParameters block{};
    QKENV env = nullptr;
    QKLINK link = nullptr;
};

TEST_F(GraphicsNodeTest, EveryHeadConsumesExactlyTheArgumentsItAnnounced) {
    // Graphics with a surplus third argument, Line with two, Text with three, Point with none,
    // then a symbol that must still be read as itself.
    QKPutFunction(link, "List", 5);
    QKPutFunction(link, "Graphics", 3);
    QKPutFunction(link, "List", 0);
    QKPutFunction(link, "List", 0);
    QKPutFunction(link, "f", 2);
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "b");
    QKPutFunction(link, "Line", 2);
    QKPutFunction(link, "List", 0);
    QKPutSymbol(link, "extra");
    QKPutFunction(link, "Text", 3);
    QKPutString(link, "t");
    QKPutFunction(link, "List", 0);
    QKPutSymbol(link, "extra");
    QKPutFunction(link, "Point", 0);
    QKPutSymbol(link, "after");
    Send();
    LinkReader reader(link);
    NodePtr list = reader.ReadExpr();
    ASSERT_FALSE(reader.Failed());
    EXPECT_EQ(Own(*list), "List[Graphics[List[], List[]], Line[List[]], Text[\"t\", List[]], "
                          "Point[List[]], after]");
}

TEST_F(GraphicsNodeTest, PlotDataReadsAsMachineRealsWhateverItsLength) {
    QKPutFunction(link, "List", 2);
    QKPutFunction(link, "SurfaceGraphics", 1);
    QKPutFunction(link, "List", 1);
    Number(link, QKTOK_REAL, "0.12345678901234567890123");
    Number(link, QKTOK_REAL, "0.12345678901234567890123");
    Send();
    LinkReader reader(link);
    NodePtr list = reader.ReadExpr();
    auto* items = static_cast<CompositeNode*>(list.get());
    auto* surface = dynamic_cast<SurfaceGraphicsNode*>(items->FirstChild());
    ASSERT_NE(surface, nullptr);
    const ExprNode* height = static_cast<CompositeNode*>(surface->Child(0))->FirstChild();
    EXPECT_NE(dynamic_cast<const MachineRealNode*>(height), nullptr);
    // Outside graphics the reader's own rule holds again: a long real keeps its digits.
    EXPECT_EQ(dynamic_cast<const MachineRealNode*>(surface->Next()), nullptr);
    EXPECT_FALSE(reader.PlainReals());
}

TEST_F(GraphicsNodeTest, ARequestWhoseFunctionsAreNoListBuildsADefaultPlotWithItsRanges) {
    QKPutFunction(link, "TYTwoDPlot", 4);
    QKPutSymbol(link, "notAList");
    PutRange(link, "t", 0, 5);
    QKPutSymbol(link, "noRange");
    QKPutSymbol(link, "$Failed");
    Send();
    NodePtr node = ReadExprFromLink(link);
    auto* request = dynamic_cast<Plot2DNode*>(node.get());
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->Child(Plot2DNode::kFunctions), nullptr);
    EXPECT_EQ(request->Child(Plot2DNode::kYRange), nullptr);
    BoxList boxes;
    request->BuildBoxes(boxes, 0);
    ASSERT_EQ(boxes.Count(), 1);
    auto* plot = dynamic_cast<Plot2DComp*>(boxes.At(0));
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->GetListCount(), 1);
    EXPECT_EQ(plot->XName().ToCString(), "t");
    EXPECT_EQ(plot->XMax(), 5);
    EXPECT_EQ(plot->YName().ToCString(), "y");
    EXPECT_EQ(plot->YMin(), -1.0);
    EXPECT_EQ(plot->YMax(), 1.0);
    // "$Failed" is no graphics: the plot has computed nothing.
    EXPECT_EQ(plot->Primitives(), nullptr);
}

TEST_F(GraphicsNodeTest, PlotRequestsWriteTheirOwnAndTheStandardForms) {
    Plot2DNode empty;
    EXPECT_EQ(Own(empty), "TYTwoDPlot[List[], List[], List[]]");

    Plot2DNode one;
    one.AddFunction(SymbolNode::FromName("x"));
    one.SetXRange(SymbolNode::FromName("x"), std::make_unique<MachineIntegerNode>(0),
                  std::make_unique<MachineIntegerNode>(2));
    one.SetYRange(SymbolNode::FromName("y"), std::make_unique<MachineIntegerNode>(-1),
                  std::make_unique<MachineIntegerNode>(1));
    EXPECT_EQ(Own(one), "TYTwoDPlot[List[x], List[x, 0, 2], List[y, -1, 1]]");
    EXPECT_EQ(Standard(one), "Plot[x, List[x, 0, 2]]");

    NodePtr two = one.Clone();
    static_cast<Plot2DNode&>(*two).AddFunction(SymbolNode::FromName("z"));
    EXPECT_EQ(Standard(*two), "Show[List[Plot[x, List[x, 0, 2]], Plot[z, List[x, 0, 2]]]]");

    Plot3DNode three;
    three.AddFunction(SymbolNode::FromName("x"));
    EXPECT_EQ(Own(three), "TYThreeDPlot[List[x], List[], List[], List[]]");
    EXPECT_EQ(Standard(three), "Plot3D[x, List[], List[]]");
}

TEST_F(GraphicsNodeTest, GraphicsWriteOptionsOnlyWhenTheyHaveThemAndShowEmptyOnes) {
    GraphicsNode bare(true, std::make_unique<ListNode>());
    EXPECT_EQ(Own(bare), "Graphics[List[]]");
    EXPECT_EQ(Text(bare), "Graphics[{},{}] ");
    GraphicsNode withOptions(false, std::make_unique<ListNode>(), SymbolNode::FromName("o"));
    EXPECT_EQ(Own(withOptions), "Graphics3D[List[], o]");
    PrimitiveNode point(PrimitiveNode::Kind::Point, nullptr);
    EXPECT_EQ(Own(point), "Point[List[]]");
    EXPECT_EQ(Text(point), "Point[] ");
    GraphicsTextNode text(std::make_unique<TextNode>("a"), MakePoint2DExpr({1, 2}));
    EXPECT_EQ(Own(text), "Text[\"a\", List[R:1, R:2]]");
}

TEST_F(GraphicsNodeTest, TreeOperationsReachEverySlot) {
    auto graphics = std::make_unique<GraphicsNode>(true, std::make_unique<ListNode>(),
                                                   SymbolNode::FromName("o"));
    ExprNode* options = graphics->Child(1);
    EXPECT_EQ(graphics->FindParentOf(options), graphics.get());
    NodePtr old = graphics->ReplaceChild(options, SymbolNode::FromName("p"));
    EXPECT_EQ(old.get(), options);
    EXPECT_EQ(Own(*graphics), "Graphics[List[], p]");
    EXPECT_EQ(graphics->ReplaceChild(options, SymbolNode::FromName("q")), nullptr);
    NodePtr copy = graphics->Clone();
    EXPECT_EQ(Own(*copy), "Graphics[List[], p]");
}

TEST_F(GraphicsNodeTest, APlotGoesToTheKernelAndItsAnswerComesBackAsARequest) {
    auto plot = std::make_unique<Plot2DComp>(boxtest::Math("x"));
    plot->AddFunction(boxtest::Math("2"));
    plot->SetXRange(Str31("t"), 0, 2);
    NodePtr request(plot->ToExpression());
    EXPECT_EQ(Own(*request), "TYTwoDPlot[List[x, 2], List[t, R:0.0, R:2], List[y, R:-1, R:1]]");

    // The kernel's answer: the same head with the graphics as a fourth argument.
    QKPutFunction(link, "TYTwoDPlot", 4);
    QKPutFunction(link, "List", 1);
    QKPutSymbol(link, "x");
    PutRange(link, "t", 0, 2);
    PutRange(link, "y", -1, 1);
    QKPutFunction(link, "Graphics", 1);
    QKPutFunction(link, "List", 1);
    QKPutFunction(link, "List", 1);
    QKPutFunction(link, "Line", 1);
    QKPutFunction(link, "List", 2);
    PutRange(link, "ignored", 0, 0); // not a point: stands at (0, 0)
    QKPutFunction(link, "List", 2);
    QKPutDouble(link, 2);
    QKPutDouble(link, 1);
    Send();
    NodePtr answer = ReadExprFromLink(link);
    ASSERT_NE(dynamic_cast<Plot2DNode*>(answer.get()), nullptr);
    // The computed graphics are never sent back.
    EXPECT_EQ(Own(*answer), "TYTwoDPlot[List[x], List[t, R:0.0, R:2], List[y, R:-1, R:1]]");
    ASSERT_TRUE(plot->SetResult(std::move(answer)));
    const PrimStore* store = plot->Primitives();
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->GetListCount(), 2);
    ASSERT_EQ(store->GetList(1)->GetCount(), 1);
    const auto& line = static_cast<const LinePrim&>(*store->GetList(1)->GetAt(0));
    EXPECT_EQ(line.To().x, 2);
    EXPECT_EQ(line.To().y, 1);
}

} // namespace
