#pragma once

// What the document stream's fuzz target reads and the seed generator writes, in one place so
// that the seeds stay inputs the target understands.
//
// An input is one mode byte and then stream bytes: an even mode byte makes the rest a stored
// component list, or a whole document file when bit 2 is set; an odd one makes it a run of plot
// primitive records, 3-D when bit 1 is set.
// The components are the storable stand-ins of the stream tests; the primitives read a count and
// then that many doubles, the shape of the real polylines and meshes.

#include "document/DocStream.h"
#include "document/StoredPrim.h"
#include "document/tests/Fakes.h"
#include "document/tests/SequenceFakes.h"
#include "document/tests/StoredKinds.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace docfuzz {

inline constexpr uint8_t kListMode = 0;
inline constexpr uint8_t kPrims2DMode = 1;
inline constexpr uint8_t kPrims3DMode = 3;
inline constexpr uint8_t kDocumentMode = 4;

inline bool IsDocumentMode(uint8_t mode) {
    return mode % 2 == 0 && (mode & kDocumentMode) != 0;
}

class CountedPrim final : public StoredPrim {
public:
    explicit CountedPrim(int32_t code, std::vector<double> values = {})
        : m_code(code), m_values(std::move(values)) {}
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

// The services and kinds both the target and the generator run with, installed for the life of
// the object.
struct Environment {
    CountedPrimFactory primitives;
    Installed<PrimitiveFactory> installedPrimitives{gPrimitiveFactory, &primitives};
    fakes::GlyphSource glyphs;
    storedkinds::Registration kinds;
    // What whole documents need besides: paragraph styles and a drawing port.
    fakes::DrawPort port;
    seqfakes::ParaStyles styles;
};

} // namespace docfuzz
