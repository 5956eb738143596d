// Feeds arbitrary bytes to the document stream's reader: as a component list (the first byte
// even) or as a run of plot primitive records (odd). Any input either loads or fails with the
// stream's exception; one that loads must save, load and save again to the same bytes.
//
// ctest runs a short regression pass; a long run, by hand from the build folder:
//   document/document_stream_fuzz CORPUS_DIR -runs=1000000 -max_len=8192

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/StoredPrim.h"
#include "document/tests/Fakes.h"
#include "document/tests/StoredKinds.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using streambytes::Bytes;

// Primitive kinds whose bodies read a count and then that many doubles, the shape of the real
// polylines and meshes.
class CountedPrim final : public StoredPrim {
public:
    explicit CountedPrim(int32_t code) : m_code(code) {}
    int32_t GetTypeCode() const override { return m_code; }
    void Write(DocStream& s) const override {
        s.WriteLong(static_cast<int32_t>(m_values.size()));
        for (double v : m_values)
            s.WriteDouble(v);
    }
    void Read(DocStream& s) override {
        const int32_t count = s.ReadLong();
        s.RequireBytes(int64_t{count} * 8);
        m_values.resize(static_cast<size_t>(count));
        for (double& v : m_values)
            v = s.ReadDouble();
    }

private:
    int32_t m_code;
    std::vector<double> m_values;
};

class CountedPrimFactory final : public PrimitiveFactory {
public:
    std::unique_ptr<StoredPrim> New2D(int32_t code) override {
        return std::make_unique<CountedPrim>(code);
    }
    std::unique_ptr<StoredPrim> New3D(int32_t code) override {
        return std::make_unique<CountedPrim>(code);
    }
};

struct Environment {
    CountedPrimFactory primitives;
    Installed<PrimitiveFactory> installedPrimitives{gPrimitiveFactory, &primitives};
    fakes::GlyphSource glyphs;
    storedkinds::Registration kinds;
};

Bytes SaveList(const CompList& list) {
    return streambytes::Save([&](DocStream& s) { list.Write(s); });
}

void CheckListRoundTrip(const Bytes& input) {
    CompList list;
    try {
        streambytes::Load(input, [&](DocStream& s) { list.Read(s); });
    } catch (const platform::FileException&) {
        return;
    }
    const Bytes first = SaveList(list);
    CompList again;
    streambytes::Load(first, [&](DocStream& s) { again.Read(s); });
    if (SaveList(again) != first) std::abort();
}

void ReadPrimitives(const Bytes& input, bool is3D) {
    try {
        streambytes::Load(input, [&](DocStream& s) {
            for (;;) {
                if (is3D)
                    s.ReadPrimitive3D();
                else
                    s.ReadPrimitive2D();
            }
        });
    } catch (const platform::FileException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Environment environment;
    if (size == 0 || size > (1u << 24)) return 0;
    const Bytes input(data + 1, data + size);
    if (data[0] % 2 == 0)
        CheckListRoundTrip(input);
    else
        ReadPrimitives(input, data[0] & 2);
    return 0;
}
