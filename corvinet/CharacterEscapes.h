#pragma once

// The 7-bit escaped text form of link strings, and the older multi-byte form, as the put and
// get engines use them. The exported C functions over these helpers live in
// CharacterFunctions.cpp.

#include <cstddef>
#include <cstdint>

namespace corvinet {

// Results of decoding one character of escaped text besides its value.
inline constexpr int kBadCharacter = -1;   // the end of the text, or an escape that means nothing
inline constexpr int kNamedCharacter = -2; // "\[name]": no names are known here
inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// Bytes that character `c` (kept to 16 bits) takes as escaped text; `newline`, when it is a
// character, is the one written as backslash n.
int escapedSize(uint32_t c, int newline = -1);

// Writes `c` escaped at `out` (escapedSize(c, newline) bytes) and returns the byte after it.
unsigned char* writeEscaped(uint32_t c, unsigned char* out, int newline = -1);

// Decodes one character from [p, end) and moves `p` past it. Returns the character, or
// kBadCharacter (p not moved) at the end or on a bad escape, or kNamedCharacter.
int decodeCharacter(const unsigned char*& p, const unsigned char* end);

// The character that decodeCharacter() gives, as a 16-bit character to carry on: named
// characters and bad escapes become the replacement character.
inline char16_t toCarriedCharacter(int c) {
    return c < 0 ? kReplacementCharacter : static_cast<char16_t>(c);
}

// The older multi-byte form: one to three bytes a character, never a zero byte.
int oldFormSize(uint32_t c);
unsigned char* writeOldForm(uint32_t c, unsigned char* out);

// Decodes one character of old-form text from [p, end) and moves `p` past it; kBadCharacter
// (p not moved) at the end or when the text stops inside a character.
int decodeOldForm(const unsigned char*& p, const unsigned char* end);

} // namespace corvinet
