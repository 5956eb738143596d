// The stored 2-D primitives: their records byte for byte, the lists and stores around them,
// damaged records, the labels and conversion from the kernel's graphics.

#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"
#include "platform/tests/FileTestSupport.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::testing::CauseOf;
using plottest::LoadedPrim;
using plottest::PlotTest;
using plottest::PrimRecord;
using plottest::SavedPrim;
using streambytes::Builder;
using streambytes::Bytes;
using Cause = platform::FileException::Cause;

class PrimitiveTest : public PlotTest {};

TEST_F(PrimitiveTest, EveryKindHasItsGoldenRecordAndReadsBackTheSame) {
    const std::string forty(40, 'a');
    struct Case {
        const char* name;
        std::shared_ptr<GraphicsPrim> prim;
        Bytes body;
    };
    const Case cases[] = {
        {"h tick, label side up", std::make_shared<HTickPrim>(Point2D{2.5, 0}, 1),
         Builder().U8(1).F64(2.5).F64(0).U8(3).Text("2.5")},
        {"v tick", std::make_shared<VTickPrim>(Point2D{0, 0.00001}, 0),
         Builder().U8(0).F64(0).F64(0.00001).U8(5).Text("1e-05")},
        {"line", std::make_shared<LinePrim>(Point2D{-1, 2}, Point2D{3, -4}),
         Builder().F64(-1).F64(2).F64(3).F64(-4)},
        {"point", std::make_shared<PointPrim>(Point2D{0.5, -0.25}), Builder().F64(0.5).F64(-0.25)},
        {"polyline", std::make_shared<PolylinePrim>(std::vector<Point2D>{{0, 0}, {1, 1}, {2, 4}}),
         Builder().I32(3).F64(0).F64(0).F64(1).F64(1).F64(2).F64(4)},
        {"empty polyline", std::make_shared<PolylinePrim>(), Builder().I32(0)},
        {"text cut to 31", std::make_shared<TextPrim>(Point2D{1, 2}, Str31(forty)),
         Builder().F64(1).F64(2).U8(31).Text(std::string(31, 'a'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = SavedPrim(*c.prim);
        EXPECT_EQ(bytes, PrimRecord(c.prim->GetTypeCode(), c.body));
        std::unique_ptr<GraphicsPrim> back = LoadedPrim<GraphicsPrim>(bytes);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetTypeCode(), c.prim->GetTypeCode());
        EXPECT_EQ(SavedPrim(*back), bytes);
        EXPECT_EQ(SavedPrim(*back->Clone()), bytes);
    }
}

TEST_F(PrimitiveTest, TickLabelsAreTheCoordinatesInShortestForm) {
    EXPECT_EQ(HTickPrim(Point2D{2.5, 0}, 0).Label().ToCString(), "2.5");
    EXPECT_EQ(VTickPrim(Point2D{0, 0.00001}, 0).Label().ToCString(), "1e-05");
    EXPECT_EQ(HTickPrim(Point2D{-1234567, 0}, 0).Label().ToCString(), "-1.23457e+06");
    EXPECT_EQ(VTickPrim(Point2D{0, 0.6000000000000001}, 0).Label().ToCString(), "0.6");
}

TEST_F(PrimitiveTest, ASideFlagIsStoredInOneByteAndReadBackSignExtended) {
    const Bytes stored = PrimRecord(1, Builder().U8(0xFF).F64(1).F64(0).U8(1).Text("1"));
    auto tick = LoadedPrim<GraphicsPrim>(stored);
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(static_cast<TickPrim&>(*tick).Side(), -1);
}

TEST_F(PrimitiveTest, AnUnknownCodeIsSkippedByItsLengthAndTheListGoesOn) {
    PrimList list;
    const Bytes bytes = Builder()
                            .I32(3)
                            .Append(PrimRecord(9, Builder().F64(7)))
                            .Append(PrimRecord(3, Builder().F64(0).F64(0).F64(1).F64(1)))
                            .Append(PrimRecord(0, Bytes{}));
    const int32_t end = streambytes::Load(bytes, [&](DocStream& s) { list.Read(s); });
    EXPECT_EQ(end, static_cast<int32_t>(bytes.size()));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0)->GetTypeCode(), primcode::kLine);
}

TEST_F(PrimitiveTest, DamagedCountsFailTheLoadInsteadOfAllocating) {
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"negative polyline count", PrimRecord(5, Builder().I32(-3))},
        {"polyline count beyond its record", PrimRecord(5, Builder().I32(1000000).F64(0).F64(0))},
        {"polyline count past the end", Builder().I32(5).I32(1000).I32(0x7FFFFFFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Cause cause = CauseOf([&] { LoadedPrim<GraphicsPrim>(c.bytes); });
        EXPECT_TRUE(cause == Cause::BadFormat || cause == Cause::EndOfFile);
    }
    PrimList list;
    EXPECT_THROW(streambytes::Load(Builder().I32(-1), [&](DocStream& s) { list.Read(s); }),
                 platform::FileException);
}

