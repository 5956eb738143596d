#pragma once

// Byte-level helpers for the stream tests: write through a DocStream into bytes, read bytes back
// through one, and spell out expected file bytes field by field.

#include "document/CountStream.h"
#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "document/TypeTag.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace streambytes {

using Bytes = std::vector<uint8_t>;

// What `write` puts through a DocStream: counted first, as a save does, then written into a
// block of exactly that size.
template <typename Write>
Bytes Save(Write&& write) {
    CountStream counter;
    {
        DocStream stream(counter);
        write(stream);
    }
    Bytes block(static_cast<size_t>(counter.GetSize()));
    MemoryStream memory(block.data(), static_cast<int32_t>(block.size()));
    {
        DocStream stream(memory);
        write(stream);
    }
    block.resize(static_cast<size_t>(memory.GetPosition()));
    return block;
}

// Lets `read` read the bytes through a DocStream; returns where reading stopped.
template <typename Read>
int32_t Load(const Bytes& bytes, Read&& read) {
    MemoryStream memory(static_cast<const void*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    DocStream stream(memory);
    read(stream);
    return memory.GetPosition();
}

// Expected file contents, little-endian field by field.
class Builder {
public:
    Builder& U8(uint8_t value) {
        m_bytes.push_back(value);
        return *this;
    }
    Builder& I16(int16_t value) { return Le(static_cast<uint16_t>(value), 2); }
    Builder& I32(int32_t value) { return Le(static_cast<uint32_t>(value), 4); }
    Builder& F64(double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        return Le(bits, 8);
    }
    Builder& Tag(const char* name) { return I32(static_cast<int32_t>(TypeTag(name).Value())); }
    Builder& Raw(std::initializer_list<uint8_t> bytes) {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }
    Builder& Text(std::string_view text) {
        // Byte by byte: a bulk insert of a one-character literal trips a false overflow
        // warning in the optimising compiler.
        for (const char c : text)
            m_bytes.push_back(static_cast<uint8_t>(c));
        return *this;
    }
    Builder& Append(const Bytes& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // A record: head, then the length of the body plus the length field itself, then the body.
    Builder& Record(const char* tag, const Bytes& body) {
        return Tag(tag).I32(static_cast<int32_t>(body.size()) + 4).Append(body);
    }
    int32_t Size() const { return static_cast<int32_t>(m_bytes.size()); }
    const Bytes& Get() const { return m_bytes; }
    operator const Bytes&() const { return m_bytes; }

private:
    Builder& Le(uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            m_bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        return *this;
    }

    Bytes m_bytes;
};

} // namespace streambytes
