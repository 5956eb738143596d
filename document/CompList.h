#pragma once

// The ordered list of components behind every place where content can be typed: the numerator
// of a fraction, a matrix cell, the body of a paragraph. Positions are 1-based in every
// operation; 0 means none.
//
// Ownership: the list owns its children (destroying the list calls `Destroy` on each, which does
// nothing for shared characters) and its layout runs. Children taken out with `RemoveAt`,
// `ExtractRange`, `SplitOff` or `DetachChildren` belong to the caller and no longer name this
// list as their parent. A character has no parent: any number of lists may hold the same one.
//
// Layout marks climb: a change marks the list and, through its owner, every enclosing list and
// component up to the paragraph.

#include "document/DocRange.h"
#include "document/Point.h"
#include "document/PtrArray.h"
#include "document/Rect.h"
#include "document/Str255.h"

#include <cstdint>

class DocStream;
class ExprNode;
class LatexWriter;
class Layout;
class OutBuffer;
class TextComp;

class CompList {
public:
    CompList();
    explicit CompList(PtrArray<TextComp>&& children);
    // One shared character of `face` per character of the text.
    CompList(const Str255& text, int32_t face);
    ~CompList();
    CompList(const CompList&) = delete;
    CompList& operator=(const CompList&) = delete;

    int32_t GetCount() const { return m_children.GetCount(); }
    // Null when `i` is outside 1 to count.
    TextComp* GetAt(int32_t i) const;
    // 0 when absent.
    int32_t IndexOf(const TextComp* comp) const;

    // Each insertion makes this list the child's parent, gives it the list's size level and
    // marks the list for layout.
    void Append(TextComp* comp);
    void InsertAt(TextComp* comp, int32_t i);
    // Inserts all components of the array before position i, in order; the list owns them.
    void InsertArrayAt(PtrArray<TextComp>&& array, int32_t i);
    // Puts a component at position i (1 to count + 1) in place of what was there and returns
    // the old one, which the caller now owns; position count + 1 appends and returns null.
    TextComp* SetAt(TextComp* comp, int32_t i);
    TextComp* RemoveAt(int32_t i);
    // Children from..to inclusive, in order.
    PtrArray<TextComp> ExtractRange(int32_t from, int32_t to);
    PtrArray<TextComp> SplitOff(int32_t from);
    PtrArray<TextComp> DetachChildren();

    // Copies of every child (from..to exclusive for `CopyRange`), owned by the caller.
    PtrArray<TextComp> CopyChildren() const;
    PtrArray<TextComp> CopyRange(int32_t from, int32_t to) const;
    CompList* Clone() const;

    // The character codes of the character children, at most 255.
    Str255 GetText() const;
    // True when a child after the first is a blank, "+", "-" or "/".
    bool HasSpaceOrSignAfterFirst() const;
    bool IsEqual(const CompList& other) const;

    // Gives positions from..to (exclusive) the face: characters are exchanged for the same
    // character of that face, other children pass it to their own lists.
    void ApplyStyle(int32_t face, int32_t from, int32_t to);
    void SetSizeLevel(uint8_t level);
    uint8_t GetSizeLevel() const { return m_sizeLevel; }

    // `mode` is the owner's placeholder mode word, handed to the placeholder run of an empty
    // list.
    void SetOwner(TextComp* owner, int32_t mode);
    TextComp* GetOwner() const { return m_owner; }
    int32_t GetPlaceholderMode() const { return m_placeholderMode; }

    void InvalidateLayout();
    void InvalidateAll();
    bool NeedsLayout() const { return m_needsLayout; }
    bool IsPlaced() const { return m_placed; }

    // Builds the runs of the list's line; a line wider than `maxWidth` is shown as one gray
    // run. On an exception the runs are dropped and the list stays marked for layout.
    void Layout(int16_t maxWidth);
    void LayoutToPage();

    void SetOrigin(Point point);
    void OffsetOrigin(Point delta);
    Point GetOrigin() const { return m_origin; }
    void SetBounds(const Rect& bounds) { m_bounds = bounds; }
    Rect GetBounds() const { return m_bounds; }
    Rect GetFrame() const { return m_frame; }
    Rect GetGlobalBounds() const { return m_bounds.Shifted(m_origin); }
    int32_t GetWidth() const { return m_bounds.Width(); }
    bool ContainsPoint(Point p) const { return GetGlobalBounds().PtInRect(p); }

    const PtrArray<::Layout>& GetRuns() const { return m_runs; }
    // The caller owns the returned runs.
    PtrArray<::Layout> DetachRuns();
    // Gives the runs the vertical extent of `rect` and lets the first and last reach its left
    // and right edges (`rect` in the coordinates of the runs' frames).
    void StretchRuns(const Rect& rect);

    void Draw();
    TextComp* FindAt(Point point);
    DocPos PosFromPoint(Point point, bool rightHalf);
    Rect GetCaretRect(int32_t i);
    ::Layout* FindRunFor(int32_t i) const;
    // The range a double click at position i selects.
    DocRange WordRangeAt(int32_t i);

    // A new expression tree for the children, owned by the caller.
    ExprNode* ToExpression();
    void WriteLatex(LatexWriter& writer, bool withBraces, bool alignMode);
    void WriteKernelInput(OutBuffer& out);
    void Write(DocStream& stream) const;
    void Read(DocStream& stream);

private:
    // Positional operations take 1 to `last`; anything else is a caller's fault and throws
    // std::out_of_range before the list changes.
    void CheckPosition(int32_t i, int32_t last, const char* operation) const;
    void Adopt(TextComp* comp);
    void Release(TextComp* comp);
    void DeleteRuns();
    void AddRunToBounds(const ::Layout& run);
    ::Layout* StartRun(int32_t i, TextComp* child);
    // The first run whose frame reaches x: only x chooses the run.
    ::Layout* RunAtX(int32_t x) const;

    PtrArray<TextComp> m_children;
    PtrArray<::Layout> m_runs;
    TextComp* m_owner = nullptr; // not owned
    int32_t m_placeholderMode = 0;
    Rect m_bounds;
    Rect m_frame;
    Point m_origin;
    uint8_t m_sizeLevel = 0;
    bool m_needsLayout = true;
    bool m_placed = false;
};
