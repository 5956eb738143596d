#pragma once

// The ordered, owning sequence of paragraphs: a document's body, or, without a document, a
// detached run of paragraphs that carries copied or cut material (the clipboard, an undo
// action). It places its paragraphs down the page, keeps their numbering running, paginates
// them, finds the paragraph at a height, cuts itself in two and joins sequences, and stores
// its paragraphs. Indexes run from 1.
//
// Ownership: the sequence owns its paragraphs; a paragraph belongs to at most one sequence and
// names it as its owner. Paragraphs and sequences leave in owning handles.

#include "document/DocPos.h"
#include "document/DocRange.h"
#include "document/ParaComp.h"
#include "document/ParaDocument.h"
#include "document/Point.h"
#include "document/Rect.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

class ByteStream;
class DocStream;
class OutBuffer;
class PageBreakSink;
struct Material;

class CompSequence final : public ParaSequence {
public:
    using OwnedPara = std::unique_ptr<ParaComp>;

    // A sequence of `document`'s body, or a detached one for null.
    explicit CompSequence(ParaDocument* document = nullptr);
    // Gives every identity back to the document before the paragraphs go.
    ~CompSequence() override;
    CompSequence(const CompSequence&) = delete;
    CompSequence& operator=(const CompSequence&) = delete;

    ParaDocument* GetDocument() const override { return m_document; }
    // The document closes, or empties itself, before the sequence: its paragraphs keep their
    // numbers and give them back to no one (put in a document again, they take fresh ones).
    void DetachDocument() override { m_document = nullptr; }
    void ParagraphInvalidated(const ParaComp& para) override;
    void PlaceDeferred(const ParaComp& para) override;
    int32_t GetCount() const { return static_cast<int32_t>(m_paras.size()); }
    bool IsEmpty() const { return m_paras.empty(); }
    // Null outside 1 to count.
    ParaComp* GetAt(int32_t i) const;
    // 0 when the paragraph is not in this sequence.
    int32_t IndexOf(const ParaComp* para) const;
    ParaComp* FindByNumber(int32_t identity) const;

    // Attaches the paragraph (it takes a fresh identity when it comes from another document).
    int32_t Append(OwnedPara para);
    // Before index i (1 to count + 1); the paragraph is marked for layout.
    void InsertAt(OwnedPara para, int32_t i);
    OwnedPara RemoveAt(int32_t i);
    // Takes paragraph i out into a one-paragraph sequence of the same document, for an undo
    // that puts it back: while held, the paragraph keeps its identity, which no other paragraph
    // can take, so references to it find it again once it is back. Dropping the holder gives
    // the number back.
    std::unique_ptr<CompSequence> HoldAt(int32_t i);
    // Puts every paragraph of `held` in before index i (1 to count + 1), in order; paragraphs
    // held for this sequence's document keep their identities, others take fresh ones.
    void InsertHeldAt(std::unique_ptr<CompSequence> held, int32_t i);
    // Releases every identity and deletes every paragraph.
    void Clear();
    // Moves every paragraph's identity from the current document's pool to `document`'s.
    void MoveTo(ParaDocument* document);

    // The paragraph at document height y: the first whose frame reaches down to y; the last
    // placed one for y at or below the laid-out bottom; 0 when none is placed (an empty
    // sequence, or every paragraph waits below the horizon).
    int32_t FindByY(int32_t y) const;
    ParaComp* ParagraphAtY(int32_t y) const { return GetAt(FindByY(y)); }
    TextComp* FindAt(Point point) const;
    DocPos PosFromPoint(Point point, bool rightHalf) const;
    void DrawInRect(const Rect& update) const;
    // Equation paragraphs are set one size larger, or back at their style's size.
    void ApplyLargerEquations(bool larger);
    // Index 1 of the first paragraph; empty for an empty sequence.
    DocPos StartPosition() const;
    DocRange WholeRange() const;
    // Just below the last placed paragraph.
    int32_t GetLaidOutBottom() const { return m_bottom; }
    // The laid-out bottom; while paragraphs wait below the horizon, an estimate of the whole
    // height, the waiting ones taken as tall on average as the placed ones.
    int32_t GetExtent() const;

    // The layout passes stop once the pen is past height y: the paragraphs below wait, laid out
    // and placed only when the horizon comes down to them or something asks where one lies (a
    // position in it, printing). A view keeps it a little below what it shows, so that opening
    // or editing a long document lays out what is seen and not the whole. INT32_MAX, the
    // start, places everything. Returns whether it placed more.
    bool SetHorizon(int32_t y);
    // Whether paragraphs wait below the horizon.
    bool HasDeferred() const { return m_deferredFrom <= GetCount(); }

    // Lays the document out again after an edit in paragraph `from`, invalidating on screen
    // only what changed; `caret` narrows the edited paragraph's changed line. When the edited
    // paragraph keeps its height and number and nothing else waited, no later paragraph is
    // touched, however long the document.
    void Relayout(int32_t from, const DocPos* caret);
    // Lays out what needs it and moves what moved, without renumbering.
    void LayoutAll();
    // Lays everything out from scratch (down to the horizon; the rest drop their lines and
    // wait).
    void PlaceAll(bool invalidate);
    // The page breaks of a print job, with every paragraph laid out. Refuses
    // (std::invalid_argument) a printable height of 0 or less, which could never fill a page.
    void Paginate(PageBreakSink& sink);

