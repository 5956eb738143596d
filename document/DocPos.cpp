#include "document/DocPos.h"

#include "document/BoxShapes.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "document/ParaComp.h"
#include "document/TextComp.h"

#include <algorithm>

namespace {

DocPos ListPos(CompList* list, int32_t index) {
    DocPos pos;
    if (list != nullptr) pos.SetAt(list, index);
    return pos;
}

DocPos ListEnd(CompList* list) {
    return ListPos(list, list != nullptr ? list->GetCount() + 1 : 0);
}

int32_t VariableCount(const TextComp* box) {
    const DerivativeShape* d = AsDerivative(box);
    return d != nullptr ? d->GetDifferentialCount() : 0;
}

int32_t ColumnCount(const TextComp* box) {
    const GridShape* g = AsGrid(box);
    return g != nullptr ? g->GetColumnCount() : 0;
}

int32_t RowCount(const TextComp* box) {
    const GridShape* g = AsGrid(box);
    return g != nullptr ? g->GetRowCount() : 0;
}

CompList* VariableList(const TextComp* box, int32_t i) {
    const DerivativeShape* d = AsDerivative(box);
    const TextComp* diff = d != nullptr ? d->GetDifferential(i) : nullptr;
    return diff != nullptr ? diff->GetList(1) : nullptr;
}

// The paragraph `step` places from `para` in its sequence, or null at either end.
ParaComp* Neighbour(const DocPos& pos, int32_t step) {
    CompSequence* seq = pos.GetSequence();
    if (seq == nullptr) return nullptr;
    const int32_t k = seq->IndexOf(pos.paragraph) + step;
    return k >= 1 && k <= seq->GetCount() ? seq->GetAt(k) : nullptr;
}

} // namespace

DocPos PosBefore(const TextComp* comp) {
    CompList* parent = comp != nullptr ? comp->GetParent() : nullptr;
    return ListPos(parent, parent != nullptr ? parent->IndexOf(comp) : 0);
}

DocPos PosAfter(const TextComp* comp) {
    CompList* parent = comp != nullptr ? comp->GetParent() : nullptr;
    return ListPos(parent, parent != nullptr ? parent->IndexOf(comp) + 1 : 0);
}

void DocPos::Clear() {
    target = nullptr;
    paragraph = nullptr;
    index = -1;
    kind = kNone;
    columns = 0;
}

void DocPos::SetAt(CompList* list, int32_t at) {
    target = list;
    // A paragraph answers itself, so the owner's answer is the paragraph whether the owner is the
    // paragraph or a box inside it.
    TextComp* owner = list != nullptr ? list->GetOwner() : nullptr;
    paragraph = owner != nullptr ? owner->GetParagraph() : nullptr;
    index = at;
    kind = kInList;
    columns = 0;
}

void DocPos::SetOnGrid(TextComp* grid, int32_t at, bool betweenColumns) {
    target = grid;
    paragraph = grid != nullptr ? grid->GetParagraph() : nullptr;
    index = at;
    kind = kOnGrid;
    columns = betweenColumns ? 1 : 0;
}

void DocPos::SetInComponent(TextComp* derivative, int32_t at) {
    target = derivative;
    paragraph = derivative != nullptr ? derivative->GetParagraph() : nullptr;
    index = at;
    kind = kOnVariable;
    columns = 0;
}

CompList* DocPos::GetList() const {
    if (kind == kInList) return static_cast<CompList*>(target);
    if (kind == kOnGrid || kind == kOnVariable) {
        const TextComp* box = GetBox();
        return box != nullptr ? box->GetParent() : nullptr;
    }
    return nullptr;
}

TextComp* DocPos::GetBox() const {
    return kind == kOnGrid || kind == kOnVariable ? static_cast<TextComp*>(target) : nullptr;
}

TextComp* DocPos::GetComponent() const {
    // A boundary index counts rows, columns or variables, never children of a list.
    return kind == kInList && target != nullptr ? GetList()->GetAt(index) : nullptr;
}

CompSequence* DocPos::GetSequence() const {
    return paragraph != nullptr ? dynamic_cast<CompSequence*>(paragraph->GetOwner()) : nullptr;
}

bool DocPos::IsInParagraphList() const {
    const CompList* list = kind == kInList ? GetList() : nullptr;
    return list != nullptr && list->GetOwner() != nullptr &&
           list->GetOwner()->GetTypeTag() == tags::Paragraph;
}

