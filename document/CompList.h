#pragma once

// The ordered list of components behind every place where content can be typed: the numerator
// of a fraction, a matrix cell, the body of a paragraph. Positions are 1-based in every
// operation; 0 means none.
//
// Ownership: the list owns its children (destroying the list calls `Destroy` on each, which does
// nothing for shared characters) and its layout runs. A component given to `Append`, `InsertAt`
// or `SetAt` belongs to the list once the call returns (a call that throws leaves it with the
// caller). Whatever the list gives up or copies comes out in an owning handle or array and no
// longer names this list as its parent. A character has no parent: any number of lists may
// hold the same one.
//
// Layout marks climb: a change marks the list and, through its owner, every enclosing list and
// component up to the paragraph.
//
// A list read from a document keeps its characters packed, two bytes each, until something
// asks for its children: opening a long document then costs a fraction of the memory and time
// of one pointer per character, and only what is shown or worked on is ever unpacked. Counting,
// sizing, invalidating and destroying work on the packed form; everything else unpacks first,
// which keeps every observable answer the same.

#include "document/DocRange.h"
#include "document/Layout.h"
#include "document/Point.h"
#include "document/PtrArray.h"
#include "document/Rect.h"
#include "document/Str255.h"
#include "document/TextComp.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class DocStream;
class ExprNode;
class LatexWriter;
class OutBuffer;

class CompList {
public:
    CompList();
    explicit CompList(CompArray&& children);
    // One shared character of `face` per character of the text.
    CompList(const Str255& text, int32_t face);
    ~CompList();
    CompList(const CompList&) = delete;
    CompList& operator=(const CompList&) = delete;

    int32_t GetCount() const {
        return m_packed != nullptr ? static_cast<int32_t>(m_packed->items.size())
                                   : m_children.GetCount();
    }
    // Null when `i` is outside 1 to count.
    TextComp* GetAt(int32_t i) const {
        return i >= 1 && i <= GetCount() ? Items().GetAt(i - 1) : nullptr;
    }
    // 0 when absent.
    int32_t IndexOf(const TextComp* comp) const;
    // The children in order, observed: for walks over long lists that must not pay a call per
    // child. Valid until the list changes.
    std::span<TextComp* const> Children() const { return {Items().begin(), Items().end()}; }
    // True while the characters read from a document are still packed.
    bool IsPacked() const { return m_packed != nullptr; }

    // Each insertion makes this list the child's parent, gives it the list's size level and
    // marks the list for layout.
    void Append(TextComp* comp);
    void InsertAt(TextComp* comp, int32_t i);
    // Inserts all components of the array before position i, in order; the list owns them.
    void InsertArrayAt(CompArray&& array, int32_t i);
    // Puts a component at position i (1 to count + 1) in place of what was there and returns
    // the old one; position count + 1 appends and returns null.
    OwnedComponent SetAt(TextComp* comp, int32_t i);
    OwnedComponent RemoveAt(int32_t i);
    // Children from..to inclusive, in order.
    CompArray ExtractRange(int32_t from, int32_t to);
    CompArray SplitOff(int32_t from);
    CompArray DetachChildren();

    // Copies of every child (from..to exclusive for `CopyRange`). A copy that fails part-way
    // disposes of the copies made so far.
    CompArray CopyChildren() const;
    CompArray CopyRange(int32_t from, int32_t to) const;
    std::unique_ptr<CompList> Clone() const;

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

    const RunArray& GetRuns() const { return m_runs; }
    // Hands the runs out and leaves the list without any.
    RunArray DetachRuns();
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
    friend class ListLines;

    struct Packed {
        // Where a component stands among the characters.
        static constexpr uint16_t kComponent = 0xFFFF;
        // The face in the high byte and the code in the low one, per child.
        std::vector<uint16_t> items;
        // Owned, in their order among the characters; their parent is already the list.
        std::vector<TextComp*> components;
    };

    // The children, unpacked first if they are still packed. Unpacking changes no answer, so it
    // may happen behind a const call.
    const PtrArray<TextComp>& Items() const {
        if (m_packed != nullptr) Unpack();
        return m_children;
    }
    PtrArray<TextComp>& Items() {
        if (m_packed != nullptr) Unpack();
        return m_children;
    }
    void Unpack() const;

    // Positional operations take 1 to `last`; anything else is a caller's fault and throws
    // std::out_of_range before the list changes.
    void CheckPosition(int32_t i, int32_t last, const char* operation) const;
    void Adopt(TextComp* comp);
    void Release(TextComp* comp);
    void DeleteRuns();
    void AddRunToBounds(const ::Layout& run);
    // The first run whose frame reaches x: only x chooses the run.
    ::Layout* RunAtX(int32_t x) const;

    // Owned: the destructor disposes of every child (characters excepted, by their `Destroy`).
    // Empty while the children are packed: use `Items()`.
    mutable PtrArray<TextComp> m_children;
    mutable std::unique_ptr<Packed> m_packed;
    RunArray m_runs;
    TextComp* m_owner = nullptr; // not owned
    int32_t m_placeholderMode = 0;
    Rect m_bounds;
    Rect m_frame;
    Point m_origin;
    uint8_t m_sizeLevel = 0;
    bool m_needsLayout = true;
    bool m_placed = false;
};

// What a paragraph's layout builder may do to the list it lays out into lines, and no more: add
// runs, drop them, say the lines are built (so the next placement places them), and store the
// origin it placed them at without moving them again.
class ListLines {
public:
    explicit ListLines(CompList& list) : m_list(list) {}

    void AppendRun(std::unique_ptr<Layout> run) { m_list.m_runs.Add(std::move(run)); }
    void ClearRuns() { m_list.DeleteRuns(); }
    // Clears needs-layout and sets placed.
    void MarkBuilt() {
        m_list.m_needsLayout = false;
        m_list.m_placed = true;
    }
    // Stores the origin (less the bounds' left) and clears placed; the runs stay where they are.
    void SetPlacedOrigin(Point point) {
        m_list.m_origin = Point(point.x - m_list.m_bounds.left, point.y);
        m_list.m_placed = false;
    }

private:
    CompList& m_list;
};
