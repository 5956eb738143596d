#pragma once

// Turning a 3-D plot by dragging over its picture. The picture's frame is a virtual trackball:
// each move carries the last point on the ball to the new one, the plot's view becomes the view
// followed by that rotation (expressed in the model's axes through the camera's frame), and a
// preview is drawn at once into the view's backing image and shown. The release redraws the
// plot in full and marks the document modified.
//
// Points are document points, as the view hands every mouse tracker. A tracker is made only for
// a picture with room to turn on: an empty frame has no ball (`Start` answers null).

#include "mathbox/actions/RangeTracker.h"
#include "plot/Plot3DComp.h"

#include <array>
#include <memory>

class EditView;

class RotationTracker final : public MouseTracker {
public:
    using Vector = std::array<double, 3>;
    using Rotation = std::array<Vector, 3>; // rows, for row vectors: p' = p x R

    // Null when the plot's picture has no room for a trackball.
    static std::unique_ptr<RotationTracker> Start(EditView& view, Plot3DComp& plot);

    void Begin(Point point) override { m_last = point; }
    // A move of more than 2 pixels turns the plot and draws the preview; smaller moves add up.
    void MouseMoved(Point point) override;
    // The last turn (without a preview), then the full redraw and the modified mark.
    void End(Point point) override;

    // Where a point lies on the ball: x right, y up, z towards the viewer; a point off the
    // ball lands on its rim.
    Vector SpherePoint(Point p) const;
    // The rotation that carries `from`'s place on the ball to `to`'s. Opposite points on the
    // rim turn by half a turn about the axis in the screen's plane square to them, never by the
    // mirror that the formula would give there.
    Rotation DragRotation(Point from, Point to) const;
    // The rotation in the model's axes: the camera's right, up and eye make the rows of B, and
    // the answer is Bᵀ x (R x B) in 16.16 words.
    static prism3d::Matrix ComposeView(const Plot3DComp::CameraFrame& frame, const Rotation& r);

    Point Centre() const { return m_centre; }
    int32_t Radius() const { return m_radius; }

private:
    RotationTracker(EditView& view, Plot3DComp& plot, const Rect& frame, Point centre,
                    int32_t radius)
        : m_view(view), m_plot(plot), m_frame(frame), m_centre(centre), m_radius(radius) {}
    // Turns the plot when the pointer moved far enough from the last point; true when it did.
    bool Turn(Point point);
    void DrawPreview();
    Rect Square() const;

    EditView& m_view;
    Plot3DComp& m_plot;
    Rect m_frame;
    Point m_centre;
    int32_t m_radius;
    Point m_last;
};
