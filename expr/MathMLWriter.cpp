#include "expr/MathMLWriter.h"

#include "expr/LinkString.h"
#include "expr/NumberText.h"
#include "mathbox/CharTable.h"
#include "platform/Cp1252.h"

#include <array>
#include <cstring>

char16_t MarkupCharUnicode(uint8_t code, bool mathFace) {
    const char16_t unicode =
        mathFace ? InternalUnicode(MathCharIndex[code]) : platform::Cp1252ToUnicode(code);
    const bool control =
        (unicode < 0x20 && unicode != '\t' && unicode != '\n' && unicode != '\r') ||
        (unicode >= 0x7F && unicode < 0xA0);
    return control ? u'\uFFFD' : unicode;
}

namespace {

// "&#65533;" is the longest escape.
struct EscapedChar {
    char text[9];
    uint8_t length;
};

} // namespace

std::string_view EscapedMarkupChar(uint8_t code, bool mathFace) {
    // Rows 0-255 text face, 256-511 math face.
    static const auto table = [] {
        std::array<EscapedChar, 512> rows{};
        for (int face = 0; face < 2; ++face)
            for (int byte = 0; byte < 256; ++byte) {
                StringMathMLWriter one;
                one.WriteEscapedChar(MarkupCharUnicode(static_cast<uint8_t>(byte), face == 1));
                const std::string& text = one.Text();
                EscapedChar& row = rows[static_cast<size_t>(face * 256 + byte)];
                std::memcpy(row.text, text.data(), text.size());
                row.length = static_cast<uint8_t>(text.size());
            }
        return rows;
    }();
    const EscapedChar& row = table[(mathFace ? 256u : 0u) + code];
    return {row.text, row.length};
}

void MathMLWriter::WriteStartTag(const char* name) {
    WriteRaw("<");
    WriteRaw(name);
    WriteRaw(">");
}

void MathMLWriter::BeginStartTag(const char* name) {
    WriteRaw("<");
    WriteRaw(name);
    m_pendingEnd = ">";
}

void MathMLWriter::BeginEmptyTag(const char* name) {
    WriteRaw("<");
    WriteRaw(name);
    m_pendingEnd = " />";
}

void MathMLWriter::WriteAttribute(const char* name, const char* value) {
    WriteRaw(" ");
    WriteRaw(name);
    WriteRaw("=\"");
    WriteRaw(value);
    WriteRaw("\"");
}

void MathMLWriter::CloseStartTag() {
    WriteRaw(m_pendingEnd);
}

void MathMLWriter::WriteEndTag(const char* name) {
    WriteRaw("</");
    WriteRaw(name);
    WriteRaw(">");
}

void MathMLWriter::WriteEntity(const char* name) {
    WriteRaw("&");
    WriteRaw(name);
    WriteRaw(";");
}

void MathMLWriter::BeginFenced(const char* open, const char* close) {
    WriteStartTag("mrow");
    WriteElement("mo", open);
    m_fenceCloses.push_back(close);
}

void MathMLWriter::EndFenced() {
    if (!m_fenceCloses.empty()) {
        WriteElement("mo", m_fenceCloses.back());
        m_fenceCloses.pop_back();
    }
    WriteEndTag("mrow");
}

void MathMLWriter::WriteLong(int32_t value) {
    WriteRaw(FormatInteger(value));
}

void MathMLWriter::WriteReal(double value) {
    WriteRaw(FormatReal(value));
}

void MathMLWriter::WriteEscapedChar(char16_t code) {
    if ((code < 0x20 && code != '\t' && code != '\n' && code != '\r') ||
        (code >= 0x7F && code < 0xA0))
        code = u'\uFFFD';
    switch (code) {
    case '"':
        WriteRaw("&quot;");
        return;
    case '&':
        WriteRaw("&amp;");
        return;
    case '<':
        WriteRaw("&lt;");
        return;
    case '>':
        WriteRaw("&gt;");
        return;
    default:
        break;
    }
    if (code >= 128) {
        WriteRaw("&#");
        WriteRaw(FormatInteger(code));
        WriteRaw(";");
        return;
    }
    const char c = static_cast<char>(code);
    WriteRaw(std::string_view(&c, 1));
}

void MathMLWriter::WriteEscapedStr255(const Str255& text) {
    WriteEscapedText(text.View());
}

void MathMLWriter::WriteEscapedText(std::string_view text) {
    for (const char c : text)
        WriteRaw(EscapedMarkupChar(static_cast<uint8_t>(c), false));
}

void MathMLWriter::WriteEscapedMathText(std::string_view text) {
    for (const char c : text)
        WriteRaw(EscapedMarkupChar(static_cast<uint8_t>(c), true));
}

void MathMLWriter::WriteElement(const char* name, std::string_view text) {
    WriteStartTag(name);
    WriteRaw(text);
    WriteEndTag(name);
}
