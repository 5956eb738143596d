#include "mathbox/LayoutBuilder.h"

#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/ParaComp.h"
#include "document/ParaDocument.h"
#include "document/RunFactory.h"
#include "mathbox/LayoutRunFactory.h"
#include "mathbox/LayoutRuns.h"

#include <algorithm>

namespace {

struct StyleRow {
    int32_t face;
    const int32_t (&lineSpacing)[10];
    const int32_t (&space)[10];
};

// Points per base size 0 to 9.
constexpr int32_t kLineSpacing[10] = {34, 30, 26, 24, 20, 18, 16, 13, 12, 11};
constexpr int32_t kCodeLineSpacing[10] = {32, 28, 24, 22, 18, 16, 14, 11, 10, 9};
constexpr int32_t kTitleSpace[10] = {34, 30, 26, 24, 20, 18, 16, 14, 12, 10};
constexpr int32_t kSectionSpace[10] = {19, 17, 15, 14, 12, 10, 9, 8, 7, 6};
constexpr int32_t kHeadingSpace[10] = {17, 15, 13, 12, 10, 9, 8, 7, 6, 5};
constexpr int32_t kParagraphSpace[10] = {11, 10, 8, 8, 7, 6, 5, 4, 4, 4};
constexpr int32_t kCodeSpace[10] = {6, 5, 4, 4, 4, 3, 3, 2, 2, 2};

constexpr int32_t kBoldFace = 2;
constexpr int32_t kTextFace = 0;
constexpr int32_t kCodeFace = 4;

const StyleRow kStyles[8] = {
    {kBoldFace, kLineSpacing, kTitleSpace},   {kBoldFace, kLineSpacing, kSectionSpace},
    {kBoldFace, kLineSpacing, kHeadingSpace}, {kTextFace, kLineSpacing, kParagraphSpace},
    {kTextFace, kLineSpacing, kHeadingSpace}, {kMathFace, kLineSpacing, kHeadingSpace},
    {kMathFace, kLineSpacing, kHeadingSpace}, {kCodeFace, kCodeLineSpacing, kCodeSpace},
};

// The section sign in the stored character set, which references show before a section's
// number.
constexpr char kSectionSign = static_cast<char>(164);

// The runs of every paragraph are built from this factory's kinds, whatever another list's
// runs are built from.
LayoutRunFactory& BuilderRuns() {
    static LayoutRunFactory factory;
    return factory;
}

} // namespace

LayoutBuilder::LayoutBuilder(int32_t kind) : m_kind(kind) {}

int32_t LayoutBuilder::GetFace() const {
    return kStyles[m_kind].face;
}

int32_t LayoutBuilder::GetTextFace() const {
    // Numbered equations type their ordinary characters in the text face.
    return m_kind == kNumberedEquation ? kTextFace : GetFace();
}

int8_t LayoutBuilder::GetRelativeSize(const ParaComp& para) const {
    switch (m_kind) {
    case kTitle:
        return -4;
    case kSection:
        return -1;
    case kPlainEquation:
    case kNumberedEquation: {
        const ParaDocument* doc = para.GetDocument();
        return doc != nullptr && doc->HasLargerEquations() ? -1 : 0;
    }
    default:
        return 0;
    }
}

bool LayoutBuilder::IsNumbered() const {
    return m_kind == kSection || m_kind == kListEntry || m_kind == kNumberedEquation;
}

bool LayoutBuilder::MergesSpaces() const {
    return m_kind == kTitle || m_kind == kSection || m_kind == kListEntry ||
           m_kind == kPlainEquation || m_kind == kNumberedEquation;
}

int32_t LayoutBuilder::GetContinuationStyle() const {
    return m_kind <= kHeading ? kParagraph : m_kind;
}

int32_t LayoutBuilder::Points(const int32_t (&table)[10]) const {
    const int32_t base = std::clamp(gDrawPort->GetBaseSize(), 0, 9);
    return table[base] * gDrawPort->GetResolutionY() / 72;
}

int32_t LayoutBuilder::GetLineSpacing() const {
    return Points(kStyles[m_kind].lineSpacing);
}

int32_t LayoutBuilder::GetSpaceBefore(const ParaComp* previous) const {
    if (m_kind == kSourceCode && previous != nullptr && &previous->GetStyle() == this) return 0;
    return Points(kStyles[m_kind].space);
}

int32_t LayoutBuilder::GetSpaceAfter() const {
    return Points(kStyles[m_kind].space);
}

