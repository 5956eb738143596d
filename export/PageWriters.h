#pragma once

// The two page exports. HTML keeps text as text and turns every formula, plot and picture
// into a PNG file beside the page; XHTML writes formulas as MathML (the nodes write themselves
// through this writer) and only plots and pictures as PNG files.

#include "document/DocPos.h"
#include "document/ExportWriters.h"
#include "export/PageMarkup.h"

#include <optional>

class HtmlFileWriter final : public HtmlWriter, public PageMarkup {
public:
    // The two widths are the equation and label cells' widths.
    HtmlFileWriter(ByteStream& stream, const Str255& title, const Str255& baseName,
                   std::string imageDirectory, int32_t columnWidth, int32_t rightEdge);

    void WriteHeader() override;
    void EndDocument() override;
    void WriteHeading1(ParaComp& para) override;
    void WriteHeading2(ParaComp& para) override;
    void WriteHeading3(ParaComp& para) override;
    void WriteTextPara(ParaComp& para) override;
    void WriteListItem(ParaComp& para) override;
    void WriteCodePara(ParaComp& para) override;
    void WriteNumberedEquation(ParaComp& para, const Str31& label) override;
    void WriteDisplayEquation(ParaComp& para) override;
    void WriteImageParagraph(ParaComp& para) override;
    PictureFailures GetPictureFailures() const override { return GetFailures(); }

private:
    const char* AnchorTag() const override { return "A"; }
    const char* HrefAttribute() const override { return "HREF"; }
    void CloseMath(CompList& list, int32_t from, int32_t to, bool structured,
                   const std::u16string& text) override;
    void WriteEquationTable(ParaComp& para, const Str31* label);
    void WriteFunctionCell(CompList& list) override;
    std::string WriteImageTag() override;

    std::string m_firstWidth;
    std::string m_secondWidth;
};

class XhtmlFileWriter final : public XhtmlWriter, public PageMarkup {
public:
    static constexpr const char* kXhtmlNamespace = "http://www.w3.org/1999/xhtml";
    static constexpr const char* kMathNamespace = "http://www.w3.org/1998/Math/MathML";

    // With `images` off picture elements are written but no file is made.
    XhtmlFileWriter(ByteStream& stream, const Str255& title, const Str255& baseName,
                    std::string imageDirectory, bool images);

    void WriteHeader() override;
    void EndDocument() override;
    void WriteHeading1(ParaComp& para) override;
    void WriteHeading2(ParaComp& para) override;
    void WriteHeading3(ParaComp& para) override;
    void WriteTextPara(ParaComp& para) override;
    void WriteListItem(ParaComp& para) override;
    void WriteCodePara(ParaComp& para) override;
    void WriteNumberedEquation(ParaComp& para, const Str31& label) override;
    void WriteDisplayEquation(ParaComp& para) override;
    void WriteImageParagraph(ParaComp& para) override;
    std::optional<DocPos> GetFirstFailure() const override { return m_firstFailure; }
    PictureFailures GetPictureFailures() const override { return GetFailures(); }

    // The mathematics of children from..to (exclusive): the parsed tree writes itself, words
    // that are no formula and the text of links and references go as text beside it. Any other
    // stretch that does not parse writes nothing and is remembered as the first failure.
    void WriteMath(CompList& list, int32_t from, int32_t to);

private:
    const char* AnchorTag() const override { return "a"; }
    const char* HrefAttribute() const override { return "href"; }
    void OpenMath() override;
    void CloseMath(CompList& list, int32_t from, int32_t to, bool structured,
                   const std::u16string& text) override;
    void WriteMathElement(CompList& list);
    bool IsInlineImage(const TextComp& comp) const override;
    void WriteFunctionCell(CompList& list) override { WriteMathElement(list); }
    std::string WriteImageTag() override;

    std::optional<DocPos> m_firstFailure;
};
