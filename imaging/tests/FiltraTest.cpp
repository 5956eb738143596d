// Filtra loaded as a program loads it: files of every depth and header version read pixel by
// pixel, the smoothing's values at the edges and inside, and damaged or truncated files refused.

#include "filtra/filtra.h"

#include "BmpFiles.h"
#include "LoadedLibrary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace {

using imaging::testing::BmpLayout;
using imaging::testing::LoadedLibrary;
using imaging::testing::makeBmp;
using imaging::testing::put32;

struct Filtra {
    LoadedLibrary library{FILTRA_LIBRARY};
    decltype(&FLT_Init) init = IMAGING_BIND(library, FLT_Init);
    decltype(&FLT_Dispose) dispose = IMAGING_BIND(library, FLT_Dispose);
    decltype(&FLT_GetRect) getRect = IMAGING_BIND(library, FLT_GetRect);
    decltype(&FLT_GetPixel) getPixel = IMAGING_BIND(library, FLT_GetPixel);
    decltype(&FLT_Convolution) convolution = IMAGING_BIND(library, FLT_Convolution);
};

class FiltraTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (image) filtra.dispose(image);
        std::filesystem::remove(path);
    }
    // Loads bytes through a file, as FLT_Init only takes a file name.
    FLT_IMAGE load(const std::vector<uint8_t>& bytes) {
        imaging::testing::writeFile(path, bytes);
        if (image) filtra.dispose(image);
        image = filtra.init(path.c_str());
        return image;
    }

    Filtra filtra;
    FLT_IMAGE image = nullptr;
    std::string path = (std::filesystem::temp_directory_path() /
                        ("filtra-test-" + std::to_string(getpid()) + ".bmp"))
                           .string();
};

// A 3 x 2 picture of distinct colours, and how each depth and header writes it.
constexpr COLORREF kPicture[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                     {RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 0, 255)}};

struct DepthCase {
    const char* name;
    BmpLayout layout;
    std::function<uint32_t(int, int)> value; // what the file holds at (x, y)
    COLORREF expected[2][3];
};

const std::vector<COLORREF> kTable = {RGB(255, 0, 0),     RGB(0, 255, 0), RGB(0, 0, 255),
                                      RGB(255, 255, 255), RGB(0, 0, 0),   RGB(255, 0, 255)};

uint32_t indexOf(int x, int y) {
    return uint32_t(y * 3 + x);
}

std::vector<DepthCase> depthCases() {
    const auto picture = [](int x, int y) { return kPicture[y][x]; };
    const auto pack555 = [](int x, int y) {
        const COLORREF c = kPicture[y][x];
        return uint32_t((GetRValue(c) >> 3) << 10 | (GetGValue(c) >> 3) << 5 | GetBValue(c) >> 3);
    };
    const auto pack565 = [](int x, int y) {
        const COLORREF c = kPicture[y][x];
        return uint32_t((GetRValue(c) >> 3) << 11 | (GetGValue(c) >> 2) << 5 | GetBValue(c) >> 3);
    };
    const auto pack888 = [](int x, int y) {
        const COLORREF c = kPicture[y][x];
        return uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    };
    // Alpha high, then blue, green, red: a layout only the masks can explain.
    const auto packAbgr = [](int x, int y) { return uint32_t(0xFF000000 | kPicture[y][x]); };
    const BmpLayout bitfields32{
        3, 2, 32, false, 124, BI_BITFIELDS, 0, {}, {0x0000FF, 0x00FF00, 0xFF0000}};
    std::vector<DepthCase> cases = {
        {"24 bits", {3, 2, 24}, picture, {}},
        {"24 bits top-down", {3, 2, 24, true}, picture, {}},
        {"24 bits, header 52", {3, 2, 24, false, 52}, picture, {}},
        {"24 bits, header 56", {3, 2, 24, false, 56}, picture, {}},
        {"24 bits, header 108", {3, 2, 24, false, 108}, picture, {}},
        {"24 bits, header 124", {3, 2, 24, false, 124}, picture, {}},
        {"24 bits, header 12", {3, 2, 24, false, 12}, picture, {}},
        {"8 bits", {3, 2, 8, false, 40, BI_RGB, 0, kTable}, indexOf, {}},
        {"8 bits, 6 colours used", {3, 2, 8, false, 40, BI_RGB, 6, kTable}, indexOf, {}},
        {"8 bits top-down", {3, 2, 8, true, 40, BI_RGB, 6, kTable}, indexOf, {}},
        {"8 bits, header 12", {3, 2, 8, false, 12, BI_RGB, 0, kTable}, indexOf, {}},
        {"4 bits", {3, 2, 4, false, 40, BI_RGB, 0, kTable}, indexOf, {}},
        {"16 bits, 5-5-5", {3, 2, 16}, pack555, {}},
        {"16 bits, 5-6-5 masks",
         {3, 2, 16, false, 40, BI_BITFIELDS, 0, {}, {0xF800, 0x07E0, 0x1F}},
         pack565,
         {}},
        {"32 bits", {3, 2, 32}, pack888, {}},
        {"32 bits, masks in header 124", bitfields32, packAbgr, {}},
    };
    cases[7].layout.table.resize(256);
    cases[10].layout.table.resize(256);
    cases[11].layout.table.resize(16);
    for (DepthCase& c : cases)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                c.expected[y][x] = kPicture[y][x];
    return cases;
}