int32_t LayoutBuilder::GetFirstIndent() {
    const int32_t gutter = gDrawPort->GetColumnWidth() - gDrawPort->GetRightEdge();
    if (m_kind == kListEntry) return gutter;
    if (m_kind == kSourceCode) return gutter / 2;
    return 0;
}

void LayoutBuilder::AdvanceCounter(NumberRecord& record) const {
    switch (m_kind) {
    case kSection:
        ++record.section;
        record.list = 0;
        break;
    case kListEntry:
        ++record.list;
        break;
    case kNumberedEquation:
        ++record.equation;
        record.list = 0;
        break;
    case kPlainEquation:
        break;
    default:
        record.list = 0;
        break;
    }
}

Str31 LayoutBuilder::GetNumberText(const NumberRecord& record) const {
    Str31 text;
    switch (m_kind) {
    case kSection:
        text.AppendNumber(record.section);
        break;
    case kListEntry:
        text.AppendNumber(record.list).AppendChar('.');
        break;
    case kNumberedEquation:
        text.AppendChar('(').AppendNumber(record.equation).AppendChar(')');
        break;
    default:
        break;
    }
    return text;
}

Str31 LayoutBuilder::GetReferenceText(const NumberRecord& record, bool brackets) const {
    Str31 text;
    const char open = brackets ? '[' : '(';
    const char close = brackets ? ']' : ')';
    switch (m_kind) {
    case kSection:
        text.AppendChar(open).AppendChar(kSectionSign).AppendNumber(record.section);
        break;
    case kListEntry:
        text.AppendChar(open).AppendChar('#').AppendNumber(record.list);
        break;
    case kNumberedEquation:
        text.AppendChar(open).AppendNumber(record.equation);
        break;
    default:
        return text;
    }
    text.AppendChar(close);
    return text;
}

// --- Building ---

void LayoutBuilder::BuildLines(ParaComp& para, const ParaComp* previous, int32_t left,
                               int32_t right) {
    BuildShared(para, previous, left, right);
}

void LayoutBuilder::BuildShared(ParaComp& para, const ParaComp* previous, int32_t left,
                                int32_t right) {
    m_para = &para;
    m_list = para.GetList(1);
    m_left = left;
    m_right = right;
    ListLines out(*m_list);
    SizeGuard size(GetRelativeSize(para));
    try {
        std::vector<std::unique_ptr<Layout>> input = ScanRuns();
        BreakLines(input, out);
        const RunArray& runs = m_list->GetRuns();
        int32_t lastLine = 0;
        for (int32_t k = 0; k < runs.GetCount(); ++k)
            if (runs.GetAt(k)->IsLineRun()) lastLine = k;
        const int32_t after = GetSpaceAfter();
        for (int32_t k = lastLine; k < runs.GetCount(); ++k) {
            Rect box = runs.GetAt(k)->GetLineBox();
            box.bottom += after;
            runs.GetAt(k)->SetLineBox(box);
        }
        Rect first = runs.GetAt(0)->GetLineBox();
        first.top -= GetSpaceBefore(previous);
        runs.GetAt(0)->SetLineBox(first);
        out.MarkBuilt();
    } catch (...) {
        out.ClearRuns();
        throw;
    }
}

std::vector<std::unique_ptr<Layout>> LayoutBuilder::ScanRuns() {
    std::vector<std::unique_ptr<Layout>> input;
    input.reserve(static_cast<size_t>(m_list->GetCount()));
    std::unique_ptr<Layout> current;
    for (int32_t i = 1; i <= m_list->GetCount(); ++i) {
        TextComp* child = m_list->GetAt(i);
        if (current != nullptr && !child->IsNotChar() &&
            current->AddChar(child->GetCharCode(), child->GetStyleId()))
            continue;
        if (current != nullptr) {
            current->Measure();
            input.push_back(std::move(current));
        }
        current = NewRunFor(BuilderRuns(), m_list, i, child);
    }
    if (current != nullptr) {
        current->Measure();
        input.push_back(std::move(current));
    }
    return input;
}

