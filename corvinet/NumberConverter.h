#pragma once

// The number converter that every link carries: which number-type codes travel in binary, the
// byte size of each, and the conversions between codes and to and from number text. Each build
// has its own (its own codes and capability answer); buildNumberConverter() gives it.

#include "NumberCodes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvinet {

enum class NumberKind : uint8_t { None, Byte, Short, Int, Float, Double, Extended };

struct CodeEntry {
    uint8_t code;
    NumberKind kind; // None: the code has a size but no conversions
    uint8_t size;
};

// The codes both builds know, in one table: the interface-2 converter takes the first
// kInterface2CodeCount entries (its own codes, then the interface-1 codes that it takes as
// their interface-2 kin), the interface-1 converter the entries from kInterface1CodeStart on
// (its own codes, and 0xD8 sized so that a token of it can be skipped, but never converted).
inline constexpr CodeEntry kCodeEntries[] = {
    {code::kShort, NumberKind::Short, 2},        {code::kInteger, NumberKind::Int, 4},
    {code::kFloat, NumberKind::Float, 4},        {code::kDouble, NumberKind::Double, 8},
    {code::kExtended, NumberKind::Extended, 10}, {code::kByte, NumberKind::Byte, 1},
    {code::kShort1, NumberKind::Short, 2},       {code::kInt1, NumberKind::Int, 4},
    {code::kLong1, NumberKind::Int, 4},          {code::kFloat1, NumberKind::Float, 4},
    {code::kDouble1, NumberKind::Double, 8},     {code::kLongDouble1, NumberKind::Double, 8},
    {code::kExtended, NumberKind::None, 10},
};
inline constexpr std::span<const CodeEntry> kCodeTable(kCodeEntries);
inline constexpr std::size_t kInterface2CodeCount = 12;
inline constexpr std::size_t kInterface1CodeStart = 5;

// Result codes of the converter besides 0: the link errors for a text without digits (2) and
// for a value that does not fit (7), and -1 for a pair of codes it cannot convert.
inline constexpr int kConvertNoDigits = 2;
inline constexpr int kConvertOverflow = 7;
inline constexpr int kConvertUnsupported = -1;

class NumberConverter {
public:
    constexpr NumberConverter(std::span<const CodeEntry> codes, CodeMask accepted,
                              const char* numericsId)
        : m_codes(codes), m_accepted(accepted), m_numericsId(numericsId) {}

    // The converter's one raw operation. flags 0 is the capability query (the accepted-code
    // words go to `src`, the numerics identifier to `dst`, at most *count bytes, zero-filled).
    // Otherwise the low byte of flags names the source (a code or a text type `*` `+` `I` `R`)
    // and the second byte the destination; destination 0 asks for the source code's size and
    // returns it. Text results are right-aligned in `dst` (*count bytes, at most 255 used) with
    // dst[0] holding the offset where the text starts.
    int convert(uint32_t flags, void* dst, void* src, int32_t* count) const;

    const CodeMask& acceptedCodes() const { return m_accepted; }
    const char* numericsId() const { return m_numericsId; }

    // Bytes of one value of `code`, 0 for a code this converter does not know.
    int sizeOf(uint8_t code) const;

    // Converts `count` values; on failure `count` comes back as the number converted.
    int convertValues(uint8_t from, const void* src, uint8_t to, void* dst, int32_t& count) const;

    // The number text of one value (at most kMaxNumberText bytes at `out`).
    int toText(uint8_t from, const void* src, char* out, std::size_t& length) const;

    // One value of code `to` from a number text of token type `textType` (`+` `*` `I` `R`).
    // `used` gets the characters consumed.
    int fromText(unsigned char textType, const char* text, std::size_t length, uint8_t to,
                 void* dst, std::size_t& used) const;

private:
    const CodeEntry* find(uint8_t code) const;

    std::span<const CodeEntry> m_codes;
    CodeMask m_accepted;
    const char* m_numericsId;
};

// The bytes of a binary number of `code` on the wire: from the code's bits, or from the
// converter for codes whose size only it knows (0 without one, or for a code it does not know).
inline int wireSizeOf(const NumberConverter* converter, uint8_t code) {
    if (!sizeFromConverter(code)) return sizeFromBits(code);
    return converter ? converter->sizeOf(code) : 0;
}

// The converter of this build, defined once in each build's own sources.
const NumberConverter& buildNumberConverter();

// The number-type codes that the typed number functions of a build use.
struct NumberFunctionCodes {
    uint8_t putInteger; // QKPutInteger and QKPutShortInteger
    uint8_t putLongInteger;
    uint8_t putDouble; // QKPutDouble and QKPutFloat
    uint8_t putLongDouble;
    uint8_t getShortInteger;
    uint8_t getInteger;
    uint8_t getLongInteger;
    uint8_t getFloat;
    uint8_t getDouble;
    uint8_t getLongDouble;
};
const NumberFunctionCodes& buildNumberFunctionCodes();

// The interface-2 converter; the interface-2 build answers buildNumberConverter() with it.
const NumberConverter& interface2NumberConverter();
// The interface-1 converter, part of the interface-1 build only.
const NumberConverter& interface1NumberConverter();

// The 10 bytes of an 80-bit extended value (little-endian: 8 bytes mantissa with its explicit
// leading bit, then sign and exponent), to and from double.
void encodeExtended(double value, unsigned char out[10]);
double decodeExtended(const unsigned char in[10]);

// The same for the platform's long double, exact where it is the 80-bit format itself.
void encodeLongDouble(long double value, unsigned char out[10]);
long double decodeLongDouble(const unsigned char in[10]);

} // namespace corvinet
