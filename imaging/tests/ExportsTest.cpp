// Each library exports exactly its names: Rastrum its own calls and the platform-named drawing
// calls, Filtra its five; nothing of the platform stand-in, the C++ runtime or the sanitizers.

#include "ElfExports.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using tessary::testing::exportedSymbols;
using Names = std::set<std::string>;

TEST(ImagingExportsTest, RastrumExportsExactlyItsNames) {
    const Names expected = {"RSM_Init",       "RSM_Dispose",      "RSM_CanGetPixel", "RSM_Erase",
                            "CreatePen",      "CreateSolidBrush", "MoveToEx",        "LineTo",
                            "Polyline",       "Polygon",          "SetPixel",        "GetPixel",
                            "RSM_GetPalette", "RSM_Blt",          "RSM_ScaleBlt",    "RSM_LoadDIB"};
    EXPECT_EQ(exportedSymbols(RASTRUM_LIBRARY), expected);
}

TEST(ImagingExportsTest, FiltraExportsExactlyItsNames) {
    const Names expected = {"FLT_Init", "FLT_Dispose", "FLT_GetRect", "FLT_GetPixel",
                            "FLT_Convolution"};
    EXPECT_EQ(exportedSymbols(FILTRA_LIBRARY), expected);
}

} // namespace
