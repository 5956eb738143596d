// The 3-D plot: its box and ticks, the default camera and view, the face grid and labels it
// builds, its record, and its drawing through the stand-in 3-D library: a plane covers the
// picture's centre, the picture keeps inside its rectangle and is never mirrored at any
// rotation, and surfaces at several rotations are written as PNGs to look at.

#include "document/tests/StreamBytes.h"
#include "plot/Plot3DComp.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

using plottest::PlotTest;
using plottest::SampledSurface;
using plottest::Surface;

// A rotation whose 3 x 3 block has these rows, in 16.16 words.
prism3d::Matrix Rotation(const double (&rows)[3][3]) {
    prism3d::Matrix m;
    prism3d::mIdentity(m);
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            m.m[i][j] = prism3d::ToFixed(rows[i][j]);
    return m;
}

// A rotation by `degrees` about a tilted axis: twelve of 30 degrees turn the plot through every
// side.
prism3d::Matrix Turn(double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    const double x = 0.48, y = 0.8, z = 0.36; // unit length
    return Rotation({{t * x * x + c, t * x * y + s * z, t * x * z - s * y},
                     {t * x * y - s * z, t * y * y + c, t * y * z + s * x},
                     {t * x * z + s * y, t * y * z - s * x, t * z * z + c}});
}

