#include "mathbox/EquationSetBox.h"

#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/GridNodes.h"
#include "mathbox/BoxSource.h"

EquationSetBox::EquationSetBox(std::unique_ptr<GridColumn> equations) {
    AppendColumn(std::move(equations));
}

DocPos EquationSetBox::PosFromPoint(Point point, bool rightHalf) {
    const int32_t row = RowAt(point.y);
    if (row > 0) return GetCell(1, row)->PosFromPoint(point, rightHalf);
    return TextComp::PosFromPoint(point, rightHalf);
}

void EquationSetBox::Draw() {
    DrawBrace('{', 0);
    DrawCells();
    SizeGuard size(GetSizeLevel());
    gDrawPort->SetFace(3);
    DrawBrace('}', m_bounds.right - gDrawPort->CharWidth('}'));
}

void EquationSetBox::WriteLatexRows(LatexWriter& writer) {
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        if (r > 1) writer.WriteRaw(" \\\\ ");
        GetCell(1, r)->WriteLatex(writer, false, false);
    }
}

void EquationSetBox::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\left\\{ \\begin{array}{c}");
    WriteLatexRows(writer);
    writer.WriteRaw("\\end{array} \\right\\} ");
}

void EquationSetBox::WriteText(OutBuffer& out) {
    out.PutString("{ ");
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        if (r > 1) out.PutChar(',');
        GetCell(1, r)->WriteKernelInput(out);
    }
    out.PutString(" }");
}

ExprNode* EquationSetBox::ToExpression() {
    auto set = std::make_unique<EquationSetNode>(nullptr);
    set->SetSource(BoxSource(*this));
    for (int32_t r = 1; r <= GetRowCount(); ++r)
        if (NodePtr cell = ListExpression(*GetCell(1, r))) set->AppendChild(std::move(cell));
    return set.release();
}