bool DocPos::IsEqual(const DocPos& other) const {
    return IsSameContainer(other) && index == other.index;
}

bool DocPos::IsSameContainer(const DocPos& other) const {
    if (kind != other.kind || target != other.target) return false;
    return kind != kOnGrid || columns == other.columns;
}

bool DocPos::IsBefore(const DocPos& other) const {
    if (kind == kOnGrid || kind == kOnVariable) return index < other.index;
    if (kind != kInList) return false;
    if (target == other.target) return index < other.index;
    CompSequence* seq = GetSequence();
    if (seq == nullptr || seq != other.GetSequence()) return false;
    return seq->IndexOf(paragraph) < seq->IndexOf(other.paragraph);
}

TextComp* DocPos::Holder() const {
    if (kind == kInList) return target != nullptr ? GetList()->GetOwner() : nullptr;
    return GetBox();
}

TextComp* DocPos::FindEnclosing(TypeTag tag) const {
    TextComp* comp = Holder();
    if (tag == tags::Null) return comp;
    while (comp != nullptr) {
        if (comp->GetTypeTag() == tag) return comp;
        CompList* parent = comp->GetParent();
        comp = parent != nullptr ? parent->GetOwner() : nullptr;
    }
    return nullptr;
}

int32_t DocPos::TopLevelIndex(bool before) const {
    if (IsInParagraphList()) return index;
    const TextComp* comp = Holder();
    while (comp != nullptr) {
        CompList* parent = comp->GetParent();
        if (parent == nullptr) return 0;
        if (parent->GetOwner() == paragraph) return parent->IndexOf(comp) + (before ? 0 : 1);
        comp = parent->GetOwner();
    }
    return 0;
}

DocPos DocPos::BeforeOwner() const {
    return PosBefore(Holder());
}

DocPos DocPos::AfterEnclosing() const {
    const TextComp* holder = Holder();
    if (kind == kInList && holder != nullptr)
        if (CompList* right = holder->ListRightOf(GetList())) return ListPos(right, 1);
    return PosAfter(holder);
}

DocPos DocPos::BeforeEnclosing() const {
    const TextComp* holder = Holder();
    if (kind == kInList && holder != nullptr)
        if (CompList* left = holder->ListLeftOf(GetList())) return ListEnd(left);
    return PosBefore(holder);
}

DocPos DocPos::ResolveLeading() const {
    if (kind != kInList || index != 0 || !IsInParagraphList()) return *this;
    const bool toEnd = paragraph->GetStyle().HasTrailingLabel();
    return ListPos(GetList(), toEnd ? GetList()->GetCount() + 1 : 1);
}

DocPos DocPos::StepOutRight() const {
    if (IsInParagraphList()) {
        ParaComp* next = Neighbour(*this, 1);
        return next != nullptr ? ListPos(next->GetList(1), 1) : *this;
    }
    return AfterEnclosing();
}

DocPos DocPos::StepOutLeft() const {
    if (IsInParagraphList()) {
        ParaComp* previous = Neighbour(*this, -1);
        return previous != nullptr ? ListEnd(previous->GetList(1)) : ListPos(GetList(), 1);
    }
    return BeforeEnclosing();
}

DocPos DocPos::Advanced() const {
    DocPos next = *this;
    next.Advance();
    return next;
}

DocPos DocPos::Retreated() const {
    DocPos previous = *this;
    previous.Retreat();
    return previous;
}

DocPos DocPos::NextOver() const {
    switch (kind) {
    case kInList:
        if (index <= GetList()->GetCount()) return ListPos(GetList(), index + 1);
        return StepOutRight();
    case kOnGrid:
        if (columns == 0) return *this;
        if (index > ColumnCount(GetBox())) return PosAfter(GetBox());
        return Advanced();
    case kOnVariable:
        if (index > VariableCount(GetBox())) return PosAfter(GetBox());
        return Advanced();
    default:
        return *this;
    }
}

DocPos DocPos::PrevOver() const {
    switch (kind) {
    case kInList:
        if (index - 1 >= 1) return ListPos(GetList(), index - 1);
        return StepOutLeft();
    case kOnGrid:
        if (columns == 0) return *this;
        [[fallthrough]];
    case kOnVariable:
        if (index <= 1) return PosBefore(GetBox());
        return Retreated();
    default:
        return *this;
    }
}

