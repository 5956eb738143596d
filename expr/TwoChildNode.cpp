#include "expr/TwoChildNode.h"

#include "expr/FixedChildren.h"

void TwoChildNode::PutBinary(QKLINK link, MarkerMode mode, const char* head) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, head, 2);
    PutChildToLink(link, m_first.get(), mode, false);
    PutChildToLink(link, m_second.get(), mode, false);
}

void TwoChildNode::PutBinaryStandard(QKLINK link, const char* head) const {
    QKPutFunction(link, head, 2);
    PutChildToLink(link, m_first.get(), kNoMarkers, true);
    PutChildToLink(link, m_second.get(), kNoMarkers, true);
}

std::optional<Fraction> TwoChildNode::ExtractFraction() {
    fixed_children::ExtractFractions({Ordered(0), Ordered(1)});
    return std::nullopt;
}

NodePtr TwoChildNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    return fixed_children::Replace({&m_first, &m_second}, old, replacement);
}

void TwoChildNode::VisitTree(ExprNode& collector) {
    fixed_children::VisitTree({Ordered(0)->get(), Ordered(1)->get()}, collector);
}

intptr_t TwoChildNode::FindInTree() {
    return fixed_children::FindInTree({Ordered(0)->get(), Ordered(1)->get()});
}

void TwoChildNode::VisitTreeNoArg() {
    fixed_children::VisitTreeNoArg({Ordered(0)->get(), Ordered(1)->get()});
}

ExprNode* TwoChildNode::FindMarker(const DocPos& position) {
    return fixed_children::FindMarker({Ordered(0)->get(), Ordered(1)->get()}, position);
}

ExprNode* TwoChildNode::FindParentOf(const ExprNode* node) {
    return fixed_children::FindParentOf(*this, {Ordered(0)->get(), Ordered(1)->get()}, node);
}
