#include "kernel/NodePath.h"

#include "document/DocRange.h"

#include <algorithm>

namespace kernel {

namespace {

// The gap after the first component a range takes in: the children's places hold the gap at
// their end, not the one at their start, so this is where the range's first child answers.
// A caret stays where it is.
DocPos InnerStart(const DocRange& range) {
    DocPos start = range.start;
    if (range.HasExtent()) start.Advance();
    return start;
}

} // namespace

void NodePath::FromSelection(ExprNode& tree, const DocRange& range) {
    Clear();
    const DocPos start = InnerStart(range);
    const DocPos& end = range.end;
    m_nodes.push_back(&tree);
    ExprNode* current = &tree;
    ExprNode* first = nullptr;
    ExprNode* last = nullptr;
    for (;;) {
        first = current->FindMarker(start);
        last = current->FindMarker(end);
        if (first == nullptr || first != last) break;
        m_nodes.push_back(first);
        current = first;
    }
    if (first != nullptr && last != nullptr) {
        // The ends fall in different children: the node marks the run between them, as a
        // fresh node of its own kind in its place when the run is not all of it.
        if (current->SetMark(first, last)) {
            if (ExprNode* run = current->FindParentOf(first); run != nullptr && run != current)
                m_nodes.push_back(run);
        }
        if (m_nodes.back()->IsMover()) {
            // A node that only wraps another of the very same place stands for the same
            // selection: the outer one carries the mark.
            const size_t count = m_nodes.size();
            if (count >= 2 && m_nodes[count - 1]->HasSource() && m_nodes[count - 2]->HasSource() &&
                m_nodes[count - 1]->Source().SamePlace(m_nodes[count - 2]->Source())) {
                m_nodes[count - 1]->SetMover(false);
                m_nodes.pop_back();
            }
        }
    }
    // The innermost node that holds the whole range stands for it, also where it could not
    // mark a run of its children.
    m_nodes.back()->SetMover(true);
    m_cursor = m_nodes.size() - 1;
}

void NodePath::FromNode(ExprNode& node, const DocPos& position) {
    Clear();
    m_nodes.push_back(&node);
    Descend(position);
}

void NodePath::FromPath(const NodePath& path, const DocPos& position) {
    Clear();
    for (ExprNode* node : path.m_nodes) {
        if (!node->SourceHolds(position)) break;
        m_nodes.push_back(node);
    }
    if (!m_nodes.empty()) Descend(position);
}

void NodePath::Descend(const DocPos& position) {
    // A tree is finite and a child is never its own ancestor, but a bound keeps a damaged one
    // from looping.
    constexpr size_t kMaxDepth = 100000;
    while (m_nodes.size() < kMaxDepth) {
        ExprNode* child = m_nodes.back()->FindMarker(position);
        if (child == nullptr) break;
        m_nodes.push_back(child);
    }
    m_cursor = m_nodes.size() - 1;
}

ExprNode* NodePath::First() {
    m_cursor = 0;
    return m_nodes.empty() ? nullptr : m_nodes.front();
}

ExprNode* NodePath::Last() {
    if (m_nodes.empty()) return nullptr;
    m_cursor = m_nodes.size() - 1;
    return m_nodes.back();
}

size_t NodePath::IndexOf(const ExprNode* node) const {
    return static_cast<size_t>(std::find(m_nodes.begin(), m_nodes.end(), node) - m_nodes.begin());
}

ExprNode* NodePath::Next(const ExprNode* node) {
    const size_t at = IndexOf(node);
    if (at + 1 >= m_nodes.size()) return nullptr;
    m_cursor = at + 1;
    return m_nodes[m_cursor];
}

ExprNode* NodePath::Previous(const ExprNode* node) {
    const size_t at = IndexOf(node);
    if (at == 0 || at >= m_nodes.size()) return nullptr;
    m_cursor = at - 1;
    return m_nodes[m_cursor];
}

bool NodePath::Contains(const ExprNode* node) const {
    return IndexOf(node) < m_nodes.size();
}

ExprNode* NodePath::DeepestCommon(const NodePath& other) const {
    if (m_nodes.empty() || other.m_nodes.empty() || m_nodes.front() != other.m_nodes.front())
        return nullptr;
    ExprNode* common = nullptr;
    for (ExprNode* node : other.m_nodes) {
        if (!Contains(node)) break;
        common = node;
    }
    return common;
}

void NodePath::Clear() {
    m_nodes.clear();
    m_cursor = 0;
}

} // namespace kernel