DocPos DocPos::NextInto() const {
    switch (kind) {
    case kInList:
        if (index <= GetList()->GetCount()) {
            const TextComp* child = GetList()->GetAt(index);
            if (child->GetListCount() > 0)
                if (CompList* first = child->ListRightOf(nullptr)) return ListPos(first, 1);
            return ListPos(GetList(), index + 1);
        }
        return StepOutRight();
    case kOnGrid:
        if (columns == 1 && index <= ColumnCount(GetBox())) return Advanced();
        return PosAfter(GetBox());
    case kOnVariable:
        if (index <= VariableCount(GetBox())) return ListPos(VariableList(GetBox(), index), 1);
        return PosAfter(GetBox());
    default:
        return *this;
    }
}

DocPos DocPos::PrevInto() const {
    switch (kind) {
    case kInList:
        if (index - 1 >= 1) {
            const TextComp* child = GetList()->GetAt(index - 1);
            if (child->GetListCount() > 0)
                if (CompList* last = child->ListLeftOf(nullptr)) return ListEnd(last);
            return ListPos(GetList(), index - 1);
        }
        return StepOutLeft();
    case kOnGrid:
        if (columns == 1 && index > 1) return Retreated();
        return PosBefore(GetBox());
    case kOnVariable:
        if (index > 1) return ListEnd(VariableList(GetBox(), index - 1));
        return PosBefore(GetBox());
    default:
        return *this;
    }
}

DocPos DocPos::VerticalInParagraph(bool up) const {
    CompList* list = GetList();
    const Rect caret = paragraph->GetPositionRect(*this);
    const int32_t half = std::max(caret.Height(), 2) / 2;
    const Rect edgeLine = list->GetCaretRect(up ? 1 : list->GetCount() + 1);
    const bool onEdgeLine = up ? caret.top <= edgeLine.top : caret.top >= edgeLine.top;
    ParaComp* para = paragraph;
    Point point(caret.left, up ? caret.top - half : caret.bottom + half);
    if (onEdgeLine) {
        if (ParaComp* other = Neighbour(*this, up ? -1 : 1)) {
            // The line of the neighbour nearest to this one: its last for up, its first for down.
            other->EnsurePlaced();
            CompList* otherList = other->GetList(1);
            const Rect line = otherList->GetCaretRect(up ? otherList->GetCount() + 1 : 1);
            para = other;
            point.y = line.top + line.Height() / 2;
        } else {
            point.y = caret.top + caret.Height() / 2;
        }
    }
    return para->PosFromPoint(point, true);
}

DocPos DocPos::LineUp() const {
    switch (kind) {
    case kInList: {
        if (IsInParagraphList()) return VerticalInParagraph(true);
        const TextComp* owner = Holder();
        if (CompList* above = owner->ListAbove(GetList())) return ListEnd(above);
        return PosBefore(owner);
    }
    case kOnGrid:
        if (columns == 0 && index >= 2) return Retreated();
        return PosBefore(GetBox());
    case kOnVariable:
        return PosBefore(GetBox());
    default:
        return *this;
    }
}

DocPos DocPos::LineDown() const {
    switch (kind) {
    case kInList: {
        if (IsInParagraphList()) return VerticalInParagraph(false);
        const TextComp* owner = Holder();
        if (CompList* below = owner->ListBelow(GetList())) return ListPos(below, 1);
        return PosAfter(owner);
    }
    case kOnGrid:
        if (columns == 0 && index <= RowCount(GetBox())) return Advanced();
        return PosAfter(GetBox());
    case kOnVariable:
        return PosAfter(GetBox());
    default:
        return *this;
    }
}

Rect DocPos::CaretRect() const {
    DocRange caret;
    caret.Assign(*this, *this);
    return caret.GetBounds();
}

PositionCursor DocPos::LoadCursor() const {
    switch (kind) {
    case kInList:
        return PositionCursor::IBeam;
    case kOnGrid:
        return columns != 0 ? PositionCursor::ResizeVertical : PositionCursor::ResizeHorizontal;
    case kOnVariable:
        return PositionCursor::ResizeVertical;
    default:
        return PositionCursor::None;
    }
}
