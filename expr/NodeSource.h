#pragma once

// Where in the document an expression node came from: a run of positions inside one component
// (kind 1), a whole component or a row or column of it (kind 2), or two independent positions
// (any other kind). Held by value in every node; the component is only observed.

#include <cstdint>

class TextComp;

struct NodeSource {
    static constexpr uint32_t kRun = 1;
    static constexpr uint32_t kWhole = 2;

    TextComp* component = nullptr;
    int32_t start = 1;
    int32_t end = 1;
    uint32_t kind = kRun;
    uint8_t wholeFlag = 0;

    NodeSource() = default;
    NodeSource(TextComp* component, int32_t start, int32_t end)
        : component(component), start(start), end(end) {}

    void SetWhole(TextComp* owner, int32_t first, int32_t last, uint8_t flag) {
        component = owner;
        start = first;
        end = last;
        kind = kWhole;
        wholeFlag = flag;
    }

    // The same place: the same kind and, for a whole component, the same component and flag;
    // for a run or two positions the same component.
    bool operator==(const NodeSource& other) const;
    // The same place and the same positions.
    bool SamePlace(const NodeSource& other) const {
        return *this == other && start == other.start && end == other.end;
    }
    // True when `position` (a run's start) lies within this record's run in the same component.
    bool Holds(const NodeSource& position) const {
        return component == position.component && start <= position.start && position.start <= end;
    }
    // Widens this record by one that follows it.
    void Union(const NodeSource& other);
};
