#pragma once

// Writes one whole text token (string, symbol or number text) onto a link stream in the element
// encoding that the peer reads: `A` 7-bit escaped text, `B` bytes, `C` 16-bit pairs, or the
// plain form when the peer reads none of them.

#include "LinkError.h"
#include "LinkFeatures.h"

#include <cstddef>
#include <cstdint>

namespace corvinet {

class LinkStream;

// Where encoded bytes go: a link's stream, or memory (the shape block of an array).
class ByteSink {
public:
    // 0, or the error of the write.
    virtual LinkError putBytes(const void* bytes, std::size_t count) = 0;

protected:
    ~ByteSink() = default;
};

// Program-side text: 7-bit escaped text and 8-bit bytes count `length` in bytes, 16-bit text in
// characters.
struct TextSource {
    enum Width : uint8_t { k7Bit = 2, k8Bit = 4, k16Bit = 8 };
    Width width;
    const void* data;
    std::size_t length;
};

class TextEncoder {
public:
    explicit TextEncoder(const LinkFeatures& features) : m_features(features) {}

    // The encoding letter (or the plain type) that `source` goes out with. Text given in pieces
    // prefers `C` over `A` for 8-bit source, as the whole text is not known when it starts.
    uint8_t choose(TextSource::Width width, bool piecewise) const;

    // Writes the token of type `type` (`"` `#` `*` `+`); 0, or the stream's error.
    LinkError write(LinkStream& out, uint8_t type, const TextSource& source,
                    bool piecewise = false) const;
    LinkError write(ByteSink& out, uint8_t type, const TextSource& source,
                    bool piecewise = false) const;

private:
    bool reads(uint8_t letter) const;

    const LinkFeatures& m_features;
};

} // namespace corvinet
