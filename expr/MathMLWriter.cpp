#include "expr/MathMLWriter.h"

#include "expr/LinkString.h"
#include "expr/NumberText.h"

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
        WriteEscapedChar(TextCharUnicode(static_cast<uint8_t>(c)));
}

void MathMLWriter::WriteEscapedMathText(std::string_view text) {
    for (const char c : text)
        WriteEscapedChar(MathCharUnicode(static_cast<uint8_t>(c)));
}

void MathMLWriter::WriteElement(const char* name, std::string_view text) {
    WriteStartTag(name);
    WriteRaw(text);
    WriteEndTag(name);
}