// The determinant of the data axes as they land in the camera's frame (right, up, towards the
// viewer): positive unless the picture is mirrored.
double Handedness(const Plot3DComp& plot, const prism3d::Matrix& transform) {
    const prism3d::Point3d origin = plot.ToModel({0, 0, 0});
    std::array<std::array<double, 3>, 3> axes{};
    const Point3D ends[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    prism3d::Point3d base;
    prism3d::ApplyTransform(origin, base, transform);
    for (size_t i = 0; i < 3; ++i) {
        prism3d::Point3d moved;
        prism3d::ApplyTransform(plot.ToModel(ends[i]), moved, transform);
        axes[i] = {prism3d::ToDouble(moved.x - base.x), prism3d::ToDouble(moved.y - base.y),
                   prism3d::ToDouble(moved.z - base.z)};
    }
    const auto& [a, b, c] = axes;
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
           a[2] * (b[0] * c[1] - b[1] * c[0]);
}

bool IsInk(QRgb pixel) {
    return qRed(pixel) < 235 || qGreen(pixel) < 235 || qBlue(pixel) < 235;
}

bool IsSurface(QRgb pixel) {
    return qBlue(pixel) > qRed(pixel) + 30;
}

class Plot3DTest : public PlotTest {
protected:
    Plot3DComp* LaidOut3D(double x0, double x1, double y0, double y1, double z0, double z1) {
        auto plot = std::make_unique<Plot3DComp>();
        plot->SetXRange(Str31("x"), x0, x1);
        plot->SetYRange(Str31("y"), y0, y1);
        plot->SetZRange(Str31("z"), z0, z1);
        return InPara<Plot3DComp>(OwnedComponent(plot.release()), boxtest::kEquation);
    }

    // Draws the paragraph holding the plot into `image` and answers the picture rectangle.
    Rect Draw(Plot3DComp& plot, drawtest::ImageView& image) {
        port.EndDraw();
        port.BeginWindowDraw(image);
        layouttest::LayOut(*para, 20);
        image.image.fill(Qt::white);
        para->DrawInRect(Rect(0, 0, image.image.width(), image.image.height()));
        transform = prism3d::GetMatrix(3);
        port.EndDraw();
        port.BeginWindowDraw(view);
        return plot.PictureRect();
    }

    prism3d::Matrix transform;
};

TEST_F(Plot3DTest, TickStepsAndBoxesAreWholeStepsAroundTheRanges) {
    const struct {
        double min, max, step, low, high;
    } cases[] = {
        {0, 1, 0.1, 0, 1},
        {-0.95, 0.95, 0.25, -1, 1},
        {-1, 1, 0.25, -1, 1},
        {0, 2, 0.25, 0, 2},
        {-3, 3, 1, -3, 3},
        {0.05, 0.93, 0.1, 0, 1},
        {-250, 1000, 250, -250, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.min);
        const double step = TickStep3D(c.min, c.max);
        EXPECT_DOUBLE_EQ(step, c.step);
        const auto [low, high] = BoxAround(c.min, c.max, step);
        EXPECT_NEAR(low, c.low, 1e-12);
        EXPECT_NEAR(high, c.high, 1e-12);
    }
    for (const auto& [min, max] : {std::pair{1.0, 1.0}, {2.0, -2.0}, {0.0, INFINITY}, {NAN, 1.0}})
        EXPECT_EQ(TickStep3D(min, max), 0.0);
}

TEST_F(Plot3DTest, TheDefaultCameraIsTheEyeWithLevelRightAndUpAxesIn1616Words) {
    Plot3DComp plot;
    const Plot3DComp::CameraFrame frame = plot.GetCameraFrame();
    EXPECT_EQ(frame.eye, (prism3d::Point3d{-140 << 16, 70 << 16, -140 << 16, 0x10000}));
    EXPECT_EQ(frame.up, (prism3d::Point3d{3243866, 12975466, 3243866, 0x10000}));
    EXPECT_EQ(frame.right, (prism3d::Point3d{9731599, 0, -9731599, 0x10000}));

    drawtest::ImageView image(700, 500);
    Plot3DComp* laid = LaidOut3D(-1, 1, -1, 1, -1, 1);
    Draw(*laid, image);
    // The camera alone: columns right, up and the line of sight, unit length.
    const prism3d::Matrix& camera = prism3d::GetMatrix(2);
    const prism3d::Matrix expected{{{{46340, 15446, -43690, 0},
                                     {0, 61787, 21845, 0},
                                     {-46340, 15446, -43690, 0},
                                     {0, 0, 0, 0x10000}}}};
    EXPECT_EQ(camera, expected);
    EXPECT_EQ(transform, expected); // the view is the identity
}

TEST_F(Plot3DTest, TheDefaultBoxHasItsGridBehindAndItsLabelsInFront) {
    Plot3DComp* plot = LaidOut3D(-1, 1, -1, 1, -1, 1);
    drawtest::ImageView image(700, 500);
    Draw(*plot, image);
    EXPECT_EQ(plot->BackFaces(), (std::array<int32_t, 3>{1, 0, 2}));
    const PrimStore3D& store = *plot->Primitives();
    ASSERT_EQ(store.GetListCount(), 2);
    const auto& grid = static_cast<const FaceGridPrim3D&>(*store.GetList(0)->GetAt(0));
    EXPECT_EQ(grid.OptionWord(), 0x411A);
    EXPECT_EQ(grid.Spacings(), (Point3D{0.25, 0.25, 0.25}));
    // 0.25 of a 2-unit box is 4 of the 32 model units: 8 divisions.
    EXPECT_EQ(prism3d::fix_div(32 << 16, plot->ScaleToModel(grid.Spacings()).x), 8 << 16);

    // Every other tick is labelled on each axis, starting with the first that is due; the
    // tick mark runs from the box edge half way to the label.
    const PrimList3D& labels = *store.GetList(1);
    ASSERT_EQ(labels.GetCount(), 24);
    const struct {
        int index;
        const char* text;
        Point3D at;
        Point3D edge;
    } expected[] = {
        {0, "-0.75", {-0.75, -1, -1.1875}, {-0.75, -1, -1}},
        {6, "0.75", {0.75, -1, -1.1875}, {0.75, -1, -1}},
        {8, "-0.75", {1.1875, -0.75, -1}, {1, -0.75, -1}},
        {16, "-0.75", {-1, -1.1875, -0.75}, {-1, -1, -0.75}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.index);
        const auto& text = static_cast<const TextPrim3D&>(*labels.GetAt(e.index));
        EXPECT_EQ(text.Text().ToCString(), e.text);
        EXPECT_EQ(text.At(), e.at);
        const auto& tick = static_cast<const LinePrim3D&>(*labels.GetAt(e.index + 1));
        EXPECT_EQ(tick.From(), e.edge);
        EXPECT_NEAR(tick.To().x + tick.To().y + tick.To().z,
                    (e.edge.x + e.at.x + e.edge.y + e.at.y + e.edge.z + e.at.z) / 2, 1e-12);
    }
}

TEST_F(Plot3DTest, AStraightDownLookLabelsNoZAndTinyTicksReadZero) {
    Plot3DComp* plot = LaidOut3D(-1, 1, -1, 1, -1, 1);
    // A view whose second row is the line of sight puts the eye over the top of the box.
    const double r = 1 / std::sqrt(2.0);
    plot->RotateView(
        Rotation({{r, 0, -r}, {-2.0 / 3, 1.0 / 3, -2.0 / 3}, {-r / 3, -4 * r / 3, -r / 3}}));
    drawtest::ImageView image(700, 500);
    Draw(*plot, image);
    const PrimList3D& labels = *plot->Primitives()->GetList(1);
    int texts = 0;
    for (int32_t i = 0; i < labels.GetCount(); ++i)
        texts += dynamic_cast<const TextPrim3D*>(labels.GetAt(i)) != nullptr ? 1 : 0;
    EXPECT_EQ(texts, 8); // four on x, four on y, none on z
    EXPECT_EQ(TickLabel3D(1e-07).ToCString(), "0.0");
    EXPECT_EQ(TickLabel3D(-1e-06).ToCString(), "0.0");
    EXPECT_EQ(TickLabel3D(0.25).ToCString(), "0.25");
    EXPECT_EQ(TickLabel3D(-1250000).ToCString(), "-1.25e+06");
}

TEST_F(Plot3DTest, PointsOutsideTheNumbersSaturateAndMissingOnesStayOut) {
    Plot3DComp plot;
    EXPECT_EQ(plot.ToModel({0, 0, 0}), (prism3d::Point3d{0, 0, 0, 0x10000}));
    EXPECT_EQ(plot.ToModel({1, 1, 1}),
              (prism3d::Point3d{16 << 16, 16 << 16, -(16 << 16), 0x10000}));
    EXPECT_FALSE(plot.ToModel({NAN, 0, 0}).IsThere());
    EXPECT_FALSE(plot.ToModel({0, INFINITY, 0}).IsThere());
    const prism3d::Point3d far = plot.ToModel({-1e300, 1e300, 1e12});
    EXPECT_EQ(far.x, INT32_MAX);
    EXPECT_EQ(far.y, INT32_MAX);
    EXPECT_EQ(far.z, INT32_MAX);
}

TEST_F(Plot3DTest, ItsRequestHasThreeRangesAndItsRecordReadsBackTheSame) {
    Plot3DComp* plot = LaidOut3D(-2, 2, 0, 3, -1, 5);
    plot->SetZRange(Str31("w"), -1, 5);
    std::unique_ptr<ExprNode> request(plot->ToExpression());
    auto* node = dynamic_cast<Plot3DNode*>(request.get());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(GetPoint3D(node->Child(Plot3DNode::kValueRange)).y, -1);
    EXPECT_EQ(GetPoint3D(node->Child(Plot3DNode::kSecondRange)).z, 3);

    ASSERT_TRUE(plot->SetGraphics(
        SampledSurface([](double x, double y) { return x * y; }, -2, 2, 0, 3, 6)));
    EXPECT_FALSE(plot->SetGraphics(plottest::SampledGraphics({}, 0, 1, 0, 1)));
    plot->RotateView(Turn(40));
    const auto bytes = streambytes::Save([&](DocStream& s) { plot->Write(s); });
    Plot3DComp back;
    streambytes::Load(bytes, [&](DocStream& s) { back.Read(s); });
    EXPECT_EQ(back.View(), plot->View());
    EXPECT_EQ(back.ZName().ToCString(), "w");
    ASSERT_EQ(back.Primitives()->GetListCount(), 3);
    EXPECT_EQ(streambytes::Save([&](DocStream& s) { back.Write(s); }), bytes);
    OwnedComponent copy = back.Clone();
    EXPECT_EQ(streambytes::Save([&](DocStream& s) { copy->Write(s); }), bytes);

    // The recorded picture stays vector art: the surface's facets are shapes, not pixels.
    const std::optional<PictureBytes> picture = back.RenderPicture();
    ASSERT_TRUE(picture.has_value());
    const std::string svg(picture->begin(), picture->end());
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_EQ(svg.find("<image"), std::string::npos);
    EXPECT_GT(svg.size(), 10000u);

    // The surface goes back to the kernel with the ranges it was computed over.
    NodePtr surface = back.Primitives()->GetList(2)->GetAt(0)->ToExpr(back);
    const auto* option = static_cast<const ListNode*>(static_cast<SlotNode&>(*surface).Child(1));
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->Count(), 1);
}

