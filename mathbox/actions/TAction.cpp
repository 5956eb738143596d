#include "mathbox/actions/TAction.h"

#include "document/CompSequence.h"
#include "mathbox/EditView.h"

#include <array>

namespace {

constexpr std::array<const char*, 16> kNames = {"copy",
                                                "cut",
                                                "paste",
                                                "delete",
                                                "new paragraph",
                                                "create object",
                                                "typing",
                                                "reduce",
                                                "insert column",
                                                "insert row",
                                                "insert derivative",
                                                "insert expression",
                                                "remove paragraph break",
                                                "calculation",
                                                "Can't undo",
                                                "replace"};

} // namespace

Str255 ActionNameText(uint16_t nameId) {
    if (nameId < actionname::kCopy || nameId > actionname::kReplace) return Str255();
    return Str255(kNames[nameId - actionname::kCopy]);
}

TAction::TAction(EditView& view, uint16_t nameId, const DocRange& selection)
    : m_view(view), m_nameId(nameId) {
    CompSequence* seq = selection.start.GetSequence();
    // Material taken out of a document is laid out nowhere; the paragraphs a view shows are.
    if (seq == nullptr || (seq->GetDocument() == nullptr && seq != view.DetachedPage())) return;
    m_paragraphs = seq;
    m_paragraphNumber = seq->IndexOf(selection.start.paragraph);
    m_index = selection.start.TopLevelIndex(true);
}

TAction::TAction(EditView& view, uint16_t nameId) : m_view(view), m_nameId(nameId) {}

int32_t TAction::Do() {
    const int32_t result = DoIt();
    m_done = true;
    return result;
}

int32_t TAction::Undo() {
    const int32_t result = UndoIt();
    m_done = false;
    return result;
}

int32_t TAction::Redo() {
    const int32_t result = DoIt();
    if (m_paragraphNumber > 0) RelayoutView();
    m_done = true;
    return result;
}

void TAction::SetStatusText(const Str255& text) {
    m_view.SetStatusText(text);
}

void TAction::RelayoutView() {
    m_view.RelayoutFrom(m_paragraphNumber, m_index);
    m_view.UpdateScrollSizes();
}

void TAction::ShowRange(const DocRange& range) {
    if (m_paragraphNumber > 0) RelayoutView();
    m_view.SetSelection(range, true);
    BringIntoView(m_view, range.GetBounds());
}

void BringIntoView(EditView& view, const Rect& frame) {
    const Rect window = view.GetVisibleRect();
    if (frame.bottom > window.bottom)
        view.ScrollTo(Point(0, window.top + frame.bottom - window.bottom));
    else if (frame.top < window.top)
        view.ScrollTo(Point(0, frame.top));
    else if (frame.left <= window.right && frame.right >= window.left)
        return;
    else
        view.ScrollTo(Point(frame.left, frame.top));
}
