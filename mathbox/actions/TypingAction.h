#pragma once

// Typing: the one action that grows after it was performed. The view performs it empty (which
// only takes the selection out) and then adds each typed character; while it is the view's
// last action every further character joins it, so one Undo removes the whole run and puts the
// selection it replaced back.

#include "mathbox/actions/EditActions.h"

#include <string>

class TypingAction final : public EditAction {
public:
    // The face kind (0 plain, 1 italic, 2 bold, 3 math, 4 typewriter) is the one the selection
    // calls for unless `faceKind` gives one.
    TypingAction(EditView& view, const DocRange& selection, int32_t faceKind = -1);

    bool CanUndo() const override { return !m_typed.empty(); }
    Str255 GetName() const override;
    int32_t GetFaceKind() const { return m_face; }
    const std::string& GetTyped() const { return m_typed; }

    // Inserts the face's character after those typed so far and shows the caret after it.
    // Typing on after an undo starts the run afresh from the selection the action replaced.
    void AddChar(uint8_t code);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    int32_t m_face;
    // Grows without limit, so that redo puts back every character typed.
    std::string m_typed;
};
