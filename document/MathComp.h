#pragma once

// The base of every component that takes a rectangle of its own in a line: the math boxes, the
// composite components, links and pictures. It gives a box its geometry, its layout mark and its
// font size level, and the default answers of the component contract for boxes: hit-testing by
// rectangle, caret positions beside the box, the keys a box handles for a caret inside it, and
// command enabling that defers to the enclosing component.

#include "document/EditCodes.h"
#include "document/TextComp.h"

class MathComp : public TextComp {
public:
    bool NeedsLayout() const override { return m_needsLayout; }
    void InvalidateLayout() override;
    void InvalidateAll() override { m_needsLayout = true; }
    void SetOrigin(Point point) override { m_origin = point; }
    Point GetOrigin() const override { return m_origin; }
    void SetBounds(const Rect& bounds) override { m_bounds = bounds; }
    Rect GetBounds() const override { return m_bounds; }
    int32_t GetWidth() const override { return m_bounds.Width(); }
    Rect GetFrame() const override { return m_bounds.Shifted(m_origin); }
    bool ContainsPoint(Point p) const override { return GetFrame().PtInRect(p); }
    TextComp* FindAt(Point p) override { return ContainsPoint(p) ? this : nullptr; }
    void SetParent(CompList* list) override { m_parent = list; }
    CompList* GetParent() const override { return m_parent; }
    int32_t GetStyleId() const override { return 3; }
    void SetSizeLevel(uint8_t level) override {
        m_needsLayout = true;
        m_sizeLevel = level;
    }
    // Backspace, tab and return; every other key goes to the owner of the parent list.
    int32_t HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) override;
    // Asks the owner of the parent list.
    bool IsCommandEnabled(int32_t id, const DocPos& pos) const override;

    uint8_t GetSizeLevel() const { return m_sizeLevel; }

protected:
    MathComp() = default;

    CompList* m_parent = nullptr; // not owned
    Rect m_bounds;
    Point m_origin;
    bool m_needsLayout = true;
    uint8_t m_sizeLevel = 0;
};
