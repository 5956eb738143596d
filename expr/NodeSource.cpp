#include "expr/NodeSource.h"

#include <algorithm>

bool NodeSource::operator==(const NodeSource& other) const {
    if (kind != other.kind) return false;
    if (kind == kWhole) return component == other.component && wholeFlag == other.wholeFlag;
    if (kind == kRun || kind == 3) return component == other.component;
    return true;
}

void NodeSource::Union(const NodeSource& other) {
    if (*this == other) {
        if (end >= other.end)
            start = other.start;
        else
            end = other.end;
        return;
    }
    // Different places: the range between the two, in the first one's frame. Where the two lie
    // in different components the document joins them; until positions can be compared across
    // components, a record keeps its own place.
    if (component == other.component) {
        start = std::min(start, other.start);
        end = std::max(end, other.end);
    }
}