TEST_F(Plot3DTest, AStoredViewThatIsNoRotationIsMadeOne) {
    Plot3DComp plot;
    auto bytes = streambytes::Save([&](DocStream& s) { plot.Write(s); });
    // The view's words follow 3 ranges, one function list and 9 doubles; mirror its first row.
    const size_t view = bytes.size() - 2 - 64;
    for (size_t i = 0; i < 4; ++i)
        bytes[view + i] = i == 2 ? 0xFF : (i == 3 ? 0xFF : 0x00);
    Plot3DComp back;
    streambytes::Load(bytes, [&](DocStream& s) { back.Read(s); });
    prism3d::Matrix identity;
    prism3d::mIdentity(identity);
    EXPECT_GT(Handedness(back, back.View()) * Handedness(back, identity), 0);
}

TEST_F(Plot3DTest, AStoreReadWithoutTheBoxGainsItOnceHoweverOftenThePlotTurns) {
    Plot3DComp plot;
    streambytes::Bytes bytes = streambytes::Save([&](DocStream& s) { plot.Write(s); });
    // In place of the empty store's count: a store whose one list holds a point.
    bytes.resize(bytes.size() - 2);
    PrimList3D points;
    points.Append(std::make_unique<PointPrim3D>(Point3D{0, 0, 0}));
    bytes = streambytes::Builder().Append(bytes).I16(1).Append(
        streambytes::Save([&](DocStream& s) { points.Write(s); }));
    Plot3DComp back;
    streambytes::Load(bytes, [&](DocStream& s) { back.Read(s); });
    ASSERT_EQ(back.Primitives()->GetListCount(), 1);
    for (int turn = 0; turn < 3; ++turn) {
        SCOPED_TRACE(turn);
        back.RotateView(Turn(50));
        const PrimStore3D& store = *back.Primitives();
        ASSERT_EQ(store.GetListCount(), 3);
        EXPECT_EQ(store.GetList(0)->GetAt(0)->GetTypeCode(), prim3d::kPoint);
        // The grid stands on the faces behind the data as they are now.
        const auto& grid = static_cast<const FaceGridPrim3D&>(*store.GetList(1)->GetAt(0));
        for (const int32_t face : back.BackFaces())
            EXPECT_TRUE(grid.Face(face)) << face;
    }
}

