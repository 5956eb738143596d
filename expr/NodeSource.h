#pragma once

// Where in the document an expression node came from: a run of positions in one component list
// (kind 1), a whole grid box or a row or column of it (kind 2), or any other place a document
// range can have, such as a run of the variables of a partial derivative (kind 3). Held by
// value in every node; the place is only observed. The positions are those of a `DocPos`, so a
// record turns into the document range it names and back.

#include <cstdint>

class CompList;
class DocPos;
class DocRange;
class TextComp;

struct NodeSource {
    static constexpr uint32_t kRun = 1;
    static constexpr uint32_t kWhole = 2;

    // Kind 1: the list (a `CompList`); kind 2: the grid box; any other kind: the box the range
    // lies in, as in `DocPos::target`. Null when the node has no place.
    void* component = nullptr;
    int32_t start = 1;
    int32_t end = 1;
    uint32_t kind = kRun;
    // Kind 2: 1 for columns, 0 for rows.
    uint8_t wholeFlag = 0;

    NodeSource() = default;
    // The gaps start..end of a list: the children between them.
    NodeSource(CompList* list, int32_t start, int32_t end)
        : component(list), start(start), end(end) {}

    void SetWhole(TextComp* owner, int32_t first, int32_t last, uint8_t flag);

    // The same place: the same kind and, for a whole component, the same component and flag;
    // for a run or two positions the same component.
    bool operator==(const NodeSource& other) const;
    // The same place and the same positions.
    bool SamePlace(const NodeSource& other) const {
        return *this == other && start == other.start && end == other.end;
    }
    // The document range this record names; an empty range when it names no place.
    DocRange ToDocRange() const;
    // True when the range this record names contains `position` (the document's own test).
    bool TestRange(const DocPos& position) const;
    // Widens this record by one that follows it.
    void Union(const NodeSource& other);
};
