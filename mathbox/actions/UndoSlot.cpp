#include "mathbox/actions/UndoSlot.h"

#include "mathbox/EditView.h"
#include "mathbox/actions/TypingAction.h"

namespace {

// Marks an action running, and the view's window drawn on, for a scope.
class Running {
public:
    Running(EditView& view, bool& running) : m_view(view), m_running(running) {
        m_running = true;
        m_view.BeginWindowDraw();
    }
    ~Running() {
        m_view.EndWindowDraw();
        m_running = false;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    EditView& m_view;
    bool& m_running;
};

} // namespace

bool UndoSlot::Refuses() {
    if (!m_running && !m_blocked) return false;
    m_view.Beep();
    return true;
}

void UndoSlot::MarkModified(const TAction& action) {
    if (action.ModifiesDocument()) m_view.SetDocumentModified();
}

bool UndoSlot::DoAction(OwnedAction action, bool typing) {
    if (action == nullptr || Refuses()) return false;
    {
        Running running(m_view, m_running);
        try {
            action->Do();
        } catch (...) {
            action->RecoverAfterFailure();
            throw;
        }
    }
    MarkModified(*action);
    m_last = std::move(action);
    m_typing = typing ? static_cast<TypingAction*>(m_last.get()) : nullptr;
    if (OwnedAction next = m_last->TakeFollowUp()) return DoAction(std::move(next), true);
    return true;
}

bool UndoSlot::AddTypedChar(uint8_t code) {
    if (m_typing == nullptr) {
        m_view.Beep();
        return false;
    }
    if (Refuses()) return false;
    Running running(m_view, m_running);
    m_typing->AddChar(code);
    return true;
}

bool UndoSlot::CanUndo() const {
    return m_last != nullptr && m_last->CanUndo();
}

bool UndoSlot::UndoCommand() {
    if (!CanUndo()) {
        m_view.Beep();
        return false;
    }
    if (Refuses()) return false;
    {
        Running running(m_view, m_running);
        m_last->IsDone() ? m_last->Undo() : m_last->Redo();
    }
    MarkModified(*m_last);
    return true;
}

Str255 UndoSlot::GetUndoText() const {
    if (!CanUndo()) return ActionNameText(actionname::kCannotUndo);
    Str255 text(m_last->IsDone() ? "Undo " : "Redo ");
    text.Append(m_last->GetName());
    return text;
}

void UndoSlot::Clear() {
    m_typing = nullptr;
    m_last.reset();
}