TEST_F(Plot3DTest, APlaneCoversTheCentreAndEveryRotationStaysInsideUnmirrored) {
    Plot3DComp* plot = LaidOut3D(-1, 1, -1, 1, -1, 1);
    ASSERT_TRUE(
        plot->SetGraphics(SampledSurface([](double, double) { return 0.0; }, -1, 1, -1, 1, 8)));
    drawtest::ImageView image(700, 500);
    for (int step = 0; step < 12; ++step) {
        SCOPED_TRACE(step);
        const Rect picture = Draw(*plot, image);
        EXPECT_GT(Handedness(*plot, transform), 0.5);
        // Nothing reaches the picture's edge, where the clip would cut it.
        int edgeInk = 0;
        int inside = 0;
        for (int y = picture.top; y < picture.bottom; ++y)
            for (int x = picture.left; x < picture.right; ++x) {
                if (!IsInk(image.image.pixel(x, y))) continue;
                const bool edge = x < picture.left + 2 || x >= picture.right - 2 ||
                                  y < picture.top + 2 || y >= picture.bottom - 2;
                (edge ? edgeInk : inside) += 1;
            }
        EXPECT_EQ(edgeInk, 0);
        EXPECT_GT(inside, 500);
        if (step == 0) {
            const QRgb centre = image.image.pixel((picture.left + picture.right) / 2,
                                                  (picture.top + picture.bottom) / 2);
            EXPECT_TRUE(IsSurface(centre)) << std::hex << centre;
        }
        plot->RotateView(Turn(30));
    }
}

TEST_F(Plot3DTest, SurfacesAtSeveralRotationsAreWrittenToLookAt) {
    const struct {
        const char* file;
        Surface f;
        double x0, x1, y0, y1, z0, z1;
    } samples[] = {
        {"plot3d-saddle.png", [](double x, double y) { return x * x - y * y; }, -1, 1, -1, 1, -1,
         1},
        {"plot3d-paraboloid.png", [](double x, double y) { return x * x + y * y; }, -1, 1, -1, 1, 0,
         2},
        {"plot3d-sincos.png", [](double x, double y) { return std::sin(x) * std::cos(y); }, -3, 3,
         -3, 3, -1, 1},
    };
    constexpr int kPanels = 4;
    for (const auto& s : samples) {
        SCOPED_TRACE(s.file);
        Plot3DComp* plot = LaidOut3D(s.x0, s.x1, s.y0, s.y1, s.z0, s.z1);
        ASSERT_TRUE(plot->SetGraphics(SampledSurface(s.f, s.x0, s.x1, s.y0, s.y1, 24)));
        drawtest::ImageView image(700, 500);
        QImage sheet;
        for (int panel = 0; panel < kPanels; ++panel) {
            const Rect picture = Draw(*plot, image);
            if (sheet.isNull()) {
                sheet = QImage(picture.Width() * 2, picture.Height() * kPanels / 2,
                               QImage::Format_RGB32);
                sheet.fill(Qt::white);
            }
            QPainter painter(&sheet);
            const int left = panel % 2 * picture.Width(), top = panel / 2 * picture.Height();
            painter.drawImage(
                left, top,
                image.image.copy(picture.left, picture.top, picture.Width(), picture.Height()));
            painter.setPen(Qt::lightGray);
            painter.drawRect(left, top, picture.Width() - 1, picture.Height() - 1);
            plot->RotateView(Turn(55));
        }
        EXPECT_TRUE(sheet.save(QString::fromStdString(drawtest::OutputPath(s.file))));
    }
}

} // namespace
