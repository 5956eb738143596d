// The stored 3-D primitives: their records byte for byte, damaged records, corner merging,
// surfaces from rows of heights, face grids, and the scene they build.

#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"
#include "platform/tests/FileTestSupport.h"
#include "plot/PrimStore3D.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using platform::testing::CauseOf;
using plottest::LoadedPrim;
using plottest::PlotTest;
using plottest::PrimRecord;
using plottest::SavedPrim;
using plottest::SurfaceOfRows;
using streambytes::Builder;
using streambytes::Bytes;
using Cause = platform::FileException::Cause;

Builder& Pt(Builder& b, double x, double y, double z) {
    return b.F64(x).F64(y).F64(z);
}

// A scene that maps data straight to model units and records what it is asked to draw.
class RecordingScene final : public Plot3DScene {
public:
    prism3d::Point3d ToModel(const Point3D& p) const override {
        if (!p.IsFinite()) return {};
        return {prism3d::ToFixed(p.x), prism3d::ToFixed(p.y), prism3d::ToFixed(p.z), prism3d::kOne};
    }
    prism3d::Point3d ScaleToModel(const Point3D& v) const override {
        // A 2-unit box in every direction, as a plot from -1 to 1 has.
        return {prism3d::ToFixed(v.y * 16), prism3d::ToFixed(v.z * 16), prism3d::ToFixed(v.x * 16),
                prism3d::kOne};
    }
    void DrawLine(const prism3d::Point3d&, const prism3d::Point3d&) override { ++lines; }
    void DrawPolyline(std::span<const prism3d::Point3d>) override { ++lines; }
    void DrawPoint(const prism3d::Point3d&) override {}
    void DrawGrid(const prism3d::Point3d&, const prism3d::Point3d&,
                  const prism3d::Point3d& divisions, const uint16_t* option) override {
        gridDivisions = divisions;
        gridOption = *option;
    }
    void DrawText(const Str31&, const prism3d::Point3d&) override {}
    Point3D BoxMin() const override { return {-1, -1, -1}; }
    Point3D BoxMax() const override { return {1, 1, 1}; }
    NodePtr MeshRangeOption() const override { return std::make_unique<ListNode>(); }

    int lines = 0;
    prism3d::Point3d gridDivisions;
    uint16_t gridOption = 0;
};

NodePtr Polygon(std::vector<Point3D> corners) {
    auto list = std::make_unique<ListNode>();
    for (const Point3D& p : corners)
        list->AppendChild(MakePoint3DExpr(p));
    return std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Polygon, std::move(list));
}

class Prims3DTest : public PlotTest {};

TEST_F(Prims3DTest, EveryKindHasItsGoldenRecordAndReadsBackTheSame) {
    using Facet = PolygonMeshPrim3D::MeshFacet;
    Builder face;
    face.Raw({1, 1, 1, 0, 0, 0});
    Builder opposite;
    opposite.Raw({0, 0, 0, 1, 1, 1});
    Builder line;
    Pt(Pt(line, -1, 2, 3), 4, -5, 6);
    Builder mesh;
    mesh.I32(2).U8(3).I32(0).I32(1).I32(2).U8(3).I32(0).I32(2).I32(3).I32(4);
    for (const Point3D& p : {Point3D{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}})
        Pt(mesh, p.x, p.y, p.z);
    Builder point;
    Pt(point, 0.5, -0.25, 2);
    Builder polyline;
    Pt(Pt(polyline.I32(2), 0, 0, 0), 1, 1, 1);
    Builder surface;
    surface.I32(2).I32(1);
    Pt(Pt(surface, 0, 0, 0.5), 1, 0, -0.5);
    Builder text;
    Pt(text, 1, 2, 3).U8(3).Text("0.5");

    const struct {
        const char* name;
        std::shared_ptr<GraphicsPrim3D> prim;
        Bytes body;
    } cases[] = {
        {"face grid 1 0 2", std::make_shared<FaceGridPrim3D>(1, 0, 2, Point3D{0.5, 0.25, 0.1}),
         Builder(face).F64(0.5).F64(0.25).F64(0.1)},
        {"face grid 4 3 5", std::make_shared<FaceGridPrim3D>(4, 3, 5, Point3D{1, 1, 1}),
         Builder(opposite).F64(1).F64(1).F64(1)},
        {"line", std::make_shared<LinePrim3D>(Point3D{-1, 2, 3}, Point3D{4, -5, 6}), line},
        {"mesh",
         std::make_shared<PolygonMeshPrim3D>(
             std::vector<Facet>{Facet{3, {0, 1, 2}}, Facet{3, {0, 2, 3}}},
             std::vector<Point3D>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}),
         mesh},
        {"point", std::make_shared<PointPrim3D>(Point3D{0.5, -0.25, 2}), point},
        {"polyline", std::make_shared<PolylinePrim3D>(std::vector<Point3D>{{0, 0, 0}, {1, 1, 1}}),
         polyline},
        {"surface of one row",
         std::make_shared<SurfacePrim3D>(1, 2, std::vector<Point3D>{{0, 0, 0.5}, {1, 0, -0.5}}),
         surface},
        {"empty surface", std::make_shared<SurfacePrim3D>(), Builder().I32(0).I32(0)},
        {"text", std::make_shared<TextPrim3D>(Point3D{1, 2, 3}, Str31("0.5")), text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = SavedPrim(*c.prim);
        EXPECT_EQ(bytes, PrimRecord(c.prim->GetTypeCode(), c.body));
        std::unique_ptr<GraphicsPrim3D> back = LoadedPrim<GraphicsPrim3D>(bytes);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(SavedPrim(*back), bytes);
        EXPECT_EQ(SavedPrim(*back->Clone()), bytes);
    }
}

