#include "mathbox/actions/ClipboardActions.h"

#include "document/ClipboardFormat.h"
#include "document/MetaPictComp.h"
#include "document/PlotShape.h"
#include "mathbox/EditView.h"

#include <stdexcept>

namespace {

ClipboardStore& Store() {
    ClipboardStore* store = gClipboardStore.Get();
    if (store == nullptr) throw std::logic_error("no clipboard store is installed");
    return *store;
}

} // namespace

// --- ClipboardMemory ---

void ClipboardMemory::Remember() {
    ClipboardStore& store = Store();
    m_previous = store.HasData() ? store.TakeContent() : Material();
    m_hadPrevious = !m_previous.IsEmpty();
}

void ClipboardMemory::PutBack() {
    if (m_hadPrevious) Store().Put(m_previous);
}

void ClipboardMemory::End(bool done) {
    ClipboardStore* store = gClipboardStore.Get();
    if (!done && !m_hadPrevious && store != nullptr && store->StillHolds(m_put)) store->Clear();
    m_previous = Material();
}

// --- CopyAction ---

CopyAction::CopyAction(EditView& view, const DocRange& selection)
    : TAction(view, actionname::kCopy, selection), m_selection(selection) {}

int32_t CopyAction::DoIt() {
    Material copy = m_selection.ExtractContent();
    m_memory.Remember();
    m_memory.SetPut(Store().Put(std::move(copy)));
    return 0;
}

int32_t CopyAction::UndoIt() {
    m_memory.PutBack();
    return 0;
}

// --- CopyMetafileAction ---

int32_t CopyMetafileAction::DoIt() {
    std::optional<PictureBytes> picture;
    const TextComp* single = Selection().GetSingleComponent();
    if (single != nullptr && single->GetTypeTag() == tags::Metafile)
        picture = static_cast<const MetaPictComp*>(single)->GetPicture();
    else if (PlotShape* plot = AsPlot(single))
        picture = plot->CopyPicture(true);
    if (!picture) picture = GetView().RecordPicture(Selection());
    if (!picture) throw std::runtime_error("the selection cannot be drawn as a picture");
    Memory().Remember();
    Memory().SetPut(Store().PutMetafile(*picture));
    return 0;
}

// --- CutAction ---

CutAction::CutAction(EditView& view, const DocRange& selection)
    : EditAction(view, actionname::kCut, selection) {}

int32_t CutAction::DoIt() {
    TakeSelection();
    m_memory.Remember();
    m_memory.SetPut(Store().Put(SavedMaterial()));
    ShowCaret(m_removalPoint);
    return 0;
}

int32_t CutAction::UndoIt() {
    Store().Refresh();
    m_memory.PutBack();
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

void CutAction::Release() {
    m_memory.End(IsDone());
    EditAction::Release();
}

// --- PasteAction ---

PasteAction::PasteAction(EditView& view, const DocRange& selection)
    : EditAction(view, actionname::kPaste, selection) {}

int32_t PasteAction::DoIt() {
    Material content = m_undone.IsEmpty() ? Store().TakeContent() : std::move(m_undone);
    m_undone = Material();
    // Nothing to insert is a refusal, before anything was taken out.
    if (!clipboard::HasContent(content)) throw std::runtime_error("nothing to paste");
    TakeSelection();
    try {
        m_pasted = content.MoveInto(m_removalPoint);
    } catch (...) {
        // A redo's material stays with the action whatever happens.
        m_undone = std::move(content);
        throw;
    }
    ShowCaret(m_pasted.end);
    return 0;
}

int32_t PasteAction::UndoIt() {
    m_pasted.RemoveContent(m_undone);
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

void PasteAction::Release() {
    m_undone = Material();
    EditAction::Release();
}
