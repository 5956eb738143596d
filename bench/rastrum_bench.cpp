// Rastrum's median-cut palette of a 4000 x 3000 picture (a surface made, the picture copied in
// through RSM_LoadDIB, which counts every pixel, and the cut) beside ImageMagick reducing the
// same picture's file to 256 colours (convert -colors 256) in the same run. The goal is to be
// faster: a ratio below 1. Without ImageMagick's convert the peer is skipped.

#include "ImagingPicture.h"
#include "PeerRatio.h"
#include "gdi/gdi.h"
#include "rastrum/rastrum.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace tessary::bench;

void BM_Rastrum(benchmark::State& state) {
    const std::vector<uint8_t> file = pictureFile();
    uint32_t offset = 0;
    std::memcpy(&offset, file.data() + 10, 4);
    BITMAPINFO info{};
    std::memcpy(&info.bmiHeader, file.data() + 14, sizeof(BITMAPINFOHEADER));
    HDC dc = gdi::CreateImageDC(1, 1, 256, RGB(255, 255, 255));
    const RECT rect{0, 0, kPictureWidth - 1, kPictureHeight - 1};
    std::size_t colours = 0;
    for (auto _ : state) {
        if (!RSM_Init(&rect, dc) || RSM_LoadDIB(&info, file.data() + offset) != 24)
            return state.SkipWithError("Rastrum refused the picture");
        HPALETTE palette = RSM_GetPalette(0);
        colours = gdi::GetPaletteEntries(palette, 0, 0, nullptr);
        gdi::DeleteObject(palette);
        RSM_Dispose();
    }
    state.counters["colours"] = double(colours);
    gdi::DeleteDC(dc);
}

bool imageMagickPresent() {
    std::FILE* version = popen("convert -version 2>/dev/null", "r");
    if (!version) return false;
    char line[256] = {};
    const bool found = std::fgets(line, sizeof line, version) && std::strstr(line, "ImageMagick");
    pclose(version);
    return found;
}

void BM_ImageMagick(benchmark::State& state) {
    if (!imageMagickPresent())
        return state.SkipWithError("ImageMagick's convert is not installed; peer skipped");
    const PictureFile file;
    const std::string command = "convert '" + file.Path() + "' -colors 256 null:";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) return state.SkipWithError("convert failed");
}

BENCHMARK(BM_Rastrum)
    ->Name("rastrum/palette_4000x3000")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ImageMagick)
    ->Name("imagemagick/palette_4000x3000")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "rastrum", "imagemagick");
}
