#pragma once

// A place in a document where a caret can stand or a selection can begin or end. A small value,
// copied freely, owning nothing. Only what the component contract needs is here so far: the
// record, the empty position and positions in a component list.

#include <cstdint>

class CompList;
class ParaComp;

class DocPos {
public:
    enum Kind : int32_t { kNone = 0, kInList = 1, kOnGrid = 2, kOnVariable = 3 };

    DocPos() { Clear(); }

    // The empty position: kind 0, no target or paragraph, index -1.
    void Clear();
    // Kind 1 before child `index` of `list` (count + 1 is the end); the paragraph follows from
    // the list's owner.
    void SetAt(CompList* list, int32_t index);

    // Kind 1: the list; other kinds are not resolved here yet.
    CompList* GetList() const;

    // Kind 1: the list; kinds 2 and 3: the grid or derivative box. Not owned.
    void* target;
    // The paragraph that encloses `target`; null for kind 0.
    ParaComp* paragraph;
    // 1-based gap number; -1 for kind 0.
    int32_t index;
    int32_t kind;
    // Kind 2 only: 1 between columns, 0 between rows.
    uint8_t columns;
};
