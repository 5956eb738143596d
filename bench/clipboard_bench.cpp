// Copying and pasting the whole content of a 500-page document (2,500 paragraphs of about 400
// characters in changing faces) through the clipboard store, beside saving and opening the same
// document as a file. The clipboard side is what a paste in a second running copy of the program
// costs: the put (a detached deep copy, its text and its private bytes), then a second store's
// read (decoding the bytes) and the insertion into an empty document. The file side is a save
// (to the temporary folder, synced) and an open into a new document. Goal: the clipboard side at
// most 1.5 times the file side.

#include "bench/PeerRatio.h"
#include "bench/SampleDocument.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "document/tests/SequenceFakes.h"
#include "mathbox/actions/ClipboardStore.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A 500-page document.
constexpr int32_t kLongDocumentParagraphs = 500 * sample::kParagraphsPerPage;

// A clipboard that keeps what is written, as the system's does.
class MemoryClipboard final : public ClipboardPort {
public:
    bool HasData() override { return data.has_value(); }
    std::optional<ClipboardData> Read() override { return data; }
    bool Write(const ClipboardData& written, const std::string& mark) override {
        data = written;
        owner = mark;
        return true;
    }
    std::string Owner() override { return owner; }
    bool Clear() override {
        data.reset();
        return true;
    }
    uint64_t Generation() override { return 0; }

    std::optional<ClipboardData> data;
    std::string owner;
};

CompSequence& Body(CTessaryDoc& doc) {
    return static_cast<SequenceBody&>(doc.GetBody()).GetSequence();
}

struct Fixture {
    Fixture() {
        doc.OnNewDocument();
        Body(doc).Clear();
        sample::Fill(Body(doc), kLongDocumentParagraphs);
        path = dir.File("five hundred pages.tsy");
    }

    seqfakes::Services services;
    platform::testing::TempDir dir;
    fakes::Host host;
    CTessaryDoc doc{host};
    std::string path;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// Only the copy, the read and the insertion are timed; making and dropping the documents is
// not, on either side.
void BM_ClipboardWhole(benchmark::State& state) {
    Fixture& f = Shared();
    MemoryClipboard clipboard;
    ClipboardStore source(clipboard);
    const DocRange whole = Body(f.doc).WholeRange();
    for (auto _ : state) {
        // As the Copy command does: the selection's copy, given to the store.
        source.Put(whole.ExtractContent());
        ClipboardStore reader(clipboard);
        Material content = reader.TakeContent();
        state.PauseTiming();
        auto target = std::make_unique<CTessaryDoc>(f.host);
        target->OnNewDocument();
        const DocPos start = Body(*target).StartPosition();
        state.ResumeTiming();
        const DocRange placed = content.MoveInto(start);
        benchmark::DoNotOptimize(placed);
        state.PauseTiming();
        if (Body(*target).GetCount() != kLongDocumentParagraphs)
            state.SkipWithError("paste lost paragraphs");
        target.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLongDocumentParagraphs);
}
BENCHMARK(BM_ClipboardWhole)
    ->Name("clipboard/whole document")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FileWhole(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        if (!f.doc.OnSaveDocument(f.path)) state.SkipWithError("save failed");
        state.PauseTiming();
        auto target = std::make_unique<CTessaryDoc>(f.host);
        state.ResumeTiming();
        if (!target->OnOpenDocument(f.path)) state.SkipWithError("open failed");
        state.PauseTiming();
        target.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kLongDocumentParagraphs);
}
BENCHMARK(BM_FileWhole)->Name("file/whole document")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "clipboard", "file");
}