TEST_F(Prims3DTest, DamagedRecordsFailTheLoadInsteadOfWritingPastTheirArrays) {
    Builder nine;
    nine.I32(1).U8(9);
    for (int i = 0; i < 9; ++i)
        nine.I32(0);
    Pt(nine.I32(1), 0, 0, 0);
    Builder beyond;
    beyond.I32(1).U8(3).I32(0).I32(1).I32(2);
    Pt(Pt(beyond.I32(2), 0, 0, 0), 1, 1, 1);
    Builder negativeIndex;
    negativeIndex.I32(1).U8(1).I32(-1);
    Pt(negativeIndex.I32(1), 0, 0, 0);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"mesh facet of 9 corners", PrimRecord(3, nine)},
        {"mesh corner beyond the vertices", PrimRecord(3, beyond)},
        {"mesh corner below 0", PrimRecord(3, negativeIndex)},
        {"negative facet count", PrimRecord(3, Builder().I32(-1))},
        // 65,536 x 65,536 is 0 in 32 bits.
        {"surface rows x columns past 32 bits", PrimRecord(6, Builder().I32(0x10000).I32(0x10000))},
        {"surface of a negative size", PrimRecord(6, Builder().I32(-2).I32(-3))},
        // One side without points names no grid; rows without columns would have every
        // drawing step through two billion of them.
        {"surface of rows without columns", PrimRecord(6, Builder().I32(0).I32(0x7FFFFFFF))},
        {"surface of columns without rows", PrimRecord(6, Builder().I32(0x7FFFFFFF).I32(0))},
        {"surface larger than its record", PrimRecord(6, Builder().I32(100).I32(100).F64(0))},
        {"polyline count beyond its record", PrimRecord(5, Builder().I32(1000).F64(0))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Cause cause = CauseOf([&] { LoadedPrim<GraphicsPrim3D>(c.bytes); });
        EXPECT_TRUE(cause == Cause::BadFormat || cause == Cause::EndOfFile);
    }
}

TEST_F(Prims3DTest, AnUnknownCodeIsSkippedAndFaceFlagsReadAnyNonZeroByteAsSet) {
    PrimList3D list;
    const Bytes bytes =
        Builder()
            .I32(2)
            .Append(PrimRecord(8, Builder().F64(7)))
            .Append(PrimRecord(1, Builder().Raw({0, 7, 0, 0xFF, 0, 1}).F64(1).F64(1).F64(1)));
    streambytes::Load(bytes, [&](DocStream& s) { list.Read(s); });
    ASSERT_EQ(list.GetCount(), 1);
    const auto& grid = static_cast<const FaceGridPrim3D&>(*list.GetAt(0));
    EXPECT_TRUE(grid.Face(1));
    EXPECT_TRUE(grid.Face(3));
    EXPECT_TRUE(grid.Face(5));
    EXPECT_FALSE(grid.Face(0));
}

