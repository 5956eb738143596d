#include "expr/MathMLWriter.h"

#include "expr/LinkString.h"
#include "expr/NumberText.h"
#include "mathbox/CharTable.h"
#include "platform/Cp1252.h"

char16_t MarkupCharUnicode(uint8_t code, bool mathFace) {
    const char16_t unicode =
        mathFace ? InternalUnicode(MathCharIndex[code]) : platform::Cp1252ToUnicode(code);
    const bool control =
        (unicode < 0x20 && unicode != '\t' && unicode != '\n' && unicode != '\r') ||
        (unicode >= 0x7F && unicode < 0xA0);
    return control ? u'\uFFFD' : unicode;
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
    BeginStartTag("mfenced");
    WriteAttribute("open", open);
    WriteAttribute("close", close);
    CloseStartTag();
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
        WriteEscapedChar(MarkupCharUnicode(static_cast<uint8_t>(c), false));
}

void MathMLWriter::WriteEscapedMathText(std::string_view text) {
    for (const char c : text)
        WriteEscapedChar(MarkupCharUnicode(static_cast<uint8_t>(c), true));
}

void MathMLWriter::WriteElement(const char* name, std::string_view text) {
    WriteStartTag(name);
    WriteRaw(text);
    WriteEndTag(name);
}
