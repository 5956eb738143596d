#include "export/NotebookFileWriter.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "export/ExportText.h"

#include <cstdio>
#include <memory>

namespace {

constexpr size_t kMaxRun = 255;

} // namespace

NotebookFileWriter::NotebookFileWriter(ByteStream& stream, Converter convert)
    : m_out(stream), m_convert(std::move(convert)) {}

void NotebookFileWriter::WriteHeader() {
    WriteRaw("Notebook[{\n");
    m_depth = 0;
    m_levels.assign(1, 4);
    m_separator = false;
}

void NotebookFileWriter::EndDocument() {
    for (; m_depth > 0; --m_depth)
        WriteRaw("}, Open]]\n");
    WriteRaw("},\nStyleDefinitions -> \"");
    WriteRaw(kStyleSheet);
    WriteRaw("\"]");
    Flush();
}

void NotebookFileWriter::OpenCell(int32_t level) {
    if (level == 0) {
        if (m_separator) WriteRaw(",\n");
        m_separator = true;
        return;
    }
    while (level > m_levels[static_cast<size_t>(m_depth)]) {
        WriteRaw("\n}, Open  ]]\n");
        --m_depth;
        // The closed group is an element of the enclosing list: what follows needs a comma.
        m_separator = true;
    }
    if (level < m_levels[static_cast<size_t>(m_depth)]) {
        if (m_separator) WriteRaw(",\n");
        WriteRaw("Cell[CellGroupData[{\n");
        ++m_depth;
        m_levels.resize(static_cast<size_t>(m_depth) + 1);
        m_levels[static_cast<size_t>(m_depth)] = level;
    } else {
        WriteRaw("\n}, Open  ]],\nCell[CellGroupData[{\n");
    }
    // The heading's own cell comes next in the new group; the cell after it needs a comma.
    m_separator = true;
}

void NotebookFileWriter::WriteTitle(ParaComp& para) {
    OpenCell(3);
    WriteTextCell(para, exporttext::kBold);
    WriteRaw(" \"Title\"]");
}

void NotebookFileWriter::WriteSection(ParaComp& para) {
    OpenCell(2);
    WriteTextCell(para, exporttext::kBold);
    WriteRaw(" \"Section\"]");
}

void NotebookFileWriter::WriteSubsection(ParaComp& para) {
    OpenCell(1);
    WriteTextCell(para, exporttext::kBold);
    WriteRaw(" \"Subsection\"]");
}

void NotebookFileWriter::WriteTextPara(ParaComp& para) {
    OpenCell(0);
    WriteTextCell(para, exporttext::kPlain);
    WriteRaw(" \"Text\"]");
}

void NotebookFileWriter::WriteInputPara(ParaComp& para) {
    OpenCell(0);
    WriteTextCell(para, exporttext::kTypewriter);
    WriteRaw(" \"Input\"]");
}

void NotebookFileWriter::WriteDisplayFormula(ParaComp& para) {
    OpenCell(0);
    WriteFormulaCell(para);
    WriteRaw(" \"DisplayFormula\",TextAlignment->Center]");
}

void NotebookFileWriter::WriteNumberedEquation(ParaComp& para) {
    OpenCell(0);
    WriteFormulaCell(para);
    WriteRaw(" \"NumberedEquation\",TextAlignment->Center]");
}

void NotebookFileWriter::WriteString(const std::u16string& run) {
    for (char16_t c : run) {
        if (c == '"') {
            WriteRaw("\\\"");
        } else if (c == '\\') {
            WriteRaw("\\\\");
        } else if (c >= 0x20 && c < 0x7F) {
            m_out.PutChar(static_cast<uint8_t>(c));
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\:%04x", static_cast<unsigned>(c));
            WriteRaw(escape);
        }
    }
}

void NotebookFileWriter::WriteQuoted(const std::u16string& text) {
    WriteRaw("\"");
    WriteString(text);
    WriteRaw("\"");
}

void NotebookFileWriter::WriteFormula(const exporttext::ParsedStretch& formula) {
    if (formula.tree && m_convert)
        WriteRaw(m_convert(*formula.tree).c_str());
    else if (formula.text)
        WriteQuoted(*formula.text);
}

void NotebookFileWriter::WriteFormulaPieces(const std::vector<exporttext::ParsedStretch>& pieces) {
    if (pieces.size() == 1) return WriteFormula(pieces.front());
    if (pieces.empty()) return;
    // Formulas and text side by side: one row of their boxes.
    WriteRaw("RowBox[{");
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) WriteRaw(", ");
        WriteFormula(pieces[i]);
    }
    WriteRaw("}]");
}

void NotebookFileWriter::CloseStyle(int32_t style, std::u16string& run, CompList& list,
                                    int32_t from, int32_t to, bool last) {
    switch (style) {
    case exporttext::kItalic:
        WriteString(run);
        WriteRaw("\",FontSlant->\"Italic\"]");
        break;
    case exporttext::kBold:
        WriteString(run);
        WriteRaw("\",FontWeight->\"Bold\"]");
        break;
    case exporttext::kMath: {
        // Words that are no formula join the text as a string of their own.
        const exporttext::ParsedStretch formula =
            exporttext::ParseStretch(list, from, to, m_firstFailure);
        if (formula.text) {
            WriteQuoted(*formula.text);
        } else {
            WriteRaw("Cell[BoxData[");
            WriteFormula(formula);
            WriteRaw("],\"Output\"]");
        }
        break;
    }
    default:
        WriteString(run);
        WriteRaw("\"");
        break;
    }
    if (!last) WriteRaw(",\n");
    run.clear();
}

void NotebookFileWriter::WriteTextCell(ParaComp& para, int32_t baseMode) {
    WriteRaw("Cell[TextData[{\n");
    WriteRaw(baseMode == exporttext::kBold ? "StyleBox[\"" : "\"");
    CompList& list = *para.GetList(1);
    int32_t style = baseMode;
    int32_t mathStart = 1;
    std::u16string run;
    for (int32_t i = 1; i <= list.GetCount(); ++i) {
        TextComp& comp = *list.GetAt(i);
        const bool inText = exporttext::IsTextMaterial(comp);
        // Text material continues the text around it; after mathematics, the cell's own mode.
        const int32_t next = !inText ? exporttext::StyleOfFace(comp.GetStyleId())
                             : style == exporttext::kMath ? baseMode
                                                          : style;
        if (next != style) {
            CloseStyle(style, run, list, mathStart, i, false);
            style = next;
            if (style == exporttext::kMath)
                mathStart = i;
            else
                WriteRaw(style == exporttext::kItalic || style == exporttext::kBold ? "StyleBox[\""
                                                                                    : "\"");
        }
        if (style == exporttext::kMath) continue;
        if (run.size() >= kMaxRun) WriteString(run), run.clear();
        if (inText)
            run += exporttext::TextOfMaterial(comp);
        else if (!comp.IsNotChar())
            run += exporttext::UnicodeOf(comp);
    }
    CloseStyle(style, run, list, mathStart, list.GetCount() + 1, true);
    WriteRaw("}], ");
}

void NotebookFileWriter::WriteFormulaCell(ParaComp& para) {
    WriteRaw("Cell[BoxData[\n");
    CompList& list = *para.GetList(1);
    WriteFormulaPieces(exporttext::ParsePieces(list, 1, list.GetCount() + 1, m_firstFailure));
    WriteRaw("], ");
}
