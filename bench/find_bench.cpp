// Find and replace over long documents built by the file benchmarks' generator (paragraphs of
// about 400 characters, five to a page). Find Next of a word that occurs once, at the end of a
// 500-page document, walking the component tree from the start, beside memmem over the same
// document's plain text in the same run: goal at most 5 times memmem's time. Replace All of
// 10,000 matches as one undoable step, laid out again as the view does (goal: well under a
// second), and its undo.

#include "bench/BenchView.h"
#include "bench/PeerRatio.h"
#include "bench/SampleDocument.h"
#include "document/CompSequence.h"
#include "document/Finder.h"
#include "document/tests/SequenceFakes.h"
#include "mathbox/actions/ReplaceAction.h"
#include "mathbox/actions/UndoSlot.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

constexpr int32_t kLongDocumentParagraphs = 500 * sample::kParagraphsPerPage;
constexpr const char* kLastWord = "quartz";
// "integrals" closes each sentence of the generator's text, eight times a paragraph.
constexpr int32_t kReplacedParagraphs = 1250;
constexpr int32_t kReplacements = 10000;

// The characters of every paragraph, a carriage return between two, as plain text is written.
std::string PlainText(const CompSequence& seq) {
    std::string text;
    for (int32_t k = 1; k <= seq.GetCount(); ++k) {
        if (k > 1) text += '\r';
        for (const TextComp* c : seq.GetAt(k)->GetList(1)->Children())
            text += static_cast<char>(c->GetCharCode());
    }
    return text;
}

struct LongDocument {
    LongDocument() {
        sample::Fill(seq, kLongDocumentParagraphs);
        fakes::AppendChars(*seq.GetAt(seq.GetCount())->GetList(1), kLastWord);
        text = PlainText(seq);
    }

    seqfakes::Services services;
    seqfakes::Document document;
    CompSequence seq{&document};
    std::string text;
};

LongDocument& Long() {
    static LongDocument document;
    return document;
}

void BM_FindLastWord(benchmark::State& state) {
    LongDocument& doc = Long();
    Finder finder(doc.seq);
    finder.SetPattern(Str255(kLastWord));
    for (auto _ : state) {
        finder.Reset(doc.seq.StartPosition());
        const bool found = finder.FindNext();
        benchmark::DoNotOptimize(found);
        if (!found || finder.GetParagraphIndex() != kLongDocumentParagraphs)
            state.SkipWithError("the word was not found at the end");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(doc.text.size()));
}
BENCHMARK(BM_FindLastWord)
    ->Name("find/a word at the end of 500 pages")
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

void BM_MemmemLastWord(benchmark::State& state) {
    const std::string& text = Long().text;
    const size_t length = std::strlen(kLastWord);
    for (auto _ : state) {
        const void* found = memmem(text.data(), text.size(), kLastWord, length);
        benchmark::DoNotOptimize(found);
        if (found != text.data() + text.size() - length)
            state.SkipWithError("memmem did not find the word at the end");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_MemmemLastWord)
    ->Name("memmem/a word at the end of 500 pages")
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

struct ReplacedDocument {
    ReplacedDocument() {
        sample::Fill(seq, kReplacedParagraphs);
        seq.PlaceAll(false);
        finder.SetPattern(Str255("integrals"));
        finder.SetReplacement(Str255("sums"));
        // The first run grows the heap for the new layout runs, page by page; a running
        // program's heap has long done so.
        ReplaceAll();
        slot.UndoCommand();
    }

    // Replace All from the start of the document; false unless every match was replaced.
    bool ReplaceAll() {
        const DocRange start = DocRange::Caret(seq.StartPosition());
        if (!slot.DoAction(ReplaceAction::MakeReplaceAll(view, finder, start))) return false;
        const auto* done = static_cast<const ReplaceAction*>(slot.GetLastAction());
        return done->GetReplacementCount() == kReplacements;
    }

    seqfakes::Services services;
    seqfakes::Document document;
    CompSequence seq{&document};
    BenchView view{seq};
    UndoSlot slot{view};
    Finder finder{seq};
};

void BM_ReplaceAll(benchmark::State& state) {
    ReplacedDocument doc;
    for (auto _ : state) {
        if (!doc.ReplaceAll()) state.SkipWithError("not every match was replaced");
        state.PauseTiming();
        doc.slot.UndoCommand();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kReplacements);
}
BENCHMARK(BM_ReplaceAll)
    ->Name("replace all/10,000 matches")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_UndoReplaceAll(benchmark::State& state) {
    ReplacedDocument doc;
    for (auto _ : state) {
        state.PauseTiming();
        if (!doc.ReplaceAll()) state.SkipWithError("not every match was replaced");
        state.ResumeTiming();
        doc.slot.UndoCommand();
    }
    state.SetItemsProcessed(state.iterations() * kReplacements);
}
BENCHMARK(BM_UndoReplaceAll)
    ->Name("undo replace all/10,000 matches")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "find", "memmem");
}
