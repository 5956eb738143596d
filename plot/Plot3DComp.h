#pragma once

// The three-dimensional plot ("3Plt"): a surface plot z = f(x, y). It adds to the common plot
// the z range, a box around the data whose edges are whole tick steps, a camera and a view
// rotation, one light, and the stored 3-D primitives of the computed surfaces, and it projects
// and draws them through the 3-D library.
//
// Model space is the library's 32-unit box around the origin: its first axis runs along data y,
// its second along data z (up), its third along negative data x. The camera (eye, up, right)
// keeps its default for the plot's whole life; turning the plot changes only the view matrix,
// which the document stores. The primitive store holds the box's face grid first and its tick
// labels second, both rebuilt for the current rotation (the grid stands on the faces behind
// the data, the labels on the edges in front), then one list per item of the kernel's graphics.
//
// To compute, the plot converts itself into a `Plot3DNode`, which goes to the kernel; the
// answer's graphics reach `SetGraphics`.

#include "plot/PlotComp.h"
#include "plot/PrimStore3D.h"
#include "prism3d/Prism3d.h"

#include <array>
#include <cstdint>
#include <memory>

// The tick step of a data range: a power of ten, halved, quartered or tenthed until the range
// holds at least five steps. 0 for a range that is empty, reversed or not finite.
double TickStep3D(double min, double max);
// The box edges around a range: whole steps at or beyond its ends.
std::pair<double, double> BoxAround(double min, double max, double step);

// A tick's label: its "%g" text, "0.0" for a value within 1e-06 of zero.
Str31 TickLabel3D(double value);

class Plot3DComp final : public PlotComp, public Plot3DScene {
public:
    struct CameraFrame {
        prism3d::Point3d right;
        prism3d::Point3d up;
        prism3d::Point3d eye;
    };

    Plot3DComp();
    explicit Plot3DComp(CompArray boxes);
    ~Plot3DComp() override;

    OwnedComponent Clone() const override;
    TypeTag GetTypeTag() const override { return tags::Plot3D; }
    ExprNode* ToExpression() override;
    void Write(DocStream& stream) const override;
    void Read(DocStream& stream) override;

    bool SetGraphics(NodePtr graphics) override;
    void SetZRange(const Str31& name, double min, double max) override;
    bool EditOptions(QWidget* parent) override;
    void UpdateSize() override;
    void SwapGraphics(TextComp& other) override;

    // Takes new names and ranges and drops the computed surfaces: only the box remains until
    // the plot is computed again (what confirmed options do).
    void ApplyOptions(const std::array<Str31, 3>& names, const std::array<double, 3>& mins,
                      const std::array<double, 3>& maxes);

    // --- Rotation ---
    Rect GetPictureRect() const { return PictureRect(); }
    CameraFrame GetCameraFrame() const;
    const prism3d::Matrix& View() const { return m_view; }
    // view = view x matrix, kept a proper rotation; the box's grid and labels follow it.
    void RotateView(const prism3d::Matrix& matrix);
    // Draws the plot into the picture area whose top-left corner is `topLeft` (document
    // coordinates) through the installed drawing port: what the view and the rotation's
    // preview both draw.
    void DrawAt(Point topLeft) { DrawPicture(topLeft); }

    // --- Plot3DScene ---
    prism3d::Point3d ToModel(const Point3D& p) const override;
    prism3d::Point3d ScaleToModel(const Point3D& v) const override;
    void DrawLine(const prism3d::Point3d& a, const prism3d::Point3d& b) override;
    void DrawPolyline(std::span<const prism3d::Point3d> points) override;
    void DrawPoint(const prism3d::Point3d& p) override;
    void DrawGrid(const prism3d::Point3d& lower, const prism3d::Point3d& upper,
                  const prism3d::Point3d& divisions, const uint16_t* option) override;
    void DrawText(const Str31& text, const prism3d::Point3d& at) override;
    Point3D BoxMin() const override { return m_boxMin; }
    Point3D BoxMax() const override { return m_boxMax; }
    NodePtr MeshRangeOption() const override;

    const Str31& ZName() const { return m_zName; }
    double ZMin() const { return m_zMin; }
    double ZMax() const { return m_zMax; }
    const Point3D& Steps() const { return m_step; }
    const PrimStore3D* Primitives() const { return m_prims.get(); }
    // The eye's direction in the model's axes under the current view.
    std::array<double, 3> EyeInModel() const;
    // The box's back faces for the current rotation (first, second, third: 1 or 4, 0 or 3, 2 or
    // 5), as the face grid takes them.
    std::array<int32_t, 3> BackFaces() const;

protected:
    void DrawPicture(Point topLeft) override;
    void EnsurePrimitives() override;

private:
    void MakeLight();
    // A new store holding only the box (its grid and labels) for the current ranges.
    std::unique_ptr<PrimStore3D> NewBoxStore();
    // Lists 1 and 2 of `store`: the face grid and the tick labels for the current rotation,
    // put in place of the box's lists wherever they stand (appended to a store without them).
    // Also fixes the box.
    void BuildAxes(PrimStore3D& store);
    void SetUpPass(Point topLeft);

    Str31 m_zName{"z"};
    double m_zMin = kDefaultMin;
    double m_zMax = kDefaultMax;
    std::unique_ptr<PrimStore3D> m_prims;
    prism3d::Point3d m_eye;
    prism3d::Point3d m_up;
    prism3d::Point3d m_right;
    prism3d::Matrix m_view;
    prism3d::Matrix m_projection;
    prism3d::Matrix m_transform;
    prism3d::Lighting m_lighting;
    Point3D m_boxMin{-1, -1, -1};
    Point3D m_step{0.5, 0.5, 0.5};
    Point3D m_boxMax{1, 1, 1};
};
