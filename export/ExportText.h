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
#include <vector>

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
// Document text (cp1252) as UTF-8, and as Unicode.
std::string Utf8OfText(std::string_view cp1252);
std::u16string TextOf(std::string_view cp1252);

// Links and references belong to the text around them, wherever they stand: they write their
// shown text as text, and a run of mathematics they meet ends before them.
bool IsTextMaterial(const TextComp& comp);
// That text: a link's shown text, a reference's label as shown.
std::u16string TextOfMaterial(const TextComp& comp);

// A stretch of mathematics as the exports write it: a formula, or, for a stretch that is no
// formula but words (blanks, letters, digits, the marks of prose, links and references), its
// text. Neither for an empty stretch or a real error.
struct ParsedStretch {
    NodePtr tree;
    std::optional<std::u16string> text;
};

// The tree of children from..to (exclusive) through the installed parser. A stretch that does
// not parse is written as text when it reads as words; otherwise it gets neither, and its start
// becomes `firstFailure` unless an earlier one is there.
ParsedStretch ParseStretch(CompList& list, int32_t from, int32_t to,
                           std::optional<DocPos>& firstFailure);

// Children from..to (exclusive) that may hold links and references, as an equation does: the
// stretches between them through `ParseStretch`, and each link's and reference's text beside
// them, text next to text joined. A reference to an equation stays in its stretch, where it
// stands for the equation's expression. A stretch that does not parse adds nothing.
std::vector<ParsedStretch> ParsePieces(CompList& list, int32_t from, int32_t to,
                                       std::optional<DocPos>& firstFailure);

} // namespace exporttext
