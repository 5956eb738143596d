// A 500-page document (2,500 paragraphs of about 400 characters) in the paragraph sequence,
// laid out with the real builders and fonts: the relayout after typing one character into a
// middle paragraph, and stepping the caret from the first position to the last.

#include "bench/ImageView.h"
#include "document/CompSequence.h"
#include "document/GlyphSource.h"
#include "document/TextFontPrefs.h"
#include "mathbox/DrawingServices.h"
#include "mathbox/LayoutStyleTable.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int32_t kParagraphs = 2500;

// Ordinary prose, about 400 characters a paragraph.
std::unique_ptr<CompSequence> BuildDocument() {
    const std::string sentence = "Let f be continuous on the closed interval and take the sum of "
                                 "its values at the points of a fine partition. ";
    auto seq = std::make_unique<CompSequence>();
    for (int32_t k = 0; k < kParagraphs; ++k) {
        auto para = std::make_unique<ParaComp>(ParaStyle::kParagraph);
        CompList& list = *para->GetList(1);
        const int32_t face = para->GetStyle().GetTextFace();
        while (list.GetCount() < 400)
            for (char c : sentence)
                list.Append(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(c)));
        seq->Append(std::move(para));
    }
    return seq;
}

struct Fixture {
    TextFontPrefs prefs;
    DrawingServices drawing{prefs};
    LayoutServices layout;
    ImageView view{16, 16};
    std::unique_ptr<CompSequence> seq;

    Fixture() {
        drawing.Port().BeginWindowDraw(view);
        seq = BuildDocument();
        seq->PlaceAll(false);
    }
    ~Fixture() { drawing.Port().EndDraw(); }
};

void BM_RelayoutAfterTyping(benchmark::State& state) {
    Fixture f;
    const int32_t middle = kParagraphs / 2;
    CompList& list = *f.seq->GetAt(middle)->GetList(1);
    TextComp* x = gGlyphSource->GetGlyph(f.seq->GetAt(middle)->GetStyle().GetTextFace(), 'x');
    bool typed = false;
    for (auto _ : state) {
        // Type a character, or take the last one back, at the paragraph's middle.
        DocPos caret;
        if (!typed) {
            list.InsertAt(x, 200);
            caret.SetAt(&list, 201);
        } else {
            list.RemoveAt(200);
            caret.SetAt(&list, 200);
        }
        typed = !typed;
        f.seq->Relayout(middle, &caret);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RelayoutAfterTyping)->Unit(benchmark::kMicrosecond);

void BM_StepCaretFirstToLast(benchmark::State& state) {
    Fixture f;
    int64_t steps = 0;
    for (auto _ : state) {
        DocPos pos = f.seq->StartPosition();
        for (;;) {
            const DocPos next = pos.NextInto();
            if (next.IsEqual(pos)) break;
            pos = next;
            ++steps;
        }
        benchmark::DoNotOptimize(pos);
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_StepCaretFirstToLast)->Unit(benchmark::kMillisecond);

} // namespace
