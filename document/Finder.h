#pragma once

// Find and replace over a paragraph sequence. The pattern is a run of components, not a string:
// characters and whole structures, and a match is a run of consecutive children of one list
// that equal the pattern's components one by one (`TextComp::IsEqual`; characters compare by
// code, whatever their face). The search walks the component tree in document order: at each
// place of a list it first tries a match, then enters every child list of the component there,
// in the order the component numbers its lists (`GetList`), before it goes on after it. It
// runs to the end of the sequence and does not wrap.
//
// The finder keeps the lists above its current one with the owner's index in each, so it needs
// no recursion and no bound on nesting. It observes the sequence: while it is in use nothing but
// its own replacements may change the paragraphs (the Find dialog is modal); after any other
// change it must be `Reset`.
//
// Ownership: the finder owns its pattern. A replacement hands out what it took out of the
// document in a `Replacement`, which owns it until it is swapped back in.

#include "document/CompList.h"
#include "document/DocRange.h"
#include "document/Str255.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CompSequence;

// One replacement made in a list: at `index` the list now holds `count` components that the
// replacement put there, and `held` owns what they stand in place of. `Swap` exchanges the two,
// so the same record undoes and redoes the replacement as long as the document is otherwise
// as the replacement left it (or as it was before, after a swap).
struct Replacement {
    void Swap();

    CompList* list = nullptr; // not owned
    int32_t index = 1;
    int32_t count = 0;
    CompArray held;
};

// Whether a position is a place of the sequence now: its list (or box) is still inside one of
// the sequence's paragraphs and its index is within the list. For a selection kept across
// edits that may have taken its containers out.
bool IsPlaceIn(const DocPos& pos, const CompSequence& paragraphs);

class Finder {
public:
    // Searches `paragraphs`, which it observes; the finder starts before the first paragraph
    // with an empty pattern and finds nothing until it is `Reset`.
    explicit Finder(CompSequence& paragraphs);
    Finder(const Finder&) = delete;
    Finder& operator=(const Finder&) = delete;

    // The pattern as given components (a copy of a selection, for instance); the finder owns
    // them.
    void SetPattern(CompArray components);
    // The pattern as one character per byte of the text.
    void SetPattern(const Str255& text);
    const CompList& GetPattern() const { return *m_pattern; }
    void SetReplacement(const Str255& text) { m_replacement = text; }
    const Str255& GetReplacement() const { return m_replacement; }

    // Puts the finder at a position, not yet past a match. A row, column or variable boundary
    // starts at its box's place in the list that holds the box. A position outside the
    // sequence (or in a sequence without paragraphs) leaves nothing to find.
    void Reset(const DocPos& start);
    // Whether the current position counts as a match already reported, so that the next
    // search first moves on (the Find command sets it when the selection has extent).
    void SetStarted(bool started) { m_started = started; }
    bool IsStarted() const { return m_started; }

    // True when a match was found; it then starts at the current position. An empty pattern
    // matches at once wherever the finder stands on a component. When nothing is found the
    // finder stays where it was.
    bool FindNext();
    // Whether the components at the current position equal the pattern now: a match found and
    // still there. Never for an empty pattern, so that nothing is replaced by an empty search.
    bool IsAtMatch() const;
    // The match at the current position, as a range of its list.
    DocRange GetMatch() const;
    // Replaces the match at the current position by one character per replacement byte, in
    // the match's text style, and goes on after the inserted characters (a replacement that
    // holds the pattern is not searched again). Nothing when the finder is not at a match.
    std::optional<Replacement> ReplaceMatch();

    // Where the current position is in the sequence: its paragraph (1-based; 0 when there is
    // nothing to find) and the index in the paragraph's own list of the component that holds
    // it (the position's own index at the paragraph's level).
    int32_t GetParagraphIndex() const { return m_exhausted ? 0 : m_paragraphIndex; }
    int32_t GetTopIndex() const;
    // The current position as a gap of its list.
    DocPos GetPosition() const;

private:
    struct Level {
        CompList* list;
        int32_t index;
    };

    // The search from the current position to the end of the sequence.
    bool Search();
    // Moves one place on in document order; false past the last paragraph.
    bool Advance();
    // Leaves the current list at its end: for the owner's next list, back up to the owner's
    // list after the owner, or on to the next paragraph. False past the last paragraph.
    bool StepOut();
    // Whether the pattern's components equal the children of `m_list` from `m_index`.
    bool MatchesHere() const;
    // From `m_index` on in `m_list`, the first place where a match may begin or the component
    // has lists to enter; past the end when there is none.
    int32_t ScanFrom(int32_t index) const;
    void TakePattern(std::unique_ptr<CompList> pattern);
    // Marks the glyph source's characters that cannot begin a match.
    void MarkPassedCharacters();

    CompSequence& m_paragraphs;
    std::unique_ptr<CompList> m_pattern;
    // The pattern's first component as a character code, or -1 when it is no character.
    int32_t m_firstCode = -1;
    Str255 m_replacement;
    // The lists above the current one, the outermost (a paragraph's list) first, with the index
    // of the component entered in each; growable, since a stored document may nest deeply.
    std::vector<Level> m_stack;
    CompList* m_list = nullptr;
    int32_t m_index = 1;
    int32_t m_paragraphIndex = 0;
    bool m_started = false;
    bool m_exhausted = true;

    // The shared characters a search passes over at once, by address: one byte per 8 bytes
    // over the span the glyph source's characters lie in, set where such a character starts. A
    // document is mostly characters, a few objects shared by every list, so one look-up per
    // child replaces two calls; anything unmarked is asked. Built when the pattern changes, for
    // the glyph source installed then, which must stay installed while the finder is used.
    class AddressSet {
    public:
        void Assign(const std::vector<const TextComp*>& members);
        // The slot of a component's address; at least `Span()` outside the span.
        uintptr_t Slot(const TextComp* comp) const {
            return (reinterpret_cast<uintptr_t>(comp) - m_low) >> 3;
        }
        // A power of two, so that slots of several components are checked at once.
        uintptr_t Span() const { return m_marks.size(); }
        // 1 for a member's slot within the span, else 0.
        uint8_t Marked(uintptr_t slot) const { return m_marks[slot]; }
        uint8_t Has(const TextComp* comp) const {
            const uintptr_t slot = Slot(comp);
            return slot < Span() ? Marked(slot) : 0;
        }

    private:
        uintptr_t m_low = 0;
        std::vector<uint8_t> m_marks;
    };
    AddressSet m_passed;
};
