#pragma once

// A place in a document where a caret can stand or a selection can begin or end: a gap in a
// component list (kind 1), a boundary between the rows or columns of a grid box (kind 2), or a
// boundary between the variables of a partial derivative (kind 3). A small value, copied
// freely, owning nothing. The step operations return a new position and leave this one alone.

#include "document/Rect.h"
#include "document/TypeTag.h"

#include <cstdint>

class CompList;
class CompSequence;
class ParaComp;
class TextComp;

// The mouse cursor over a position; the view maps it to the platform's cursors.
enum class PositionCursor { None, IBeam, ResizeVertical, ResizeHorizontal };

class DocPos {
public:
    enum Kind : int32_t { kNone = 0, kInList = 1, kOnGrid = 2, kOnVariable = 3 };

    DocPos() { Clear(); }

    // The empty position: kind 0, no target or paragraph, index -1.
    void Clear();
    // Kind 1 before child `index` of `list` (count + 1 is the end); the paragraph follows from
    // the list's owner.
    void SetAt(CompList* list, int32_t index);
    // Kind 2 before column (`columns` set) or row `index` of a grid box.
    void SetOnGrid(TextComp* grid, int32_t index, bool columns);
    // Kind 3 before variable `index` of a partial derivative.
    void SetInComponent(TextComp* derivative, int32_t index);
    void Advance() { ++index; }
    void Retreat() {
        if (index >= 2) --index;
    }

    // Kind 1: the list; kinds 2 and 3: the list that holds the box; kind 0: null.
    CompList* GetList() const;
    // Kinds 2 and 3: the box; otherwise null.
    TextComp* GetBox() const;
    // Only a list position has a component after it: the child at `index`, null past the end.
    TextComp* GetComponent() const;
    // The sequence that holds the paragraph; null without one.
    CompSequence* GetSequence() const;
    bool IsInParagraphList() const;
    bool IsEqual(const DocPos& other) const;
    bool IsSameContainer(const DocPos& other) const;
    bool IsBefore(const DocPos& other) const;
    // From the list's owner (kind 1) or the box outward, the first component with the tag;
    // "null" answers the innermost component itself.
    TextComp* FindEnclosing(TypeTag tag) const;
    // The position's index in its paragraph's own list, or the index there of the top-level
    // component that holds it (plus 1 unless `before`).
    int32_t TopLevelIndex(bool before) const;

    // Stepping out of the component that holds the position; each gives a list position.
    DocPos BeforeOwner() const;
    DocPos AfterEnclosing() const;
    DocPos BeforeEnclosing() const;
    // Index 0 of a paragraph's list becomes 1, or the end when the paragraph's number follows
    // its content.
    DocPos ResolveLeading() const;

    DocPos NextOver() const;
    DocPos PrevOver() const;
    DocPos NextInto() const;
    DocPos PrevInto() const;
    DocPos LineUp() const;
    DocPos LineDown() const;
    // The caret rectangle: that of the empty range at this position.
    Rect CaretRect() const;
    // The I-beam in a list; the resize cursors on boundaries (vertical between columns and
    // variables, horizontal between rows).
    PositionCursor LoadCursor() const;

    // Kind 1: the list; kinds 2 and 3: the grid or derivative box. Not owned.
    void* target;
    // The paragraph that encloses `target`; null for kind 0.
    ParaComp* paragraph;
    // 1-based gap number; -1 for kind 0.
    int32_t index;
    int32_t kind;
    // Kind 2 only: 1 between columns, 0 between rows.
    uint8_t columns;

private:
    // The component that directly holds the position: the list's owner, or the box.
    TextComp* Holder() const;
    // At the end (start) of a list: into the next (previous) paragraph or out of the owner.
    DocPos StepOutRight() const;
    DocPos StepOutLeft() const;
    DocPos VerticalInParagraph(bool up) const;
    // Copies moved one boundary on or back, as Advance and Retreat move this one.
    DocPos Advanced() const;
    DocPos Retreated() const;
};

// Positions just before and just after a component in its parent list.
DocPos PosBefore(const TextComp* comp);
DocPos PosAfter(const TextComp* comp);
