#pragma once

// A view's selection as the user sees it: the range together with the regions that show it (the
// inverted area of a selection with extent, the caret's block of an empty one, and an optional
// gray outline). Moving the selection redraws only what changed state.
//
// Modes: active (the view has the focus: the selection inverted, the caret black), hidden
// (nothing drawn, nothing computed) and inactive (another window has the focus: the selection
// framed in gray, the caret gray). Regions are in document coordinates. GUI thread only.

#include "document/DocRange.h"
#include "document/Region.h"

#include <cstdint>

class DrawView;

class SelHighlight {
public:
    enum Mode : int32_t { kActive = 0, kHidden = 1, kInactive = 2 };

    // `owner` redraws its document within a clip when the selection moves at once.
    explicit SelHighlight(DrawView& owner) : m_owner(owner) {}
    SelHighlight(const SelHighlight&) = delete;
    SelHighlight& operator=(const SelHighlight&) = delete;

    // Computes the regions afresh from the range (none in the hidden mode).
    void Recompute();
    // Draws the highlight within the clip, or wherever the selection lies without one.
    void Draw(const Region& clip);
    void Draw();
    // Takes a new range; with `invalidate` the old and the new highlight's boxes are asked to be
    // painted again later.
    void Update(const DocRange& range, bool invalidate);
    // Takes a new range and redraws at once only the area that changed.
    void SetRange(const DocRange& range);
    const DocRange& GetRange() const { return m_range; }

    Mode GetMode() const { return m_mode; }
    // The mode for what follows; the owner redraws.
    void SetMode(Mode mode) { m_mode = mode; }
    // The gray frame drawn in the active mode; the owner fills it.
    void SetOutline(const Region& outline) { m_outline = outline; }
    const Region& OutlineRegion() const { return m_outline; }

    const Region& SelectionRegion() const { return m_selection; }
    const Region& CaretRegion() const { return m_caret; }

private:
    Region AllRegions() const;
    void Invalidate(const Region& region);

    DrawView& m_owner;
    Region m_selection;
    Region m_caret;
    Region m_outline;
    Mode m_mode = kActive;
    DocRange m_range;
    bool m_shown = true;
};
