#pragma once

// What every export writer shares about characters: the writing style a component's face
// stands for, and the Unicode of a component's byte, which depends on its face (text faces are
// cp1252, the math face has its own glyph codes).

#include "document/DocPos.h"
#include "expr/ExprNode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CompList;
class TextComp;

namespace exporttext {

// The writing styles of the exports.
inline constexpr int32_t kPlain = 0;
inline constexpr int32_t kItalic = 1;
inline constexpr int32_t kBold = 2;
inline constexpr int32_t kMath = 3;
inline constexpr int32_t kTypewriter = 4;

// A face (a component's style id, 0 to 7) as a writing style: the three roman faces of
// mathematics write as plain text, bold text and math; an unknown face as plain text.
int32_t StyleOfFace(int32_t face);

// The Unicode of a byte of the face. Controls other than tab, line feed and carriage return
// become U+FFFD: no export may carry them, and XML refuses them even as references.
char16_t UnicodeOf(uint8_t code, int32_t face);
// The component's own character, by its face.
char16_t UnicodeOf(const TextComp& comp);

void AppendUtf8(std::string& out, char32_t code);
// Document text (cp1252) as UTF-8.
std::string Utf8OfText(std::string_view cp1252);

// The tree of children from..to (exclusive) through the installed parser; null for an empty
// stretch, and null for one that does not parse, whose start then becomes `firstFailure` unless
// an earlier one is there.
NodePtr ParseStretch(CompList& list, int32_t from, int32_t to, std::optional<DocPos>& firstFailure);

} // namespace exporttext
