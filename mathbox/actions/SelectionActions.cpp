#include "mathbox/actions/SelectionActions.h"

#include "document/BoxShapes.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/EditCodes.h"
#include "document/ParaComp.h"
#include "document/RefComp.h"
#include "mathbox/EditView.h"

#include <algorithm>

namespace {

// The nearest box around a list that `is` accepts, and the list of it the walk came through.
struct Enclosing {
    TextComp* box = nullptr;
    CompList* through = nullptr;
};

template <typename Is>
Enclosing EnclosingOf(CompList* list, Is is) {
    while (list != nullptr) {
        TextComp* owner = list->GetOwner();
        if (owner == nullptr) break;
        if (is(owner)) return {owner, list};
        list = owner->GetParent();
    }
    return {};
}

Enclosing EnclosingGrid(const DocPos& pos) {
    return EnclosingOf(pos.GetList(), [](const TextComp* c) { return AsGrid(c) != nullptr; });
}

Enclosing EnclosingDerivative(const DocPos& pos) {
    return EnclosingOf(pos.GetList(), [](const TextComp* c) { return AsDerivative(c) != nullptr; });
}

// The first gap of the text line of `para` that holds top-level index `index`.
DocPos LineStartOf(ParaComp& para, int32_t index) {
    para.EnsurePlaced();
    CompList* list = para.GetList(1);
    int32_t start = 1;
    bool lineBegins = false;
    for (const Layout* run : list->GetRuns()) {
        if (run->IsLineRun()) {
            lineBegins = true;
        } else if (lineBegins) {
            lineBegins = false;
            if (run->GetStart() <= index) start = run->GetStart();
        }
    }
    return PosAt(list, std::clamp(start, 1, list->GetCount() + 1));
}

DocPos LineEndOf(ParaComp& para, int32_t index) {
    CompList* list = para.GetList(1);
    const TextComp* comp = list->GetAt(index);
    return comp != nullptr ? para.LineEndPos(comp) : PosAt(list, list->GetCount() + 1);
}

// The number of boundaries a boundary position steps over: rows, columns, variables or gaps.
int32_t BoundaryCount(const DocPos& pos) {
    switch (pos.kind) {
    case DocPos::kOnGrid: {
        const GridShape* grid = AsGrid(pos.GetBox());
        if (grid == nullptr) return 0;
        return pos.columns != 0 ? grid->GetColumnCount() : grid->GetRowCount();
    }
    case DocPos::kOnVariable: {
        const DerivativeShape* derivative = AsDerivative(pos.GetBox());
        return derivative != nullptr ? derivative->GetDifferentialCount() : 0;
    }
    case DocPos::kInList:
        return pos.GetList()->GetCount();
    default:
        return 0;
    }
}

} // namespace

SelectionAction::SelectionAction(EditView& view, const DocRange& selection, bool extend)
    : TAction(view, actionname::kCannotUndo, selection), m_range(selection), m_saved(selection),
      m_extend(extend) {}

int32_t SelectionAction::DoIt() {
    m_saved = m_range;
    GetView().InvalidateHighlight(GetView().GetSelection());
    ComputeSelection();
    Install(m_range);
    return 0;
}

int32_t SelectionAction::UndoIt() {
    GetView().InvalidateHighlight(GetView().GetSelection());
    m_range = m_saved;
    Install(m_range);
    return 0;
}

void SelectionAction::Install(const DocRange& range) {
    GetView().SetSelection(range, true);
    BringIntoView(GetView(), range.GetBounds());
    GetView().InvalidateHighlight(range);
}

void DocStartAction::ComputeSelection() {
    const CompSequence* seq = m_range.start.GetSequence();
    if (seq == nullptr || seq->IsEmpty()) return;
    const DocPos first = seq->StartPosition();
    if (!m_extend) return CaretAt(first);
    const DocPos& end = m_range.end;
    m_range.Assign(first, PosAt(end.paragraph->GetList(1), end.TopLevelIndex(false)));
}

void DocEndAction::ComputeSelection() {
    const CompSequence* seq = m_range.start.GetSequence();
    if (seq == nullptr || seq->IsEmpty()) return;
    CompList* last = seq->GetAt(seq->GetCount())->GetList(1);
    const DocPos end = PosAt(last, last->GetCount() + 1);
    if (!m_extend) return CaretAt(end);
    const DocPos& start = m_range.start;
    m_range.Assign(PosAt(start.paragraph->GetList(1), start.TopLevelIndex(true)), end);
}

