// The plot components as document components: function lists, caret movement, keys, layout,
// buttons, their stored records (golden and damaged), and how they take the kernel's answers.

#include "document/OutBuffer.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using plottest::PlotTest;
using streambytes::Builder;
using streambytes::Bytes;

Bytes Saved(const TextComp& comp) {
    return streambytes::Save([&](DocStream& s) { comp.Write(s); });
}

std::unique_ptr<Plot2DComp> Loaded(const Bytes& bytes) {
    auto plot = std::make_unique<Plot2DComp>();
    streambytes::Load(bytes, [&](DocStream& s) { plot->Read(s); });
    return plot;
}

// The record of a plot with the default ranges and one empty function list, before the
// primitives and the margins.
Builder DefaultHead() {
    return std::move(
        Builder().F64(1).F64(-1).U8(1).Text("x").F64(1).F64(-1).U8(1).Text("y").I16(1).I32(0));
}

class PlotCompTest : public PlotTest {
protected:
    NodePtr Curve(double yMin, double yMax) {
        return plottest::SampledGraphics({[](double x) { return x; }}, -1, 1, yMin, yMax, 4);
    }
};

TEST_F(PlotCompTest, ANewPlotHasOneEmptyListAndKeepsAtLeastOne) {
    Plot2DComp plot;
    ASSERT_EQ(plot.GetListCount(), 1);
    EXPECT_EQ(plot.GetList(1)->GetCount(), 0);
    EXPECT_EQ(plot.GetList(1)->GetOwner(), &plot);
    plot.RemoveLastFunction();
    EXPECT_EQ(plot.GetListCount(), 1);
    plot.AppendExpressionList(boxtest::Math("x"));
    EXPECT_EQ(plot.GetListCount(), 2);
    EXPECT_EQ(plot.IndexOfList(plot.GetList(2)), 2);
    plot.RemoveLastExpressionList();
    EXPECT_EQ(plot.GetListCount(), 1);
    EXPECT_EQ(plot.GetList(0), nullptr);
    EXPECT_EQ(plot.GetList(2), nullptr);
}

TEST_F(PlotCompTest, TheCaretMovesThroughTheListsInOrder) {
    Plot2DComp plot;
    plot.AddFunction(CompArray());
    plot.AddFunction(CompArray());
    CompList* one = plot.GetList(1);
    CompList* two = plot.GetList(2);
    CompList* three = plot.GetList(3);
    CompList stranger;
    EXPECT_EQ(plot.ListRightOf(nullptr), one);
    EXPECT_EQ(plot.ListAbove(&stranger), one);
    EXPECT_EQ(plot.ListRightOf(one), two);
    EXPECT_EQ(plot.ListAbove(two), three);
    EXPECT_EQ(plot.ListRightOf(three), nullptr);
    EXPECT_EQ(plot.ListLeftOf(three), two);
    EXPECT_EQ(plot.ListBelow(two), one);
    EXPECT_EQ(plot.ListLeftOf(one), nullptr);
    EXPECT_EQ(plot.ListLeftOf(nullptr), nullptr);
    EXPECT_EQ(plot.ListBelow(&stranger), nullptr);
}

TEST_F(PlotCompTest, ReturnWithTheFlagAsksForANewFunctionList) {
    Plot2DComp plot;
    DocPos pos;
    pos.SetAt(plot.GetList(1), 1);
    EXPECT_EQ(plot.HandleKey(pos, 13, 0, 1), PlotComp::kNewFunctionCommand);
    EXPECT_EQ(plot.HandleKey(pos, 10, 0, 1), PlotComp::kNewFunctionCommand);
    EXPECT_NE(plot.HandleKey(pos, 13, 0, 0), PlotComp::kNewFunctionCommand);
}

TEST_F(PlotCompTest, ASingleEmptyListLaysOutBelowTheFullPictureArea) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    const Rect bounds = plot->GetBounds();
    // Row 3 at 96 dpi: 533 by 400, with 20 points (26 pixels) around.
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, -(400 + 26));
    EXPECT_EQ(bounds.right, 533 + 26);
    const int32_t listHeight = plot->GetList(1)->GetBounds().Height();
    EXPECT_GT(listHeight, 0);
    EXPECT_EQ(bounds.bottom, 26 + listHeight);
    const Rect picture = plot->PictureRect();
    EXPECT_EQ(picture.Width(), 533);
    EXPECT_EQ(picture.bottom, plot->GetOrigin().y - 13);
    // The list is widened to the plot and centred in it.
    const Rect list = plot->GetList(1)->GetGlobalBounds();
    EXPECT_EQ(list.Width(), 533);
    EXPECT_EQ(list.left, plot->GetOrigin().x + 13);
    EXPECT_TRUE(plot->InPicture(Point(picture.left + 5, picture.top + 5)));
    EXPECT_FALSE(plot->InPicture(Point(picture.left + 5, picture.bottom + 5)));
}

TEST_F(PlotCompTest, TheButtonsAnswerOnlyWhileShown) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    const Rect frame = plot->GetFrame();
    const Point optionsAt(frame.left + 3, frame.top + 3);
    const Point plotAt(frame.right - 3, frame.top + 3);
    EXPECT_FALSE(plot->HitButtons(optionsAt));
    plot->ShowButtons();
    EXPECT_TRUE(plot->IsActive());
    EXPECT_TRUE(plot->HitOptions(optionsAt));
    EXPECT_FALSE(plot->HitPlot(optionsAt));
    EXPECT_TRUE(plot->HitPlot(plotAt));
    EXPECT_FALSE(plot->HitOptions(plotAt));
    plot->HideButtons();
    EXPECT_FALSE(plot->HitButtons(plotAt));
}

