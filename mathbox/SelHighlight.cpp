#include "mathbox/SelHighlight.h"

#include "document/DrawPort.h"
#include "mathbox/DrawView.h"

Region SelHighlight::AllRegions() const {
    Region all = m_selection.Union(m_caret);
    all.UnionWith(m_outline);
    return all;
}

void SelHighlight::Invalidate(const Region& region) {
    DrawPort* port = gDrawPort.Get();
    if (port == nullptr || region.IsEmpty()) return;
    port->InvalidateDocRect(region.GetBox());
}

void SelHighlight::Recompute() {
    m_selection = Region();
    m_caret = Region();
    m_outline = Region();
    m_shown = true;
    if (m_mode == kHidden || m_range.start.kind == DocPos::kNone) return;
    if (m_range.HasExtent())
        m_selection = m_range.GetHighlightRegion();
    else
        m_caret = m_range.GetHighlightRegion();
}

void SelHighlight::Draw() {
    Draw(m_selection);
}

void SelHighlight::Draw(const Region& clip) {
    DrawPort* port = gDrawPort.Get();
    if (port == nullptr || m_mode == kHidden) return;
    if (m_shown && !m_caret.IsEmpty()) {
        if (m_mode == kActive) port->FillRegionBlack(m_caret);
        if (m_mode == kInactive) port->FillRegionGray(m_caret);
    } else if (!m_selection.IsEmpty()) {
        const Region inside = m_selection.Intersection(clip);
        if (!inside.IsEmpty()) {
            // Inverting only the clipped part keeps a partial repaint from inverting twice; the
            // inactive frame is drawn whole, since a frame clipped to a band would show seams.
            if (m_mode == kActive) port->InvertOrFrameRegion(inside, false);
            if (m_mode == kInactive) port->InvertOrFrameRegion(m_selection, true);
        }
    }
    if (m_mode == kActive && !m_outline.IsEmpty()) port->FrameRegionGray(m_outline);
}

void SelHighlight::Update(const DocRange& range, bool invalidate) {
    if (invalidate) Invalidate(AllRegions());
    m_range = range;
    Recompute();
    if (invalidate) Invalidate(AllRegions());
}

void SelHighlight::SetRange(const DocRange& range) {
    Region changed;
    if (m_range.HasExtent() && range.HasExtent()) {
        // Only what changed state between the two selections needs drawing again.
        changed = m_selection;
        m_range = range;
        Recompute();
        changed.XorWith(m_selection);
    } else {
        changed = AllRegions();
        m_range = range;
        Recompute();
        changed.UnionWith(AllRegions());
    }
    if (changed.IsEmpty()) return;
    DrawPort* port = gDrawPort.Get();
    if (port != nullptr) port->SetClipRegion(changed);
    m_owner.RedrawWithin(changed);
    if (port != nullptr) port->ClearClip();
}
