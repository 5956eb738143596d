#pragma once

// A layout run: the laid-out form of a stretch of one component list (a word of characters in
// one face, operators, blanks, tabs, one embedded component, an empty-list placeholder, a gray
// bar standing for a too-wide list, a line start or an equation label). The base class holds
// the geometry; the kinds are supplied by the layout subsystem and created through the
// installed `RunFactory`. Runs are owned by the run array of the list they were built for.
//
// Geometry: the measured box is the run's ink relative to its origin (left 0, top negative
// above the baseline, right = width); the line box starts as a copy of it and may be widened to
// the line. The frame is the line box moved by the origin.

#include "document/DocPos.h"
#include "document/OwningArray.h"
#include "document/Point.h"
#include "document/Rect.h"
#include "document/TypeTag.h"

#include <cstdint>
#include <memory>

class TextComp;

class Layout {
public:
    explicit Layout(int32_t start = 0) : m_start(start) {}
    virtual ~Layout() = default;
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    // Appends a character of a face when the run accepts it.
    virtual bool AddChar(uint8_t /*code*/, int32_t /*face*/) { return false; }
    virtual bool CanMerge(const Layout& /*next*/, bool /*allowSpaces*/) const { return false; }
    // Takes the next run's content; the run itself ends with the handle.
    virtual void Merge(std::unique_ptr<Layout> /*next*/) {}
    virtual bool IsCharacterRun() const { return false; }
    virtual bool IsLineRun() const { return false; }
    virtual bool IsWhiteRun() const { return false; }
    // Computes the measured box and copies it into the line box.
    virtual void Measure() {}
    // The origin is placed by the line box's left edge, not the measured box's.
    virtual void SetOrigin(Point point) { m_origin = Point(point.x - m_lineBox.left, point.y); }
    virtual void Offset(Point by) {
        m_origin.x += by.x;
        m_origin.y += by.y;
    }
    // The document position of a point, or false when the run gives none.
    virtual bool PosFromPoint(DocPos& /*out*/, Point /*point*/, bool /*nearest*/) { return false; }
    virtual TextComp* ComponentAtPoint(Point) { return nullptr; }
    virtual void Draw() {}
    virtual bool ContainsIndex(int32_t index) const { return index == m_start; }
    bool PosFromPointNearest(DocPos& out, Point point) { return PosFromPoint(out, point, true); }
    // The caret rectangle before list position `index`; by default the frame.
    virtual Rect GetCaretRect(int32_t /*index*/) const { return GetFrame(); }
    virtual bool IsChanged() const { return false; }
    virtual TypeTag GetTypeTag() const { return tags::Null; }
    virtual bool IsSame(const Layout& other) const {
        return other.GetTypeTag() == GetTypeTag() && other.m_start == m_start &&
               other.GetFrame() == GetFrame();
    }
    virtual bool CanBreakBefore(const Layout& /*other*/) const { return true; }
    // The list index after the run's last element.
    virtual int32_t GetEnd() const { return m_start + 1; }

    bool ContainsPoint(Point p) const { return GetFrame().PtInRect(p); }

    int32_t GetStart() const { return m_start; }
    const Rect& GetBox() const { return m_box; }
    const Rect& GetLineBox() const { return m_lineBox; }
    void SetLineBox(const Rect& box) { m_lineBox = box; }
    Point GetOrigin() const { return m_origin; }
    Rect GetFrame() const { return m_lineBox.Shifted(m_origin); }
    int32_t GetWidth() const { return m_lineBox.Width(); }

protected:
    void SetMeasured(const Rect& box) {
        m_box = box;
        m_lineBox = box;
    }

    int32_t m_start;
    Rect m_box;
    Rect m_lineBox;
    Point m_origin;
};

// The runs of one laid-out line, in order, owned.
using RunArray = OwningArray<Layout>;
