#include "CharacterEscapes.h"

#include <cstring>

namespace corvinet {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(unsigned char b) {
    if (b >= '0' && b <= '9') return b - '0';
    if (b >= 'a' && b <= 'f') return b - 'a' + 10;
    if (b >= 'A' && b <= 'F') return b - 'A' + 10;
    return -1;
}

bool isOctal(unsigned char b) {
    return b >= '0' && b <= '7';
}

// Reads exactly `count` hexadecimal digits at p; -1 when they are not all there.
int fixedHex(const unsigned char* p, const unsigned char* end, int count) {
    if (end - p < count) return -1;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const int digit = hexValue(p[i]);
        if (digit < 0) return -1;
        value = value << 4 | digit;
    }
    return value;
}

} // namespace

int escapedSize(uint32_t c, int newline) {
    c &= 0xFFFF;
    if (newline >= 0 && c == static_cast<uint32_t>(newline)) return 2;
    if (c == '\\') return 2;
    if (c >= 0x20 && c <= 0x7E) return 1;
    if (c <= 0xFF) return 4;
    return 6;
}

unsigned char* writeEscaped(uint32_t c, unsigned char* out, int newline) {
    c &= 0xFFFF;
    if (newline >= 0 && c == static_cast<uint32_t>(newline)) {
        *out++ = '\\';
        *out++ = 'n';
    } else if (c == '\\') {
        *out++ = '\\';
        *out++ = '\\';
    } else if (c >= 0x20 && c <= 0x7E) {
        *out++ = static_cast<unsigned char>(c);
    } else if (c <= 0xFF) {
        *out++ = '\\';
        *out++ = static_cast<unsigned char>('0' + (c >> 6));
        *out++ = static_cast<unsigned char>('0' + (c >> 3 & 7));
        *out++ = static_cast<unsigned char>('0' + (c & 7));
    } else {
        *out++ = '\\';
        *out++ = ':';
        for (int shift = 12; shift >= 0; shift -= 4)
            *out++ = kHexDigits[c >> shift & 0xF];
    }
    return out;
}

int decodeCharacter(const unsigned char*& p, const unsigned char* end) {
    if (p >= end) return kBadCharacter;
    if (*p != '\\') return *p++;
    const unsigned char* q = p + 1;
    if (q >= end) return kBadCharacter;
    const unsigned char kind = *q++;
    int value;
    switch (kind) {
    case 'n':
        value = 10;
        break;
    case 't':
        value = 9;
        break;
    case 'r':
        value = 13;
        break;
    case 'a':
        value = 7;
        break;
    case 'b':
        value = 8;
        break;
    case 'f':
        value = 12;
        break;
    case 'v':
        value = 11;
        break;
    case '"':
    case '\'':
    case '?':
    case '\\':
    case '\n':
    case '\r':
        value = kind;
        break;
    case ':':
        value = fixedHex(q, end, 4);
        if (value < 0) return kBadCharacter;
        q += 4;
        break;
    case '.':
        value = fixedHex(q, end, 2);
        if (value < 0) return kBadCharacter;
        q += 2;
        break;
    case 'x': {
        const unsigned char* digits = q;
        value = 0;
        for (int digit; q < end && (digit = hexValue(*q)) >= 0; ++q)
            value = (value << 4 | digit) & 0xFFFF;
        if (q == digits) return kBadCharacter;
        break;
    }
    case '[': {
        const unsigned char* close = q;
        while (close < end && *close != ']')
            ++close;
        if (close >= end) return kBadCharacter;
        p = close + 1;
        return kNamedCharacter;
    }
    default:
        if (!isOctal(kind)) return kBadCharacter;
        value = kind - '0';
        for (int i = 1; i < 3 && q < end && isOctal(*q); ++i)
            value = value * 8 + (*q++ - '0');
        break;
    }
    p = q;
    return value;
}

int oldFormSize(uint32_t c) {
    c &= 0xFFFF;
    if (c == 0) return 1;
    if (c <= 0xF7) return 1;
    if (c <= 0xFF) return 2;
    return (c & 0xFF) == 0 ? 2 : 3;
}

unsigned char* writeOldForm(uint32_t c, unsigned char* out) {
    c &= 0xFFFF;
    if (c == 0) {
        *out++ = 0xFF;
    } else if (c <= 0xF7) {
        *out++ = static_cast<unsigned char>(c);
    } else if (c <= 0xFF) {
        *out++ = 0xF8;
        *out++ = static_cast<unsigned char>(c);
    } else if ((c & 0xFF) == 0) {
        *out++ = 0xFA;
        *out++ = static_cast<unsigned char>(c >> 8);
    } else {
        *out++ = 0xFB;
        *out++ = static_cast<unsigned char>(c >> 8);
        *out++ = static_cast<unsigned char>(c);
    }
    return out;
}

int decodeOldForm(const unsigned char*& p, const unsigned char* end) {
    if (p >= end) return kBadCharacter;
    const unsigned char lead = *p;
    const std::ptrdiff_t left = end - p;
    int value;
    int size = 1;
    switch (lead) {
    case 0xFF:
        value = 0;
        break;
    case 0xF8:
    case 0xF9:
        if (left < 2) return kBadCharacter;
        value = p[1];
        size = 2;
        break;
    case 0xFA:
        if (left < 2) return kBadCharacter;
        value = p[1] << 8;
        size = 2;
        break;
    case 0xFB:
        if (left < 3) return kBadCharacter;
        value = p[1] << 8 | p[2];
        size = 3;
        break;
    default:
        value = lead;
        break;
    }
    p += size;
    return value;
}

} // namespace corvinet
