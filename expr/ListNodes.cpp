#include "expr/ListNodes.h"

#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"

#include <algorithm>
#include <vector>

// ---- SequenceNode ------------------------------------------------------------------------------

NodePtr SequenceNode::ListTransform() const {
    return FirstItemCopy<SequenceNode>();
}

int32_t SequenceNode::ElementCount() const {
    int32_t count = 0;
    for (const ExprNode* item = FirstChild(); item; item = item->Next())
        count += item->ElementCount();
    return count;
}

void SequenceNode::PutElements(QKLINK link, MarkerMode mode, bool standard) const {
    // A mark wraps the first expression written, which keeps the count.
    if (!standard && ElementCount() > 0) PutMarkerHead(link, mode);
    for (const ExprNode* item = FirstChild(); item; item = item->Next())
        item->PutElements(link, mode, standard);
}

void SequenceNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "Sequence", ElementCount());
    for (const ExprNode* item = FirstChild(); item; item = item->Next())
        item->PutElements(link, mode, false);
}

void SequenceNode::PutStandardToLink(QKLINK link) const {
    QKPutFunction(link, "Sequence", ElementCount());
    PutElements(link, kNoMarkers, true);
}

void SequenceNode::BuildBoxes(BoxList& boxes, int32_t level) {
    const int32_t itemLevel = std::min(level, 1);
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (item != FirstChild()) boxes.AddGlyph(',');
        item->BuildBoxes(boxes, itemLevel);
    }
}

void SequenceNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (item != FirstChild()) writer.WriteElement("mo", " , ");
        item->WriteMathML(writer);
    }
    writer.WriteEndTag("mrow");
}

bool SequenceNode::IsNumeric() const {
    for (const ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (!item->IsNumeric()) return false;
    }
    return true;
}

// ---- ListNode ----------------------------------------------------------------------------------

NodePtr ListNode::ListTransform() const {
    return FirstItemCopy<ListNode>();
}

void ListNode::AppendChild(NodePtr child) {
    AppendKeepingSource(std::move(child));
}

void ListNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, "List");
}

void ListNode::PutStandardToLink(QKLINK link) const {
    PutListStandard(link, "List");
}

void ListNode::BuildBoxes(BoxList& boxes, int32_t level) {
    if (level == 0 || !FirstChild()) {
        boxes.AddGlyph('{');
        for (ExprNode* item = FirstChild(); item; item = item->Next()) {
            if (item != FirstChild()) boxes.AddGlyph(',');
            item->BuildBoxes(boxes, level);
        }
        boxes.AddGlyph('}');
        return;
    }
    auto* single = dynamic_cast<ListNode*>(FirstChild());
    if (Count() == 1 && single && single->Count() == 1) {
        single->FirstChild()->BuildBoxes(boxes, level);
        return;
    }
    bool allLists = true;
    for (ExprNode* item = FirstChild(); item; item = item->Next())
        allLists = allLists && dynamic_cast<ListNode*>(item) != nullptr;
    std::vector<std::vector<BoxList>> rows;
    if (allLists) {
        // A list of lists is a matrix given by its rows: {{a, b}, {c, d}} shows a b over c d.
        for (ExprNode* item = FirstChild(); item; item = item->Next()) {
            std::vector<BoxList> row;
            for (ExprNode* element = static_cast<ListNode*>(item)->FirstChild(); element;
                 element = element->Next()) {
                BoxList cell;
                element->BuildBoxes(cell, 1);
                row.push_back(std::move(cell));
            }
            rows.push_back(std::move(row));
        }
    } else {
        std::vector<BoxList> row;
        for (ExprNode* item = FirstChild(); item; item = item->Next()) {
            BoxList cell;
            item->BuildBoxes(cell, 1);
            row.push_back(std::move(cell));
        }
        rows.push_back(std::move(row));
    }
    AppendMade(boxes, [&](BoxFactory& f) { return f.MatrixBox(std::move(rows)); });
}

void ListNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginFenced("{", "}");
    for (ExprNode* item = FirstChild(); item; item = item->Next()) {
        if (item != FirstChild()) writer.WriteFenceSeparator();
        item->WriteMathML(writer);
    }
    writer.EndFenced();
}

void AppendItemTexts(const CompositeNode& node, Str255& out) {
    for (ExprNode* item = node.FirstChild(); item; item = item->Next()) {
        if (item != node.FirstChild()) out.AppendChar(',');
        Str255 text;
        item->WriteText(text);
        out.Append(text);
    }
}

void SequenceNode::WriteText(Str255& out) const {
    out = Str255();
    AppendItemTexts(*this, out);
}

void ListNode::WriteText(Str255& out) const {
    out = Str255();
    if (!FirstChild()) {
        out.AppendCString("{ }");
        return;
    }
    out.AppendChar('{');
    AppendItemTexts(*this, out);
    out.AppendChar('}');
}
