#include "mathbox/TableBox.h"

#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/GridNodes.h"
#include "mathbox/BoxSource.h"

namespace {

const Str255& CollapsedLabel() {
    static const Str255 label("-data-");
    return label;
}

} // namespace

int32_t TableBox::GetPadding() {
    return gDrawPort->GetSpacing();
}

void TableBox::Layout() {
    const TextComp* owner = m_parent != nullptr ? m_parent->GetOwner() : nullptr;
    m_collapsed = owner != nullptr && owner->IsPlot();
    if (!m_collapsed) {
        GridBox::Layout();
        return;
    }
    SizeGuard size(GetSizeLevel());
    gDrawPort->SetFace(0);
    m_bounds = gDrawPort->TextExtent(CollapsedLabel());
    m_needsLayout = false;
}

void TableBox::SetOrigin(Point point) {
    if (m_collapsed)
        m_origin = point;
    else
        GridBox::SetOrigin(point);
}

DocPos TableBox::PosFromPoint(Point point, bool rightHalf) {
    if (m_collapsed) return TextComp::PosFromPoint(point, rightHalf);
    return GridBox::PosFromPoint(point, rightHalf);
}

void TableBox::Draw() {
    if (m_collapsed) {
        SizeGuard size(GetSizeLevel());
        gDrawPort->MoveTo(m_origin);
        gDrawPort->SetFace(0);
        gDrawPort->DrawString(CollapsedLabel());
        return;
    }
    DrawCells();
    const Rect frame = GetFrame();
    const int32_t w = frame.Width();
    const int32_t h = frame.bottom - frame.top;
    const int32_t gap = 2 * m_unit;
    gDrawPort->MoveTo(Point(frame.left, frame.top));
    gDrawPort->LineBy(w, 0);
    gDrawPort->LineBy(0, h);
    gDrawPort->LineBy(-w, 0);
    gDrawPort->LineBy(0, -h);
    // The rules stand in the middle of the gaps between the columns and below the first row.
    int32_t x = frame.left + m_padding;
    for (int32_t c = 1; c < GetColumnCount(); ++c) {
        x += GetColumn(c).width + gap;
        gDrawPort->MoveTo(Point(x, frame.top));
        gDrawPort->LineBy(0, h);
        x += m_columnRule;
    }
    if (GetRowCount() > 0) {
        gDrawPort->MoveTo(
            Point(frame.left, frame.top + (GetRowBottom(1) - GetRowTop(1)) + m_padding + gap));
        gDrawPort->LineBy(w, 0);
    }
}

void TableBox::WriteLatex(LatexWriter& writer) {
    if (m_collapsed) {
        writer.WriteRaw(CollapsedLabel().ToCString().c_str());
        return;
    }
    writer.WriteRaw("\\begin{tabular}{|");
    for (int32_t c = 1; c <= GetColumnCount(); ++c)
        writer.WriteRaw("c|");
    writer.WriteRaw("} \\hline ");
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        for (int32_t c = 1; c <= GetColumnCount(); ++c) {
            if (c > 1) writer.WriteRaw(" & ");
            writer.WriteRaw("$");
            GetCell(c, r)->WriteLatex(writer, false, false);
            writer.WriteRaw("$");
        }
        writer.WriteRaw(" \\\\ ");
        if (r == 1) writer.WriteRaw("\\hline ");
    }
    writer.WriteRaw("\\hline \\end{tabular}");
}

void TableBox::WriteText(OutBuffer& out) {
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        if (r > 1) out.PutNewline();
        for (int32_t c = 1; c <= GetColumnCount(); ++c) {
            if (c > 1) out.PutChar(9);
            GetCell(c, r)->WriteKernelInput(out);
        }
    }
}

ExprNode* TableBox::ToExpression() {
    auto table = std::make_unique<TableNode>(nullptr);
    table->SetSource(BoxSource(*this));
    for (int32_t c = 1; c <= GetColumnCount(); ++c) {
        auto column = std::make_unique<ColumnNode>(nullptr);
        column->SetSource(PartSource(*this, c, 1));
        for (int32_t r = 1; r <= GetRowCount(); ++r)
            if (NodePtr cell = ListExpression(*GetCell(c, r))) column->AppendChild(std::move(cell));
        table->AppendChild(std::move(column));
    }
    return table.release();
}