TEST_F(Prims3DTest, PolygonsMergeTheirSharedCornersIntoOneMesh) {
    auto polygons = std::make_unique<ListNode>();
    polygons->AppendChild(Polygon({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    polygons->AppendChild(Polygon({{0, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    polygons->AppendChild(
        Polygon({{5, 5, 5}, {6, 5, 5}, {6, 6, 5}, {5, 6, 5}, {9, 9, 9}, {8, 8, 8}}));
    PrimList3D list;
    list.AddNode3D(*polygons);
    ASSERT_EQ(list.GetCount(), 1);
    const auto& mesh = static_cast<const PolygonMeshPrim3D&>(*list.GetAt(0));
    ASSERT_EQ(mesh.Facets().size(), 3u);
    // The two triangles share two corners: 4 vertices for them, numbered as first seen.
    EXPECT_EQ(mesh.Facets()[0].index[0], 0);
    EXPECT_EQ(mesh.Facets()[1].index[0], 0);
    EXPECT_EQ(mesh.Facets()[1].index[1], 2);
    EXPECT_EQ(mesh.Facets()[1].index[2], 3);
    // The hexagon keeps its first four corners.
    EXPECT_EQ(mesh.Facets()[2].count, 4);
    EXPECT_EQ(mesh.Vertices().size(), 8u);
    EXPECT_EQ(mesh.Vertices()[3], (Point3D{0, 1, 0}));

    // Corners that are not numbers meet one another, and zero meets zero of either sign.
    auto odd = std::make_unique<ListNode>();
    odd->AppendChild(Polygon({{NAN, 0, 0}, {-0.0, 1, 1}, {0, 1, NAN}}));
    odd->AppendChild(Polygon({{0, 1, NAN}, {NAN, 0, 0}, {0.0, 1, 1}}));
    PrimList3D oddList;
    oddList.AddNode3D(*odd);
    const auto& merged = static_cast<const PolygonMeshPrim3D&>(*oddList.GetAt(0));
    EXPECT_EQ(merged.Vertices().size(), 3u);
    EXPECT_EQ(merged.Facets()[1].index, (std::array<int32_t, 8>{2, 0, 1}));
}

TEST_F(Prims3DTest, SurfacesStepAcrossTheirRangesAndRefuseWhatNamesNoGrid) {
    PrimStore3D store;
    store.AddGraphics3D(*SurfaceOfRows({{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}}), 0, 3, 0, 1);
    ASSERT_EQ(store.GetListCount(), 1);
    const auto& grid = static_cast<const SurfacePrim3D&>(*store.GetList(0)->GetAt(0));
    ASSERT_EQ(grid.Rows(), 3);
    ASSERT_EQ(grid.Columns(), 4);
    EXPECT_EQ(grid.Points()[3], (Point3D{3, 0, 3}));
    EXPECT_EQ(grid.Points()[5], (Point3D{1, 0.5, 5}));
    EXPECT_EQ(grid.Points()[11], (Point3D{3, 1, 11}));

    // One row or one column stands at its range's start instead of dividing by zero.
    PrimStore3D single;
    single.AddGraphics3D(*SurfaceOfRows({{1, 2}}), 0, 1, -1, 1);
    single.AddGraphics3D(*SurfaceOfRows({{1}, {2}}), 0, 1, -1, 1);
    const auto& row = static_cast<const SurfacePrim3D&>(*single.GetList(0)->GetAt(0));
    EXPECT_EQ(row.Points()[1], (Point3D{1, -1, 2}));
    const auto& column = static_cast<const SurfacePrim3D&>(*single.GetList(1)->GetAt(0));
    EXPECT_EQ(column.Points()[1], (Point3D{0, 1, 2}));

    // Ragged rows, and no rows at all, add nothing to the list.
    PrimStore3D refused;
    refused.AddGraphics3D(*SurfaceOfRows({{1, 2}, {3, 4, 5}}), 0, 1, 0, 1);
    refused.AddGraphics3D(*SurfaceOfRows({{1, 2, 3}, {4}}), 0, 1, 0, 1);
    refused.AddGraphics3D(*SurfaceOfRows({}), 0, 1, 0, 1);
    ASSERT_EQ(refused.GetListCount(), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(refused.GetList(i)->GetCount(), 0);
}

TEST_F(Prims3DTest, GraphicsBecomeOneListPerItemAndListsCanBeReplacedInPlace) {
    auto items = std::make_unique<ListNode>();
    auto first = std::make_unique<ListNode>();
    first->AppendChild(Polygon({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    auto second = std::make_unique<ListNode>();
    auto ends = std::make_unique<ListNode>();
    ends->AppendChild(MakePoint3DExpr({0, 0, 0}));
    ends->AppendChild(MakePoint3DExpr({1, 1, 1}));
    second->AppendChild(
        std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Line, std::move(ends)));
    second->AppendChild(
        std::make_unique<PrimitiveNode>(PrimitiveNode::Kind::Point, MakePoint3DExpr({1, 2, 3})));
    second->AppendChild(std::make_unique<GraphicsTextNode>(std::make_unique<TextNode>("peak"),
                                                           MakePoint3DExpr({0, 0, 1})));
    items->AppendChild(std::move(first));
    items->AppendChild(std::move(second));
    PrimStore3D store;
    store.AddGraphics3D(GraphicsNode(false, std::move(items)), -1, 1, -1, 1);
    ASSERT_EQ(store.GetListCount(), 2);
    EXPECT_EQ(store.GetList(0)->GetAt(0)->GetTypeCode(), prim3d::kMesh);
    ASSERT_EQ(store.GetList(1)->GetCount(), 3);
    EXPECT_EQ(store.GetList(1)->GetAt(0)->GetTypeCode(), prim3d::kLine);
    EXPECT_EQ(store.GetList(1)->GetAt(2)->GetTypeCode(), prim3d::kText);
    EXPECT_EQ(store.CountPatchLists(), 1);

    store.BeginListAt(1);
    store.AddPrim(std::make_unique<PointPrim3D>(Point3D{}));
    store.EndList();
    ASSERT_EQ(store.GetListCount(), 2);
    EXPECT_EQ(store.GetList(0)->GetAt(0)->GetTypeCode(), prim3d::kPoint);
    EXPECT_EQ(store.CountPatchLists(), 0);
}

TEST_F(Prims3DTest, APatchListBuildsOneGroupWhosePatchesTakeTheNextSlots) {
    PrimStore3D store;
    store.BeginList();
    store.AddPrim(std::make_unique<PointPrim3D>(Point3D{}));
    store.EndList();
    store.BeginList();
    store.AddSurface(*SurfaceOfRows({{0, 1}, {1, 0}}), -1, 1, -1, 1);
    store.AddSurface(*SurfaceOfRows({{0, 1, 0}, {1, 0, 1}}), -1, 1, -1, 1);
    store.EndList();
    RecordingScene scene;
    std::unique_ptr<prism3d::Collection> collection = store.BuildCollection(scene);
    ASSERT_NE(collection, nullptr);
    ASSERT_EQ(collection->groups.size(), 1u);
    const prism3d::Group& group = *collection->groups[0];
    ASSERT_EQ(group.patches.size(), 2u);
    EXPECT_EQ(group.patches[0]->columns, 2);
    EXPECT_EQ(group.patches[1]->columns, 3);

    PrimStore3D none;
    EXPECT_EQ(none.BuildCollection(scene), nullptr);
}

TEST_F(Prims3DTest, AFaceGridWithoutASpacingDrawsNoLinesOnThatAxisAndEnds) {
    RecordingScene scene;
    FaceGridPrim3D grid(1, 0, 2, Point3D{0.5, 0, -1});
    grid.DrawGrid(scene);
    // 0.5 of a 2-unit box is 8 model units: 4 divisions of the 32-unit box.
    EXPECT_EQ(scene.gridDivisions.z, 4 * prism3d::kOne);
    EXPECT_EQ(scene.gridDivisions.x, 0);
    EXPECT_EQ(scene.gridDivisions.y, 0);
    EXPECT_EQ(scene.gridOption, 0x411A);

    // On faces 1 (y = ymax), 0 (z = zmin) and 2 (x = xmin) only the lines that step x exist.
    NodePtr lines = grid.ToExpr(scene);
    EXPECT_EQ(static_cast<ListNode&>(*lines).Count(), 10);
    NodePtr none = FaceGridPrim3D(4, 3, 5, Point3D{0, -1, NAN}).ToExpr(scene);
    EXPECT_EQ(static_cast<ListNode&>(*none).Count(), 0);
}

TEST_F(Prims3DTest, PrimitivesTurnBackIntoGraphicsNodes) {
    RecordingScene scene;
    NodePtr surface =
        SurfacePrim3D(2, 2, {{0, 0, 1}, {1, 0, 2}, {0, 1, 3}, {1, 1, 4}}).ToExpr(scene);
    EXPECT_EQ(surface->TypeTag(), TypeTag("surN"));
    const auto* heights = static_cast<const ListNode*>(static_cast<SlotNode&>(*surface).Child(0));
    ASSERT_EQ(heights->Count(), 2);
    EXPECT_EQ(GetPoint3D(heights->FirstChild()->Next()).y, 4);

    NodePtr mesh =
        PolygonMeshPrim3D({{3, {0, 1, 2}}}, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).ToExpr(scene);
    const auto* polygons = static_cast<const ListNode*>(mesh.get());
    ASSERT_EQ(polygons->Count(), 1);
    EXPECT_EQ(polygons->FirstChild()->TypeTag(), TypeTag("plyN"));
    EXPECT_EQ(TextPrim3D({1, 2, 3}, Str31("a")).ToExpr(scene)->TypeTag(), TypeTag("texN"));
    EXPECT_EQ(LinePrim3D({}, {1, 1, 1}).ToExpr(scene)->TypeTag(), TypeTag("linN"));
}

} // namespace
