// Line placement: gives every run of a built paragraph its final position, aligns each line in
// the column, places the number, and sets the paragraph's bounds. One pass over the runs, a
// second over each justified line; nothing is allocated.

#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/ParaComp.h"
#include "mathbox/LayoutBuilder.h"
#include "mathbox/LayoutRuns.h"

#include <algorithm>

struct LayoutBuilder::Pen {
    const RunArray& runs;
    Point start;       // S: the paragraph's top left
    Point at;          // P: the pen, on the current baseline
    Rect line;         // L: the current line's box
    int32_t white = 0; // T: the width of the current line's blanks and tabs
    int32_t column;    // C: the x of the column's right edge
    int32_t margin;    // M
    int32_t edge;      // E: the x of the line area's right edge
    int32_t lineEnd;   // where a line's last run reaches: C, or E for equations
};

namespace {

// Widths and room are 16-bit quantities in the justification arithmetic.
int32_t Short(int32_t value) {
    return static_cast<int16_t>(value);
}

void SetBoxRight(Layout& run, int32_t right) {
    Rect box = run.GetLineBox();
    box.right = right;
    run.SetLineBox(box);
}

} // namespace

void LayoutBuilder::PrepareLine(LineLayout& line, const Pen& pen) const {
    const int32_t w = line.GetLineWidth();
    const Alignment alignment = GetAlignment();
    if (alignment == Alignment::Centred) {
        SetBoxRight(line, (pen.column - pen.margin - w) / 2);
    } else if (alignment == Alignment::Equation) {
        const int32_t gutter = pen.column - pen.edge;
        const int32_t area = pen.edge - gutter - pen.margin;
        SetBoxRight(line, gutter + (area - w) / 2);
    }
}

void LayoutBuilder::PlaceLines(ParaComp& para, Point start) {
    m_para = &para;
    m_list = para.GetList(1);
    SizeGuard size(GetRelativeSize(para));
    const RunArray& runs = m_list->GetRuns();
    const Alignment alignment = GetAlignment();
    const int32_t column = gDrawPort->GetColumnWidth();
    const int32_t edge = gDrawPort->GetRightEdge();
    Pen pen{runs,
            start,
            start,
            Rect(),
            0,
            column,
            gDrawPort->GetLeftMargin(),
            edge,
            alignment == Alignment::Equation ? edge : column};

    if (runs.IsEmpty() || !runs.GetAt(0)->IsLineRun()) {
        // Nothing was built (the lines were dropped with a change of style): an empty frame.
        para.SetBounds(Rect(0, 0, column - pen.margin, 0));
        ListLines(*m_list).SetPlacedOrigin(start);
        return;
    }
    int32_t count = runs.GetCount();
    Layout* label = nullptr;
    if (count > 0 && runs.GetAt(count - 1)->GetTypeTag() == tags::LabelRun) {
        label = runs.GetAt(--count);
    }
    auto* first = static_cast<LineLayout*>(runs.GetAt(0));
    pen.line = first->GetLineBox();
    if (alignment == Alignment::Equation && label != nullptr) {
        pen.line.top = std::min(pen.line.top, label->GetLineBox().top);
        pen.line.bottom = std::max(pen.line.bottom, label->GetLineBox().bottom);
    }
    const Rect firstLine = pen.line;
    pen.at = Point(start.x, start.y - pen.line.top);
    const int32_t firstBaseline = pen.at.y;

    PrepareLine(*first, pen);
    if (alignment == Alignment::Labelled && label != nullptr) {
        Rect box = label->GetLineBox();
        box.top = pen.line.top;
        box.bottom = pen.line.bottom;
        box.right += GetLabelGap();
        label->SetLineBox(box);
        SetBoxRight(*first, first->GetLineBox().right - box.Width());
    }
    first->SetOrigin(pen.at);
    pen.at.x += first->GetWidth();
    if (alignment == Alignment::Labelled && label != nullptr) {
        label->SetOrigin(pen.at);
        pen.at.x += label->GetWidth();
    }

    const bool raisesTops = alignment != Alignment::Centred && alignment != Alignment::Equation;
    const int32_t spacing = GetLineSpacing();
    int32_t lineStart = 0;
    for (int32_t k = 1; k < count; ++k) {
        Layout* run = runs.GetAt(k);
        if (!run->IsLineRun()) {
            // Every run of a line shares its full height and one baseline.
            Rect box = run->GetLineBox();
            box.top = pen.line.top;
            box.bottom = pen.line.bottom;
            run->SetLineBox(box);
            run->SetOrigin(pen.at);
            pen.at.x += run->GetWidth();
            if (run->IsWhiteRun()) pen.white += run->GetWidth();
            continue;
        }
        EndLine(lineStart, k, pen, false);
        const Rect previous = pen.line;
        pen.line = run->GetLineBox();
        const int32_t reach = previous.bottom - pen.line.top;
        if (reach < spacing) {
            pen.at.y += spacing;
            if (raisesTops) {
                // The boxes tile the paragraph without gaps.
                pen.line.top = previous.bottom - spacing;
                Rect box = run->GetLineBox();
                box.top = pen.line.top;
                run->SetLineBox(box);
            }
        } else {
            pen.at.y += reach;
        }
        pen.at.x = start.x;
        PrepareLine(static_cast<LineLayout&>(*run), pen);
        run->SetOrigin(pen.at);
        pen.at.x += run->GetWidth();
        lineStart = k;
        pen.white = 0;
    }
    EndLine(lineStart, count, pen, true);

    if (alignment == Alignment::Equation && label != nullptr) {
        Rect box = label->GetLineBox();
        box.top = firstLine.top;
        box.bottom = firstLine.bottom;
        box.right = column - edge;
        label->SetLineBox(box);
        label->SetOrigin(Point(edge, firstBaseline));
    }
    para.SetBounds(Rect(0, 0, column - pen.margin, pen.at.y + pen.line.bottom - start.y));
    ListLines(*m_list).SetPlacedOrigin(start);
}

