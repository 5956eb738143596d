// Filtra's 3 x 3 smoothing of a 4000 x 3000 picture, one FLT_Convolution per pixel as a client
// calls it, beside a plain 3 x 3 box filter over the same pixels in the same run. The goal is
// at least 0.8 times the box filter's speed: a ratio of at most 1.25 below.

#include "ImagingPicture.h"
#include "PeerRatio.h"
#include "filtra/filtra.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

using namespace tessary::bench;

struct Picture {
    PictureFile file;
    FLT_IMAGE image = FLT_Init(file.Path().c_str());
    std::vector<uint8_t> bytes = pictureFile();
    ~Picture() { FLT_Dispose(image); }
};

Picture& picture() {
    static Picture shared;
    return shared;
}

void BM_Filtra(benchmark::State& state) {
    FLT_IMAGE image = picture().image;
    if (!image) return state.SkipWithError("Filtra refused the picture");
    std::vector<COLORREF> out(std::size_t(kPictureWidth) * kPictureHeight);
    for (auto _ : state) {
        COLORREF* to = out.data();
        for (int y = 0; y < kPictureHeight; ++y)
            for (int x = 0; x < kPictureWidth; ++x)
                *to++ = FLT_Convolution(image, x, y);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPictureWidth * kPictureHeight);
}

// The peer: each channel the plain mean of the 3 x 3 neighbourhood, edges copied, over the
// file's own bottom-up rows.
void boxFilter(const uint8_t* pixels, std::size_t stride, COLORREF* out) {
    for (int y = 0; y < kPictureHeight; ++y) {
        const uint8_t* row = pixels + std::size_t(kPictureHeight - 1 - y) * stride;
        for (int x = 0; x < kPictureWidth; ++x, ++out) {
            const uint8_t* p = row + std::size_t(x) * 3;
            if (x == 0 || y == 0 || x == kPictureWidth - 1 || y == kPictureHeight - 1) {
                *out = RGB(p[2], p[1], p[0]);
                continue;
            }
            unsigned sum[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy) {
                const uint8_t* q = p - std::ptrdiff_t(dy) * std::ptrdiff_t(stride);
                for (int dx = -3; dx <= 3; dx += 3)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += q[dx + c];
            }
            *out = RGB(sum[2] / 9, sum[1] / 9, sum[0] / 9);
        }
    }
}

void BM_BoxFilter(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = picture().bytes;
    uint32_t offset = 0;
    std::memcpy(&offset, bytes.data() + 10, 4);
    const std::size_t stride = (std::size_t(kPictureWidth) * 3 + 3) / 4 * 4;
    std::vector<COLORREF> out(std::size_t(kPictureWidth) * kPictureHeight);
    for (auto _ : state) {
        boxFilter(bytes.data() + offset, stride, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kPictureWidth * kPictureHeight);
}

BENCHMARK(BM_Filtra)->Name("filtra/smooth_4000x3000")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BoxFilter)
    ->Name("boxfilter/smooth_4000x3000")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "filtra", "boxfilter");
}
