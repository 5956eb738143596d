#include "TextToken.h"

#include "CharacterEscapes.h"

#include <cstring>

namespace corvinet {

void TextToken::to7Bit(ByteVector& out) const {
    if (encoding == 'A') {
        out.insert(out.end(), characters.begin(), characters.end());
        return;
    }
    forEach([&](char16_t c) {
        uint8_t escape[6];
        uint8_t* end = writeEscaped(c, escape);
        out.insert(out.end(), escape, end);
    });
}

void TextToken::to8Bit(ByteVector& out, uint8_t replacement) const {
    if (encoding == 'B') {
        out.insert(out.end(), characters.begin(), characters.end());
        return;
    }
    forEach([&](char16_t c) { out.push_back(c > 0xFF ? replacement : static_cast<uint8_t>(c)); });
}

void TextToken::to16Bit(ByteVector& out) const {
    forEach([&](char16_t c) {
        uint8_t bytes[2];
        std::memcpy(bytes, &c, 2);
        out.insert(out.end(), bytes, bytes + 2);
    });
}

} // namespace corvinet
