// The drawing layer's hot paths: measuring short words in every face (what line layout does
// for each run) and drawing a screenful of a document into a view's backing image.

#include "bench/ImageView.h"
#include "document/Region.h"
#include "document/TextFontPrefs.h"
#include "mathbox/DrawingServices.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

const char* const kWords[] = {"the",   "integral", "of",     "x",    "sin",   "over",
                              "Limit", "a",        "matrix", "is",   "equal", "to",
                              "zero",  "when",     "y2",     "(n+1)"};

void BM_MeasureWords(benchmark::State& state) {
    TextFontPrefs prefs;
    DrawingServices services(prefs);
    PaintPort& port = services.Port();
    Str255 words[std::size(kWords)];
    for (size_t i = 0; i < std::size(kWords); ++i)
        words[i] = kWords[i];
    int64_t measured = 0;
    for (auto _ : state) {
        for (int32_t face = 0; face < 8; ++face) {
            port.SetFace(face);
            for (const Str255& word : words)
                benchmark::DoNotOptimize(port.MeasureText(word));
            measured += std::size(kWords);
        }
    }
    state.SetItemsProcessed(measured);
}
BENCHMARK(BM_MeasureWords);

// About 40 lines of 1280-pixel text with a built-up parenthesis, a fraction bar and a gray
// selection frame on each, erased and drawn again.
void BM_DrawScreenful(benchmark::State& state) {
    TextFontPrefs prefs;
    DrawingServices services(prefs);
    PaintPort& port = services.Port();
    ImageView view(1280, 1024);
    const Str255 text("Let f be continuous on the closed interval and take the sum of");
    const Str255 math("x+y=2z-1");
    for (auto _ : state) {
        port.BeginWindowDraw(view);
        port.EraseRect(Rect(0, 0, 1280, 1024));
        for (int32_t line = 0; line < 40; ++line) {
            const int32_t y = 24 + line * 25;
            port.SetFace(line % 3);
            port.MoveTo(Point(20, y));
            port.DrawString(text);
            port.SetFace(3);
            port.MoveTo(Point(700, y));
            port.DrawString(math);
            port.MoveTo(Point(820, y));
            port.DrawBigDelimiter('(', -18, 6);
            port.MoveTo(Point(840, y - 4));
            port.LineBy(120, 0);
            port.FrameRegionGray(Region(Rect(980, y - 16, 1200, y + 5)));
        }
        port.EndDraw();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawScreenful)->Unit(benchmark::kMillisecond);

} // namespace
