#include "expr/RelationNodes.h"

#include "expr/GridNodes.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/symbols/SymbolTable.h"

// ---- AbsDetNode --------------------------------------------------------------------------------

bool AbsDetNode::IsDeterminant() const {
    return Operand() && Operand()->TypeTag() == ::TypeTag("matN");
}

NodePtr AbsDetNode::Clone() const {
    return std::make_unique<AbsDetNode>(CloneOperand());
}

void AbsDetNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutUnary(link, mode, IsDeterminant() ? "TYDet" : "TYAbs");
}

void AbsDetNode::PutStandardToLink(QKLINK link) const {
    PutUnaryStandard(link, IsDeterminant() ? "Det" : "Abs");
}

void AbsDetNode::BuildBoxes(BoxList& boxes, int32_t) {
    BoxList operand;
    if (Operand()) Operand()->BuildBoxes(operand, 6);
    AppendMade(boxes, [&](BoxFactory& f) { return f.AbsVComp(std::move(operand)); });
}

void AbsDetNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginFenced("|", "|");
    if (auto* matrix = dynamic_cast<MatrixNode*>(Operand()))
        matrix->WriteTable(writer);
    else if (Operand())
        Operand()->WriteMathML(writer);
    writer.EndFenced();
}

void AbsDetNode::WriteText(Str255& out) const {
    out = Str255();
    out.AppendChar('|');
    Str255 inner;
    if (Operand()) Operand()->WriteText(inner);
    out.Append(inner);
    out.AppendChar('|');
}

// ---- InequalityNode ----------------------------------------------------------------------------

std::unique_ptr<InequalityNode> InequalityNode::FromOperands(int32_t relationRow,
                                                             NodePtr operands) {
    auto chain = std::make_unique<InequalityNode>();
    NodePtr* tail = &chain->FirstSlot();
    while (operands) {
        NodePtr rest = operands->TakeNext();
        if (tail != &chain->FirstSlot()) {
            *tail = std::make_unique<SymbolNode>(relationRow);
            tail = &(*tail)->NextSlot();
        }
        *tail = std::move(operands);
        tail = &(*tail)->NextSlot();
        operands = std::move(rest);
    }
    chain->Recount();
    return chain;
}

NodePtr InequalityNode::ListTransform() const {
    return FirstItemCopy<InequalityNode>();
}

void InequalityNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, "TYInequality");
}

void InequalityNode::PutStandardToLink(QKLINK link) const {
    const ExprNode* middle = FirstChild() ? FirstChild()->Next() : nullptr;
    const auto* relation = dynamic_cast<const SymbolNode*>(middle);
    if (Count() == 3 && relation && relation->Row() == symbol_row::kEqual) {
        QKPutFunction(link, "Equal", 2);
        FirstChild()->PutStandardToLink(link);
        middle->Next()->PutStandardToLink(link);
        return;
    }
    PutListStandard(link, "Inequality");
}

void InequalityNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList own;
    BoxList& target = level < 5 ? boxes : own;
    for (ExprNode* item = FirstChild(); item; item = item->Next())
        item->BuildBoxes(target, 4);
    if (level >= 5) AppendParenthesised(boxes, std::move(own));
}

void InequalityNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    bool relation = false;
    for (ExprNode* item = FirstChild(); item; item = item->Next(), relation = !relation) {
        const auto* symbol = dynamic_cast<const SymbolNode*>(item);
        if (relation && symbol && BuiltinSymbol(symbol->Row())) {
            writer.WriteElement("mo", BuiltinSymbol(symbol->Row())->mathml);
            continue;
        }
        item->WriteMathML(writer);
    }
    writer.WriteEndTag("mrow");
}