void LineStartAction::ComputeSelection() {
    const DocPos start = m_range.start;
    if (start.kind != DocPos::kInList) return;
    const DocPos there = start.IsInParagraphList()
                             ? LineStartOf(*m_range.end.paragraph, m_range.end.TopLevelIndex(true))
                             : PosAt(start.GetList(), 1);
    m_extend ? m_range.Assign(there, DocPos(m_range.end)) : CaretAt(there);
}

void LineEndAction::ComputeSelection() {
    const DocPos start = m_range.start;
    if (start.kind != DocPos::kInList) return;
    const DocPos there = start.IsInParagraphList()
                             ? LineEndOf(*m_range.end.paragraph, m_range.end.TopLevelIndex(true))
                             : PosAt(start.GetList(), start.GetList()->GetCount() + 1);
    m_extend ? m_range.Assign(DocPos(start), there) : CaretAt(there);
}

void ArrowAction::ComputeSelection() {
    const DocPos start = m_range.start;
    const DocPos end = m_range.end;
    DocPos to;
    DocPos from;
    switch (m_key) {
    case kLeft:
        to = m_into ? start.PrevInto() : start.PrevOver();
        from = end;
        break;
    case kUp:
        to = start.LineUp();
        from = end;
        break;
    case kRight:
        to = m_into ? end.NextInto() : end.NextOver();
        from = start;
        break;
    case kDown:
        to = end.LineDown();
        from = start;
        break;
    default:
        return;
    }
    if (to.kind == DocPos::kNone) return;
    m_extend ? m_range.Assign(from, to) : CaretAt(to);
}

void ExtendLeftAction::ComputeSelection() {
    if (m_range.start.index >= 2) --m_range.start.index;
}

void SelectWordAction::ComputeSelection() {
    const DocPos start = m_range.start;
    if (start.kind == DocPos::kInList)
        m_range = start.GetList()->WordRangeAt(start.index);
    else
        CaretAt(start);
}

void ExitLeftAction::ComputeSelection() {
    CaretAt(m_range.start.BeforeEnclosing());
}

void ExitRightAction::ComputeSelection() {
    CaretAt(m_range.end.AfterEnclosing());
}

void AfterOwnerAction::ComputeSelection() {
    DocPos pos = m_range.start.BeforeOwner();
    pos.Advance();
    CaretAt(pos);
}

void BeforeOwnerAction::ComputeSelection() {
    CaretAt(m_range.start.BeforeOwner());
}

namespace {

// A caret on the column (row) boundary after the cell of the nearest grid that holds the end, or
// where the end stands when it already is on such a boundary; false when no grid holds it.
bool GridBoundaryAfter(const DocPos& end, bool columns, DocPos& boundary) {
    if (end.kind == DocPos::kOnGrid && (end.columns != 0) == columns) {
        boundary = end;
        return true;
    }
    const Enclosing around = EnclosingGrid(end);
    int32_t column = 0, row = 0;
    if (around.box == nullptr || !AsGrid(around.box)->FindCell(around.through, column, row))
        return false;
    boundary.SetOnGrid(around.box, (columns ? column : row) + 1, columns);
    return true;
}

} // namespace

void ColumnBoundaryAction::ComputeSelection() {
    DocPos boundary;
    if (GridBoundaryAfter(m_range.end, true, boundary)) CaretAt(boundary);
}

void RowBoundaryAction::ComputeSelection() {
    DocPos boundary;
    if (GridBoundaryAfter(m_range.end, false, boundary)) CaretAt(boundary);
}

void VariableBoundaryAction::ComputeSelection() {
    const DocPos end = m_range.end;
    if (end.kind == DocPos::kOnVariable) return CaretAt(end);
    const Enclosing around = EnclosingDerivative(end);
    if (around.box == nullptr) return;
    const int32_t variable = AsDerivative(around.box)->IndexOfDifferential(around.through);
    if (variable == 0) return;
    DocPos boundary;
    boundary.SetInComponent(around.box, variable + 1);
    CaretAt(boundary);
}

