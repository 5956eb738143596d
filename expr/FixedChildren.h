#pragma once

// The tree passes of nodes that keep their children in named slots (one operand, two children,
// an integral's four parts, a big operator's bounds and body). Each class passes its children
// in the order its passes take them; a missing child is passed over. One place for the walks,
// so the classes differ only in which slots they hand in and in what order.

#include "expr/ExprNode.h"

#include <initializer_list>
#include <utility>

namespace fixed_children {

// Replaces each child that displays as a fraction by its quotient.
inline void ExtractFractions(std::initializer_list<NodePtr*> slots) {
    for (NodePtr* slot : slots)
        ReplaceByFraction(*slot);
}

// Puts `replacement` into the slot that holds `old` and answers `old`, detached. When no slot
// holds it (or either is null) the answer is null and `replacement` is left with the caller.
inline NodePtr Replace(std::initializer_list<NodePtr*> slots, ExprNode* old, NodePtr& replacement) {
    if (!old || !replacement) return nullptr;
    for (NodePtr* slot : slots) {
        if (slot->get() == old) {
            std::swap(*slot, replacement);
            return std::move(replacement);
        }
    }
    return nullptr;
}

inline void VisitTree(std::initializer_list<ExprNode*> children, ExprNode& collector) {
    for (ExprNode* child : children)
        if (child) child->VisitTree(collector);
}

// The first non-zero answer of the children.
inline intptr_t FindInTree(std::initializer_list<ExprNode*> children) {
    for (ExprNode* child : children) {
        if (!child) continue;
        if (const intptr_t found = child->FindInTree()) return found;
    }
    return 0;
}

inline void VisitTreeNoArg(std::initializer_list<ExprNode*> children) {
    for (ExprNode* child : children)
        if (child) child->VisitTreeNoArg();
}

// The first child whose source holds `position`; the search does not descend.
inline ExprNode* FindMarker(std::initializer_list<ExprNode*> children, const DocPos& position) {
    for (ExprNode* child : children)
        if (child && child->SourceHolds(position)) return child;
    return nullptr;
}

// `parent` when `node` is one of its `children`, else the first parent a child's subtree finds.
inline ExprNode* FindParentOf(ExprNode& parent, std::initializer_list<ExprNode*> children,
                              const ExprNode* node) {
    if (!node) return nullptr;
    for (const ExprNode* child : children)
        if (child == node) return &parent;
    for (ExprNode* child : children) {
        if (!child) continue;
        if (ExprNode* found = child->FindParentOf(node)) return found;
    }
    return nullptr;
}

} // namespace fixed_children
