// Exporting a 500-page document (2,500 paragraphs: text in changing faces with inline math, and
// every tenth paragraph an equation with a fraction) as LaTeX and as XHTML with MathML through
// the document's export commands, beside cp copying the saved document in the same run. Each
// export should write at least 50 MB/s of output; the table at the end gives each export's
// time over cp's. The command's time holds the durable commit (the file and its folder synced
// before the rename), which cp does not do, and the XHTML command's dry run that finds a formula
// that does not parse before any file is made; the "writer" cases time one writer pass alone,
// into a stream that only counts.

#include "bench/PeerRatio.h"
#include "bench/RealServices.h"
#include "document/CountStream.h"
#include "document/ExportWriters.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "export/ExportServices.h"
#include "mathbox/MathBoxes.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int32_t kParagraphs = 2500;

CompArray Glyphs(std::string_view text, int32_t face) {
    CompArray array;
    for (char c : text)
        array.Add(OwnedComponent(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(c))));
    return array;
}

struct Fixture {
    Fixture() {
        doc.OnNewDocument();
        CompSequence& seq = static_cast<SequenceBody&>(doc.GetBody()).GetSequence();
        const std::string words = "the integral of a sum is the sum of the integrals ";
        for (int32_t i = 0; i < kParagraphs; ++i) {
            const bool equation = i % 10 == 0;
            auto para = std::make_unique<ParaComp>(equation ? ParaStyle::kPlainEquation
                                                            : ParaStyle::kParagraph);
            CompList& list = *para->GetList(1);
            if (equation) {
                list.InsertArrayAt(Glyphs("sin(x)+y^2=", 3), 1);
                list.Append(new FracComp(Glyphs("a+b", 3), Glyphs("2c", 3)));
            } else {
                for (int32_t run = 0; run < 8; ++run)
                    list.InsertArrayAt(Glyphs(words, run % 3), list.GetCount() + 1);
                list.InsertArrayAt(Glyphs("x+1", 3), list.GetCount() + 1);
            }
            seq.Append(std::move(para));
        }
        saved = dir.File("five hundred pages.tsy");
        if (!doc.OnSaveDocument(saved)) std::abort();
        savedSize = static_cast<int64_t>(std::filesystem::file_size(saved));
    }

    tessary::bench::RealMath services;
    ExportServices exports;
    platform::testing::TempDir dir;
    fakes::Host host;
    CTessaryDoc doc{host};
    std::string saved;
    int64_t savedSize = 0;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void Export(benchmark::State& state, int32_t command, const char* name) {
    Fixture& f = Shared();
    f.host.saveAnswer = f.dir.File(name);
    for (auto _ : state)
        if (!f.doc.OnExport(command)) state.SkipWithError("export failed");
    const auto size = static_cast<int64_t>(std::filesystem::file_size(*f.host.saveAnswer));
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["file MB"] = static_cast<double>(size) / 1e6;
}

// One pass of the writer over the document into a counting stream.
void WriterPass(benchmark::State& state, bool latex) {
    Fixture& f = Shared();
    DocBody& body = f.doc.GetBody();
    const Str255 base("pages");
    int64_t bytes = 0;
    for (auto _ : state) {
        CountStream counter;
        if (latex) {
            auto writer = gExportWriters->MakeLatex(counter, base, f.dir.Path() + "/");
            body.WriteLatex(*writer);
        } else {
            auto writer = gExportWriters->MakeXhtml(counter, base, base, f.dir.Path() + "/", true);
            body.WriteXhtml(*writer);
        }
        bytes = counter.GetSize();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void Copy(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string command = "cp '" + f.saved + "' '" + f.dir.File("copy.tsy") + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    state.SetBytesProcessed(state.iterations() * f.savedSize);
}

void BM_ExportLatex(benchmark::State& state) {
    Export(state, exportcmd::kLatex, "pages.tex");
}
void BM_ExportXhtml(benchmark::State& state) {
    Export(state, exportcmd::kMathML, "pages.xml");
}
void BM_WriterLatex(benchmark::State& state) {
    WriterPass(state, true);
}
void BM_WriterXhtml(benchmark::State& state) {
    WriterPass(state, false);
}
BENCHMARK(BM_ExportLatex)->Name("export/latex")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Copy)->Name("cp/latex")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportXhtml)->Name("export/xhtml")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Copy)->Name("cp/xhtml")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriterLatex)->Name("writer/latex")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriterXhtml)->Name("writer/xhtml")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    return tessary::bench::runWithPeerRatios(argc, argv, "export", "cp");
}
