// Saving and opening a 500-page document (2,500 paragraphs of about 400 characters in changing
// faces) through the document class, and, for scale, copying the same file with cp. A save
// packs the document into one block, writes it to a temporary file, syncs it to the disk,
// renames it into place and syncs the folder; cp does not sync. Saving and opening should each
// reach 100 MB/s. The files go to the temporary folder: TMPDIR=/dev/shm runs the same work in
// memory, which shows what the disk's two syncs add to a save.

#include "bench/SampleDocument.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/DocFiles.h"
#include "document/tests/FakeHost.h"
#include "document/tests/SequenceFakes.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int32_t kParagraphs = 500 * sample::kParagraphsPerPage;

struct Fixture {
    Fixture() {
        doc.OnNewDocument();
        sample::Fill(static_cast<SequenceBody&>(doc.GetBody()).GetSequence(), kParagraphs);
        path = dir.File("five hundred pages.tsy");
        if (!doc.OnSaveDocument(path)) std::abort();
        size = static_cast<int64_t>(std::filesystem::file_size(path));
    }

    seqfakes::Services services;
    platform::testing::TempDir dir;
    fakes::Host host;
    CTessaryDoc doc{host};
    std::string path;
    int64_t size = 0;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_SaveDocument(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state)
        if (!f.doc.OnSaveDocument(f.path)) state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * f.size);
    state.counters["file MB"] = static_cast<double>(f.size) / 1e6;
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening makes a new document, as the application does; closing the last one is not timed.
void BM_OpenDocument(benchmark::State& state) {
    Fixture& f = Shared();
    fakes::Host host;
    for (auto _ : state) {
        auto doc = std::make_unique<CTessaryDoc>(host);
        if (!doc->OnOpenDocument(f.path)) state.SkipWithError("open failed");
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyWithCp(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string command = "cp '" + f.path + "' '" + f.dir.File("copy.tsy") + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * f.size);
}
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
