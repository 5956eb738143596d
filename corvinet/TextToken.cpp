#include "TextToken.h"

#include "CharacterEscapes.h"
#include "TokenBytes.h"

#include <cstring>

namespace corvinet {

std::size_t TextToken::parseHeader(const uint8_t* data, std::size_t size) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    if (end - p < 3) return 0;
    encoding = *p++;
    identifier = *p++;
    switch (encoding) {
    case 'A':
        // Every character takes at least one byte.
        if (!wire::parseCount(p, end, count) || count > end - p) return 0;
        break;
    case 'B':
    case 'C': {
        const uint8_t n = *p++;
        const int64_t unit = encoding == 'C' ? 2 : 1;
        if ((end - p) % unit != 0) return 0;
        count = (end - p) / unit;
        if (n != ' ' && n != 0x40 + count) return 0;
        break;
    }
    default:
        return 0;
    }
    const auto parsed = static_cast<std::size_t>(p - data);
    if (parsed > header.size()) return 0;
    std::memcpy(header.data(), data, parsed);
    headerSize = static_cast<uint8_t>(parsed);
    return parsed;
}

LinkError TextToken::parseWire() {
    const std::size_t parsed = parseHeader(characters.data(), characters.size());
    if (parsed == 0) return QKERR_INCONSISTENT_DATA;
    characters.erase(characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(parsed));
    return 0;
}

LinkError TextToken::parseWire(const uint8_t* data, std::size_t size) {
    const std::size_t parsed = parseHeader(data, size);
    if (parsed == 0) return QKERR_INCONSISTENT_DATA;
    characters.assign(data + parsed, data + size);
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
