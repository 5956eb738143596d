#pragma once

// Number-type codes: the one-byte tag of a binary machine number on the wire (bit 0x80 always
// set). The interface-2 build uses the first six, the interface-1 build the second group; each
// build's converter knows its own (NumberConverter.h).

#include <array>
#include <cstdint>

namespace corvinet {

namespace code {
inline constexpr uint8_t kByte = 0xA1; // unsigned char, both interfaces
inline constexpr uint8_t kShort = 0xE2;
inline constexpr uint8_t kInteger = 0xE4;
inline constexpr uint8_t kFloat = 0xF4;
inline constexpr uint8_t kDouble = 0xF6;
inline constexpr uint8_t kExtended = 0xD8; // 80-bit extended, 10 bytes

inline constexpr uint8_t kShort1 = 0xC1;
inline constexpr uint8_t kInt1 = 0xC2;
inline constexpr uint8_t kLong1 = 0xC3;
inline constexpr uint8_t kFloat1 = 0xD1;
inline constexpr uint8_t kDouble1 = 0xD2;
inline constexpr uint8_t kLongDouble1 = 0xD3;
} // namespace code

// Four 32-bit words, one bit per code: code c is bit (c & 0x1F) of word ((c >> 5) & 3).
using CodeMask = std::array<uint32_t, 4>;

constexpr bool acceptsCode(const CodeMask& mask, uint8_t c) {
    return (mask[(c >> 5) & 3] >> (c & 0x1F) & 1) != 0;
}

constexpr bool isNumberCode(unsigned c) {
    return c >= 0x80 && c <= 0xFF;
}
constexpr bool isRealCode(uint8_t c) {
    return (c & 0x10) != 0;
}

// The text token type that carries a number of this code when it cannot go in binary.
constexpr unsigned char textTypeOf(uint8_t c) {
    return isRealCode(c) ? '*' : '+';
}

// Codes whose byte size only the converter knows.
constexpr bool sizeFromConverter(uint8_t c) {
    return (c & 0x60) == 0x40;
}

// The byte size that a code's bits give by themselves (codes for which sizeFromConverter() is
// false).
constexpr int sizeFromBits(uint8_t c) {
    if (c & 0x08) return (c & 0x10) ? 16 : 0;
    return 1 << ((c >> 1) & 3);
}

} // namespace corvinet
