// Writes the seed inputs of the document stream's fuzz target: small documents written by the
// model, each named by what it holds, so that fuzzing starts from inputs that load and reaches
// the record bodies at once. Run it again whenever the stored format grows; ctest runs it in
// check mode and fails while the checked-in seeds differ from what it writes.
//
//   document/document_stream_corpus write ../../document/fuzz/corpus
//   document/document_stream_corpus check ../../document/fuzz/corpus

#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/fuzz/DocStreamFuzzInput.h"
#include "document/tests/DocFiles.h"
#include "document/tests/FakeHost.h"
#include "document/tests/StreamBytes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace {

using storedkinds::Stored;
using streambytes::Bytes;
namespace fs = std::filesystem;

Bytes WithMode(uint8_t mode, const Bytes& body) {
    Bytes input(body.size() + 1);
    input[0] = mode;
    std::copy(body.begin(), body.end(), input.begin() + 1);
    return input;
}

Bytes ListInput(const std::function<void(CompList&)>& fill) {
    CompList list;
    fill(list);
    return WithMode(docfuzz::kListMode, streambytes::Save([&](DocStream& s) { list.Write(s); }));
}

Bytes PrimsInput(uint8_t mode, std::initializer_list<int32_t> codes) {
    const bool is3D = mode == docfuzz::kPrims3DMode;
    return WithMode(mode, streambytes::Save([&](DocStream& s) {
                        int32_t values = 0;
                        for (int32_t code : codes) {
                            std::vector<double> points;
                            for (int32_t i = 0; i < values; ++i)
                                points.push_back(0.25 * i - 1.0);
                            const docfuzz::CountedPrim prim(code, points);
                            is3D ? s.WritePrimitive3D(prim) : s.WritePrimitive2D(prim);
                            values = values * 2 + 1;
                        }
                    }));
}

// A whole document file: what `fill` puts into a new document, saved.
Bytes DocumentInput(const std::function<void(CTessaryDoc&, CompSequence&)>& fill) {
    fakes::Host host;
    CTessaryDoc doc(host);
    doc.OnNewDocument();
    fill(doc, static_cast<SequenceBody&>(doc.GetBody()).GetSequence());
    return WithMode(docfuzz::kDocumentMode,
                    streambytes::Save([&](DocStream& s) { doc.WriteContents(s, true); }));
}

Stored* Box(TypeTag tag, int32_t lists, int32_t seed) {
    auto* box = new Stored(tag, lists);
    box->flag = static_cast<uint8_t>(seed);
    box->level = static_cast<int16_t>(-seed);
    box->number = seed * 1000003;
    box->value = seed * 0.5;
    box->label = Str255(seed % 2 ? "x\xE9" : "");
    return box;
}

// Each seed by its file name.
std::map<std::string, Bytes> Seeds() {
    std::map<std::string, Bytes> seeds;
    seeds["list-empty"] = ListInput([](CompList&) {});
    seeds["list-characters-in-faces"] = ListInput([](CompList& l) {
        fakes::AppendChars(l, "ab c", 0);
        fakes::AppendChars(l, "x=y+\xC4", 3);
        fakes::AppendChars(l, "\xE9\x96\t", 1);
    });
    seeds["list-long-run"] =
        ListInput([](CompList& l) { fakes::AppendChars(l, std::string(300, 'w'), 2); });
    seeds["list-boxes-around-text"] = ListInput([](CompList& l) {
        fakes::AppendChars(l, "ab");
        Stored* fraction = Box(tags::Fraction, 2, 1);
        fakes::AppendChars(*fraction->GetList(1), "1", 3);
        fakes::AppendChars(*fraction->GetList(2), "n+1", 3);
        l.Append(fraction);
        l.Append(Box(tags::Link, 0, 2));
        fakes::AppendChars(l, "c");
    });
    seeds["list-nested-boxes"] = ListInput([](CompList& l) {
        CompList* inside = &l;
        for (int32_t depth = 0; depth < 5; ++depth) {
            Stored* box = Box(depth % 2 ? tags::Matrix : tags::Radical, depth % 2 ? 4 : 1, depth);
            fakes::AppendChars(*inside, "q", depth % 8);
            inside->Append(box);
            inside = box->GetList(1);
        }
        fakes::AppendChars(*inside, "end");
    });
    seeds["list-unknown-record"] = ListInput([](CompList& l) {
        fakes::AppendChars(l, "u");
        l.Append(Box(TypeTag("Zzzz"), 1, 3));
        fakes::AppendChars(l, "v");
    });
    seeds["document-new"] = DocumentInput([](CTessaryDoc&, CompSequence&) {});
    seeds["document-every-style"] = DocumentInput([](CTessaryDoc& doc, CompSequence& seq) {
        for (int32_t style = 0; style < 8; ++style) {
            auto para = std::make_unique<ParaComp>(style);
            fakes::AppendChars(*para->GetList(1), "p" + std::to_string(style), style % 5);
            if (style == 5) para->GetList(1)->Append(Box(tags::Fraction, 2, 4));
            seq.Append(std::move(para));
        }
        seq.RemoveAt(3); // its number becomes free
        doc.GetSettings().baseSize = 3;
        doc.GetCreateDefaults() = CreateDefaults{4, 5, 6};
    });
    seeds["document-damaged-identities"] = WithMode(docfuzz::kDocumentMode, docfiles::Builder()
                                                                                .Long(1401)
                                                                                .Short(4)
                                                                                .Pool(3, {2, 2, 9})
                                                                                .Short(7)
                                                                                .Long(3)
                                                                                .Fill(3, 1)
                                                                                .Settings(12)
                                                                                .Defaults(1, 1, 1)
                                                                                .Long(4)
                                                                                .Para(5, 3)
                                                                                .Para(3, 3)
                                                                                .Para(9, 0)
                                                                                .Para(1, 2)
                                                                                .bytes);
    seeds["prims-2d"] = PrimsInput(docfuzz::kPrims2DMode, {1, 2, 3, 4, 5, 6, 7});
    seeds["prims-3d"] = PrimsInput(docfuzz::kPrims3DMode, {1, 2, 3, 4, 5, 6, 7, 9});
    return seeds;
}

int Write(const fs::path& dir) {
    fs::create_directories(dir);
    for (const auto& [name, bytes] : Seeds()) {
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
            return 1;
        }
    }
    return 0;
}

int Check(const fs::path& dir) {
    const std::map<std::string, Bytes> seeds = Seeds();
    int stale = 0;
    for (const auto& [name, bytes] : seeds) {
        if (docfiles::ReadFile(dir / name) != bytes) {
            std::fprintf(stderr, "seed %s is missing or out of date\n", name.c_str());
            ++stale;
        }
    }
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!seeds.contains(entry.path().filename().string())) {
            std::fprintf(stderr, "%s is no seed the generator writes\n", entry.path().c_str());
            ++stale;
        }
    }
    if (stale > 0)
        std::fprintf(stderr, "rewrite the seeds: document_stream_corpus write %s\n", dir.c_str());
    return stale > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const docfuzz::Environment environment;
    const std::string_view mode = argc == 3 ? argv[1] : "";
    if (mode == "write") return Write(argv[2]);
    if (mode == "check") return Check(argv[2]);
    std::fprintf(stderr, "usage: %s write|check DIR\n", argv[0]);
    return 2;
}
