#include "plot/RotationTracker.h"

#include "document/DrawPort.h"
#include "document/Region.h"
#include "mathbox/EditView.h"

#include <cmath>

namespace {

using Vector = RotationTracker::Vector;

double Dot(const Vector& a, const Vector& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vector Unit(const prism3d::Point3d& p) {
    Vector v{prism3d::ToDouble(p.x), prism3d::ToDouble(p.y), prism3d::ToDouble(p.z)};
    const double length = std::sqrt(Dot(v, v));
    if (length > 0)
        for (double& c : v)
            c /= length;
    return v;
}

} // namespace

std::unique_ptr<RotationTracker> RotationTracker::Start(EditView& view, Plot3DComp& plot) {
    const Rect frame = plot.GetPictureRect();
    const Point centre((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
    const int32_t radius =
        frame.Width() > frame.Height() ? frame.right - centre.x : frame.bottom - centre.y;
    // A ball of no size would be divided by.
    if (frame.IsEmpty() || radius <= 0) return nullptr;
    return std::unique_ptr<RotationTracker>(new RotationTracker(view, plot, frame, centre, radius));
}

RotationTracker::Vector RotationTracker::SpherePoint(Point p) const {
    double x = static_cast<double>(p.x - m_centre.x) / m_radius;
    double y = static_cast<double>(m_centre.y - p.y) / m_radius;
    const double d = x * x + y * y;
    if (d > 1) {
        const double root = std::sqrt(d);
        return {x / root, y / root, 0.0};
    }
    return {x, y, std::sqrt(1 - d)};
}

RotationTracker::Rotation RotationTracker::DragRotation(Point from, Point to) const {
    const Vector s = SpherePoint(from);
    const Vector e = SpherePoint(to);
    Vector a{s[1] * e[2] - s[2] * e[1], s[2] * e[0] - s[0] * e[2], s[0] * e[1] - s[1] * e[0]};
    const double sinus = std::sqrt(Dot(a, a));
    const double c = Dot(s, e);
    if (sinus > 0) {
        for (double& v : a)
            v /= sinus;
    } else if (c < 0) {
        // Opposite points: half a turn about the screen-plane axis square to them.
        const double across = std::hypot(s[0], s[1]);
        a = across > 0 ? Vector{-s[1] / across, s[0] / across, 0.0} : Vector{0.0, 1.0, 0.0};
    }
    const double t = 1 - c;
    return Rotation{
        {{t * a[0] * a[0] + c, t * a[0] * a[1] + sinus * a[2], t * a[0] * a[2] - sinus * a[1]},
         {t * a[0] * a[1] - sinus * a[2], t * a[1] * a[1] + c, t * a[1] * a[2] + sinus * a[0]},
         {t * a[0] * a[2] + sinus * a[1], t * a[1] * a[2] - sinus * a[0], t * a[2] * a[2] + c}}};
}

prism3d::Matrix RotationTracker::ComposeView(const Plot3DComp::CameraFrame& frame,
                                             const Rotation& r) {
    const Rotation b{Unit(frame.right), Unit(frame.up), Unit(frame.eye)};
    Rotation rb{};
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j)
            for (size_t k = 0; k < 3; ++k)
                rb[i][j] += r[i][k] * b[k][j];
    prism3d::Matrix n;
    prism3d::mIdentity(n);
    for (size_t i = 0; i < 3; ++i)
        for (size_t j = 0; j < 3; ++j) {
            double sum = 0;
            for (size_t k = 0; k < 3; ++k)
                sum += b[k][i] * rb[k][j];
            n.m[i][j] = static_cast<prism3d::Fixed>(std::trunc(sum * 65536));
        }
    return n;
}

bool RotationTracker::Turn(Point point) {
    const int64_t dx = point.x - m_last.x;
    const int64_t dy = point.y - m_last.y;
    if (dx * dx + dy * dy <= 4) return false;
    m_plot.RotateView(ComposeView(m_plot.GetCameraFrame(), DragRotation(m_last, point)));
    m_last = point;
    return true;
}

Rect RotationTracker::Square() const {
    return Rect(m_centre.x - m_radius, m_centre.y - m_radius, m_centre.x + m_radius,
                m_centre.y + m_radius);
}

void RotationTracker::DrawPreview() {
    if (gDrawPort == nullptr) return;
    const int32_t face = gDrawPort->GetFace();
    gDrawPort->SetClipRect(m_frame);
    gDrawPort->EraseRect(Square());
    gDrawPort->DrawEllipse(Square());
    m_plot.DrawAt(Point(m_frame.left, m_frame.top));
    gDrawPort->ClearClip();
    gDrawPort->SetFace(face);
    // Shown while the button is held, not only once the release redraws the document.
    m_view.ShowDrawn(m_frame);
}

void RotationTracker::MouseMoved(Point point) {
    if (Turn(point)) DrawPreview();
}

void RotationTracker::End(Point point) {
    Turn(point);
    // The preview drew the ball's rim straight into the window's image: the document is drawn
    // there again, so the rim goes and the plot shows its new recording.
    m_view.RedrawWithin(Region(Square().Intersection(m_frame)));
    m_view.SetDocumentModified();
}
