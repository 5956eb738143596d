// Writing and reading a synthetic document of about 10 MB through the file streams. A document
// that large is not all typed text: this one is about 60% text paragraphs (a few hundred
// characters in changing faces, with a small box in each) and 40% 3-D plots, whose surfaces are
// stored as primitive records of doubles. Writing and reading should each reach 100 MB/s. The
// clipboard will count what it copies before it writes it (BM_CountDocument).

#include "document/CompList.h"
#include "document/CountStream.h"
#include "document/DocStream.h"
#include "document/FileInStream.h"
#include "document/FileOutStream.h"
#include "document/StoredPrim.h"
#include "document/tests/Fakes.h"
#include "document/tests/StoredKinds.h"
#include "document/tests/StreamBytes.h"
#include "platform/File.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using storedkinds::Stored;
using streambytes::Bytes;

constexpr int32_t kParagraphs = 11000;
constexpr int32_t kPlotEvery = 30;
constexpr int32_t kSurfaceSide = 22;

// A surface of rows x columns points, stored as the real 3-D surface primitive is.
class Surface final : public StoredPrim {
public:
    int32_t GetTypeCode() const override { return 6; }
    void Write(DocStream& s) const override {
        s.WriteLong(m_rows);
        s.WriteLong(m_columns);
        for (double v : m_values)
            s.WriteDouble(v);
    }
    void Read(DocStream& s) override {
        m_rows = s.ReadLong();
        m_columns = s.ReadLong();
        const int64_t values = int64_t{m_rows} * m_columns * 3;
        s.RequireBytes(values * 8);
        m_values.resize(static_cast<size_t>(values));
        for (double& v : m_values)
            v = s.ReadDouble();
    }
    void Fill(int32_t side) {
        m_rows = m_columns = side;
        m_values.resize(static_cast<size_t>(side * side * 3));
        for (size_t i = 0; i < m_values.size(); ++i)
            m_values[i] = std::sin(static_cast<double>(i)) * 0.001 * static_cast<double>(i);
    }

private:
    int32_t m_rows = 0;
    int32_t m_columns = 0;
    std::vector<double> m_values;
};

// A 3-D plot reduced to its stored primitives.
class Plot final : public TextComp {
public:
    OwnedComponent Clone() const override { return OwnedComponent(new Plot); }
    TypeTag GetTypeTag() const override { return tags::Plot3D; }
    void Write(DocStream& s) const override {
        s.WriteShort(static_cast<int16_t>(m_surfaces.size()));
        for (const auto& surface : m_surfaces)
            s.WritePrimitive3D(*surface);
    }
    void Read(DocStream& s) override {
        for (int16_t n = s.ReadShort(); n > 0; --n)
            if (std::unique_ptr<StoredPrim> prim = s.ReadPrimitive3D())
                m_surfaces.push_back(std::move(prim));
    }
    void AddSurface(int32_t side) {
        auto surface = std::make_unique<Surface>();
        surface->Fill(side);
        m_surfaces.push_back(std::move(surface));
    }

private:
    std::vector<std::unique_ptr<StoredPrim>> m_surfaces;
};

class SurfaceFactory final : public PrimitiveFactory {
public:
    std::unique_ptr<StoredPrim> New2D(int32_t) override { return nullptr; }
    std::unique_ptr<StoredPrim> New3D(int32_t code) override {
        return code == 6 ? std::make_unique<Surface>() : nullptr;
    }
};

struct Environment {
    Installed<TextComp::Creator> plotKind{TextComp::KindSlot(tags::Plot3D),
                                          [] { return OwnedComponent(new Plot); }};
    SurfaceFactory surfaces;
    Installed<PrimitiveFactory> installedSurfaces{gPrimitiveFactory, &surfaces};
    fakes::GlyphSource glyphs;
    storedkinds::Registration kinds;
};

void AppendText(CompList& list, std::mt19937& random, int32_t count) {
    std::uniform_int_distribution<int32_t> letter('a', 'z');
    const int32_t face = static_cast<int32_t>(random() % 8);
    for (int32_t i = 0; i < count; ++i)
        list.Append(gGlyphSource->GetGlyph(face, static_cast<uint8_t>(letter(random))));
}

// The document body: one box per paragraph, so that the whole tree is one component list.
void BuildDocument(CompList& list) {
    std::mt19937 random(2024);
    for (int32_t p = 0; p < kParagraphs; ++p) {
        auto* paragraph = new Stored(tags::Radical, 1);
        CompList& text = *paragraph->GetList(1);
        for (int32_t run = 0; run < 6; ++run)
            AppendText(text, random, 20 + static_cast<int32_t>(random() % 80));
        auto* fraction = new Stored(tags::Fraction, 2);
        AppendText(*fraction->GetList(1), random, 3);
        AppendText(*fraction->GetList(2), random, 5);
        text.Append(fraction);
        list.Append(paragraph);
        if (p % kPlotEvery == 0) {
            auto* plot = new Plot;
            plot->AddSurface(kSurfaceSide);
            list.Append(plot);
        }
    }
}

void Prepare() {
    static Environment environment;
}

const CompList& Document() {
    Prepare();
    static CompList body;
    static const bool built = (BuildDocument(body), true);
    (void)built;
    return body;
}

std::string TempPath() {
    // Removed with the file when the program ends.
    static const platform::testing::TempDir folder;
    return folder.File("document.tsy");
}

int32_t CountedSize(const CompList& body) {
    CountStream counter;
    DocStream stream(counter);
    body.Write(stream);
    return counter.GetSize();
}

// Writing a file through one block that grows to hold it all, as a save does.
void Write(const CompList& body) {
    platform::File file(TempPath(), platform::File::Mode::Create);
    FileOutStream out(file, std::numeric_limits<int32_t>::max());
    {
        DocStream stream(out);
        body.Write(stream);
    }
    out.Flush();
    file.Close();
}

// What sizes the clipboard's block.
void BM_CountDocument(benchmark::State& state) {
    const CompList& body = Document();
    int64_t bytes = 0;
    for (auto _ : state)
        bytes += CountedSize(body);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_CountDocument)->Unit(benchmark::kMillisecond);

void BM_WriteDocument(benchmark::State& state) {
    const CompList& body = Document();
    const int32_t size = CountedSize(body);
    for (auto _ : state)
        Write(body);
    state.SetBytesProcessed(state.iterations() * int64_t{size});
    state.counters["file_MB"] = size / 1e6;
}
BENCHMARK(BM_WriteDocument)->Unit(benchmark::kMillisecond);

void BM_ReadDocument(benchmark::State& state) {
    const int32_t size = CountedSize(Document());
    Write(Document());
    for (auto _ : state) {
        auto body = std::make_unique<CompList>();
        {
            platform::File file(TempPath(), platform::File::Mode::Read);
            FileInStream in(file);
            DocStream stream(in);
            body->Read(stream);
        }
        benchmark::DoNotOptimize(body->GetCount());
        // Taking the tree down again is no part of reading it.
        state.PauseTiming();
        body.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{size});
}
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond);

// One list of 4 million characters (a long paragraph, or a file made to be one): reading it must
// stay linear in its length, although the list's children array grows by 32 slots at a time.
void BM_ReadLongList(benchmark::State& state) {
    Prepare();
    // Built over a reserved array: appending one by one would itself grow by 32 slots at a time.
    constexpr int32_t kLength = 4'000'000;
    CompArray text;
    text.Reserve(kLength);
    for (int32_t i = 0; i < kLength; ++i)
        text.Add(OwnedComponent(
            gGlyphSource->GetGlyph(i / 1000 % 8, static_cast<uint8_t>('a' + i % 26))));
    const CompList list(std::move(text));
    const Bytes stored = streambytes::Save([&](DocStream& s) { list.Write(s); });
    for (auto _ : state) {
        CompList loaded;
        streambytes::Load(stored, [&](DocStream& s) { loaded.Read(s); });
        benchmark::DoNotOptimize(loaded.GetCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stored.size()));
}
BENCHMARK(BM_ReadLongList)->Unit(benchmark::kMillisecond);

// Pasting a run of 200,000 characters into the middle of a list as long: one move of the tail.
void BM_InsertLongRun(benchmark::State& state) {
    Prepare();
    constexpr int32_t kLength = 200'000;
    const auto glyphs = [&] {
        CompArray text;
        text.Reserve(kLength);
        for (int32_t i = 0; i < kLength; ++i)
            text.Add(OwnedComponent(gGlyphSource->GetGlyph(0, static_cast<uint8_t>('a' + i % 26))));
        return text;
    };
    for (auto _ : state) {
        state.PauseTiming();
        CompList list(glyphs());
        CompArray run = glyphs();
        state.ResumeTiming();
        list.InsertArrayAt(std::move(run), kLength / 2);
        benchmark::DoNotOptimize(list.GetCount());
    }
}
BENCHMARK(BM_InsertLongRun)->Unit(benchmark::kMillisecond);

} // namespace
