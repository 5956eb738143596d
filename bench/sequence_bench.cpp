// Documents of 50, 500 and 5,000 pages (five paragraphs of about 400 characters a page) in the
// paragraph sequence, laid out with the real builders and fonts: the relayout after typing one
// character into a middle paragraph (goal under 50 us at 5,000 pages, since nothing after the
// edit changes), and stepping the caret from the first position to the last. Beside them,
// putting paragraphs in by the thousand, as plain-text import and undo do, at 2,500, 25,000
// and 100,000 paragraphs: the time per paragraph should stay the same within 2x.

#include "bench/ImageView.h"
#include "bench/RealServices.h"
#include "document/CompSequence.h"
#include "document/GlyphSource.h"
#include "document/MemoryStream.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int32_t kParagraphs = 2500;
constexpr int32_t kParagraphsPerPage = 5;

// Ordinary prose, about 400 characters a paragraph.
std::unique_ptr<CompSequence> BuildDocument(int32_t paragraphs) {
    const std::string sentence = "Let f be continuous on the closed interval and take the sum of "
                                 "its values at the points of a fine partition. ";
    auto seq = std::make_unique<CompSequence>();
    for (int32_t k = 0; k < paragraphs; ++k) {
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
    tessary::bench::RealLayout services;
    ImageView view{16, 16};
    std::unique_ptr<CompSequence> seq;

    explicit Fixture(int32_t paragraphs = kParagraphs, bool place = true) {
        services.drawing.Port().BeginWindowDraw(view);
        seq = BuildDocument(paragraphs);
        if (place) seq->PlaceAll(false);
    }
    ~Fixture() { services.drawing.Port().EndDraw(); }
};

void BM_RelayoutAfterTyping(benchmark::State& state) {
    const auto paragraphs = static_cast<int32_t>(state.range(0)) * kParagraphsPerPage;
    Fixture f(paragraphs);
    const int32_t middle = paragraphs / 2;
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
    state.counters["pages"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_RelayoutAfterTyping)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond);

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

// The time per paragraph of a run of inserts.
void CountParagraphs(benchmark::State& state, int64_t paragraphs) {
    state.SetItemsProcessed(state.iterations() * paragraphs);
    // Seconds per paragraph of processor time, shown with a unit prefix (n for nanoseconds).
    state.counters["per paragraph"] = benchmark::Counter(
        static_cast<double>(paragraphs),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Plain-text import: one paragraph a line, each appended as it is read.
void BM_ImportPlainTextLines(benchmark::State& state) {
    const auto paragraphs = static_cast<int32_t>(state.range(0));
    Fixture f(0, false);
    std::string text;
    for (int32_t k = 0; k < paragraphs; ++k)
        text += "a line\r";
    for (auto _ : state) {
        MemoryStream stream(static_cast<const void*>(text.data()),
                            static_cast<int32_t>(text.size()));
        f.seq->ReadPlainText(stream);
        state.PauseTiming();
        f.seq->Clear();
        state.ResumeTiming();
    }
    CountParagraphs(state, paragraphs);
}
BENCHMARK(BM_ImportPlainTextLines)
    ->Arg(2500)
    ->Arg(25000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Undoing a cut: as many held paragraphs as the document has go back into its middle.
void BM_PutBackHeldParagraphs(benchmark::State& state) {
    const auto paragraphs = static_cast<int32_t>(state.range(0));
    Fixture f(0, false);
    const auto fill = [paragraphs](CompSequence& seq) {
        for (int32_t k = 0; k < paragraphs; ++k)
            seq.Append(std::make_unique<ParaComp>(ParaStyle::kParagraph));
    };
    for (auto _ : state) {
        state.PauseTiming();
        f.seq = std::make_unique<CompSequence>();
        fill(*f.seq);
        auto held = std::make_unique<CompSequence>();
        fill(*held);
        state.ResumeTiming();
        f.seq->InsertHeldAt(std::move(held), paragraphs / 2);
    }
    CountParagraphs(state, paragraphs);
}
BENCHMARK(BM_PutBackHeldParagraphs)
    ->Arg(2500)
    ->Arg(25000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace
