#pragma once

// Replacing what a finder found, as one undoable step: the match the finder stands at, or every
// match from the selection's start to the end of the document. It ends the view's last action
// like any other, so a later Undo never works on positions the replacements shifted.
//
// The finder is used only while the action is first performed: then the action makes the
// replacements and keeps one record per replacement, which undo and redo swap back and forth,
// so they move the very components out and in again.
//
// Ownership: each record owns what its replacement took out of the document (or, while the
// action is undone, the characters it put in); dropping the action frees them.

#include "document/Finder.h"
#include "mathbox/actions/TAction.h"

#include <vector>

class ReplaceAction final : public TAction {
public:
    // The match the finder stands at; null when it stands at none.
    static OwnedAction MakeReplace(EditView& view, Finder& finder, const DocRange& selection);
    // Every match from the selection's start on; null when there is none. The finder is reset
    // at the selection's start.
    static OwnedAction MakeReplaceAll(EditView& view, Finder& finder, const DocRange& selection);

    void RecoverAfterFailure() override;
    int32_t GetReplacementCount() const { return static_cast<int32_t>(m_replacements.size()); }
    // The range of the characters the last replacement put in.
    DocRange GetInserted() const;

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    ReplaceAction(EditView& view, Finder& finder, const DocRange& selection, bool all,
                  const DocPos& searchStart);

    // The selection to show after replacing everything: the one made before, moved through the
    // replacements, while both ends are still places of the document; else the caret at its
    // start, or where the search began.
    DocRange Restored() const;
    // A list position moved through the replacements made in its list; none when a
    // replacement took out what it stood in.
    bool MoveThrough(DocPos& pos) const;
    // Swaps every applied record back, the last first.
    void SwapBack();

    Finder* m_finder; // until the first run
    bool m_all;
    DocRange m_selection;
    DocPos m_searchStart;
    DocRange m_shown; // what the view shows once the replacements are made
    std::vector<Replacement> m_replacements;
    // How many records are swapped in: all while done, none while undone.
    size_t m_applied = 0;
};
