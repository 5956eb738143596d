#include "mathbox/PiecewiseBox.h"

#include "document/DrawPort.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/GridNodes.h"
#include "expr/ListNodes.h"
#include "mathbox/BoxSource.h"

PiecewiseBox::PiecewiseBox(std::unique_ptr<GridColumn> values,
                           std::unique_ptr<GridColumn> conditions) {
    AppendColumn(std::move(values));
    AppendColumn(std::move(conditions));
}

int32_t PiecewiseBox::GetColumnRule() {
    return 2 * gDrawPort->GetSpacing();
}

void PiecewiseBox::Draw() {
    DrawBrace('{', 0);
    DrawCells();
}

void PiecewiseBox::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\left\\{ \\begin{array}{ll}");
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        if (r > 1) writer.WriteRaw(" \\\\ ");
        GetCell(1, r)->WriteLatex(writer, false, false);
        writer.WriteRaw(" & ");
        if (GetColumnCount() > 1) GetCell(2, r)->WriteLatex(writer, false, false);
    }
    writer.WriteRaw("\\end{array} \\right. ");
}

void PiecewiseBox::WriteText(OutBuffer& out) {
    out.PutChar('{');
    const int32_t rows = GetRowCount();
    const bool conditions = GetColumnCount() > 1;
    for (int32_t r = 1; r <= rows; ++r) {
        GetCell(1, r)->WriteKernelInput(out);
        CompList* condition = conditions ? GetCell(2, r) : nullptr;
        // Only the characters count: "otherwise" beside a box still reads as otherwise.
        if (r == rows && condition != nullptr && condition->GetText().View() == "otherwise") {
            out.PutString(" otherwise");
            break;
        }
        out.PutString(" if ");
        if (condition != nullptr) condition->WriteKernelInput(out);
        if (r < rows) out.PutString(" , ");
    }
    out.PutChar('}');
}

ExprNode* PiecewiseBox::ToExpression() {
    auto split = std::make_unique<SplitNode>(nullptr);
    split->SetSource(BoxSource(*this));
    for (int32_t r = 1; r <= GetRowCount(); ++r) {
        auto row = std::make_unique<ListNode>(PartSource(*this, r, 0));
        for (int32_t c = 1; c <= GetColumnCount(); ++c)
            if (NodePtr cell = ListExpression(*GetCell(c, r))) row->AppendChild(std::move(cell));
        split->AppendChild(std::move(row));
    }
    return split.release();
}
