#pragma once

// A LaTeX writer for tests of components: the document and paragraph operations do nothing,
// so a test overrides only the list operations it records.

#include "document/LatexWriter.h"
#include "document/TextComp.h"

#include <string>

namespace fakes {

class ParagraphLatexWriter : public LatexWriter {
public:
    void WriteReference(const RefSource&, bool) override {}
    void WriteLink(const Str255&, const Str255&) override {}
    void WriteImage(int32_t, int32_t, const PictureBytes*) override {}
    void WriteHeader(bool, int32_t) override {}
    void EndDocument() override {}
    void BeginParagraph(int32_t, const RefSource*, bool) override {}
    void EndParagraph(int32_t, const RefSource*) override {}
    void BeginEquationBlock() override {}
    void EndEquationBlock() override {}
};

// Records the document and paragraph calls and the characters between them: a box as "#",
// paragraph kinds in tags ("<3nw>" numbered, told of a leading blank), `separator` after each
// closing tag.
class ParagraphTraceLatex final : public LatexWriter {
public:
    explicit ParagraphTraceLatex(std::string separator = "") : m_separator(std::move(separator)) {}

    void BeginGroup(bool) override {}
    void EndGroup(bool) override {}
    void WriteComponentChar(TextComp& comp, bool) override {
        out += comp.IsNotChar() ? '#' : static_cast<char>(comp.GetCharCode());
    }
    void WriteRaw(const char* text) override { out += text; }
    void WriteReference(const RefSource&, bool) override { out += "ref"; }
    void WriteLink(const Str255& target, const Str255& shown) override {
        out += "link(" + target.ToCString() + "," + shown.ToCString() + ")";
    }
    void WriteImage(int32_t width, int32_t height, const PictureBytes* picture) override {
        out += "picture(" + std::to_string(width) + "x" + std::to_string(height) + "," +
               std::to_string(picture ? picture->size() : 0) + ")";
    }
    void WriteHeader(bool numberPages, int32_t firstPage) override {
        out += "head" + std::to_string(numberPages) + std::to_string(firstPage) + " ";
    }
    void EndDocument() override { out += "end"; }
    void BeginParagraph(int32_t kind, const RefSource* number, bool leadingWhite) override {
        out += "<" + std::to_string(kind) + (number ? "n" : "") + (leadingWhite ? "w" : "") + ">";
    }
    void EndParagraph(int32_t kind, const RefSource*) override {
        out += "</" + std::to_string(kind) + ">" + m_separator;
    }
    void BeginEquationBlock() override { out += "<block>"; }
    void EndEquationBlock() override { out += "</block>" + m_separator; }

    std::string out;

private:
    std::string m_separator;
};

} // namespace fakes
