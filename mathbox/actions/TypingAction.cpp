#include "mathbox/actions/TypingAction.h"

#include "document/CompList.h"
#include "document/GlyphSource.h"
#include "mathbox/EditView.h"

TypingAction::TypingAction(EditView& view, const DocRange& selection, int32_t faceKind)
    : EditAction(view, actionname::kTyping, selection),
      m_face(TypingFace(faceKind >= 0 ? faceKind : selection.GetTextStyle())) {}

Str255 TypingAction::GetName() const {
    return ActionNameText(m_typed.empty() ? actionname::kCannotUndo : actionname::kTyping);
}

int32_t TypingAction::DoIt() {
    if (!HoldsSaved()) TakeSelection();
    CompList* list = m_removalPoint.GetList();
    if (m_removalPoint.kind != DocPos::kInList || list == nullptr) return 0;
    int32_t i = m_removalPoint.index;
    for (char c : m_typed)
        list->InsertAt(RequireGlyph(m_face, static_cast<uint8_t>(c)), i++);
    m_affected.Set(list, m_removalPoint.index, i);
    if (HoldsSaved() || !m_typed.empty()) ShowCaret(m_affected.end);
    return 0;
}

int32_t TypingAction::UndoIt() {
    if (m_affected.HasExtent()) {
        Material typed;
        m_affected.RemoveContent(typed);
    }
    m_affected = DocRange();
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

void TypingAction::AddChar(uint8_t code) {
    if (!IsDone()) {
        if (!HoldsSaved()) TakeSelection();
        m_typed.clear();
        m_affected = DocRange::Caret(m_removalPoint);
        SetDone(true);
    }
    CompList* list = m_affected.end.GetList();
    if (m_affected.end.kind != DocPos::kInList || list == nullptr) return;
    const int32_t at = m_affected.end.index;
    list->InsertAt(RequireGlyph(m_face, code), at);
    m_affected.end.index = at + 1;
    if (m_affected.start.kind != DocPos::kInList) m_affected.start = m_affected.end;
    m_typed.push_back(static_cast<char>(code));
    GetView().SetDocumentModified();
    SetIndex(m_affected.end.TopLevelIndex(true));
    ShowCaret(m_affected.end);
}
