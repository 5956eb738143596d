#pragma once

// Mouse tracking: while the button is held the view feeds its one tracker the press, every move,
// its timer ticks and the release, all as document points. `RangeTracker` is the selection drag:
// the press fixes an anchor, each move selects from the anchor to the position under the
// pointer, and the release leaves that as the view's selection.

#include "document/DocRange.h"
#include "document/Point.h"

#include <cstdint>

class CompSequence;
class EditView;

class MouseTracker {
public:
    virtual ~MouseTracker() = default;
    virtual void Tick() {}
    virtual void Begin(Point point) = 0;
    virtual void MouseMoved(Point point) = 0;
    virtual void End(Point point) = 0;
};

class RangeTracker final : public MouseTracker {
public:
    // Modifier bits: 1 Shift (the drag grows the current selection from its start), 2 Ctrl.
    static constexpr int32_t kShift = 1, kCtrl = 2;

    RangeTracker(EditView& view, const CompSequence& page, int32_t modifiers)
        : m_view(view), m_page(page), m_modifiers(modifiers) {}

    void Begin(Point point) override;
    void MouseMoved(Point point) override;
    void End(Point point) override;
    const DocRange& GetRange() const { return m_current; }

private:
    // The range for the pointer at `point`; false where no position lies under it.
    bool Track(Point point);

    EditView& m_view;
    const CompSequence& m_page;
    int32_t m_modifiers;
    DocPos m_anchorPos;
    Point m_press;
    DocRange m_anchor;
    DocRange m_current;
};