void LayoutBuilder::BreakLines(std::vector<std::unique_ptr<Layout>>& input, ListLines& out) {
    const int32_t width = m_right - m_left;
    const int32_t n = static_cast<int32_t>(input.size());
    const RunArray& runs = m_list->GetRuns();
    int32_t s = 0;
    do {
        if (s >= n) {
            // An empty paragraph still has its one line.
            auto line = std::make_unique<LineLayout>(m_list, 1, *this);
            line->Measure();
            out.AppendRun(std::move(line));
            break;
        }
        auto lineRun = std::make_unique<LineLayout>(m_list, input[s]->GetStart(), *this);
        lineRun->Measure();
        LineLayout* line = lineRun.get();
        const int32_t lineIndex = runs.GetCount();
        out.AppendRun(std::move(lineRun));

        int32_t x = line->GetWidth() + input[s]->GetWidth();
        int32_t i = s + 1;
        while (i < n) {
            const int32_t w = static_cast<int16_t>(input[i]->GetWidth());
            if (x + w > width) break;
            x += w;
            ++i;
        }
        // The last run of the line: all that fit, or the last before a run that may start a
        // line (a word after a blank); a run too wide for any line stands alone.
        int32_t e = n - 1;
        if (i < n) {
            e = s;
            for (int32_t j = i; j >= s + 2; --j)
                if (input[j]->CanBreakBefore(*input[j - 1])) {
                    e = j - 1;
                    break;
                }
        }

        Layout* p = input[s].get();
        out.AppendRun(std::move(input[s]));
        bool remeasure = false;
        for (int32_t k = s + 1; k <= e; ++k) {
            std::unique_ptr<Layout>& run = input[k];
            if (run->IsWhiteRun() && k == e && e != n - 1) {
                run.reset(); // the blank a line breaks at is not shown
                continue;
            }
            if (p->CanMerge(*run, MergesSpaces())) {
                p->Merge(std::move(run));
                remeasure = true;
                continue;
            }
            if (remeasure) p->Measure();
            remeasure = false;
            p = run.get();
            out.AppendRun(std::move(run));
        }
        if (remeasure) p->Measure();

        int32_t total = 0;
        Rect extent = line->GetLineBox();
        for (int32_t k = lineIndex; k < runs.GetCount(); ++k) {
            const Rect& box = runs.GetAt(k)->GetLineBox();
            total += box.Width();
            extent.top = std::min(extent.top, box.top);
            extent.bottom = std::max(extent.bottom, box.bottom);
        }
        line->SetLineWidth(total);
        line->SetLineBox(extent);
        s = e + 1;
    } while (s < n);
}

std::unique_ptr<Layout> LayoutBuilder::NewLabelRun(ParaComp& para) {
    RefSource* source = para.GetNumberSource();
    if (source == nullptr) return nullptr;
    auto label = std::make_unique<LabelLayout>(*source, para.GetList(1));
    label->Measure();
    return label;
}

int32_t LabelledLayoutBuilder::GetFirstIndent() {
    if (GetKind() != kSection) return LayoutBuilder::GetFirstIndent();
    const RefSource* source = m_para != nullptr ? m_para->GetNumberSource() : nullptr;
    return (source != nullptr ? source->GetBounds().Width() : 0) + GetLabelGap();
}

int32_t LabelledLayoutBuilder::GetLabelGap() {
    SizeGuard size(GetRelativeSize(*m_para));
    const int32_t unit = gDrawPort->GetSpacing();
    return GetKind() == kListEntry ? 2 * unit : unit;
}

void LabelledLayoutBuilder::BuildLines(ParaComp& para, const ParaComp* previous, int32_t left,
                                       int32_t right) {
    m_para = &para;
    // The label is measured first: a section's indentation is its width.
    std::unique_ptr<Layout> label = NewLabelRun(para);
    BuildShared(para, previous, left, GetKind() == kListEntry ? gDrawPort->GetRightEdge() : right);
    if (label == nullptr) return;
    Layout* first = m_list->GetRuns().GetAt(0);
    Rect box = first->GetLineBox();
    box.top = std::min(box.top, label->GetLineBox().top);
    box.bottom = std::max(box.bottom, label->GetLineBox().bottom);
    first->SetLineBox(box);
    ListLines(*m_list).AppendRun(std::move(label));
}

void EquationLayoutBuilder::BuildLines(ParaComp& para, const ParaComp* previous, int32_t left,
                                       int32_t right) {
    const int32_t edge = gDrawPort->GetRightEdge();
    // Lines break within a band that leaves the number's gutter free.
    BuildShared(para, previous, left + (right - edge), edge);
    if (std::unique_ptr<Layout> label = NewLabelRun(para))
        ListLines(*m_list).AppendRun(std::move(label));
}