TEST_F(FiltraTest, ReadsEveryDepthAndHeaderPixelByPixel) {
    for (const DepthCase& c : depthCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(load(makeBmp(c.layout, c.value)), nullptr);
        RECT rect{-1, -1, -1, -1};
        filtra.getRect(image, &rect);
        EXPECT_EQ(rect.left, 0);
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right, 3);
        EXPECT_EQ(rect.bottom, 2);
        for (int y = 0; y <= 2; ++y) {
            for (int x = 0; x <= 3; ++x) {
                // The extra column on the right and the extra row at the bottom are black.
                const COLORREF expected = x < 3 && y < 2 ? c.expected[y][x] : 0;
                EXPECT_EQ(filtra.getPixel(image, x, y), expected) << x << "," << y;
            }
        }
        for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT32_MIN, 0}})
            EXPECT_EQ(filtra.getPixel(image, x, y), 0u) << x << "," << y;
    }
}

TEST_F(FiltraTest, ReadsOneBitPixelsMostSignificantFirst) {
    // 10 pixels wide, so a row spans two bytes and is padded to four.
    const BmpLayout layout{10, 2, 1, false, 40, BI_RGB, 0, {RGB(10, 20, 30), RGB(200, 210, 220)}};
    ASSERT_NE(load(makeBmp(layout, [](int x, int y) { return uint32_t((x + y) % 3 == 0); })),
              nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(filtra.getPixel(image, x, y),
                      (x + y) % 3 == 0 ? RGB(200, 210, 220) : RGB(10, 20, 30))
                << x << "," << y;
}

TEST_F(FiltraTest, StretchesMaskedChannelsToEightBits) {
    // 5-6-5: half of each channel's range, and its full value.
    const BmpLayout layout{2, 1, 16, false, 40, BI_BITFIELDS, 0, {}, {0xF800, 0x07E0, 0x001F}};
    ASSERT_NE(load(makeBmp(layout,
                           [](int x, int) { return x ? 0xFFFFu : (16u << 11 | 32u << 5 | 16u); })),
              nullptr);
    EXPECT_EQ(filtra.getPixel(image, 0, 0), RGB(132, 130, 132));
    EXPECT_EQ(filtra.getPixel(image, 1, 0), RGB(255, 255, 255));
}

TEST_F(FiltraTest, AnIndexPastTheColourTableIsBlack) {
    const BmpLayout layout{3, 1, 8, false, 40, BI_RGB, 2, {RGB(1, 2, 3), RGB(4, 5, 6)}};
    ASSERT_NE(load(makeBmp(layout, [](int x, int) { return uint32_t(x == 2 ? 200 : x); })),
              nullptr);
    EXPECT_EQ(filtra.getPixel(image, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(filtra.getPixel(image, 1, 0), RGB(4, 5, 6));
    EXPECT_EQ(filtra.getPixel(image, 2, 0), 0u);
}

TEST_F(FiltraTest, SmoothsInsideAndReadsPlainlyAtTheEdges) {
    // 4 x 4 of white: inside, a flat 255 comes out 252; next to the black extra column and row
    // the weights of the black neighbours are missing.
    ASSERT_NE(load(makeBmp({4, 4, 24}, [](int, int) { return RGB(255, 255, 255); })), nullptr);
    EXPECT_EQ(filtra.convolution(image, 2, 2), RGB(252, 252, 252));
    // (7 x 255 + 28 x 510 + 114 x 255) / 257 = 175
    EXPECT_EQ(filtra.convolution(image, 3, 3), RGB(175, 175, 175));
    for (const auto& [x, y] : {std::pair{0, 0}, {0, 2}, {2, 0}, {4, 2}, {2, 4}, {4, 4}})
        EXPECT_EQ(filtra.convolution(image, x, y), filtra.getPixel(image, x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{-1, 1}, {1, -1}, {5, 1}, {1, 5}})
        EXPECT_EQ(filtra.convolution(image, x, y), 0u) << x << "," << y;
}

TEST_F(FiltraTest, WeighsCentreEdgesAndCornersPerChannel) {
    // One red dot at (2, 2) of a black 5 x 5, one blue dot at (2, 1): each channel on its own.
    ASSERT_NE(load(makeBmp({5, 5, 24},
                           [](int x, int y) {
                               if (x == 2 && y == 2) return RGB(100, 0, 0);
                               if (x == 2 && y == 1) return RGB(0, 0, 200);
                               return RGB(0, 0, 0);
                           })),
              nullptr);
    EXPECT_EQ(filtra.convolution(image, 2, 2), RGB(114 * 100 / 257, 0, 28 * 200 / 257));
    EXPECT_EQ(filtra.convolution(image, 3, 2), RGB(28 * 100 / 257, 0, 7 * 200 / 257));
    EXPECT_EQ(filtra.convolution(image, 3, 3), RGB(7 * 100 / 257, 0, 0));
    EXPECT_EQ(filtra.convolution(image, 2, 1), RGB(28 * 100 / 257, 0, 114 * 200 / 257));
}

TEST_F(FiltraTest, SmoothsTheInteriorPixelOfATwoByTwoImage) {
    // (1, 1) is inside: its right and lower neighbours are the black extra column and row.
    ASSERT_NE(load(makeBmp({2, 2, 24},
                           [](int x, int y) {
                               static constexpr COLORREF picture[2][2] = {
                                   {RGB(40, 0, 0), RGB(0, 80, 0)},
                                   {RGB(0, 0, 120), RGB(200, 200, 200)}};
                               return picture[y][x];
                           })),
              nullptr);
    // red: corner (0,0) 40, centre 200; green: edge (1,0) 80, centre 200; blue: edge (0,1)
    // 120, centre 200.
    EXPECT_EQ(
        filtra.convolution(image, 1, 1),
        RGB((7 * 40 + 114 * 200) / 257, (28 * 80 + 114 * 200) / 257, (28 * 120 + 114 * 200) / 257));
    EXPECT_EQ(filtra.convolution(image, 0, 1), RGB(0, 0, 120));
    EXPECT_EQ(filtra.convolution(image, 1, 0), RGB(0, 80, 0));
}

TEST_F(FiltraTest, EveryFunctionToleratesANullImage) {
    EXPECT_EQ(filtra.init(nullptr), nullptr);
    filtra.dispose(nullptr);
    RECT rect{1, 2, 3, 4};
    filtra.getRect(nullptr, &rect);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);
    EXPECT_EQ(filtra.getPixel(nullptr, 0, 0), 0u);
    EXPECT_EQ(filtra.convolution(nullptr, 1, 1), 0u);
    ASSERT_NE(load(makeBmp({1, 1, 24}, [](int, int) { return RGB(9, 9, 9); })), nullptr);
    filtra.getRect(image, nullptr);
}

// A good 8-bit 4 x 3 file, damaged one way per case.
struct Damage {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
};

std::vector<uint8_t> goodFile() {
    BmpLayout layout{4, 3, 8, false, 40, BI_RGB, 0, kTable};
    layout.table.resize(256);
    return makeBmp(layout, [](int x, int y) { return uint32_t((x + y) % 6); });
}

std::vector<Damage> damages() {
    const auto set32 = [](std::size_t at, uint32_t value) {
        return [=](std::vector<uint8_t>& bytes) { put32(bytes, at, value); };
    };
    const auto set16 = [](std::size_t at, uint32_t value) {
        return [=](std::vector<uint8_t>& bytes) { imaging::testing::put16(bytes, at, value); };
    };
    return {
        {"no BM", [](std::vector<uint8_t>& b) { b[0] = 'M'; }},
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"only the file header", [](std::vector<uint8_t>& b) { b.resize(14); }},
        {"header cut short", [](std::vector<uint8_t>& b) { b.resize(40); }},
        {"header size 41", set32(14, 41)},
        {"header size 64", set32(14, 64)},
        {"header size huge", set32(14, 0xFFFFFFF0)},
        {"run-length 8", set32(30, BI_RLE8)},
        {"run-length 4", set32(30, BI_RLE4)},
        {"embedded picture", set32(30, 4)},
        {"bit fields on 8 bits", set32(30, BI_BITFIELDS)},
        {"2 bits per pixel", set16(28, 2)},
        {"64 bits per pixel", set16(28, 64)},
        {"0 bits per pixel", set16(28, 0)},
        {"more colours used than 8 bits index", set32(46, 257)},
        {"colours used past the file", set32(46, 0xFFFFFFFF)},
        {"width 0", set32(18, 0)},
        {"negative width", set32(18, uint32_t(-4))},
        {"height 0", set32(22, 0)},
        {"most negative height", set32(22, 0x80000000)},
        {"width beyond 65535", set32(18, 70000)},
        {"too many pixels",
         [](std::vector<uint8_t>& b) {
             put32(b, 18, 60000);
             put32(b, 22, 60000);
         }},
        {"rows beyond the file", set32(22, 4)},
        {"pixel offset past the end", set32(10, 0x7FFFFFFF)},
        {"pixel offset inside the colour table", set32(10, 54 + 100)},
        {"pixel offset inside the header", set32(10, 20)},
        {"last row cut short", [](std::vector<uint8_t>& b) { b.pop_back(); }},
    };
}

TEST_F(FiltraTest, RefusesDamagedAndTruncatedFiles) {
    ASSERT_NE(load(goodFile()), nullptr);
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.name);
        std::vector<uint8_t> bytes = goodFile();
        damage.apply(bytes);
        EXPECT_EQ(load(bytes), nullptr);
    }
}

TEST_F(FiltraTest, TakesTheRowsFromTheFileNotTheHeadersImageSize) {
    // An image size of 0 and one too small both leave the rows to the file's length.
    for (uint32_t imageSize : {0u, 4u}) {
        std::vector<uint8_t> bytes = goodFile();
        put32(bytes, 34, imageSize);
        ASSERT_NE(load(bytes), nullptr) << imageSize;
        EXPECT_EQ(filtra.getPixel(image, 3, 2), kTable[5]);
    }
}

TEST_F(FiltraTest, RefusesWhatCannotBeRead) {
    EXPECT_EQ(filtra.init("/nonexistent/filtra.bmp"), nullptr);
    EXPECT_EQ(filtra.init(std::filesystem::temp_directory_path().c_str()), nullptr);
}

} // namespace
