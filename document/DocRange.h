#pragma once

// A selection: two positions that lie in one container, so that what lies between them is a
// run of children of one list (or of whole paragraphs), of whole rows or columns of one grid,
// or of variables of one partial derivative. `Assign` builds one from any two positions by
// widening to the innermost container that holds both. A range observes; material taken out of
// the document travels in a `Material`, which owns it.

#include "document/DocPos.h"
#include "document/EditCodes.h"
#include "document/Rect.h"
#include "document/Region.h"

#include <cstdint>
#include <memory>
#include <vector>

class CompList;
class TextComp;
struct Material;

class DocRange {
public:
    // The empty range at `pos`.
    static DocRange Caret(const DocPos& pos) {
        DocRange caret;
        caret.Assign(pos, pos);
        return caret;
    }
    // The range spanned by two positions, in either order.
    void Assign(const DocPos& a, const DocPos& b);
    // The kind-1 range (list, from) to (list, to).
    void Set(CompList* list, int32_t from, int32_t to) {
        start.SetAt(list, from);
        end.SetAt(list, to);
    }
    void SelectList(CompList* list);
    // From the gap before the component to the gap after it.
    void SelectComponent(const TextComp* comp);
    // All of the component's list 1.
    void SelectContents(const TextComp* comp);
    // Through a copy: `Assign` clears both ends before it reads its arguments.
    void CaretAtEnd() { *this = Caret(end); }

    bool HasExtent() const { return !start.IsEqual(end); }
    bool InOneParagraph() const { return start.paragraph == end.paragraph; }
    bool IsInnerSpanInTextParagraph() const;
    TextComp* GetSingleComponent() const;
    TextComp* FindEnclosing(TypeTag tag) const { return start.FindEnclosing(tag); }
    bool Contains(const DocPos& p) const;
    bool ContainsPoint(Point pt) const;
    // The paragraph style number every paragraph of the range has, or false.
    bool AllParagraphsHaveStyle(int32_t style) const;
    // List 1 of every paragraph from the start's to the end's, in order.
    std::vector<CompList*> CollectParagraphLists() const;
    // The style number of the selected text: 0 to 4 (5, 6 and 7 map to 0, 2 and 3). Links,
    // references and pictures have none of their own: the text around them decides.
    int32_t GetTextStyle() const;
    // The face every character of the range gets.
    void ApplyStyle(int32_t face);
    void TrimBlanks();

    // The caret rectangle of an empty range, or the rectangle a range covers.
    Rect GetBounds() const;
    // The region to invert for the selection; the caller deletes it (`Region::Delete`).
    Region GetHighlightRegion() const;
    // The edit code for a key typed with the range selected; 2000 for none.
    int32_t KeyToCommand(int32_t key, bool shift, bool ctrl) const;

    // Copies of what the range selects, in a detached sequence.
    Material ExtractContent() const;
    // Takes what the range selects out of the document into `removed`; returns the position
    // where it was. The range then describes the material where it now is.
    DocPos RemoveContent(Material& removed);
    // Whether `material` may be put at this selection. At a grid's boundary only rows (columns)
    // of a grid of its kind fit, as wide (tall) as the grid; a grid left with no cells takes
    // any of its kind.
    bool CanInsertContent(const Material& material) const;

    DocPos start;
    DocPos end;
};
