#pragma once

// The four undoable clipboard commands of the Edit menu: copy, copy as a picture, cut and
// paste. They reach the clipboard only through the installed `ClipboardStore`, and every
// content they remember is their own copy (the store hands out copies), so an action and the
// store never free each other's material.

#include "document/Material.h"
#include "mathbox/actions/ClipboardStore.h"
#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/TAction.h"

// What copy and cut remember of the clipboard they replace, to put it back on undo.
class ClipboardMemory {
public:
    // When the clipboard has data, keeps a copy of its content.
    void Remember();
    // A write of this action's; `StillHolds` tells whether it is still on the clipboard.
    void SetPut(ClipboardStore::Serial serial) { m_put = serial; }
    // Puts the remembered content back, when there was some.
    void PutBack();
    // The end of the action's life: an undone action that found the clipboard empty empties it
    // again, but only while the clipboard still holds what this action put there (another
    // program may have put something since).
    void End(bool done);

private:
    Material m_previous;
    bool m_hadPrevious = false;
    ClipboardStore::Serial m_put = 0;
};

class CopyAction : public TAction {
public:
    CopyAction(EditView& view, const DocRange& selection);
    bool ModifiesDocument() const override { return false; }
    void Release() override { m_memory.End(IsDone()); }

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

    const DocRange& Selection() const { return m_selection; }
    ClipboardMemory& Memory() { return m_memory; }

private:
    DocRange m_selection;
    ClipboardMemory m_memory;
};

// Copies the selection as a picture: a selected picture's own bytes, a selected plot's own
// picture, else the selection's frame recorded through the view.
class CopyMetafileAction final : public CopyAction {
public:
    CopyMetafileAction(EditView& view, const DocRange& selection) : CopyAction(view, selection) {}

protected:
    int32_t DoIt() override;
};

class CutAction final : public EditAction {
public:
    CutAction(EditView& view, const DocRange& selection);
    void Release() override;

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    ClipboardMemory m_memory;
};

// Inserts the clipboard's content at the selection, replacing what it selects. Paste with
// nothing to paste fails (the view beeps) and changes nothing. Undone, the pasted material stays
// with the action, so a redo puts back exactly what was undone whatever the clipboard holds by
// then.
class PasteAction final : public EditAction {
public:
    PasteAction(EditView& view, const DocRange& selection);
    void Release() override;

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    DocRange m_pasted; // where the content stands while done
    Material m_undone; // the pasted content while undone
};
