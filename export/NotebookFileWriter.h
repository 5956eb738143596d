#pragma once

// The notebook text export: one notebook expression of nested cell groups (a title holds its
// sections, a section its subsections and cells), text cells made of styled strings and
// formula cells whose box text the kernel makes from each parsed formula.
//
// Strings escape double quotes and backslashes, and characters beyond ASCII go as the
// notebook's four-digit escapes, so the output is ASCII whatever the document holds.

#include "document/DocPos.h"
#include "document/ExportWriters.h"
#include "document/OutBuffer.h"
#include "export/ExportText.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CompList;
class ExprNode;

class NotebookFileWriter final : public NotebookWriter {
public:
    // The kernel's box text for a formula.
    using Converter = std::function<std::string(const ExprNode&)>;
    // The file name of the default style sheet written into the style definitions.
    static constexpr const char* kStyleSheet = "Default.nb";

    NotebookFileWriter(ByteStream& stream, Converter convert);

    void WriteHeader() override;
    void EndDocument() override;
    void WriteTitle(ParaComp& para) override;
    void WriteSection(ParaComp& para) override;
    void WriteSubsection(ParaComp& para) override;
    void WriteTextPara(ParaComp& para) override;
    void WriteInputPara(ParaComp& para) override;
    void WriteDisplayFormula(ParaComp& para) override;
    void WriteNumberedEquation(ParaComp& para) override;
    std::optional<DocPos> GetFirstFailure() const override { return m_firstFailure; }

    void OpenCell(int32_t level);
    void WriteRaw(const char* text) { m_out.PutString(text); }
    void Flush() { m_out.Flush(); }

private:
    void WriteTextCell(ParaComp& para, int32_t baseMode);
    void WriteFormulaCell(ParaComp& para);
    void CloseStyle(int32_t style, std::u16string& run, CompList& list, int32_t from, int32_t to,
                    bool last);
    void WriteString(const std::u16string& run);
    // The text in double quotes: a string of the notebook.
    void WriteQuoted(const std::u16string& text);
    // The kernel's text of a parsed formula, or the words of a stretch that is none as a
    // string; nothing for a stretch that does not parse (the first failure is noted).
    void WriteFormula(const exporttext::ParsedStretch& formula);
    // An equation's formulas with the text of its links and references: a row of them when
    // there is more than one.
    void WriteFormulaPieces(const std::vector<exporttext::ParsedStretch>& pieces);

    OutBuffer m_out;
    Converter m_convert;
    int32_t m_depth = 0;
    std::vector<int32_t> m_levels{4};
    bool m_separator = false;
    std::optional<DocPos> m_firstFailure;
};
