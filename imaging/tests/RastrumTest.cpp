// Rastrum loaded as a program loads it, beside our platform stand-in: the pass-through without
// a surface, the surface's life, drawing pixel by pixel, palettes for given histograms, blits
// and bitmaps copied in.

#include "rastrum/rastrum.h"

#include "BmpFiles.h"
#include "LoadedLibrary.h"
#include "gdi/gdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

using imaging::testing::BmpLayout;
using imaging::testing::LoadedLibrary;
using imaging::testing::makeBmp;
using Picture = std::vector<std::string>;
using Palette = std::vector<COLORREF>;

struct Rastrum {
    LoadedLibrary library{RASTRUM_LIBRARY};
    decltype(&RSM_Init) init = IMAGING_BIND(library, RSM_Init);
    decltype(&RSM_Dispose) dispose = IMAGING_BIND(library, RSM_Dispose);
    decltype(&RSM_CanGetPixel) canGetPixel = IMAGING_BIND(library, RSM_CanGetPixel);
    decltype(&RSM_Erase) erase = IMAGING_BIND(library, RSM_Erase);
    decltype(&CreatePen) createPen = IMAGING_BIND(library, CreatePen);
    decltype(&CreateSolidBrush) createSolidBrush = IMAGING_BIND(library, CreateSolidBrush);
    decltype(&MoveToEx) moveToEx = IMAGING_BIND(library, MoveToEx);
    decltype(&LineTo) lineTo = IMAGING_BIND(library, LineTo);
    decltype(&Polyline) polyline = IMAGING_BIND(library, Polyline);
    decltype(&Polygon) polygon = IMAGING_BIND(library, Polygon);
    decltype(&SetPixel) setPixel = IMAGING_BIND(library, SetPixel);
    decltype(&GetPixel) getPixel = IMAGING_BIND(library, GetPixel);
    decltype(&RSM_GetPalette) getPalette = IMAGING_BIND(library, RSM_GetPalette);
    decltype(&RSM_Blt) blt = IMAGING_BIND(library, RSM_Blt);
    decltype(&RSM_ScaleBlt) scaleBlt = IMAGING_BIND(library, RSM_ScaleBlt);
    decltype(&RSM_LoadDIB) loadDib = IMAGING_BIND(library, RSM_LoadDIB);
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The eight fixed colours every palette starts with.
const Palette kFixed = {RGB(0, 0, 0),     RGB(252, 0, 0),   RGB(0, 252, 0),   RGB(0, 0, 252),
                        RGB(252, 252, 0), RGB(0, 252, 252), RGB(252, 0, 252), RGB(252, 252, 252)};

Palette operator+(Palette head, const Palette& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class RastrumTest : public ::testing::Test {
protected:
    void TearDown() override {
        rsm.dispose();
        for (HDC dc : dcs)
            gdi::DeleteDC(dc);
        for (HGDIOBJ object : objects)
            gdi::DeleteObject(object);
    }
    HDC makeDc(int width, int height, int numColors = -1, COLORREF background = kWhite) {
        dcs.push_back(gdi::CreateImageDC(width, height, numColors, background));
        return dcs.back();
    }
    HGDIOBJ own(HGDIOBJ object) {
        objects.push_back(object);
        return object;
    }
    // A surface over (0, 0)-(width - 1, height - 1) on a white true-colour device, drawing in
    // black, readable with GetPixel.
    void surface(int width, int height) {
        dc = makeDc(16, 16);
        const RECT rect{0, 0, width - 1, height - 1};
        ASSERT_TRUE(rsm.init(&rect, dc));
        own(rsm.createPen(PS_SOLID, 1, kBlack));
        rsm.canGetPixel(1);
    }
    // The surface's pixels: '#' black, '.' white, '?' anything else.
    Picture picture(int width, int height) {
        Picture rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) {
                const COLORREF c = rsm.getPixel(dc, x, y);
                row += c == kBlack ? '#' : c == kWhite ? '.' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
    Palette palette(HPALETTE handle) {
        Palette colours;
        if (!handle) return colours;
        own(handle);
        std::vector<PALETTEENTRY> entries(gdi::GetPaletteEntries(handle, 0, 0, nullptr));
        gdi::GetPaletteEntries(handle, 0, unsigned(entries.size()), entries.data());
        for (const PALETTEENTRY& e : entries)
            colours.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
        return colours;
    }

    Rastrum rsm;
    HDC dc = nullptr;
    std::vector<HDC> dcs;
    std::vector<HGDIOBJ> objects;
};

// Without a surface every platform-named call is the platform's own: the same calls made
// through Rastrum and straight to the platform leave the same pixels and answers.
TEST_F(RastrumTest, WithoutASurfaceEveryDrawingCallIsThePlatformsOwn) {
    HDC through = makeDc(12, 10), direct = makeDc(12, 10);
    gdi::SelectObject(through, own(rsm.createPen(PS_SOLID, 1, RGB(200, 0, 0))));
    gdi::SelectObject(direct, own(gdi::CreatePen(PS_SOLID, 1, RGB(200, 0, 0))));
    gdi::SelectObject(through, own(rsm.createSolidBrush(RGB(0, 0, 150))));
    gdi::SelectObject(direct, own(gdi::CreateSolidBrush(RGB(0, 0, 150))));
    const POINT line[] = {{0, 9}, {5, 2}, {11, 9}};
    const POINT shape[] = {{2, 2}, {9, 3}, {6, 8}};
    POINT previousThrough{-1, -1}, previousDirect{-1, -1};
    EXPECT_EQ(rsm.moveToEx(through, 1, 1, nullptr), gdi::MoveToEx(direct, 1, 1, nullptr));
    EXPECT_EQ(rsm.lineTo(through, 10, 4), gdi::LineTo(direct, 10, 4));
    EXPECT_EQ(rsm.moveToEx(through, 0, 0, &previousThrough),
              gdi::MoveToEx(direct, 0, 0, &previousDirect));
    EXPECT_EQ(previousThrough.x, previousDirect.x);
    EXPECT_EQ(previousThrough.y, previousDirect.y);
    EXPECT_EQ(rsm.polygon(through, shape, 3), gdi::Polygon(direct, shape, 3));
    EXPECT_EQ(rsm.polyline(through, line, 3), gdi::Polyline(direct, line, 3));
    EXPECT_EQ(rsm.setPixel(through, 11, 0, RGB(1, 2, 3)),
              gdi::SetPixel(direct, 11, 0, RGB(1, 2, 3)));
    EXPECT_EQ(rsm.setPixel(through, 12, 0, RGB(1, 2, 3)),
              gdi::SetPixel(direct, 12, 0, RGB(1, 2, 3)));
    EXPECT_EQ(rsm.getPixel(through, 11, 0), RGB(1, 2, 3));
    EXPECT_EQ(rsm.getPixel(through, -1, 0), CLR_INVALID);
    EXPECT_EQ(gdi::ImageOf(through), gdi::ImageOf(direct));
    EXPECT_NE(gdi::ImageOf(through), gdi::ImageOf(makeDc(12, 10)));
    EXPECT_EQ(rsm.getPalette(RSM_ADD_SURFACE), nullptr);
    EXPECT_EQ(rsm.blt(through, 0), nullptr);
    EXPECT_EQ(gdi::ImageOf(through), gdi::ImageOf(direct));
}

TEST_F(RastrumTest, ASurfaceCoversItsInclusiveRectangleInTheDevicesBackground) {
    dc = makeDc(4, 4, -1, RGB(0, 128, 0));
    const RECT rect{10, 20, 13, 22};
    ASSERT_TRUE(rsm.init(&rect, dc));
    // Until the read flag is set GetPixel reads the device.
    EXPECT_EQ(rsm.getPixel(dc, 10, 20), CLR_INVALID);
    EXPECT_EQ(rsm.canGetPixel(1), 0);
    for (const auto& [x, y] : {std::pair{10, 20}, {13, 20}, {10, 22}, {13, 22}})
        EXPECT_EQ(rsm.getPixel(dc, x, y), RGB(0, 128, 0)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{9, 20}, {14, 20}, {10, 19}, {10, 23}})
        EXPECT_EQ(rsm.getPixel(dc, x, y), 0u) << x << "," << y;
    rsm.erase(RGB(1, 2, 3));
    EXPECT_EQ(rsm.getPixel(dc, 13, 22), RGB(1, 2, 3));
    EXPECT_EQ(rsm.canGetPixel(0), 1);
    EXPECT_EQ(rsm.getPixel(dc, 0, 0), RGB(0, 128, 0)); // the device's own pixel
    // Disposing clears the read flag.
    rsm.canGetPixel(1);
    rsm.dispose();
    EXPECT_EQ(rsm.canGetPixel(0), 0);
}

TEST_F(RastrumTest, InitReplacesTheEarlierSurface) {
    // Under the leak checker the first surface must have been freed.
    surface(4, 3);
    HDC blue = makeDc(2, 2, -1, RGB(0, 0, 255));
    const RECT rect{100, 100, 101, 101};
    ASSERT_TRUE(rsm.init(&rect, blue));
    EXPECT_EQ(rsm.getPixel(blue, 100, 100), RGB(0, 0, 255));
    EXPECT_EQ(rsm.getPixel(blue, 0, 0), 0u);
}

TEST_F(RastrumTest, InitRefusesRectanglesItCannotHoldAndLeavesNoSurface) {
    const struct {
        const char* name;
        RECT rect;
    } cases[] = {
        {"width 0", {0, 0, -1, 0}},
        {"right left of left", {5, 0, 3, 0}},
        {"height 0", {0, 0, 0, -1}},
        {"wider than 32768", {0, 0, 32768, 0}},
        {"the whole 32-bit range", {INT32_MIN, 0, INT32_MAX, 0}},
        {"more than 2^26 pixels", {0, 0, 8192, 8192}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        surface(2, 2);
        EXPECT_FALSE(rsm.init(&c.rect, dc));
        // No surface: SetPixel is the platform's, which answers the colour it set.
        EXPECT_EQ(rsm.setPixel(dc, 0, 0, RGB(7, 7, 7)), RGB(7, 7, 7));
    }
    const RECT widest{-5, 7, 32762, 7};
    EXPECT_TRUE(rsm.init(&widest, dc));
    EXPECT_FALSE(rsm.init(nullptr, dc));
    EXPECT_FALSE(rsm.init(&widest, nullptr));
}

TEST_F(RastrumTest, SetPixelAnswersThePreviousColour) {
    surface(3, 3);
    EXPECT_EQ(rsm.setPixel(dc, 1, 1, RGB(10, 20, 30)), kWhite);
    EXPECT_EQ(rsm.setPixel(dc, 1, 1, RGB(40, 50, 60)), RGB(10, 20, 30));
    EXPECT_EQ(rsm.getPixel(dc, 1, 1), RGB(40, 50, 60));
    EXPECT_EQ(rsm.setPixel(dc, 3, 1, RGB(1, 1, 1)), 0u);
    EXPECT_EQ(rsm.setPixel(dc, INT_MIN, INT_MAX, RGB(1, 1, 1)), 0u);
    // The top byte of a colour reference is not a colour.
    rsm.setPixel(dc, 0, 0, 0x01000000 | RGB(5, 6, 7));
    EXPECT_EQ(rsm.getPixel(dc, 0, 0), RGB(5, 6, 7));
}

struct LineCase {
    const char* name;
    POINT from, to;
    Picture expected;
};

TEST_F(RastrumTest, LinesSetEveryPixelFromEndToEnd) {
    const Picture diagonal = {"#.......", ".#......", "..#.....",
                              "...#....", "....#...", ".....#.."};
    const LineCase cases[] = {
        {"shallow",
         {1, 1},
         {6, 3},
         {"........", ".##.....", "...##...", ".....##.", "........", "........"}},
        {"shallow, drawn upwards",
         {6, 3},
         {1, 1},
         {"........", ".##.....", "...##...", ".....##.", "........", "........"}},
        {"steep",
         {2, 0},
         {3, 5},
         {"..#.....", "..#.....", "..#.....", "...#....", "...#....", "...#...."}},
        {"vertical",
         {4, 1},
         {4, 4},
         {"........", "....#...", "....#...", "....#...", "....#...", "........"}},
        {"along the row, rightwards: the right end left out",
         {1, 2},
         {5, 2},
         {"........", "........", ".####...", "........", "........", "........"}},
        {"along the row, leftwards",
         {5, 2},
         {1, 2},
         {"........", "........", ".####...", "........", "........", "........"}},
        {"clipped at both ends", {-3, -3}, {10, 10}, diagonal},
        {"from far outside",
         {-100000, 2},
         {100000, 3},
         {"........", "........", "........", "########", "........", "........"}},
        {"across the whole 32-bit range", {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, diagonal},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        surface(8, 6);
        rsm.moveToEx(dc, c.from.x, c.from.y, nullptr);
        EXPECT_TRUE(rsm.lineTo(dc, c.to.x, c.to.y));
        EXPECT_EQ(picture(8, 6), c.expected);
    }
}

TEST_F(RastrumTest, LineToKeepsTheCurrentPointUnlessItRunsLeftAlongTheRow) {
    const struct {
        POINT from, to, after;
    } cases[] = {
        {{0, 0}, {3, 5}, {0, 0}},
        {{1, 2}, {5, 2}, {1, 2}},
        {{5, 2}, {1, 2}, {1, 2}},
    };
    for (const auto& c : cases) {
        surface(8, 6);
        rsm.moveToEx(dc, c.from.x, c.from.y, nullptr);
        rsm.lineTo(dc, c.to.x, c.to.y);
        POINT current{-1, -1};
        rsm.moveToEx(dc, 0, 0, &current);
        EXPECT_EQ(current.x, c.after.x);
        EXPECT_EQ(current.y, c.after.y);
    }
}

TEST_F(RastrumTest, PolylineDrawsBothEndsOfEveryLine) {
    surface(8, 6);
    const POINT points[] = {{0, 0}, {3, 0}, {3, 3}};
    EXPECT_EQ(rsm.polyline(dc, points, 3), 1);
    EXPECT_EQ(picture(8, 6),
              (Picture{"####....", "...#....", "...#....", "...#....", "........", "........"}));
}

struct PolygonCase {
    const char* name;
    std::vector<POINT> points;
    Picture expected;
};

TEST_F(RastrumTest, PolygonsFillEachRowUpToTheRightEdge) {
    const Picture full(6, "########");
    const Picture empty(6, "........");
    const PolygonCase cases[] = {
        {"rectangle",
         {{1, 1}, {5, 1}, {5, 4}, {1, 4}},
         {"........", ".####...", ".####...", ".####...", "........", "........"}},
        {"triangle",
         {{0, 0}, {6, 0}, {0, 6}},
         {"######..", "#####...", "####....", "###.....", "##......", "#......."}},
        {"corners beyond 16-bit coordinates",
         {{-40000, -40000}, {40000, -40000}, {0, 40000}},
         full},
        {"corners at the ends of the 32-bit range",
         {{INT32_MIN, INT32_MIN},
          {INT32_MAX, INT32_MIN},
          {INT32_MAX, INT32_MAX},
          {INT32_MIN, INT32_MAX}},
         full},
        {"wholly below", {{20, 20}, {30, 20}, {25, 30}}, empty},
        {"flat", {{0, 2}, {7, 2}}, empty},
    };
    for (const PolygonCase& c : cases) {
        SCOPED_TRACE(c.name);
        surface(8, 6);
        EXPECT_EQ(rsm.polygon(dc, c.points.data(), int(c.points.size())), 1);
        EXPECT_EQ(picture(8, 6), c.expected);
    }
    // A second polygon starts from a clean span table.
    surface(8, 6);
    const POINT wide[] = {{0, 0}, {8, 0}, {8, 2}, {0, 2}};
    const POINT narrow[] = {{3, 0}, {4, 0}, {4, 1}, {3, 1}};
    rsm.polygon(dc, wide, 4);
    own(rsm.createPen(PS_SOLID, 1, kWhite));
    rsm.polygon(dc, narrow, 4);
    EXPECT_EQ(picture(8, 3), (Picture{"###.####", "########", "........"}));
}

// Palettes: what was drawn decides the boxes and so the colours after the fixed eight.
TEST_F(RastrumTest, AnEmptyHistogramGivesTheEightFixedColours) {
    surface(4, 4);
    EXPECT_EQ(palette(rsm.getPalette(0)), kFixed);
}

TEST_F(RastrumTest, BlackAndWhiteGiveTheFixedColoursAndTwoBoxes) {
    surface(4, 4);
    for (int i = 0; i < 3; ++i)
        rsm.setPixel(dc, i, 0, kBlack);
    for (int i = 0; i < 2; ++i)
        rsm.setPixel(dc, i, 1, kWhite);
    EXPECT_EQ(palette(rsm.getPalette(0)), (kFixed + Palette{RGB(0, 0, 0), RGB(252, 252, 252)}));
}

TEST_F(RastrumTest, ARangeOfTwoValuesSplitsIntoItsTwoEnds) {
    // Red 40 and 44 are the six-bit values 10 and 11: the old box keeps the upper one. Both
    // then count 1 and take turns being cut, so the last two boxes hold them in that order.
    surface(4, 4);
    for (int i = 0; i < 3; ++i)
        rsm.setPixel(dc, i, 0, RGB(40, 0, 0));
    for (int i = 0; i < 5; ++i)
        rsm.setPixel(dc, i % 4, 1, RGB(44, 0, 0));
    EXPECT_EQ(palette(rsm.getPalette(0)), (kFixed + Palette{RGB(44, 0, 0), RGB(40, 0, 0)}));
}

TEST_F(RastrumTest, BoxesSplitAtTheirCountWeightedMean) {
    // Red 0 (four times), 120 and 240: the mean 15 (six-bit) cuts 0 off from the other two,
    // which the next cut parts; the three single colours then take turns.
    surface(4, 4);
    for (int i = 0; i < 4; ++i)
        rsm.setPixel(dc, i, 0, RGB(0, 20, 0));
    rsm.setPixel(dc, 0, 1, RGB(120, 20, 0));
    rsm.setPixel(dc, 1, 1, RGB(240, 20, 0));
    EXPECT_EQ(palette(rsm.getPalette(0)),
              (kFixed + Palette{RGB(240, 20, 0), RGB(0, 20, 0), RGB(120, 20, 0)}));
}

TEST_F(RastrumTest, DrawingCallsFeedTheHistogram) {
    const struct {
        const char* name;
        std::function<void(Rastrum&, HDC)> draw;
    } cases[] = {
        {"line", [](Rastrum& r, HDC d) { r.lineTo(d, 3, 3); }},
        {"line along the row", [](Rastrum& r, HDC d) { r.lineTo(d, 3, 0); }},
        {"polyline",
         [](Rastrum& r, HDC d) {
             const POINT points[] = {{0, 0}, {2, 3}};
             r.polyline(d, points, 2);
         }},
        {"polygon",
         [](Rastrum& r, HDC d) {
             const POINT points[] = {{0, 0}, {3, 0}, {0, 3}};
             r.polygon(d, points, 3);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        surface(4, 4);
        own(rsm.createPen(PS_SOLID, 1, RGB(100, 0, 200)));
        c.draw(rsm, dc);
        EXPECT_EQ(palette(rsm.getPalette(0)), (kFixed + Palette{RGB(100, 0, 200)}));
    }
}

TEST_F(RastrumTest, TheWholeSurfaceGoesIntoTheHistogramOnRequest) {
    // One row and one column: every pixel counts, the last row and column too.
    surface(1, 1);
    rsm.erase(RGB(100, 0, 0));
    EXPECT_EQ(palette(rsm.getPalette(0)), kFixed);
    EXPECT_EQ(palette(rsm.getPalette(RSM_ADD_SURFACE)), (kFixed + Palette{RGB(100, 0, 0)}));
}

TEST_F(RastrumTest, DitheringSpreadsColoursBelow248ByOneStep) {
    surface(3, 3);
    rsm.erase(RGB(64, 64, 64));
    const Palette dithered = palette(rsm.getPalette(RSM_ADD_SURFACE | RSM_DITHER));
    ASSERT_GT(dithered.size(), kFixed.size() + 1);
    EXPECT_EQ(Palette(dithered.begin(), dithered.begin() + 8), kFixed);
    for (std::size_t i = 8; i < dithered.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int channel = int(dithered[i] >> shift & 0xFF);
            EXPECT_TRUE(channel == 56 || channel == 64 || channel == 72) << channel;
        }

    surface(3, 3);
    rsm.erase(kWhite);
    EXPECT_EQ(palette(rsm.getPalette(RSM_ADD_SURFACE | RSM_DITHER)),
              (kFixed + Palette{RGB(252, 252, 252)}));
}

TEST_F(RastrumTest, OnlyDevicesOf256ColoursOrFewerOrOfTrueColourGetAQuantiser) {
    const RECT rect{0, 0, 3, 3};
    for (const auto& [colours, quantised] :
         {std::pair{-1, true}, {2, true}, {16, true}, {256, true}, {257, false}, {65536, false}}) {
        ASSERT_TRUE(rsm.init(&rect, makeDc(4, 4, colours)));
        EXPECT_EQ(palette(rsm.getPalette(RSM_ADD_SURFACE)).empty(), !quantised) << colours;
    }
}

// Blits: pixels whose colours are palette colours come out exactly; every other pixel comes
// out as some palette colour.
TEST_F(RastrumTest, BltCopiesTheSurfaceThroughItsPalette) {
    surface(4, 2);
    rsm.erase(RGB(252, 252, 252));
    const COLORREF colours[] = {RGB(0, 0, 0), RGB(252, 0, 0), RGB(0, 0, 252), RGB(100, 20, 200)};
    rsm.setPixel(dc, 0, 0, colours[0]);
    rsm.setPixel(dc, 1, 0, colours[1]);
    rsm.setPixel(dc, 2, 1, colours[2]);
    rsm.setPixel(dc, 3, 1, colours[3]);
    HDC target = makeDc(6, 4, 256, RGB(1, 2, 3));
    // The four drawn colours end in boxes of their own after the fixed eight.
    const Palette used = palette(rsm.blt(target, 0));
    ASSERT_EQ(used.size(), kFixed.size() + 4);
    EXPECT_EQ(Palette(used.begin(), used.begin() + 8), kFixed);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(gdi::GetPixel(target, x, y),
                      x < 4 && y < 2 ? rsm.getPixel(dc, x, y) : RGB(1, 2, 3))
                << x << "," << y;
    // The device's own palette is back in place.
    EXPECT_EQ(gdi::RealizePalette(target), 0u);
}

TEST_F(RastrumTest, EveryBlittedPixelIsAPaletteColour) {
    surface(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            rsm.setPixel(dc, x, y, RGB(x * 17, y * 13, (x * y) % 256));
    HDC target = makeDc(16, 16, 256);
    const Palette used = palette(rsm.blt(target, RSM_ADD_SURFACE));
    ASSERT_GT(used.size(), kFixed.size());
    const std::set<COLORREF> allowed(used.begin(), used.end());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_TRUE(allowed.count(gdi::GetPixel(target, x, y))) << x << "," << y;
}

TEST_F(RastrumTest, ScaleBltStretchesIntoTheRectangle) {
    surface(2, 2);
    rsm.setPixel(dc, 0, 0, RGB(252, 0, 0));
    rsm.setPixel(dc, 1, 0, RGB(0, 252, 0));
    rsm.setPixel(dc, 0, 1, RGB(0, 0, 252));
    rsm.setPixel(dc, 1, 1, RGB(0, 0, 0));
    HDC target = makeDc(6, 6, 256, RGB(1, 2, 3));
    const RECT into{1, 1, 4, 4};
    palette(rsm.scaleBlt(target, 0, &into));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 4;
            EXPECT_EQ(gdi::GetPixel(target, x, y),
                      inside ? rsm.getPixel(dc, (x - 1) / 2, (y - 1) / 2) : RGB(1, 2, 3))
                << x << "," << y;
        }
    const RECT inverted{4, 4, 1, 1};
    EXPECT_EQ(rsm.scaleBlt(target, 0, &inverted), nullptr);
    EXPECT_EQ(rsm.scaleBlt(target, 0, nullptr), nullptr);
}

TEST_F(RastrumTest, WithoutAQuantiserBltCopiesTheSurfaceAsItIs) {
    const RECT rect{0, 0, 1, 0};
    ASSERT_TRUE(rsm.init(&rect, makeDc(2, 1, 65536)));
    rsm.setPixel(nullptr, 0, 0, RGB(13, 57, 91));
    HDC target = makeDc(3, 1, 65536, RGB(1, 2, 3));
    EXPECT_EQ(rsm.blt(target, RSM_ADD_SURFACE), nullptr);
    EXPECT_EQ(gdi::GetPixel(target, 0, 0), RGB(13, 57, 91));
    EXPECT_EQ(gdi::GetPixel(target, 1, 0), kWhite);
    EXPECT_EQ(gdi::GetPixel(target, 2, 0), RGB(1, 2, 3));
}

// A bitmap for RSM_LoadDIB: the header and colour table of a BMP file, aligned, and its rows.
struct Dib {
    std::vector<uint32_t> info;
    std::vector<uint8_t> bits;

    explicit Dib(const std::vector<uint8_t>& file) {
        const uint32_t offset = uint32_t(file[10] | file[11] << 8 | file[12] << 16);
        info.resize((offset - 14 + 3) / 4 + 1, 0);
        std::memcpy(info.data(), file.data() + 14, offset - 14);
        bits.assign(file.begin() + offset, file.end());
    }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(info.data()); }
};

// A 3 x 2 bitmap: top row red, green, blue; bottom row white, grey, black.
uint32_t dibPicture(int x, int y) {
    static constexpr COLORREF picture[2][3] = {
        {RGB(252, 0, 0), RGB(0, 252, 0), RGB(0, 0, 252)},
        {RGB(252, 252, 252), RGB(128, 128, 128), RGB(0, 0, 0)}};
    return picture[y][x];
}

TEST_F(RastrumTest, LoadDibAlignsTheBottomRowsAndClips) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        surface(4, 3);
        rsm.erase(RGB(9, 9, 9));
        Dib dib(makeBmp({3, 2, 24, topDown}, dibPicture));
        EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), 24);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(rsm.getPixel(dc, x, y),
                          x < 3 && y > 0 ? dibPicture(x, y - 1) : RGB(9, 9, 9))
                    << x << "," << y;
        // Every copied pixel went into the histogram: each colour has a box of its own.
        const Palette used = palette(rsm.getPalette(0));
        ASSERT_EQ(used.size(), kFixed.size() + 6);
        std::set<COLORREF> loaded, boxed(used.begin() + 8, used.end());
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                loaded.insert(dibPicture(x, y));
        EXPECT_EQ(boxed, loaded);
    }
    // A bitmap larger than the surface gives its bottom left.
    surface(2, 1);
    Dib large(makeBmp({3, 2, 24}, dibPicture));
    EXPECT_EQ(rsm.loadDib(large.Info(), large.bits.data()), 24);
    EXPECT_EQ(rsm.getPixel(dc, 0, 0), RGB(252, 252, 252));
    EXPECT_EQ(rsm.getPixel(dc, 1, 0), RGB(128, 128, 128));
}

TEST_F(RastrumTest, LoadDibReadsEightBitsThroughTheTableAndPastItAsBlack) {
    surface(3, 1);
    Dib dib(makeBmp({3, 1, 8, false, 40, BI_RGB, 2, {RGB(10, 20, 30), RGB(40, 50, 60)}},
                    [](int x, int) { return uint32_t(x == 2 ? 255 : 1 - x); }));
    EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), 8);
    EXPECT_EQ(rsm.getPixel(dc, 0, 0), RGB(40, 50, 60));
    EXPECT_EQ(rsm.getPixel(dc, 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(rsm.getPixel(dc, 2, 0), kBlack);
}

TEST_F(RastrumTest, LoadDibLeavesTheSurfaceAloneForBitmapsItDoesNotCopy) {
    const std::vector<COLORREF> table(16, RGB(200, 0, 0));
    const struct {
        const char* name;
        BmpLayout layout;
        int answer;
    } cases[] = {
        {"1 bit", {3, 2, 1, false, 40, BI_RGB, 0, {table.begin(), table.begin() + 2}}, 1},
        {"4 bits", {3, 2, 4, false, 40, BI_RGB, 0, table}, 4},
        {"run-length 8 bits", {3, 2, 8, false, 40, BI_RLE8, 0, table}, 0},
        {"16 bits", {3, 2, 16}, 0},
        {"32 bits", {3, 2, 32}, 0},
        {"header of 12 bytes", {3, 2, 24, false, 12}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        surface(3, 2);
        Dib dib(makeBmp(c.layout, [](int, int) { return 1u; }));
        EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), c.answer);
        EXPECT_EQ(picture(3, 2), (Picture{"...", "..."}));
    }
    Dib dib(makeBmp({3, 2, 24}, dibPicture));
    dib.Info()->bmiHeader.biWidth = 0;
    EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), 0);
    dib.Info()->bmiHeader.biWidth = 3;
    dib.Info()->bmiHeader.biHeight = INT32_MIN;
    EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), 0);
    EXPECT_EQ(rsm.loadDib(nullptr, dib.bits.data()), 0);
    rsm.dispose();
    dib.Info()->bmiHeader.biHeight = 2;
    EXPECT_EQ(rsm.loadDib(dib.Info(), dib.bits.data()), 0);
}

} // namespace
