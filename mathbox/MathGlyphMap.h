#pragma once

// Which glyph of the math font stands for each byte of the math face. Bytes of the math face
// are glyph slots, not text: they reach the font only through this one table, so measuring,
// drawing, the extent table's generator and the glyph pictures all agree on every slot.

#include <array>
#include <cstdint>

// The code point drawn for each math-face byte. Bytes that stand for nothing map to
// `kNeutralGlyph`, so a damaged document still draws something visible and measurable.
extern const std::array<char32_t, 256> MathGlyphCodes;

// A white square: what a meaningless slot shows.
inline constexpr char32_t kNeutralGlyph = 0x25A1;

// The big operators are slots of their own only where they are drawn as operators: byte 184 is
// an ordinary capital lambda in a line, and the product sign when a product box draws it big.
// Any other byte keeps its ordinary glyph.
char32_t BigOperatorCode(uint8_t code);

// The character plain text carries for a byte of the math face, or with `bigOperator` for the
// sign a big operator draws from it: the one drawn, except that a letter set slanted reads as
// its plain letter and the ASCII bytes read as themselves (x-1 as typed, not its drawn minus).
char32_t MathTextCode(uint8_t code, bool bigOperator);

// The brace's extension differs from the parenthesis extension that shares its byte.
inline constexpr char32_t kBraceExtension = 0x23AA;
