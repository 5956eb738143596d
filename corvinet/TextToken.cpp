#include "TextToken.h"

#include "CharacterEscapes.h"
#include "TokenBytes.h"

#include <cstring>

namespace corvinet {

LinkError TextToken::parseWire() {
    constexpr int kBad = 2;
    const uint8_t* p = characters.data();
    const uint8_t* end = p + characters.size();
    if (end - p < 3) return kBad;
    encoding = *p++;
    identifier = *p++;
    switch (encoding) {
    case 'A':
        // Every character takes at least one byte.
        if (!wire::parseCount(p, end, count) || count > end - p) return kBad;
        break;
    case 'B':
    case 'C': {
        const uint8_t n = *p++;
        const int64_t unit = encoding == 'C' ? 2 : 1;
        if ((end - p) % unit != 0) return kBad;
        count = (end - p) / unit;
        if (n != ' ' && n != 0x40 + count) return kBad;
        break;
    }
    default:
        return kBad;
    }
    const auto parsed = static_cast<std::size_t>(p - characters.data());
    if (parsed > header.size()) return kBad;
    std::memcpy(header.data(), characters.data(), parsed);
    headerSize = static_cast<uint8_t>(parsed);
    characters.erase(characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(parsed));
    return 0;
}

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

void TextToken::convert(ByteVector& out, TextSource::Width width, uint8_t replacement) const {
    switch (width) {
    case TextSource::k7Bit:
        to7Bit(out);
        break;
    case TextSource::k8Bit:
        to8Bit(out, replacement);
        break;
    case TextSource::k16Bit:
        to16Bit(out);
        break;
    }
}

} // namespace corvinet
