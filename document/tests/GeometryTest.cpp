#include "document/QtGeometry.h"
#include "document/Region.h"

#include <gtest/gtest.h>

TEST(Rect, AllFourEdgesAreInside) {
    const Rect r(0, 0, 10, 20);
    EXPECT_TRUE(r.PtInRect(Point(10, 20)));
    EXPECT_TRUE(r.PtInRect(Point(0, 0)));
    EXPECT_FALSE(r.PtInRect(Point(11, 5)));
    EXPECT_FALSE(r.PtInRect(Point(5, -1)));
}

TEST(Rect, IntersectionOfDisjointKeepsAPosition) {
    const Rect a(0, 0, 10, 10);
    const Rect b(20, 20, 30, 30);
    EXPECT_EQ(a.Intersection(b), Rect(10, 10, 10, 10));
    EXPECT_TRUE(a.Intersection(b).IsEmpty());
    EXPECT_EQ(a.Intersection(Rect(5, -5, 15, 5)), Rect(5, 0, 10, 5));
}

TEST(Rect, OverlapCountsTouchingOnlyOneWayRound) {
    const Rect r(10, 10, 20, 20);
    EXPECT_TRUE(r.Overlaps(Rect(0, 0, 10, 10)));    // other's right/bottom on our left/top
    EXPECT_FALSE(r.Overlaps(Rect(20, 20, 30, 30))); // other's left/top on our right/bottom
    EXPECT_TRUE(r.Overlaps(Rect(15, 15, 16, 16)));
}

TEST(Rect, OffsetAndInset) {
    Rect r(1, 2, 3, 4);
    r.Offset(Point(10, 20));
    EXPECT_EQ(r, Rect(11, 22, 13, 24));
    r.OffsetNeg(Point(10, 20));
    EXPECT_EQ(r, Rect(1, 2, 3, 4));
    r.Inset(1, -1);
    EXPECT_EQ(r, Rect(2, 1, 2, 5));
    EXPECT_TRUE(r.IsEmpty());
}

TEST(Point, SubtractsInPlace) {
    Point p(5, 7);
    p -= Point(2, 10);
    EXPECT_EQ(p, Point(3, -3));
    EXPECT_NE(p, Point(3, 3));
    p.SetZero();
    EXPECT_EQ(p, Point());
}

TEST(Region, DegenerateRectangleIsEmptyWithEmptyBox) {
    const Region r(Rect(0, 0, 0, 10));
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.GetBox(), Rect(0, 0, 0, 0));
    EXPECT_TRUE(Region().IsEmpty());
}

TEST(Region, CornersAreNormalisedAndRightBottomEdgesOutside) {
    const Region r(Rect(10, 10, 0, 0));
    EXPECT_EQ(r.GetBox(), Rect(0, 0, 10, 10));
    EXPECT_TRUE(r.PtInRegion(Point(0, 0)));
    EXPECT_TRUE(r.PtInRegion(Point(9, 9)));
    EXPECT_FALSE(r.PtInRegion(Point(10, 5)));
}

TEST(Region, CombiningByValueLeavesOperandsAlone) {
    const Region a(Rect(0, 0, 10, 10));
    const Region b(Rect(5, 5, 20, 20));
    EXPECT_EQ(a.Union(b).GetBox(), Rect(0, 0, 20, 20));
    EXPECT_EQ(a.Intersection(b).GetBox(), Rect(5, 5, 10, 10));
    EXPECT_EQ(a.GetBox(), Rect(0, 0, 10, 10));
    EXPECT_EQ(b.GetBox(), Rect(5, 5, 20, 20));

    Region c = a;
    c.XorWith(a);
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_FALSE(a.IsEmpty());

    Region d = a;
    d.UnionWith(b);
    EXPECT_TRUE(d.PtInRegion(Point(15, 15)));
    EXPECT_FALSE(d.PtInRegion(Point(15, 2)));
}

TEST(Region, DeleteReleasesOnce) {
    Region r(Rect(0, 0, 4, 4));
    EXPECT_NE(r.GetHandle(), nullptr);
    EXPECT_NE(r.Delete(), 0);
    EXPECT_EQ(r.GetHandle(), nullptr);
    EXPECT_EQ(r.Delete(), 0);
    EXPECT_TRUE(r.IsEmpty());

    r = Region(Rect(1, 1, 2, 2)); // assignment gives it a region again
    EXPECT_EQ(r.GetBox(), Rect(1, 1, 2, 2));
}

TEST(Region, CopiesAreIndependent) {
    Region a(Rect(0, 0, 10, 10));
    Region b(a);
    b.UnionWith(Region(Rect(0, 0, 30, 30)));
    EXPECT_EQ(a.GetBox(), Rect(0, 0, 10, 10));
    a.Delete();
    EXPECT_EQ(b.GetBox(), Rect(0, 0, 30, 30));
}

// Any four numbers a file may hold meet Qt without overflow: the corners are normalised and held
// within what a QRect can span, and come back the same when they were within it.
TEST(QtGeometry, AnyRectangleConvertsWithoutOverflow) {
    constexpr int32_t kReach = (1 << 30) - 1;
    struct Case {
        const char* name;
        Rect rect;
        QRect qt;
        Rect back;
    };
    const Case cases[] = {
        {"ordinary", Rect(10, 20, 110, 70), QRect(10, 20, 100, 50), Rect(10, 20, 110, 70)},
        {"inverted corners", Rect(110, 70, 10, 20), QRect(10, 20, 100, 50), Rect(10, 20, 110, 70)},
        {"right edge at the lowest integer", Rect(0, 0, INT32_MIN, 480),
         QRect(-kReach, 0, kReach, 480), Rect(-kReach, 0, 0, 480)},
        {"the whole integer range", Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
         QRect(-kReach, -kReach, 2 * kReach, 2 * kReach), Rect(-kReach, -kReach, kReach, kReach)},
        {"empty", Rect(5, 5, 5, 9), QRect(5, 5, 0, 4), Rect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect qt = ToQRect(c.rect);
        EXPECT_EQ(qt, c.qt);
        EXPECT_EQ(FromQRect(qt), c.back);
    }
    EXPECT_EQ(Region(Rect(0, 0, INT32_MIN, 480)).GetBox(), Rect(-kReach, 0, 0, 480));
}