TEST_F(PlotCompTest, APlotNeverLaidOutHasItsGoldenRecord) {
    Plot2DComp plot;
    const Bytes expected = DefaultHead().I16(0).I16(0).I16(0).I16(0).I16(0);
    EXPECT_EQ(Saved(plot), expected);
    // Read back: no primitives until the first render scales the axes.
    auto back = Loaded(expected);
    EXPECT_EQ(back->Primitives(), nullptr);
    EXPECT_EQ(back->GetListCount(), 1);
    back->RenderPicture();
    ASSERT_NE(back->Primitives(), nullptr);
    EXPECT_EQ(back->Primitives()->GetListCount(), 1);
}

TEST_F(PlotCompTest, RecordsKeepListsRangesPrimitivesAndMargins) {
    Plot2DComp* plot = LaidOutPlot(0, 10, -2, 5);
    plot->AddFunction(boxtest::Math("x+1"));
    plot->GetList(1)->InsertArrayAt(boxtest::Math("x"), 1);
    ASSERT_TRUE(plot->SetGraphics(Curve(-2, 5)));
    const Bytes bytes = Saved(*plot);
    auto back = Loaded(bytes);
    EXPECT_TRUE(back->IsEqual(*plot));
    EXPECT_EQ(back->XMax(), 10);
    EXPECT_EQ(back->YMin(), -2);
    EXPECT_EQ(back->Margins(), plot->Margins());
    ASSERT_NE(back->Primitives(), nullptr);
    EXPECT_EQ(back->Primitives()->GetListCount(), 2);
    EXPECT_EQ(Saved(*back), bytes);
    // A clone carries the same record.
    EXPECT_EQ(Saved(*plot->Clone()), bytes);
}

TEST_F(PlotCompTest, NoFunctionListsLongNamesAndDamagedMarginsReadSafely) {
    const std::string forty(40, 'v');
    const Bytes bytes = Builder()
                            .F64(1)
                            .F64(-1)
                            .U8(40)
                            .Text(forty)
                            .F64(1)
                            .F64(-1)
                            .U8(1)
                            .Text("y")
                            .I16(0)  // no function lists
                            .I16(0)  // no primitives
                            .I16(-5) // margins: one below zero, one leaving no room
                            .I16(30000)
                            .I16(0)
                            .I16(0);
    auto plot = Loaded(bytes);
    EXPECT_EQ(plot->XName().ToCString(), std::string(31, 'v'));
    EXPECT_EQ(plot->GetListCount(), 1);
    EXPECT_EQ(plot->Margins().left, 0);
    plot->RenderPicture();
    const Point p = plot->ToDevice(0.5, 0.5);
    EXPECT_LE(std::abs(p.y), 1000000);
    // A count of lists that the record cannot hold is damage.
    Bytes tooMany = DefaultHead().Get();
    tooMany.resize(tooMany.size() - 6);
    Builder more;
    more.Append(tooMany).I16(30000).I32(0);
    EXPECT_THROW(Loaded(more), platform::FileException);
}

TEST_F(PlotCompTest, AFailureAnswerKeepsTheCurvesItShowed) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    ASSERT_TRUE(plot->SetGraphics(Curve(-1, 1)));
    const PrimStore* before = plot->Primitives();
    const Bytes saved = Saved(*plot);
    EXPECT_FALSE(plot->SetResult(SymbolNode::FromName("$Failed")));
    EXPECT_FALSE(plot->SetResult(std::make_unique<ErrorNode>()));
    EXPECT_FALSE(plot->SetResult(nullptr));
    EXPECT_FALSE(
        plot->SetResult(std::make_unique<GraphicsNode>(false, std::make_unique<ListNode>())));
    // A request answered without graphics is no answer either.
    EXPECT_FALSE(plot->SetResult(std::make_unique<Plot2DNode>()));
    EXPECT_EQ(plot->Primitives(), before);
    EXPECT_EQ(Saved(*plot), saved);
}

TEST_F(PlotCompTest, SwappingGraphicsWithACopyTradesTheCurvesBackAndForth) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    OwnedComponent copy = plot->Clone();
    const Bytes before = Saved(*plot);
    ASSERT_TRUE(plot->SetResult(Curve(-1, 1)));
    const Bytes after = Saved(*plot);
    ASSERT_NE(after, before);
    plot->SwapGraphics(*copy);
    EXPECT_EQ(Saved(*plot), before);
    EXPECT_EQ(Saved(*copy), after);
    plot->SwapGraphics(*copy);
    EXPECT_EQ(Saved(*plot), after);
}

TEST_F(PlotCompTest, ConfirmedOptionsDropTheCurvesAndRescale) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    ASSERT_TRUE(plot->SetGraphics(Curve(-1, 1)));
    plot->ApplyOptions(Str31("t"), 0, 10, Str31("u"), 2, 3);
    ASSERT_EQ(plot->Primitives()->GetListCount(), 1);
    EXPECT_EQ(plot->XName().ToCString(), "t");
    EXPECT_EQ(plot->Margins().left, 64);
}

TEST_F(PlotCompTest, TheKernelTextIsAPictureAndTheExpressionCarriesTheRanges) {
    Plot2DComp* plot = LaidOutPlot(0, 2, -1, 1);
    char text[16] = {};
    MemoryStream memory(text, 15);
    OutBuffer out(memory);
    plot->WriteText(out);
    out.Flush();
    EXPECT_STREQ(text, "Picture");
    NodePtr node(plot->ToExpression());
    ASSERT_NE(dynamic_cast<Plot2DNode*>(node.get()), nullptr);
    EXPECT_TRUE(node->HasSource());
    EXPECT_EQ(node->GetSource().GetSingleComponent(), plot);
}

} // namespace