void LayoutBuilder::EndLine(int32_t first, int32_t end, Pen& pen, bool last) const {
    if (GetAlignment() == Alignment::Justified && !last) {
        Justify(first, end, pen);
        return;
    }
    // The last run's frame reaches the line's right end, so a click right of the text lands
    // in it; a line already wider than the column is not narrowed.
    Layout& q = *pen.runs.GetAt(end - 1);
    SetBoxRight(q, q.GetLineBox().right + std::max(0, pen.lineEnd - pen.at.x));
}

void LayoutBuilder::Justify(int32_t first, int32_t end, Pen& pen) const {
    int32_t room = Short(pen.column - pen.at.x);
    int32_t white = Short(pen.white);
    Point q(pen.start.x, pen.at.y);
    for (int32_t k = first; k < end - 1; ++k) {
        Layout& run = *pen.runs.GetAt(k);
        // A line without blanks has no white width to share the room over.
        if (room > 0 && white != 0 && run.IsWhiteRun()) {
            const int32_t w = Short(run.GetWidth());
            const double share = static_cast<double>(w) * room / white;
            int32_t t = static_cast<int32_t>(share);
            // Above one half rounds up; exactly one half does not.
            if (10.0 * share - 10.0 * t > 5.0) ++t;
            SetBoxRight(run, run.GetLineBox().right + t);
            room = Short(room - t);
            white = Short(white - w);
        }
        run.SetOrigin(q);
        q.x += run.GetWidth();
    }
    Layout& lastRun = *pen.runs.GetAt(end - 1);
    const int32_t v = Short(pen.column - (q.x + lastRun.GetWidth()));
    if (v > 0) {
        // Widened to the left, the run moves right and ends exactly at the column's edge.
        Rect box = lastRun.GetLineBox();
        box.left -= v;
        lastRun.SetLineBox(box);
    }
    lastRun.SetOrigin(q);
}
