// Turning a 3-D plot by dragging: the trackball's points and rotations, the view the plot takes,
// the threshold of small moves, the preview drawn at once, and no tracker on an empty picture.

#include "plot/RotationTracker.h"

#include "mathbox/actions/tests/ActionFixture.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using plottest::PlotTest;
using Vector = RotationTracker::Vector;
using Rotation = RotationTracker::Rotation;

double Det(const Rotation& r) {
    return r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
           r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
           r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
}

void ExpectRotation(const Rotation& actual, const Rotation& expected) {
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            EXPECT_NEAR(actual[i][j], expected[i][j], 1e-12) << i << "," << j;
}

// A row vector times the rotation block of a 16.16 matrix.
Vector Times(const Vector& v, const prism3d::Matrix& m) {
    Vector out{};
    for (size_t j = 0; j < 3; ++j)
        for (size_t i = 0; i < 3; ++i)
            out[j] += v[i] * prism3d::ToDouble(m.m[i][j]);
    return out;
}

Vector UnitOf(const prism3d::Point3d& p) {
    const Vector v{prism3d::ToDouble(p.x), prism3d::ToDouble(p.y), prism3d::ToDouble(p.z)};
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

class RotationTrackerTest : public PlotTest {
protected:
    Plot3DComp* Plot() {
        auto plot = std::make_unique<Plot3DComp>();
        return InPara<Plot3DComp>(OwnedComponent(plot.release()), boxtest::kEquation);
    }

    // The tracker asks its view only for the modified mark and the redraw after the release.
    CompSequence seq;
    actiontest::FakeView editView{seq};
};

TEST_F(RotationTrackerTest, AnEmptyPictureHasNoTracker) {
    Plot3DComp unplaced;
    EXPECT_EQ(RotationTracker::Start(editView, unplaced), nullptr);
    Plot3DComp* placed = Plot();
    auto tracker = RotationTracker::Start(editView, *placed);
    ASSERT_NE(tracker, nullptr);
    const Rect frame = placed->GetPictureRect();
    EXPECT_EQ(tracker->Centre(),
              Point((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2));
    // The ball reaches the frame's longer side.
    EXPECT_EQ(tracker->Radius(), frame.Width() > frame.Height()
                                     ? frame.right - tracker->Centre().x
                                     : frame.bottom - tracker->Centre().y);
}

TEST_F(RotationTrackerTest, TheBallsPointsAndRotations) {
    auto tracker = RotationTracker::Start(editView, *Plot());
    ASSERT_NE(tracker, nullptr);
    const Point c = tracker->Centre();
    const int32_t r = tracker->Radius();
    const Vector top = tracker->SpherePoint(c);
    EXPECT_EQ(top, (Vector{0, 0, 1}));
    const Vector rim = tracker->SpherePoint(Point(c.x + 3 * r, c.y - 4 * r));
    EXPECT_NEAR(rim[0], 0.6, 1e-12);
    EXPECT_NEAR(rim[1], 0.8, 1e-12);
    EXPECT_EQ(rim[2], 0.0);

    // From the centre right by the radius: a quarter turn about the ball's y axis.
    ExpectRotation(tracker->DragRotation(c, Point(c.x + r, c.y)),
                   Rotation{{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}});
    ExpectRotation(tracker->DragRotation(Point(c.x + 5, c.y + 7), Point(c.x + 5, c.y + 7)),
                   Rotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
    // Opposite points on the rim: half a turn about the screen's vertical, not a mirror.
    const Rotation half = tracker->DragRotation(Point(c.x - 2 * r, c.y), Point(c.x + 2 * r, c.y));
    EXPECT_NEAR(Det(half), 1.0, 1e-12);
    ExpectRotation(half, Rotation{{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}});
}

TEST_F(RotationTrackerTest, ATenPixelDragTurnsTheEyeTowardsTheRightAboutUp) {
    Plot3DComp* plot = Plot();
    auto tracker = RotationTracker::Start(editView, *plot);
    ASSERT_NE(tracker, nullptr);
    const Point c = tracker->Centre();
    const Plot3DComp::CameraFrame frame = plot->GetCameraFrame();
    const prism3d::Matrix n =
        RotationTracker::ComposeView(frame, tracker->DragRotation(c, Point(c.x + 10, c.y)));
    const double angle = std::asin(10.0 / tracker->Radius());
    const Vector eye = UnitOf(frame.eye), up = UnitOf(frame.up), right = UnitOf(frame.right);
    const Vector turnedEye = Times(eye, n);
    const Vector turnedUp = Times(up, n);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(turnedEye[k], std::cos(angle) * eye[k] + std::sin(angle) * right[k], 1e-4);
        EXPECT_NEAR(turnedUp[k], up[k], 1e-4);
    }
    EXPECT_EQ(n.m[3], (std::array<prism3d::Fixed, 4>{0, 0, 0, 0x10000}));
    EXPECT_EQ(n.m[0][3], 0);
}

TEST_F(RotationTrackerTest, SmallMovesAddUpAndEveryTurnDrawsAPreview) {
    Plot3DComp* plot = Plot();
    ASSERT_TRUE(plot->SetGraphics(plottest::SurfaceOfRows({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}})));
    auto tracker = RotationTracker::Start(editView, *plot);
    ASSERT_NE(tracker, nullptr);
    const Point c = tracker->Centre();
    const prism3d::Matrix start = plot->View();
    drawtest::ImageView image(900, 700);
    port.EndDraw();
    port.BeginWindowDraw(image);
    tracker->Begin(c);
    tracker->MouseMoved(Point(c.x + 2, c.y));
    EXPECT_EQ(plot->View(), start);
    const Rect frame = plot->GetPictureRect();
    auto surfacePixels = [&] {
        int count = 0;
        for (int y = frame.top; y < frame.bottom; ++y)
            for (int x = frame.left; x < frame.right; ++x)
                count += qBlue(image.image.pixel(x, y)) > qRed(image.image.pixel(x, y)) + 30;
        return count;
    };
    EXPECT_EQ(surfacePixels(), 0);
    // 2 right and 1 down from the last turn's point (5 squared) turns.
    tracker->MouseMoved(Point(c.x + 2, c.y + 1));
    EXPECT_NE(plot->View(), start);
    EXPECT_GT(surfacePixels(), 1000);
    EXPECT_EQ(editView.modified, 0);
    tracker->End(Point(c.x + 2, c.y + 1));
    EXPECT_EQ(editView.modified, 1);

    // A release after no turn still counts as a change of the document.
    auto still = RotationTracker::Start(editView, *plot);
    const prism3d::Matrix now = plot->View();
    still->Begin(c);
    still->End(Point(c.x + 1, c.y + 1));
    EXPECT_EQ(plot->View(), now);
    EXPECT_EQ(editView.modified, 2);
    port.EndDraw();
    port.BeginWindowDraw(view);
}

} // namespace
