#pragma once

// Display pieces that several node classes share.

#include "expr/BoxFactory.h"

#include <string_view>

// Glyph codes of the math face.
namespace glyph {
inline constexpr uint8_t kBlank = 0x20;
inline constexpr uint8_t kPlus = 0x2B;
inline constexpr uint8_t kMinus = 0x2D;
inline constexpr uint8_t kPlusMinus = 0xB1;
inline constexpr uint8_t kQuote = 0x22;
} // namespace glyph

// Appends one box made by the installed factory; nothing without a factory.
template <typename Make>
void AppendMade(BoxList& into, Make make) {
    if (BoxFactory* factory = gBoxFactory.Get()) into.Add(make(*factory));
}

// Appends `inner` in parentheses.
void AppendParenthesised(BoxList& into, BoxList inner);
// Appends a node's own boxes, in parentheses when its place binds more tightly than it does.
void AppendOwn(BoxList& into, BoxList own, bool parenthesise);

// The glyphs of a number text. A real shows no more significant digits than the session's
// digit limit, rounded at the last one (only fraction digits go); an exponent "e..." shows as
// " 10" with the exponent raised.
void AppendNumberGlyphs(std::string_view text, BoxList& into, bool real);

// A number text in a context: a negative number at level 7 or more is parenthesised.
void AppendNumber(std::string_view text, BoxList& into, int32_t level, bool real);
