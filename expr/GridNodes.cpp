#include "expr/GridNodes.h"

#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/symbols/SymbolTable.h"

#include <vector>

namespace {

constexpr int32_t kOtherwiseRow = 117;

// The items of a list-like node, or the node itself as its only item.
std::vector<ExprNode*> Items(ExprNode* node) {
    std::vector<ExprNode*> items;
    if (auto* composite = dynamic_cast<CompositeNode*>(node)) {
        for (ExprNode* item = composite->FirstChild(); item; item = item->Next())
            items.push_back(item);
    } else if (node) {
        items.push_back(node);
    }
    return items;
}

ExprNode* ItemAt(ExprNode* node, size_t index) {
    const std::vector<ExprNode*> items = Items(node);
    return index < items.size() ? items[index] : nullptr;
}

BoxList Cell(ExprNode* node) {
    BoxList cell;
    if (node) node->BuildBoxes(cell, 1);
    return cell;
}

bool IsNullSymbol(const ExprNode* node) {
    const auto* symbol = dynamic_cast<const SymbolNode*>(node);
    return symbol && symbol->Row() == symbol_row::kNull;
}

// A "Null" entry is a cell left empty, which the editor shows empty: so does the page.
void WriteCell(MathMLWriter& writer, ExprNode* node) {
    writer.WriteStartTag("mtd");
    if (node && !IsNullSymbol(node)) node->WriteMathML(writer);
    writer.WriteEndTag("mtd");
}

// One "mtr" per row of a grid given by its lines: rows are the lines themselves, or, for a grid
// given by columns, the k-th entries of every line.
void WriteRows(MathMLWriter& writer, const CompositeNode& grid, bool byColumns) {
    const std::vector<ExprNode*> lines = Items(const_cast<CompositeNode*>(&grid));
    const size_t rows = byColumns ? (lines.empty() ? 0 : Items(lines[0]).size()) : lines.size();
    for (size_t r = 0; r < rows; ++r) {
        writer.WriteStartTag("mtr");
        if (byColumns) {
            for (ExprNode* column : lines)
                WriteCell(writer, ItemAt(column, r));
        } else {
            for (ExprNode* cell : Items(lines[r]))
                WriteCell(writer, cell);
        }
        writer.WriteEndTag("mtr");
    }
}

} // namespace

// ---- GridNode ----------------------------------------------------------------------------------

void GridNode::AppendChild(NodePtr child) {
    AppendKeepingSource(std::move(child));
}

void GridNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, m_ownHead);
}

void GridNode::PutStandardToLink(QKLINK link) const {
    PutListStandard(link, m_standardHead);
}

// ---- MatrixNode --------------------------------------------------------------------------------

void MatrixNode::BuildBoxes(BoxList& boxes, int32_t) {
    std::vector<std::vector<BoxList>> rows;
    for (ExprNode* row = FirstChild(); row; row = row->Next()) {
        std::vector<BoxList> cells;
        for (ExprNode* entry : Items(row))
            cells.push_back(Cell(entry));
        rows.push_back(std::move(cells));
    }
    AppendMade(boxes, [&](BoxFactory& f) { return f.MatrixBox(std::move(rows)); });
}

void MatrixNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginFenced("[", "]");
    WriteTable(writer);
    writer.EndFenced();
}

void MatrixNode::WriteTable(MathMLWriter& writer) {
    writer.WriteStartTag("mtable");
    WriteRows(writer, *this, false);
    writer.WriteEndTag("mtable");
}

// ---- TableNode ---------------------------------------------------------------------------------

void TableNode::BuildBoxes(BoxList& boxes, int32_t) {
    std::vector<std::vector<BoxList>> columns;
    for (ExprNode* column = FirstChild(); column; column = column->Next()) {
        std::vector<BoxList> cells;
        // "Null" leaves its cell empty.
        for (ExprNode* entry : Items(column))
            cells.push_back(IsNullSymbol(entry) ? BoxList() : Cell(entry));
        columns.push_back(std::move(cells));
    }
    AppendMade(boxes, [&](BoxFactory& f) { return f.TableBox(std::move(columns)); });
}

void TableNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginStartTag("mtable");
    writer.WriteAttribute("columnlines", "solid");
    writer.WriteAttribute("frame", "solid");
    // A line under the first row only: row lines belong to the table, one value per gap, the
    // last repeated.
    writer.WriteAttribute("rowlines", "solid none");
    writer.CloseStartTag();
    WriteRows(writer, *this, true);
    writer.WriteEndTag("mtable");
}

// ---- EquationSetNode ---------------------------------------------------------------------------

void EquationSetNode::BuildBoxes(BoxList& boxes, int32_t) {
    std::vector<BoxList> equations;
    for (ExprNode* item = FirstChild(); item; item = item->Next())
        equations.push_back(Cell(item));
    AppendMade(boxes, [&](BoxFactory& f) { return f.EquationSetBox(std::move(equations)); });
}

void EquationSetNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginFenced("{", "}");
    writer.WriteStartTag("mtable");
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        writer.WriteStartTag("mtr");
        WriteCell(writer, item);
        writer.WriteEndTag("mtr");
    }
    writer.WriteEndTag("mtable");
    writer.EndFenced();
}

// ---- SplitNode ---------------------------------------------------------------------------------

void SplitNode::PutStandardToLink(QKLINK link) const {
    // {{v1, c1}, {v2, c2}, ...} becomes If[c1, v1, If[c2, v2, ...]]; a last condition that is
    // the otherwise row or True leaves its value alone.
    for (ExprNode* row = FirstChild(); row; row = row->Next()) {
        ExprNode* value = ItemAt(row, 0);
        ExprNode* condition = ItemAt(row, 1);
        const auto* symbol = dynamic_cast<const SymbolNode*>(condition);
        Str255 name;
        if (symbol) symbol->GetName(name);
        const bool otherwise =
            !condition || (symbol && (symbol->Row() == kOtherwiseRow || name.View() == "True"));
        if (!row->Next() && otherwise) {
            if (value)
                value->PutStandardToLink(link);
            else
                QKPutSymbol(link, "Null");
            return;
        }
        QKPutFunction(link, "If", row->Next() ? 3 : 2);
        condition->PutStandardToLink(link);
        if (value)
            value->PutStandardToLink(link);
        else
            QKPutSymbol(link, "Null");
    }
}

void SplitNode::BuildBoxes(BoxList& boxes, int32_t) {
    std::vector<BoxList> values;
    std::vector<BoxList> conditions;
    for (ExprNode* row = FirstChild(); row; row = row->Next()) {
        values.push_back(Cell(ItemAt(row, 0)));
        conditions.push_back(Cell(ItemAt(row, 1)));
    }
    AppendMade(boxes, [&](BoxFactory& f) {
        return f.PiecewiseBox(std::move(values), std::move(conditions));
    });
}

void SplitNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    writer.WriteElement("mo", " { ");
    writer.WriteStartTag("mtable");
    for (ExprNode* row = FirstChild(); row; row = row->Next()) {
        writer.WriteStartTag("mtr");
        WriteCell(writer, ItemAt(row, 0));
        WriteCell(writer, ItemAt(row, 1));
        writer.WriteEndTag("mtr");
    }
    writer.WriteEndTag("mtable");
    writer.WriteEndTag("mrow");
}

// ---- OrNode ------------------------------------------------------------------------------------

NodePtr OrNode::DetachFirst() {
    NodePtr chain = DetachAll();
    if (!chain) return nullptr;
    FirstSlot() = chain->TakeNext();
    Recount();
    return chain;
}

NodePtr OrNode::Clone() const {
    return CompositeNode::Clone();
}

NodePtr OrNode::ListTransform() const {
    return WithSource(std::make_unique<OrNode>(CloneOrNull(FirstChild())));
}

void OrNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, "TYOr");
}

void OrNode::PutStandardToLink(QKLINK link) const {
    PutListStandard(link, "Or");
}

void OrNode::BuildBoxes(BoxList& boxes, int32_t level) {
    const int32_t itemLevel = std::min(level, 1);
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (item != FirstChild()) boxes.AddGlyphs(" or ");
        item->BuildBoxes(boxes, itemLevel);
    }
}

void OrNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (item != FirstChild()) writer.WriteElement("mo", "or");
        item->WriteMathML(writer);
    }
    writer.WriteEndTag("mrow");
}
