#pragma once

// The bytes of the link wire format that both token engines share: token type bytes, element
// encoding letters and the count field.
//
// Count field: one byte 0x40 + n for n below 64 (compact), or the decimal digits of n followed
// by a blank. Readers take both forms everywhere; writers use the compact form where the peer
// decodes it.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace corvinet::wire {

inline constexpr uint8_t kString = '"';
inline constexpr uint8_t kSymbol = '#';
inline constexpr uint8_t kRealText = '*';
inline constexpr uint8_t kIntegerText = '+';
inline constexpr uint8_t kFunction = 'F';
inline constexpr uint8_t kArray = 'A';
inline constexpr uint8_t kArrayData = 'D';
inline constexpr uint8_t kPackedRun = 'P';
inline constexpr uint8_t kPlainInteger = 'I';
inline constexpr uint8_t kPlainReal = 'R';
inline constexpr uint8_t kPlainString = 'S';
inline constexpr uint8_t kPlainSymbol = 'Y';
inline constexpr uint8_t kShapeEnd = '.';
inline constexpr uint8_t kEndOfPacket = ']';
inline constexpr uint8_t kIgnored = '\\';
inline constexpr uint8_t kTerminator = '\n';

// Element encodings of a text token; the formats mask has bit (letter & 0x1F) for each.
inline constexpr uint8_t kEncoding7Bit = 'A';
inline constexpr uint8_t kEncoding8Bit = 'B';
inline constexpr uint8_t kEncoding16Bit = 'C';
inline constexpr unsigned kFormatPlain = 7; // formats-mask bit of the plain form
// The identifier byte of every text token this library writes.
inline constexpr uint8_t kTextIdentifier = '~';
// The header of B and C text: letter, identifier, one count byte.
inline constexpr int64_t kFixedTextHeader = 3;

// Counts beyond this are damaged data.
inline constexpr int64_t kMaxCount = INT32_MAX;

constexpr bool isTextType(unsigned t) {
    return t == kString || t == kSymbol || t == kRealText || t == kIntegerText;
}
constexpr bool isPlainTextType(unsigned t) {
    return t == kPlainString || t == kPlainSymbol || t == kPlainInteger || t == kPlainReal;
}
constexpr bool isTerminator(unsigned b) {
    return b == '\n' || b == '\r' || b == ',';
}
// Pass-through tokens carry a count field, that many uninterpreted bytes and a terminator, as a
// raw token does; `.` also closes an array's shape block, where it stands alone.
constexpr bool isPassThrough(unsigned b) {
    return b == '.' || (b >= 0x30 && b <= 0x3F);
}

// The plain type letter of a text type and back.
constexpr uint8_t plainTypeOf(uint8_t t) {
    switch (t) {
    case kString:
        return kPlainString;
    case kSymbol:
        return kPlainSymbol;
    case kRealText:
        return kPlainReal;
    default:
        return kPlainInteger;
    }
}
constexpr uint8_t textTypeOfPlain(uint8_t t) {
    switch (t) {
    case kPlainString:
        return kString;
    case kPlainSymbol:
        return kSymbol;
    case kPlainReal:
        return kRealText;
    default:
        return kIntegerText;
    }
}

// Writes a count field at `out` (room for 21 bytes) and returns the byte after it.
inline uint8_t* writeCount(uint8_t* out, int64_t n, bool compact) {
    if (compact && n < 64) {
        *out++ = static_cast<uint8_t>(0x40 + n);
        return out;
    }
    char digits[20];
    int k = 0;
    do {
        digits[k++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (k > 0)
        *out++ = static_cast<uint8_t>(digits[--k]);
    *out++ = ' ';
    return out;
}

// Reads a count field from memory; false when it is bad or cut off (p then undefined).
inline bool parseCount(const uint8_t*& p, const uint8_t* end, int64_t& n) {
    if (p >= end) return false;
    if (*p & 0x40) {
        n = *p++ & 0x3F;
        return true;
    }
    int64_t value = 0;
    const uint8_t* digits = p;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > kMaxCount) return false;
    }
    if (p == digits || p >= end || *p != ' ') return false;
    ++p;
    n = value;
    return true;
}

// Copies a binary number's bytes (1 to 16 of them); the common sizes become single moves.
inline void copyNumberBytes(void* to, const void* from, int size) {
    switch (size) {
    case 1:
        std::memcpy(to, from, 1);
        return;
    case 2:
        std::memcpy(to, from, 2);
        return;
    case 4:
        std::memcpy(to, from, 4);
        return;
    case 8:
        std::memcpy(to, from, 8);
        return;
    default:
        std::memcpy(to, from, static_cast<std::size_t>(size));
        return;
    }
}

inline int countSize(int64_t n, bool compact) {
    if (compact && n < 64) return 1;
    int digits = 1;
    while (n >= 10)
        n /= 10, ++digits;
    return digits + 1;
}

} // namespace corvinet::wire
