#include "export/ExportText.h"

#include "document/ListParser.h"
#include "document/TextComp.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "mathbox/CharTable.h"
#include "mathbox/parser/ExprParser.h"

namespace exporttext {

int32_t StyleOfFace(int32_t face) {
    switch (face) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
        return face;
    case 6:
        return kBold;
    case 7:
        return kMath;
    default:
        return kPlain;
    }
}

char16_t UnicodeOf(uint8_t code, int32_t face) {
    return MarkupCharUnicode(code, face == kMathFontKind);
}

char16_t UnicodeOf(const TextComp& comp) {
    return UnicodeOf(comp.GetCharCode(), comp.GetStyleId());
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Utf8OfText(std::string_view cp1252) {
    std::string out;
    for (char c : cp1252)
        AppendUtf8(out, UnicodeOf(static_cast<uint8_t>(c), kPlain));
    return out;
}

NodePtr ParseStretch(CompList& list, int32_t from, int32_t to,
                     std::optional<DocPos>& firstFailure) {
    if (from >= to || gListParser.Get() == nullptr) return nullptr;
    ParseFailed = false;
    NodePtr tree(gListParser->Parse(list, from, to));
    const bool failed = ParseFailed || tree == nullptr || dynamic_cast<ErrorNode*>(tree.get());
    ParseFailed = false;
    if (!failed) return tree;
    if (!firstFailure) {
        DocPos where;
        where.SetAt(&list, from);
        firstFailure = where;
    }
    return nullptr;
}

} // namespace exporttext
