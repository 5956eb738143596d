#include "mathbox/actions/RangeTracker.h"

#include "document/CompSequence.h"
#include "document/TextComp.h"
#include "mathbox/EditView.h"

void RangeTracker::Begin(Point point) {
    m_press = point;
    m_anchorPos = m_page.PosFromPoint(point, true);
    if ((m_modifiers & kShift) != 0) {
        const DocRange selection = m_view.GetSelection();
        if (selection.start.kind != DocPos::kNone) m_anchorPos = selection.start;
    }
    m_anchor = DocRange::Caret(m_anchorPos);
    m_current = m_anchor;
    if (m_anchorPos.kind == DocPos::kNone) return;
    Track(point);
    m_view.SetSelection(m_current, true);
}

bool RangeTracker::Track(Point point) {
    if (m_anchorPos.kind == DocPos::kNone) return false;
    const DocPos pos = m_page.PosFromPoint(point, true);
    if (pos.kind == DocPos::kNone) return false;
    if (!pos.IsEqual(m_anchorPos)) {
        m_current.Assign(m_anchorPos, pos);
        return true;
    }
    // Back on the anchor: a reference or a plot is taken whole, and so is a placeholder, since
    // a caret inside either could not be typed at.
    TextComp* under = m_page.FindAt(m_press);
    const TypeTag tag = under != nullptr ? under->GetTypeTag() : tags::Null;
    if (tag == tags::Reference || tag == tags::Plot2D || tag == tags::Plot3D)
        m_current.SelectComponent(under);
    else if (TextComp* gray = m_anchorPos.FindEnclosing(tags::GrayRun))
        m_current.SelectComponent(gray);
    else
        m_current = m_anchor;
    return true;
}

void RangeTracker::MouseMoved(Point point) {
    const DocRange before = m_current;
    if (!Track(point)) return;
    if (before.start.IsEqual(m_current.start) && before.end.IsEqual(m_current.end)) return;
    m_view.SetSelection(m_current, true);
}

void RangeTracker::End(Point point) {
    if (m_anchorPos.kind == DocPos::kNone) return;
    Track(point);
    m_view.SetSelection(m_current, true);
}
