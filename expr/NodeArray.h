#pragma once

// The items of a kernel request's list, held while the user chooses among them. Positions are
// 1-based; a position outside 1 to the count finds nothing.

#include "expr/ExprNode.h"

#include <vector>

class ListNode;

class NodeArray {
public:
    int32_t GetCount() const { return static_cast<int32_t>(m_items.size()); }
    void Append(NodePtr node);
    // The item at the position, out of the array; null for a position outside it.
    NodePtr RemoveAt(int32_t position);
    // Takes the items of a list-like node over; the emptied node is destroyed.
    void FromList(NodePtr list);
    // A list holding every item in order; the array is left empty.
    std::unique_ptr<ListNode> ToListNode();
    void DeleteAll() { m_items.clear(); }
    // The item's plain text; empty for a position outside the array.
    void ItemText(int32_t position, Str255& out) const;

private:
    std::vector<NodePtr> m_items;
};
