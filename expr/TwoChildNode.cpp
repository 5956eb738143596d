#include "expr/TwoChildNode.h"

std::optional<Fraction> TwoChildNode::ExtractFraction() {
    for (int which = 0; which < 2; ++which) {
        if (NodePtr* child = Ordered(which); *child) ReplaceByFraction(*child);
    }
    return std::nullopt;
}

NodePtr TwoChildNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    if (!old || !replacement) return nullptr;
    NodePtr* slot = old == m_first.get() ? &m_first : old == m_second.get() ? &m_second : nullptr;
    if (!slot) return nullptr;
    std::swap(*slot, replacement);
    return replacement;
}

void TwoChildNode::VisitTree(ExprNode& collector) {
    for (int which = 0; which < 2; ++which) {
        if (NodePtr* child = Ordered(which); *child) (*child)->VisitTree(collector);
    }
}

intptr_t TwoChildNode::FindInTree() {
    for (int which = 0; which < 2; ++which) {
        if (NodePtr* child = Ordered(which); *child) {
            if (const intptr_t found = (*child)->FindInTree()) return found;
        }
    }
    return 0;
}

void TwoChildNode::VisitTreeNoArg() {
    for (int which = 0; which < 2; ++which) {
        if (NodePtr* child = Ordered(which); *child) (*child)->VisitTreeNoArg();
    }
}

ExprNode* TwoChildNode::FindMarker(const DocPos& position) {
    for (int which = 0; which < 2; ++which) {
        NodePtr* child = Ordered(which);
        if (*child && (*child)->SourceHolds(position)) return child->get();
    }
    return nullptr;
}

ExprNode* TwoChildNode::FindParentOf(const ExprNode* node) {
    if (!node) return nullptr;
    if (node == m_first.get() || node == m_second.get()) return this;
    for (int which = 0; which < 2; ++which) {
        if (NodePtr* child = Ordered(which); *child) {
            if (ExprNode* parent = (*child)->FindParentOf(node)) return parent;
        }
    }
    return nullptr;
}
