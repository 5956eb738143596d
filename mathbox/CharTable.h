#pragma once

// What the editor knows about each 8-bit character: its class for line layout, the lexer and
// word selection, its LaTeX forms, and the built-in kernel symbol it stands for.
//
// The table is indexed by a character index, not by the byte a component holds. The index
// space follows the classic Macintosh Roman set (the set documents are stored in); the
// in-memory byte (cp1252 in a text font, the math font's own code in font kind 3) becomes an
// index through TextCharIndex or MathCharIndex.
//
// Everything here is constant-initialised: it is complete before any dynamic initialiser runs,
// so other globals may read it while they are being built, and it is never written afterwards.

#include <array>
#include <cstdint>

enum CharClass : int32_t {
    CC_LETTER = 0,   // exactly the 52 ASCII letters; digits are CC_OTHER
    CC_SPACE = 1,    // blank, tab and index 127
    CC_OTHER = 2,    // every other sign
    CC_RELATION = 3, // "<", "=", ">" and the relation signs of the math font
};

struct CharInfo {
    CharClass charClass = CC_OTHER;
    // LaTeX, written unchanged; never null, empty where the character has no form.
    const char* textForm = "";
    const char* mathForm = "";
    // Row of the built-in symbol table that the character stands for; 0 = none.
    int32_t symbolIndex = 0;
    // A second code for the character; carried for completeness, nothing reads it.
    uint8_t altCode = 0;

    constexpr CharInfo() = default;
    constexpr CharInfo(CharClass charClass, const char* textForm, const char* mathForm,
                       int32_t symbolIndex, uint8_t altCode)
        : charClass(charClass), textForm(textForm), mathForm(mathForm), symbolIndex(symbolIndex),
          altCode(altCode) {}
};

// The font kind of the math font ("Tessary Math"); every other kind is a text font.
inline constexpr int32_t kMathFontKind = 3;

extern const std::array<CharInfo, 256> CharTable;

// Byte of a text-font character -> character index. Bytes 0 to 126 map to themselves.
extern const std::array<uint8_t, 256> TextCharIndex;
// Byte of a math-font character -> character index. Bytes 0 to 126 map to themselves; the upper
// half differs from TextCharIndex where the math font places its own glyphs.
extern const std::array<uint8_t, 256> MathCharIndex;

// The record of a character byte held by a component of the given font kind (the component's
// style id). The infix lexer and the LaTeX writer, which always go through MathCharIndex, index
// CharTable themselves.
inline const CharInfo& CharInfoFor(uint8_t code, int32_t fontKind) {
    return CharTable[fontKind == kMathFontKind ? MathCharIndex[code] : TextCharIndex[code]];
}
