#pragma once

// A paragraph: one top-level, styled, line-broken block of a document. It owns one component
// list (its content) and, for the numbered styles, the number source that shows its number.
// Its style is a shared object of the installed style table, which lays the paragraph out:
// `LayoutLines` builds the runs and lines into the list, and the next `SetOrigin` places them.
// The list owns the runs; the paragraph keeps the runs of the previous layout only to find the
// lines that changed.

#include "document/CompList.h"
#include "document/EditCodes.h"
#include "document/MathComp.h"
#include "document/ParaStyle.h"
#include "document/RefSource.h"
#include "document/TextComp.h"

#include <memory>

class ByteStream;
class ParaDocument;
class ParaSequence;

class ParaComp final : public TextComp {
public:
    // The Paragraph style until `Read` sets the stored one.
    ParaComp();
    explicit ParaComp(int32_t style);
    ParaComp(CompArray&& children, int32_t style);
    ~ParaComp() override;

    OwnedComponent Clone() const override;
    bool NeedsLayout() const override { return m_needsLayout; }
    void InvalidateLayout() override { MarkForLayout(); }
    void InvalidateAll() override;
    // Paragraphs are laid out by `LayoutLines` and placed by `SetOrigin`.
    void Layout() override {}
    // Places freshly built lines at the point, or only moves lines that were placed before.
    void SetOrigin(Point point) override;
    Point GetOrigin() const override { return m_origin; }
    void SetBounds(const Rect& bounds) override;
    Rect GetBounds() const override { return m_bounds; }
    int32_t GetWidth() const override { return m_bounds.Width(); }
    Rect GetFrame() const override { return m_bounds.Shifted(m_origin); }
    bool ContainsPoint(Point p) const override { return GetFrame().PtInRect(p); }
    DocPos PosFromPoint(Point point, bool rightHalf) override;
    TextComp* FindAt(Point point) override;
    TypeTag GetTypeTag() const override { return tags::Paragraph; }
    ParaComp* GetParagraph() const override { return const_cast<ParaComp*>(this); }
    ExprNode* ToExpression() override { return m_list->ToExpression(); }
    CompList* GetList(int32_t n) const override { return n == 1 ? m_list.get() : nullptr; }
    int32_t GetListCount() const override { return 0; }
    void WriteText(OutBuffer& out) override { m_list->WriteKernelInput(out); }
    void WriteLatex(LatexWriter& writer) override;
    // The record has no tag or length of its own: the style number (16-bit), the identity
    // (32-bit), then the list.
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;
    void SetSizeLevel(uint8_t level) override;
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;

    // Builds new lines into the list, keeping the runs of the last layout as the previous lines.
    void LayoutLines(const ParaComp* previous);
    // Gives the lines up until the next layout: a paragraph that waits below what is shown
    // keeps no memory for them.
    void DropLines();
    // A paragraph that its sequence put off placing is placed now, with the ones before it.
    // Every question about where something in it lies does this first.
    void EnsurePlaced() const;
    // Erases the part of the frame inside `update` and draws the list, when they meet.
    void DrawInRect(const Rect& update);

    ParaStyle& GetStyle() const { return *m_style; }
    // Gives the paragraph another style. The number source and every run go unless the style
    // stays the same, in which case nothing but the size and layout are refreshed.
    void SetStyle(int32_t style);
    int32_t GetCount() const { return m_list->GetCount(); }
    bool IsEquation() const;
    // Whether every component is code text: every export writes a Source Code paragraph as
    // code only then, and as a Paragraph otherwise.
    bool IsAllCode() const;
    RefSource* GetNumberSource() const { return m_source.get(); }

    // The sequence that holds the paragraph; entering another document's sequence gives it a
    // fresh identity there.
    void SetOwner(ParaSequence* sequence);
    // As the document reader attaches a paragraph it read: the stored identity stays.
    void AttachToSequence(ParaSequence* sequence);
    ParaSequence* GetOwner() const { return m_owner; }
    ParaDocument* GetDocument() const;
    int32_t GetIdentity() const { return m_identity; }
    // The document gives a loaded paragraph another identity when its stored one is zero,
    // another paragraph's or free.
    void SetIdentity(int32_t identity) { m_identity = identity; }

    // Passes the running record through the paragraph's number (or its style) and keeps it.
    void SetNumber(NumberRecord& running);
    const NumberRecord& GetNumber() const { return m_number; }

    void InsertTabs(int32_t n);
    int32_t CountLeadingTabs() const;
    // Appends the bytes up to the first carriage return (line feeds skipped) as characters of
    // the style's text face.
    void ReadPlainText(ByteStream& stream);

    // The caret rectangle of a position in the list; index 0 is the number label.
    Rect GetPositionRect(const DocPos& pos);
    // Index 0 when the point lies on the number label, else the list's position.
    DocPos PosFromPointForPositions(Point point);
    // The room right of the line at y: from the line's right end to the line area's edge.
    Rect GetLineBox(int32_t y) const;
    // The position at the end of the line that holds `comp`.
    DocPos LineEndPos(const TextComp* comp) const;
    // Invalidates on screen what the last layout changed: the first line that differs, old and
    // new, and any new lines beyond the old count. `caret` narrows a changed line to its part
    // from the caret on.
    void InvalidateChangedLines(const DocPos* caret);
    const RunArray& GetPreviousLines() const { return m_previousLines; }

private:
    // Tells the owner too, so that a relayout elsewhere knows this paragraph waits.
    void MarkForLayout();
    void TakeStyle(int32_t style);
    void ResetList();

    std::unique_ptr<CompList> m_list;
    RunArray m_previousLines;
    ParaStyle* m_style = nullptr; // shared, never owned
    std::unique_ptr<RefSource> m_source;
    ParaSequence* m_owner = nullptr; // not owned
    NumberRecord m_number;
    int32_t m_identity = 0;
    Point m_origin;
    Rect m_bounds;
    bool m_needsLayout = true;
};
