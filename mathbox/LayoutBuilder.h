#pragma once

// The paragraph layout builders: one shared object per paragraph style that knows the style's
// face, size, spacing, indentation and numbering, turns a paragraph's list into layout runs,
// breaks them into lines (`BuildLines`) and places the lines (`PlaceLines`). A builder keeps
// nothing of a paragraph between calls; its working fields are set by every call that reads
// them. Everything a build produces belongs to the paragraph's list.
//
// Spacing is given in points per base size (0 to 9) and converted with the target's vertical
// resolution, truncated.

#include "document/ParaStyle.h"
#include "document/Rect.h"

#include <cstdint>
#include <memory>
#include <vector>

class CompList;
class Layout;
class LineLayout;
class ListLines;

class LayoutBuilder : public ParaStyle {
public:
    // The builder of a style (styles 2 and 3 use this class itself).
    explicit LayoutBuilder(int32_t kind);
    ~LayoutBuilder() override = default;
    LayoutBuilder(const LayoutBuilder&) = delete;
    LayoutBuilder& operator=(const LayoutBuilder&) = delete;

    // --- ParaStyle ---
    int32_t GetKind() const override { return m_kind; }
    int32_t GetFace() const override;
    int32_t GetTextFace() const override;
    int8_t GetRelativeSize(const ParaComp& para) const override;
    bool IsNumbered() const override;
    bool HasTrailingLabel() const override { return m_kind == kNumberedEquation; }
    void BuildLines(ParaComp& para, const ParaComp* previous, int32_t left, int32_t right) override;
    void PlaceLines(ParaComp& para, Point start) override;
    void AdvanceCounter(NumberRecord& record) const override;
    Str31 GetNumberText(const NumberRecord& record) const override;
    Str31 GetReferenceText(const NumberRecord& record, bool brackets) const override;

    // --- Spacing and indentation, in pixels of the current target ---
    // The smallest distance between two baselines.
    int32_t GetLineSpacing() const;
    // Above the first line; Source Code after Source Code has none.
    int32_t GetSpaceBefore(const ParaComp* previous) const;
    // Below the last line.
    int32_t GetSpaceAfter() const;
    // The width of the line run that starts the first and every other line.
    virtual int32_t GetFirstIndent();
    virtual int32_t GetOtherIndent() { return GetFirstIndent(); }
    // The style of a paragraph started after one of this style.
    int32_t GetContinuationStyle() const;
    // Whether line building merges blanks into the words before them.
    bool MergesSpaces() const;
    // Between a label and the text; only the labelled styles have one.
    virtual int32_t GetLabelGap() { return 0; }

protected:
    enum class Alignment { Justified, Centred, Labelled, Equation, Left };
    virtual Alignment GetAlignment() const { return Alignment::Justified; }

    // The build every style shares: runs, lines, then the space before and after.
    void BuildShared(ParaComp& para, const ParaComp* previous, int32_t left, int32_t right);
    // A measured label run for the paragraph's number, or null for a paragraph without one.
    std::unique_ptr<Layout> NewLabelRun(ParaComp& para);

    // Working fields: set by every call that reads them; nothing here is owned.
    ParaComp* m_para = nullptr;
    CompList* m_list = nullptr;
    int32_t m_left = 0;
    int32_t m_right = 0;

private:
    std::vector<std::unique_ptr<Layout>> ScanRuns();
    void BreakLines(std::vector<std::unique_ptr<Layout>>& input, ListLines& out);
    int32_t Points(const int32_t (&table)[10]) const;

    // Placement (one pass over the runs, a second over each justified line).
    struct Pen;
    void PrepareLine(LineLayout& line, const Pen& pen) const;
    void EndLine(int32_t first, int32_t end, Pen& pen, bool last) const;
    void Justify(int32_t first, int32_t end, Pen& pen) const;

    int32_t m_kind;
};

// Styles 0 Title and 5 Plain Equation: every line centred in the column.
class CentredLayoutBuilder : public LayoutBuilder {
public:
    using LayoutBuilder::LayoutBuilder;

protected:
    Alignment GetAlignment() const override { return Alignment::Centred; }
};

// Styles 1 Section and 4 List Entry: the number before the first line's text.
class LabelledLayoutBuilder : public LayoutBuilder {
public:
    using LayoutBuilder::LayoutBuilder;
    void BuildLines(ParaComp& para, const ParaComp* previous, int32_t left, int32_t right) override;
    int32_t GetFirstIndent() override;
    // The spacing unit at the style's size, twice that for list entries.
    int32_t GetLabelGap() override;

protected:
    Alignment GetAlignment() const override { return Alignment::Labelled; }
};

// Style 6 Numbered Equation: lines centred left of the number gutter, the number in it.
class EquationLayoutBuilder : public LayoutBuilder {
public:
    EquationLayoutBuilder() : LayoutBuilder(kNumberedEquation) {}
    void BuildLines(ParaComp& para, const ParaComp* previous, int32_t left, int32_t right) override;

protected:
    Alignment GetAlignment() const override { return Alignment::Equation; }
};

// Style 7 Source Code: left-aligned, never justified, indented by half the gutter.
class CodeLayoutBuilder : public LayoutBuilder {
public:
    CodeLayoutBuilder() : LayoutBuilder(kSourceCode) {}

protected:
    Alignment GetAlignment() const override { return Alignment::Left; }
};
