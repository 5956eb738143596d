#include "expr/GroupNode.h"

#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"

GroupNode::GroupNode(const NodeSource& source, NodePtr inner, bool parentheses)
    : UnaryNode(std::move(inner)), m_parentheses(parentheses) {
    SetSource(source);
}

NodePtr GroupNode::Clone() const {
    return WithSource(std::make_unique<GroupNode>(CloneOperand(), m_parentheses));
}

void GroupNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    PutChildToLink(link, Operand(), mode, false);
}

void GroupNode::PutStandardToLink(QKLINK link) const {
    PutChildToLink(link, Operand(), kNoMarkers, true);
}

void GroupNode::PutElements(QKLINK link, MarkerMode mode, bool standard) const {
    if (!Operand()) return;
    // A mark wraps the first expression written, which keeps the count.
    if (!standard && ElementCount() > 0) PutMarkerHead(link, mode);
    Operand()->PutElements(link, mode, standard);
}

void GroupNode::BuildBoxes(BoxList& boxes, int32_t level) {
    if (level == 0) {
        if (Operand()) Operand()->BuildBoxes(boxes, 5);
        return;
    }
    BoxList inner;
    if (Operand()) Operand()->BuildBoxes(inner, 5);
    AppendMade(boxes, [&](BoxFactory& f) {
        return m_parentheses ? f.ParenComp(std::move(inner)) : f.BracketComp(std::move(inner));
    });
}

void GroupNode::WriteMathML(MathMLWriter& writer) {
    // The marks the screen and the plain text show.
    if (m_parentheses)
        writer.BeginFenced("(", ")");
    else
        writer.BeginFenced("[", "]");
    if (Operand()) Operand()->WriteMathML(writer);
    writer.EndFenced();
}

void GroupNode::WriteText(Str255& out) const {
    out = Str255();
    out.AppendChar(m_parentheses ? '(' : '[');
    if (Operand()) {
        Str255 inner;
        Operand()->WriteText(inner);
        out.Append(inner);
    }
    out.AppendChar(m_parentheses ? ')' : ']');
}

void GroupNode::VisitTreeNoArg() {
    while (auto* inner = dynamic_cast<GroupNode*>(Operand())) {
        if (inner->m_parentheses != m_parentheses) break;
        SetOperand(inner->TakeInner());
    }
    UnaryNode::VisitTreeNoArg();
}

int32_t GroupNode::Precedence() const {
    return m_parentheses ? kParenPrecedence : kBracketPrecedence;
}

::TypeTag GroupNode::TypeTag() const {
    return ::TypeTag(m_parentheses ? "grpN" : "argN");
}

NodePtr GroupNode::TakeInner() {
    return ReleaseOperand();
}