void NextBoundaryAction::ComputeSelection() {
    DocPos moved = m_range.end;
    moved.Advance();
    moved.index = std::min(moved.index, BoundaryCount(moved) + 1);
    if (!m_grow || moved.index == m_range.start.index) return CaretAt(moved);
    DocPos from = moved;
    from.index = m_range.start.index;
    m_range.Assign(from, moved);
}

void PrevBoundaryAction::ComputeSelection() {
    DocPos moved = m_range.start;
    moved.Retreat();
    if (!m_grow || moved.index == m_range.end.index) return CaretAt(moved);
    DocPos from = moved;
    from.index = m_range.end.index;
    m_range.Assign(from, moved);
}

namespace {

// The cell after (column, row) of a grid, across (`right`) or down; false past the last cell.
bool NextCell(const GridShape& grid, bool right, int32_t& column, int32_t& row) {
    int32_t& along = right ? column : row;
    int32_t& across = right ? row : column;
    const int32_t alongCount = right ? grid.GetColumnCount() : grid.GetRowCount();
    const int32_t acrossCount = right ? grid.GetRowCount() : grid.GetColumnCount();
    if (along < alongCount) {
        ++along;
        return true;
    }
    if (across < acrossCount) {
        along = 1;
        ++across;
        return true;
    }
    return false;
}

void SelectNextCell(DocRange& range, bool right) {
    const Enclosing around = EnclosingGrid(range.start);
    if (around.box == nullptr) return;
    const GridShape& grid = *AsGrid(around.box);
    int32_t column = 0, row = 0;
    if (!grid.FindCell(around.through, column, row)) return;
    if (NextCell(grid, right, column, row)) {
        CompList* cell = grid.GetCell(column, row);
        range.Set(cell, 1, cell->GetCount() + 1);
    } else {
        range = DocRange::Caret(PosAfter(around.box));
    }
}

} // namespace

void NextCellRightAction::ComputeSelection() {
    SelectNextCell(m_range, true);
}

void NextCellDownAction::ComputeSelection() {
    SelectNextCell(m_range, false);
}

void NextVariableAction::ComputeSelection() {
    const Enclosing around = EnclosingDerivative(m_range.start);
    if (around.box == nullptr) return;
    const DerivativeShape& derivative = *AsDerivative(around.box);
    const int32_t variable = derivative.IndexOfDifferential(around.through);
    if (variable == 0) return;
    if (variable < derivative.GetDifferentialCount()) {
        CompList* next = derivative.GetDifferential(variable + 1)->GetList(1);
        m_range.Set(next, 1, next->GetCount() + 1);
    } else {
        CaretAt(PosAfter(around.box));
    }
}

void FollowReferenceAction::ComputeSelection() {
    const ParaComp* target = m_reference != nullptr ? m_reference->Resolve() : nullptr;
    if (target != nullptr) m_range.SelectContents(target);
}

OwnedAction MakeSelectionAction(EditView& view, const DocRange& selection, int32_t code,
                                bool shift) {
    using namespace editcode;
    switch (code) {
    case kExitLeft:
        return MakeAction<ExitLeftAction>(view, selection);
    case kExitRight:
        return MakeAction<ExitRightAction>(view, selection);
    case kExtendLeft:
        return MakeAction<ExtendLeftAction>(view, selection);
    case kBoundaryNext:
        return MakeAction<NextBoundaryAction>(view, selection, shift);
    case kBoundaryPrev:
        return MakeAction<PrevBoundaryAction>(view, selection, shift);
    case kBoundaryBeyond:
        return MakeAction<AfterOwnerAction>(view, selection);
    case kBeforeOwner:
        return MakeAction<BeforeOwnerAction>(view, selection);
    case kNextCellDown:
        return MakeAction<NextCellDownAction>(view, selection);
    case kNextCellRight:
        return MakeAction<NextCellRightAction>(view, selection);
    case kColumnBoundary:
        return MakeAction<ColumnBoundaryAction>(view, selection);
    case kRowBoundary:
        return MakeAction<RowBoundaryAction>(view, selection);
    case kVariableBoundary:
        return MakeAction<VariableBoundaryAction>(view, selection);
    case kNextVariable:
        return MakeAction<NextVariableAction>(view, selection);
    default:
        return nullptr;
    }
}