TEST_F(PrimitiveTest, GraphicsBecomeOneListPerItemWithLinesPolylinesPointsAndTexts) {
    // Graphics[{{Line[{{0,0},{1,1}}], Line[{{0,0}}], Line[{{0,0},{1,1},{2,2}}]},
    //           {Point[{3,4}], Text["label", {5,6}], Circle[]}, {}}]
    auto line = [](std::vector<Point2D> points) {
        auto list = std::make_unique<ListNode>();
        for (const Point2D& p : points)
            list->AppendChild(MakePoint2DExpr(p));
        return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(list));
    };
    auto first = std::make_unique<ListNode>();
    first->AppendChild(line({{0, 0}, {1, 1}}));
    first->AppendChild(line({{0, 0}}));
    first->AppendChild(line({{0, 0}, {1, 1}, {2, 2}}));
    auto second = std::make_unique<ListNode>();
    second->AppendChild(
        std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Point, MakePoint2DExpr({3, 4})));
    second->AppendChild(std::make_unique<GraphicsTextNode>(std::make_unique<TextNode>("label"),
                                                           MakePoint2DExpr({5, 6})));
    second->AppendChild(SymbolNode::FromName("Circle"));
    auto items = std::make_unique<ListNode>();
    items->AppendChild(std::move(first));
    items->AppendChild(std::move(second));
    items->AppendChild(std::make_unique<ListNode>());
    GraphicsNode graphics(true, std::move(items));

    PrimStore store;
    EXPECT_EQ(store.AddGraphics(graphics), 3);
    ASSERT_EQ(store.GetListCount(), 3);
    const PrimList& curves = *store.GetList(0);
    ASSERT_EQ(curves.GetCount(), 3);
    EXPECT_EQ(curves.GetAt(0)->GetTypeCode(), primcode::kLine);
    EXPECT_EQ(curves.GetAt(1)->GetTypeCode(), primcode::kPolyline);
    EXPECT_EQ(curves.GetAt(2)->GetTypeCode(), primcode::kPolyline);
    const PrimList& marks = *store.GetList(1);
    ASSERT_EQ(marks.GetCount(), 2);
    EXPECT_EQ(static_cast<const PointPrim&>(*marks.GetAt(0)).At().y, 4);
    const auto& text = static_cast<const TextPrim&>(*marks.GetAt(1));
    EXPECT_EQ(text.At().x, 5);
    EXPECT_NE(text.Text().ToCString().find("label"), std::string::npos);
    EXPECT_EQ(store.GetList(2)->GetCount(), 0);

    PrimStore none;
    EXPECT_EQ(none.AddGraphics(*MakePoint2DExpr({1, 1})), 0);
    EXPECT_EQ(none.GetListCount(), 0);
    EXPECT_EQ(none.AddGraphics(GraphicsNode(true, std::make_unique<ListNode>())), 1);
}

TEST_F(PrimitiveTest, AStoreNeverGrowsPastWhatItsCountCanSay) {
    auto items = std::make_unique<ListNode>();
    const int32_t many = PrimStore::kMaxLists + 10;
    for (int32_t i = 0; i < many; ++i) {
        auto one = std::make_unique<ListNode>();
        one->AppendChild(std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Point,
                                                         MakePoint2DExpr({1.0 * i, 0})));
        items->AppendChild(std::move(one));
    }
    PrimStore store;
    store.AddGraphics(GraphicsNode(true, std::move(items)));
    ASSERT_EQ(store.GetListCount(), PrimStore::kMaxLists);
    // The lists past the last one folded into it.
    EXPECT_EQ(store.GetList(PrimStore::kMaxLists - 1)->GetCount(), 11);

    const Bytes bytes = streambytes::Save([&](DocStream& s) { store.Write(s); });
    PrimStore back;
    streambytes::Load(bytes, [&](DocStream& s) { back.Read(s, s.ReadShort()); });
    EXPECT_EQ(back.GetListCount(), PrimStore::kMaxLists);
    EXPECT_EQ(back.GetList(PrimStore::kMaxLists - 1)->GetCount(), 11);
}

TEST_F(PrimitiveTest, AnEmptyStoreWritesACountOfZero) {
    PrimStore store;
    EXPECT_EQ(streambytes::Save([&](DocStream& s) { store.Write(s); }), Builder().I16(0).Get());
    PrimStore read;
    streambytes::Load(Builder().I16(-4), [&](DocStream& s) { read.Read(s, s.ReadShort()); });
    EXPECT_EQ(read.GetListCount(), 0);
}

TEST_F(PrimitiveTest, PointsReadFromListsAndMissingCoordinatesAreZero) {
    EXPECT_EQ(GetPoint2D(MakePoint2DExpr({2, 3}).get()).y, 3);
    auto one = std::make_unique<ListNode>();
    one->AppendChild(std::make_unique<MachineIntegerNode>(7));
    const Point2D p = GetPoint2D(one.get());
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(GetPoint2D(SymbolNode::FromName("a").get()).x, 0);
    EXPECT_EQ(GetPoint2D(nullptr).x, 0);
}

} // namespace
