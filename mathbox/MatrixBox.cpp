#include "mathbox/MatrixBox.h"

#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/GridNodes.h"
#include "expr/ListNodes.h"
#include "mathbox/BoxSource.h"

void MatrixBox::SetParent(CompList* list) {
    MathComp::SetParent(list);
    if (!m_brackets) {
        m_brackets = true;
        InvalidateLayout();
    }
}

void MatrixBox::DecideBrackets() {
    const TextComp* owner = m_parent != nullptr ? m_parent->GetOwner() : nullptr;
    const bool alone =
        owner != nullptr && owner->GetTypeTag() == tags::AbsValue && m_parent->GetCount() == 1;
    m_brackets = !alone;
}

int32_t MatrixBox::GetPadding() {
    return m_brackets ? gDrawPort->GetSpacing() : 0;
}

void MatrixBox::Layout() {
    DecideBrackets();
    GridBox::Layout();
}

void MatrixBox::Draw() {
    DrawCells();
    if (!m_brackets) return;
    const int32_t u = m_unit;
    const Point o = m_origin;
    const int32_t height = m_bounds.top - m_bounds.bottom;
    gDrawPort->MoveTo(Point(o.x - 1 + 2 * u, o.y - 1 + m_bounds.bottom));
    gDrawPort->LineBy(-u, 0);
    gDrawPort->LineBy(0, height);
    gDrawPort->LineBy(u, 0);
    gDrawPort->MoveTo(Point(o.x + m_bounds.right - 2 * u, o.y - 1 + m_bounds.bottom));
    gDrawPort->LineBy(u, 0);
    gDrawPort->LineBy(0, height);
    gDrawPort->LineBy(-u, 0);
}

void MatrixBox::WriteLatex(LatexWriter& writer) {
    DecideBrackets();
    if (m_brackets) writer.WriteRaw("\\left[ ");
    writer.WriteRaw("\\begin{array}{");
    for (int32_t c = 1; c <= GetColumnCount(); ++c)
        writer.WriteRaw("c");
    writer.WriteRaw("}");
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        for (int32_t c = 1; c <= GetColumnCount(); ++c) {
            if (c > 1) writer.WriteRaw(" & ");
            GetCell(c, r)->WriteLatex(writer, false, false);
        }
        if (r < GetRowCount()) writer.WriteRaw(" \\\\ ");
    }
    writer.WriteRaw("\\end{array}");
    if (m_brackets) writer.WriteRaw("\\right] ");
}

void MatrixBox::WriteText(OutBuffer& out) {
    out.PutChar('[');
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        if (r > 1) out.PutChar(',');
        out.PutChar('[');
        for (int32_t c = 1; c <= GetColumnCount(); ++c) {
            if (c > 1) out.PutChar(',');
            GetCell(c, r)->WriteKernelInput(out);
        }
        out.PutChar(']');
    }
    out.PutChar(']');
}

ExprNode* MatrixBox::ToExpression() {
    auto matrix = std::make_unique<MatrixNode>(nullptr);
    matrix->SetSource(BoxSource(*this));
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        auto row = std::make_unique<ListNode>(PartSource(*this, r, 0));
        for (int32_t c = 1; c <= GetColumnCount(); ++c)
            if (NodePtr cell = ListExpression(*GetCell(c, r))) row->AppendChild(std::move(cell));
        matrix->AppendChild(std::move(row));
    }
    return matrix.release();
}