    // Kernel-input text of every paragraph, a carriage return between two; returns the result
    // of the buffer's flush.
    int32_t WriteText(OutBuffer& out) const;
    // The count, then each paragraph's record; with `flushEach` the stream commits after each.
    void Write(DocStream& stream, bool flushEach) const;
    // Appends the paragraphs of a record, keeping their stored identities.
    void Read(DocStream& stream);
    // One paragraph per line of plain text, in place of what the sequence held.
    int32_t ReadPlainText(ByteStream& stream);

    // Moving material.
    // Cuts the sequence at a position: everything after it goes to the returned sequence, whose
    // first paragraph takes the position's paragraph's style.
    std::unique_ptr<CompSequence> SplitAt(const DocPos& pos);
    // Appends `other`, its first paragraph merged into this one's last (whose style it takes);
    // returns the seam. `other` must hold a paragraph.
    DocPos JoinWith(std::unique_ptr<CompSequence> other);
    // Puts `other` in at the position; returns the end of the inserted material.
    DocPos InsertSequenceAt(std::unique_ptr<CompSequence> other, const DocPos& pos);
    // Takes the paragraphs' material a range over several paragraphs covers.
    std::unique_ptr<CompSequence> CutRange(const DocRange& range);
    std::unique_ptr<CompSequence> CopyRange(const DocRange& range) const;

    // Material for each kind of selection: a one-paragraph sequence of `document` holding it.
    static Material WrapAsSequence(ParaDocument* document, CompArray children);
    // Whole rows (or columns, with `columns`) of a grid box taken out of its document.
    static Material WrapGridAsSequence(ParaDocument* document, OwnedComponent grid, bool columns);
    static Material WrapDerivativeAsSequence(ParaDocument* document, OwnedComponent derivative);
    static Material WrapComponentAsSequence(ParaDocument* document, OwnedComponent component);

private:
    // Marks the paragraph a pass is at while it lives.
    class PassAt {
    public:
        PassAt(CompSequence& seq, int32_t k) : m_seq(seq) { seq.m_passAt = k; }
        ~PassAt() { m_seq.m_passAt = 0; }
        PassAt(const PassAt&) = delete;
        PassAt& operator=(const PassAt&) = delete;

    private:
        CompSequence& m_seq;
    };

    // Holds off marks for layout while it lives: the index the change unsettled covers them.
    class Quiet {
    public:
        explicit Quiet(CompSequence& seq) : m_seq(seq), m_was(seq.m_quiet) { seq.m_quiet = true; }
        ~Quiet() { m_seq.m_quiet = m_was; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        CompSequence& m_seq;
        bool m_was;
    };

    // Moves a paragraph that needs no layout to the pen, or lays it out; widens `moved` over
    // the old and new place when it moved.
    void Place(int32_t i, Point& pen, bool layout, Rect* moved);
    void LayOut(int32_t i, Point pen);
    void EndBand(int32_t penY);
    // Places waiting paragraphs in order: through index `last`, and on while the pen is above y.
    void PlaceDeferred(int32_t last, int32_t y);
    // Paragraphs from index k on wait.
    void DeferFrom(int32_t k) { m_deferredFrom = k <= GetCount() ? k : kNoneDeferred; }
    // `by` paragraphs came in (or, negative, left) at index i: the waiting ones keep their place.
    void ShiftDeferred(int32_t i, int32_t by);
    bool PastHorizon(int32_t penY) const { return penY >= m_horizon; }
    void Release(ParaComp& para);
    // Room for `more` paragraphs, growing geometrically.
    void MakeRoom(size_t more);
    // A paragraph comes into the sequence at index i, to be laid out.
    void Enter(ParaComp& para, int32_t i);
    // Paragraphs from index i on may have moved, changed their number or wait for layout.
    void Unsettle(int32_t i) { m_unsettledFrom = std::min(m_unsettledFrom, std::max(i, 1)); }
    bool IsSettled() const { return m_unsettledFrom > GetCount(); }
    // The paragraph leaves; its place was unsettled by whoever takes it.
    void Leave(const ParaComp& para);
    // The index of the paragraph among the first `limit`, or 0.
    int32_t Locate(const ParaComp& para, int32_t limit) const;
    // A pass that lays out, places and numbers from paragraph `first` on is about to run, or has
    // run: `settles` when nothing before `first` is unsettled.
    void BeginPass();
    void EndPass(bool settles);

    ParaDocument* m_document; // not owned
    std::vector<OwnedPara> m_paras;
    int32_t m_bottom = 0;
    // The paragraphs before m_unsettledFrom stand laid out, right below the one before and
    // numbered from it, as a full pass left them, but for m_touched, the one paragraph of the
    // sequence marked for layout since (null for none). A change to the order of paragraphs
    // unsettles from its index, a second marked paragraph from the first of the two; m_quiet
    // holds off marks that the change's own index accounts for. While a pass runs, m_passAt is
    // the paragraph it is at, and m_passUnsettled the first paragraph it passed that was marked
    // again behind it.
    int32_t m_unsettledFrom = 1;
    const ParaComp* m_touched = nullptr;
    bool m_quiet = false;
    int32_t m_passAt = 0;
    int32_t m_passUnsettled = INT32_MAX;
    // The paragraphs from m_deferredFrom on wait below the horizon: laid out or not, they are
    // not placed and none is shown; settled, they are numbered (a change among them unsettles
    // them for the next pass to renumber). Insertions and removals before it move it.
    static constexpr int32_t kNoneDeferred = INT32_MAX;
    int32_t m_horizon = INT32_MAX;
    int32_t m_deferredFrom = kNoneDeferred;
};
