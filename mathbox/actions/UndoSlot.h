#pragma once

// A view's one level of undo: the last action it performed, which the Undo command toggles
// between undone and done again, and the typing action that grows while it is the last one.
// Performing a new action releases the previous one.
//
// An action is performed only when no other is running and editing is not blocked (a mouse
// tracker is active, or the kernel is busy): a keystroke, click or command that arrives during
// a calculation is refused with a beep, so that the action still running is never released
// under its own feet.

#include "mathbox/actions/TAction.h"

#include <cstdint>

class EditView;
class TypingAction;

class UndoSlot {
public:
    explicit UndoSlot(EditView& view) : m_view(view) {}
    UndoSlot(const UndoSlot&) = delete;
    UndoSlot& operator=(const UndoSlot&) = delete;

    // Performs the action in one drawing pass and keeps it as the last action, releasing the
    // one before; true when it was kept. Refused (with a beep, and the action released) while
    // an action runs or editing is blocked. When `Do` throws, the action puts back what it took
    // out, is released, the previous last action stays, and the exception goes on to the
    // caller. With `typing` the kept action becomes the typing action that further characters
    // join; any other action ends typing. An action that hands on a follow-up (`TakeFollowUp`)
    // has it performed right after its own `Do` returned.
    bool DoAction(OwnedAction action, bool typing = false);
    // Adds a typed character to the typing action; false (with a beep) when there is none or
    // the slot refuses to run.
    bool AddTypedChar(uint8_t code);

    // The Undo command: undoes the last action when it is done, redoes it when it is undone.
    // False (with a beep) when there is nothing to undo or the slot refuses to run.
    bool UndoCommand();
    bool CanUndo() const;
    // "Undo <name>", "Redo <name>", or "Can't undo".
    Str255 GetUndoText() const;

    TAction* GetLastAction() const { return m_last.get(); }
    TypingAction* GetTypingAction() const { return m_typing; }
    // Ends typing: the next character starts a new typing action.
    void EndTyping() { m_typing = nullptr; }
    bool IsRunning() const { return m_running; }
    void SetBlocked(bool blocked) { m_blocked = blocked; }
    bool IsBlocked() const { return m_blocked; }
    // Releases the last action (the view closes).
    void Clear();

private:
    bool Refuses();
    void MarkModified(const TAction& action);

    EditView& m_view;
    OwnedAction m_last;
    TypingAction* m_typing = nullptr; // the last action, when it is the typing action
    bool m_running = false;
    bool m_blocked = false;
};
