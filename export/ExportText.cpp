#include "export/ExportText.h"

#include "document/CompList.h"
#include "document/LinkComp.h"
#include "document/ListParser.h"
#include "document/ParaComp.h"
#include "document/RefComp.h"
#include "document/TextComp.h"
#include "document/TypeTag.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "mathbox/CharTable.h"
#include "mathbox/parser/ExprParser.h"

#include <QChar>

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

bool IsTextMaterial(const TextComp& comp) {
    const TypeTag tag = comp.GetTypeTag();
    return tag == tags::Link || tag == tags::Reference;
}

std::u16string TextOfMaterial(const TextComp& comp) {
    if (comp.GetTypeTag() == tags::Link)
        return TextOf(static_cast<const LinkComp&>(comp).GetShownText().View());
    if (comp.GetTypeTag() == tags::Reference)
        return TextOf(static_cast<const RefComp&>(comp).ShownLabel().View());
    return {};
}

namespace {

// The marks that prose puts between words; operators, relations and brackets are not among
// them, so a stretch holding one is a formula, and one that does not parse a real error.
bool IsProseChar(char16_t unicode) {
    switch (unicode) {
    case ',':
    case '.':
    case ';':
    case ':':
    case '!':
    case '?':
    case '\'':
    case '"':
    case u'\u2019':
        return true;
    default: {
        const QChar c(unicode);
        return c.isLetterOrNumber() || c.isSpace();
    }
    }
}

// The stretch's text when it is words only, else nothing.
std::optional<std::u16string> ProseOf(const CompList& list, int32_t from, int32_t to) {
    std::u16string text;
    for (int32_t i = from; i < to; ++i) {
        const TextComp& comp = *list.GetAt(i);
        if (IsTextMaterial(comp)) {
            text += TextOfMaterial(comp);
        } else {
            if (comp.IsNotChar()) return std::nullopt;
            const char16_t unicode = UnicodeOf(comp);
            if (!IsProseChar(unicode)) return std::nullopt;
            text += unicode;
        }
    }
    return text;
}

} // namespace

std::u16string TextOf(std::string_view cp1252) {
    std::u16string text;
    for (char c : cp1252)
        text += UnicodeOf(static_cast<uint8_t>(c), kPlain);
    return text;
}

ParsedStretch ParseStretch(CompList& list, int32_t from, int32_t to,
                           std::optional<DocPos>& firstFailure) {
    ParsedStretch parsed;
    if (from >= to || gListParser.Get() == nullptr) return parsed;
    ParseFailed = false;
    NodePtr tree(gListParser->Parse(list, from, to));
    const bool failed = ParseFailed || tree == nullptr || dynamic_cast<ErrorNode*>(tree.get());
    ParseFailed = false;
    if (!failed) {
        parsed.tree = std::move(tree);
        return parsed;
    }
    parsed.text = ProseOf(list, from, to);
    if (!parsed.text && !firstFailure) {
        DocPos where;
        where.SetAt(&list, from);
        firstFailure = where;
    }
    return parsed;
}

namespace {

// A reference to an equation is that equation's expression inside a formula, as the kernel
// reads it; links and other references are words beside the formula.
bool StandsBesideFormula(TextComp& comp) {
    if (comp.GetTypeTag() == tags::Link) return true;
    if (comp.GetTypeTag() != tags::Reference) return false;
    const ParaComp* target = static_cast<RefComp&>(comp).Resolve();
    return target == nullptr || !target->IsEquation();
}

} // namespace

std::vector<ParsedStretch> ParsePieces(CompList& list, int32_t from, int32_t to,
                                       std::optional<DocPos>& firstFailure) {
    std::vector<ParsedStretch> pieces;
    const auto addText = [&](std::u16string text) {
        if (!pieces.empty() && pieces.back().text)
            *pieces.back().text += text;
        else
            pieces.push_back({nullptr, std::move(text)});
    };
    const auto addStretch = [&](int32_t start, int32_t end) {
        ParsedStretch parsed = ParseStretch(list, start, end, firstFailure);
        if (parsed.tree)
            pieces.push_back(std::move(parsed));
        else if (parsed.text)
            addText(std::move(*parsed.text));
    };
    int32_t start = from;
    for (int32_t i = from; i < to; ++i) {
        TextComp& comp = *list.GetAt(i);
        if (!StandsBesideFormula(comp)) continue;
        addStretch(start, i);
        addText(TextOfMaterial(comp));
        start = i + 1;
    }
    addStretch(start, to);
    return pieces;
}

} // namespace exporttext
