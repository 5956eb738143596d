#pragma once

// The markup primitives that expression nodes write MathML with. The XHTML export implements
// the one raw output; everything else is formed here, so every writer escapes and formats the
// same way. Numbers never depend on the locale.

#include "document/Str255.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The Unicode of a character byte for markup: text-face bytes are cp1252, math-face bytes the
// math font's own codes. A control (other than tab, line feed and carriage return) becomes
// U+FFFD: XML refuses controls, even as references.
char16_t MarkupCharUnicode(uint8_t code, bool mathFace);
// That character as `MathMLWriter::WriteEscapedChar` writes it; from a table made once, for the
// exports that write every character of a document.
std::string_view EscapedMarkupChar(uint8_t code, bool mathFace);

class MathMLWriter {
public:
    virtual ~MathMLWriter() = default;

    // Bytes as they stand.
    virtual void WriteRaw(std::string_view text) = 0;

    void NewLine() { WriteRaw("\n"); }
    // "<name>"
    void WriteStartTag(const char* name);
    // "<name"; the ">" is pending until CloseStartTag.
    void BeginStartTag(const char* name);
    // "<name"; the " />" is pending until CloseStartTag.
    void BeginEmptyTag(const char* name);
    // A blank, the name, "=" and the value in double quotes.
    void WriteAttribute(const char* name, const char* value);
    void CloseStartTag();
    // "</name>"
    void WriteEndTag(const char* name);
    // "&name;"
    void WriteEntity(const char* name);
    // A fence: an "mrow" whose first and last children are the two marks as "mo" elements.
    // Browsers draw that (and stretch the marks to the content); an "mfenced" element they do
    // not draw at all. The close mark waits for the matching EndFenced; fences nest.
    void BeginFenced(const char* open, const char* close);
    void EndFenced();
    // The comma between the items of a fence that holds several.
    void WriteFenceSeparator() { WriteElement("mo", ","); }
    void WriteLong(int32_t value);
    // The shortest form of six significant digits, as "%g" gives it.
    void WriteReal(double value);
    // Markup characters as entities, codes of 128 and above as decimal references, controls
    // as U+FFFD.
    void WriteEscapedChar(char16_t code);
    // Text-font (cp1252) bytes.
    void WriteEscapedStr255(const Str255& text);
    void WriteEscapedText(std::string_view text);
    // Math-font bytes (symbol names), each through the math font's character.
    void WriteEscapedMathText(std::string_view text);

    // An element holding raw text: "<name>text</name>".
    void WriteElement(const char* name, std::string_view text);

private:
    const char* m_pendingEnd = ">";
    std::vector<const char*> m_fenceCloses; // the open fences' close marks, innermost last
};

// Collects MathML in a string.
class StringMathMLWriter final : public MathMLWriter {
public:
    void WriteRaw(std::string_view text) override { m_text += text; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};
