#pragma once

// A text token read off the wire, held in memory, and its conversions to the three widths a
// getter may ask for. The characters are kept as they arrived (their element encoding), so that
// `A` text goes to 7-bit output and `B` text to 8-bit output unchanged.

#include "CharacterEscapes.h"
#include "EnvMemory.h"
#include "LinkError.h"
#include "TextEncoder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace corvinet {

using ByteVector = std::vector<uint8_t, PairAllocator<uint8_t>>;

struct TextToken {
    explicit TextToken(AllocatorPair memory) : characters(PairAllocator<uint8_t>(memory)) {}

    // 'A', 'B', 'C', or 0 for the plain form's older multi-byte text.
    uint8_t encoding = 'B';
    uint8_t identifier = '~';
    int64_t count = 0; // characters, as the token declared them
    ByteVector characters;
    // The letter, identifier and count as they came, so that the token's wire bytes are header
    // and characters; empty for text not parsed off the wire. A count field takes at most 11
    // bytes (kMaxCount).
    std::array<uint8_t, 16> header{};
    uint8_t headerSize = 0;

    // Takes `characters` as the data of a text token off the wire (letter, identifier, count,
    // characters) and keeps the characters, the rest in `header`. 0, or QKERR_INCONSISTENT_DATA
    // when the data breaks the format: a header longer than the data, a count that disagrees with
    // the length, an unknown letter.
    LinkError parseWire();
    // The same for token data that lies elsewhere in memory, copied into `characters`.
    LinkError parseWire(const uint8_t* data, std::size_t size);

    // Appends the text to `out` as 7-bit escaped text.
    void to7Bit(ByteVector& out) const;
    // As 8-bit codes; characters above 255 become `replacement`.
    void to8Bit(ByteVector& out, uint8_t replacement) const;
    // As 16-bit characters (two bytes each, in the machine's order).
    void to16Bit(ByteVector& out) const;

    // Appends the text at `width` (one of the three above).
    void convert(ByteVector& out, TextSource::Width width, uint8_t replacement) const;

    // Calls f(c) for every character, c a 16-bit value.
    template <class F>
    void forEach(F&& f) const;

private:
    // Takes the letter, identifier and count from the start of token data; their byte length,
    // or 0 when the data breaks the format.
    std::size_t parseHeader(const uint8_t* data, std::size_t size);
};

template <class F>
void TextToken::forEach(F&& f) const {
    const uint8_t* p = characters.data();
    const uint8_t* end = p + characters.size();
    switch (encoding) {
    case 'A':
        while (p < end) {
            const int c = decodeCharacter(p, end);
            // A backslash that starts no escape stands for itself.
            if (c == kBadCharacter)
                f(static_cast<char16_t>(*p++));
            else
                f(toCarriedCharacter(c));
        }
        break;
    case 'B':
        for (; p < end; ++p)
            f(static_cast<char16_t>(*p));
        break;
    case 'C':
        for (; p + 1 < end; p += 2)
            f(static_cast<char16_t>(p[0] << 8 | p[1]));
        break;
    default:
        while (p < end) {
            const int c = decodeOldForm(p, end);
            if (c == kBadCharacter) break; // cut inside its last character
            f(static_cast<char16_t>(c));
        }
        break;
    }
}

} // namespace corvinet
