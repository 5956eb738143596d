#include "expr/NodeSource.h"

#include "document/DocRange.h"

namespace {

bool IsEmpty(const DocRange& range) {
    return range.start.kind == DocPos::kNone;
}

// Widens `range` so that it holds `position` too, when both lie in one document.
void Include(DocRange& range, const DocPos& position) {
    if (IsEmpty(range) || position.IsEqual(range.start) || range.Contains(position)) return;
    DocRange probe;
    probe.Assign(range.start, position);
    if (IsEmpty(probe)) return;
    DocRange wider;
    if (probe.start.IsEqual(range.start))
        wider.Assign(range.start, position); // after the end
    else
        wider.Assign(position, range.end); // before the start
    if (!IsEmpty(wider)) range = wider;
}

} // namespace

void NodeSource::SetWhole(TextComp* owner, int32_t first, int32_t last, uint8_t flag) {
    component = owner;
    start = first;
    end = last;
    kind = kWhole;
    wholeFlag = flag;
}

bool NodeSource::operator==(const NodeSource& other) const {
    if (kind != other.kind) return false;
    if (kind == kWhole) return component == other.component && wholeFlag == other.wholeFlag;
    if (kind == kRun || kind == DocPos::kOnVariable) return component == other.component;
    return true;
}

DocRange NodeSource::ToDocRange() const {
    DocRange range;
    if (component == nullptr) return range;
    if (kind == kRun) {
        range.Set(static_cast<CompList*>(component), start, end);
    } else if (kind == kWhole) {
        auto* grid = static_cast<TextComp*>(component);
        range.start.SetOnGrid(grid, start, wholeFlag != 0);
        range.end.SetOnGrid(grid, end, wholeFlag != 0);
    } else if (kind == DocPos::kOnVariable) {
        DocPos first;
        DocPos last;
        first.SetInComponent(static_cast<TextComp*>(component), start);
        last.SetInComponent(static_cast<TextComp*>(component), end);
        range.Assign(first, last);
    }
    return range;
}

bool NodeSource::TestRange(const DocPos& position) const {
    const DocRange range = ToDocRange();
    // The document's test takes an empty range for one that holds everything; a node that names
    // no place holds nothing.
    return !IsEmpty(range) && range.Contains(position);
}

void NodeSource::Union(const NodeSource& other) {
    if (*this == other) {
        if (end >= other.end)
            start = other.start;
        else
            end = other.end;
        return;
    }
    const DocRange mine = ToDocRange();
    const DocRange theirs = other.ToDocRange();
    if (IsEmpty(theirs)) return;
    if (IsEmpty(mine)) {
        *this = other;
        return;
    }
    // From this record's start to the other's end, widened where the two lie in different
    // containers. A record names one container, so a place that shares none with this one (in
    // another paragraph or another document) leaves the record as it was.
    DocRange joined;
    joined.Assign(mine.start, theirs.end);
    if (IsEmpty(joined)) return;
    Include(joined, mine.end);
    Include(joined, theirs.start);
    if (!joined.start.IsSameContainer(joined.end)) return;
    component = joined.start.target;
    start = joined.start.index;
    end = joined.end.index;
    kind = static_cast<uint32_t>(joined.start.kind);
    wholeFlag = joined.start.columns;
}
