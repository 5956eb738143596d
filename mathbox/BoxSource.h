#pragma once

// Where a box's expression node came from: the box's own place in its parent list.

#include "document/CompList.h"
#include "expr/ExprNode.h"
#include "expr/NodeSource.h"

// The run from the box's index to the next one in its parent list; no place while the box
// stands in no list.
inline NodeSource BoxSource(TextComp& box) {
    CompList* parent = box.GetParent();
    if (parent == nullptr) return NodeSource();
    const int32_t index = parent->IndexOf(&box);
    return NodeSource(parent, index, index + 1);
}

// A row or a column of a grid box: `flag` 0 for a row, 1 for a column.
inline NodeSource PartSource(TextComp& box, int32_t number, uint8_t flag) {
    NodeSource source;
    source.SetWhole(&box, number, number + 1, flag);
    return source;
}

// A list's expression, owned.
inline NodePtr ListExpression(CompList& list) {
    return NodePtr(list.ToExpression());
}
