#pragma once

// The path of nodes from a tree's root down to the node that a document place designates: the
// kernel's questions to the user, the evaluation commands and the drag tools find the node a
// selection or the pointer stands for through it.
//
// A path observes the nodes of one tree; it owns none, and it must be cleared or dropped
// before the tree goes. The cursor is the entry `First` or `Last` put it on.

#include "expr/ExprNode.h"

#include <cstddef>
#include <vector>

class DocPos;
class DocRange;

namespace kernel {

class NodePath {
public:
    // The path from `tree` to the innermost node that holds the whole range, which is given
    // the mover flag. When the range's ends fall in different children of that node, the node
    // marks the run of children between them (`ExprNode::SetMark`), and the path ends at the
    // node that carries the mark.
    void FromSelection(ExprNode& tree, const DocRange& range);
    // From `node` down through the children that hold the position, as deep as they go.
    void FromNode(ExprNode& node, const DocPos& position);
    // The entries of `path` from its head while each came from a place that holds the
    // position, then on down from the last of them as `FromNode` does. Empty when not even the
    // head holds the position.
    void FromPath(const NodePath& path, const DocPos& position);

    // The head (the root) and the tail; null for an empty path. Each moves the cursor there.
    ExprNode* First();
    ExprNode* Last();
    // The entry after (before) `node`, which moves the cursor there; null when `node` is the
    // tail (the head) or not on the path.
    ExprNode* Next(const ExprNode* node);
    ExprNode* Previous(const ExprNode* node);
    bool Contains(const ExprNode* node) const;
    // The deepest node of `other` that this path also holds; null when the heads differ.
    ExprNode* DeepestCommon(const NodePath& other) const;
    void Clear();

    size_t Count() const { return m_nodes.size(); }

private:
    // Appends the children that hold the position, from the tail down.
    void Descend(const DocPos& position);
    // The index of `node` on the path, or the count when it is not on it.
    size_t IndexOf(const ExprNode* node) const;

    std::vector<ExprNode*> m_nodes;
    size_t m_cursor = 0;
};

} // namespace kernel
