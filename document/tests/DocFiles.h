#pragma once

// Helpers for tests that save and load whole documents: a document over the stand-in body and
// a recording host, files as bytes, and a builder for hand-made files.

#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "document/tests/Fakes.h"
#include "document/tests/StandInBody.h"
#include "platform/tests/TempDir.h"

#include <set>
#include <string>
#include <vector>

namespace docfiles {

using Bytes = std::vector<uint8_t>;

inline Bytes ReadFile(const std::string& path) {
    return platform::testing::ReadWhole<Bytes>(path);
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    platform::testing::WriteWhole(path, bytes);
}

// Little-endian values appended in order.
class Builder {
public:
    Builder& Long(int32_t v) { return Put(static_cast<uint32_t>(v), 4); }
    Builder& Short(int16_t v) { return Put(static_cast<uint16_t>(v), 2); }
    Builder& Byte(uint8_t v) { return Put(v, 1); }
    Builder& Fill(size_t count, uint8_t v) {
        bytes.insert(bytes.end(), count, v);
        return *this;
    }
    Builder& Append(const Bytes& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }

    // Header records: kind and length, then the body.
    Builder& Pool(int32_t last, const std::vector<int32_t>& free) {
        Short(1).Long(static_cast<int32_t>(8 + 4 * free.size())).Long(last);
        Long(static_cast<int32_t>(free.size()));
        for (int32_t n : free)
            Long(n);
        return *this;
    }
    Builder& Settings(int16_t baseSize, uint8_t flag = 0, uint8_t larger = 0,
                      Rect placement = Rect(0, 0, 600, 480)) {
        Short(2).Long(23).Short(baseSize).Byte(flag).Byte(larger).Short(1);
        Long(placement.left).Long(placement.top).Long(placement.right).Long(placement.bottom);
        return Byte(1);
    }
    Builder& Defaults(int16_t columns, int16_t rows, int16_t entries) {
        return Short(3).Long(6).Short(columns).Short(rows).Short(entries);
    }
    // A paragraph record with an empty list.
    Builder& Para(int16_t style, int32_t identity) { return Short(style).Long(identity).Long(0); }

    Bytes bytes;

private:
    Builder& Put(uint32_t v, int count) {
        for (int i = 0; i < count; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
};

// What is wrong with the identities of the document's paragraphs, or "" when every paragraph
// holds a positive number that no other paragraph holds and that is not free.
inline std::string IdentityFault(const CTessaryDoc& doc) {
    const std::vector<int32_t>& freeList = doc.GetNumberPool().GetFree();
    const std::set<int32_t> free(freeList.begin(), freeList.end());
    std::set<int32_t> held;
    for (int32_t i = 1; i <= doc.GetBody().GetCount(); ++i) {
        const int32_t identity = doc.GetBody().GetIdentity(i);
        const std::string number = std::to_string(identity);
        if (identity <= 0) return "paragraph " + std::to_string(i) + " holds " + number;
        if (!held.insert(identity).second) return "two paragraphs share " + number;
        if (free.count(identity)) return number + " is both free and held";
    }
    return "";
}

// A document over the stand-in body, with the glyphs its text needs.
struct Doc {
    Doc() : doc(host, fakes::StandInBody::Maker()) {}
    fakes::StandInBody& Body() { return static_cast<fakes::StandInBody&>(doc.GetBody()); }
    std::vector<int32_t> Identities() {
        std::vector<int32_t> ids;
        for (const auto& para : Body().paras)
            ids.push_back(para.identity);
        return ids;
    }
    // Appends `count` paragraphs of text.
    void AddText(int count, const char* text = "The quick brown fox jumps over the lazy dog") {
        for (int i = 0; i < count; ++i)
            Body().Append(3, std::make_unique<CompList>(Str255(text), i % 4));
    }

    fakes::GlyphSource glyphs;
    fakes::Host host;
    CTessaryDoc doc;
};

} // namespace docfiles
