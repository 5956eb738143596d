#pragma once

// Our stand-in for the outside 3-D library the 3-D plots project and draw through. It keeps the
// library's calling shape: one drawing pass at a time (Init3d ... CombineReferenceFrames, then
// the drawing calls), every number in 16.16 fixed point in 32 bits, points of four words and
// matrices of sixteen. Inside, every product runs in 64 bits, every sum of products in 128 and
// every difference of words beyond 32, and all saturate on the way back to 32.
//
// Conventions:
// - Row vectors: a point p becomes p x M, so M's last row is the translation and a
//   product A x B applies A first.
// - A point's fourth word is kOne for a point that is there and 0 for a missing one (a value
//   that was not a finite number); facets and lines that touch a missing point are left out.
// - Model space is the plot's 32-unit box around the origin, its second axis up. The camera is
//   built from the eye alone: it looks from the eye at the origin, its right axis is level
//   (perpendicular to the second axis) and its up axis is the second axis made perpendicular to
//   the line of sight. Matrix 2 carries model space into the camera's (right, up, towards the
//   eye); matrix 3 is the view rotation followed by the camera.
// - Projection is parallel. At every pass the view is centred and fitted into the viewport (the
//   plot's picture): whatever the rotation, the box with its labels stays inside it.
// - Drawing goes to the drawing layer's current target through its painter, so recordings stay
//   vector pictures. Surfaces are split into triangles, sorted back to front (the painter's
//   algorithm) and shaded by Lambert's law on both sides with the light riding with the camera.
//
// GUI thread only: the pass state is the library's own, as the outside library's is.

#include "document/Point.h"
#include "document/Rect.h"
#include "document/Str255.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class DrawPort;

namespace prism3d {

using Fixed = int32_t;
inline constexpr Fixed kOne = 0x10000;

// The nearest representable value, truncated toward zero; saturates beyond the 32-bit range and
// gives 0 for a value that is not a number.
Fixed ToFixed(double value);
inline double ToDouble(Fixed value) {
    return value / 65536.0;
}
// a x b and a / b in 64 bits, saturated; a division by 0 saturates by the sign of a.
Fixed fix_mul(Fixed a, Fixed b);
Fixed fix_div(Fixed a, Fixed b);

struct Point3d {
    Fixed x = 0;
    Fixed y = 0;
    Fixed z = 0;
    Fixed w = 0;

    bool IsThere() const { return w != 0; }
    friend bool operator==(const Point3d&, const Point3d&) = default;
};

struct Matrix {
    std::array<std::array<Fixed, 4>, 4> m{};
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

void SetPt3d(Point3d& point, double x, double y, double z);
void mIdentity(Matrix& m);
void mTranspose(Matrix& m);
// result = a x b; result may be a or b.
void mMult4x4(const Matrix& a, const Matrix& b, Matrix& result);
// result = point x matrix, with the point's fourth word passed through.
void ApplyTransform(const Point3d& point, Point3d& result, const Matrix& matrix);

// --- Lighting ---

struct LightSource {
    uint16_t red = 0xFFFF;
    uint16_t green = 0xFFFF;
    uint16_t blue = 0xFFFF;
    // Where the light stands in the camera's frame (right, up, towards the eye).
    double x = 0.0;
    double y = 0.0;
    double z = 1.0;
};

struct Lighting {
    double ambient = 0.25;
    double intensity = 1.0;
    LightSource source;
    // The light's direction in the camera's frame, unit length.
    std::array<double, 3> direction{0.0, 0.0, 1.0};
};

void Set3dLtSource(LightSource& source, uint16_t red, uint16_t green, uint16_t blue, double x,
                   double y, double z, int32_t kind);
Lighting NewLighting(int32_t kind, int32_t flags, uint16_t intensity, double ambient, int32_t count,
                     const LightSource& source);
// The light rides with the camera: it keeps its place in the camera's frame whatever the
// projection, so only its direction is settled here.
void TransformLighting(Lighting& lighting, const Matrix& projection);

// --- The pass ---

void Init3d(int32_t flags);
// Later drawing goes to this port's current target; null draws nothing.
void SetCurrentDC(DrawPort* port);
void SetCenter(double x, double y);
// Where the view is fitted (document coordinates of the current target). Without one the view
// is fitted into the square whose centre is the projection's centre and whose corner is (0, 0).
void SetViewport(const Rect& rect);
void SetMatrix(int32_t which, const Matrix& matrix);
void SetZoom(double zoom);
void AimCamera(const Point3d& eye, const Point3d& target, Fixed distance, int32_t flags);
// The view rotation then the camera (matrix 3), and the fit of the view in the viewport.
void CombineReferenceFrames();
// Matrix 1 (the view rotation), 2 (the camera) or 3 (both); any other number gives matrix 3.
const Matrix& GetMatrix(int32_t which);
void Set3dInterrupt(int32_t a, int32_t b, int32_t c);

// Where a point lands on the target after `m` and the fit (document coordinates); false for a
// missing point.
bool ProjectPoint(const Point3d& point, const Matrix& m, Point& at);

// --- Lines, points, grids and text, all through `m` ---

void xfMovetoPt(const Point3d& point, const Matrix& m);
void xfLinetoPt(const Point3d& point, const Matrix& m);
void xfDrawPt(const Point3d& point, const Matrix& m);
// The grid lines of the box faces the option word selects: bits 0 and 1 the faces where the
// first axis is at its lower and upper end, bits 3 and 2 the second axis's lower and upper
// faces, bits 5 and 4 the third's. On a face each of its two axes is divided into
// `divisions` (16.16) equal steps; a division of 0 or less draws no lines along that axis, and
// no axis is divided into more than `kMaxGridLines`.
inline constexpr int32_t kMaxGridLines = 1000;
void xfGrid(const Point3d& lower, const Point3d& upper, const Point3d& divisions,
            const uint16_t* option, const Matrix& m);
// Text centred on the projected point (through the combined matrix) in the current font.
void DrawString3d(Fixed x, Fixed y, Fixed z, const char* text);

// --- Scenes ---

// The patch attribute record: the colour's three words, then words the library reads no
// further.
struct PatchStyle {
    std::array<uint16_t, 3> color{};
    uint16_t alpha = 0xFFFF;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint16_t flags = 0x1F;
    uint16_t reserved3 = 0;
    uint32_t specular = 0x7FFF;
    uint32_t reserved4 = 0;
    uint32_t shine = 0x1000;
    std::array<uint32_t, 5> reserved5{};
};
static_assert(sizeof(PatchStyle) == 48);

struct Facet {
    static constexpr int32_t kMaxCorners = 8;
    int32_t count = 0;
    std::array<int32_t, kMaxCorners> index{};
};

struct Patch {
    // A surface: rows x columns points row by row, each cell two triangles. A mesh (rows 0):
    // facets over the points, in front and back pairs.
    int32_t rows = 0;
    int32_t columns = 0;
    std::vector<Point3d> points;
    std::vector<Facet> facets;
    PatchStyle style;
    Matrix matrix;
};

struct Group {
    std::vector<std::unique_ptr<Patch>> patches;
};

struct Collection {
    // Word 1 + i of the outside library's record is group i.
    std::vector<std::unique_ptr<Group>> groups;
};

std::unique_ptr<Collection> NewCollection(int32_t count);
std::unique_ptr<Group> NewGroup(int32_t patches);
void DisposeGroup(std::unique_ptr<Group> group);
void DisposeCollection(std::unique_ptr<Collection> collection);
// Fills slot `slot` (from 0) with a surface of `rows` rows of `count / rows` points. Throws
// std::invalid_argument for a slot outside the group or a count that is no whole number of
// rows or that the points do not hold.
void xfMatrix2Patch(Group& group, int32_t slot, int32_t a, int32_t b, int32_t rows, int32_t count,
                    std::span<const Point3d> points, const PatchStyle& style, const Matrix& m);
// Fills slot `slot` with a mesh of `facetCount` facets over `vertexCount` points. Throws
// std::invalid_argument for a slot outside the group, counts beyond the arrays or an index
// beyond the points.
void NewPatch(Group& group, int32_t slot, int32_t vertexCount, std::span<const Point3d> points,
              int32_t facetCount, std::span<const Facet> facets, const PatchStyle& style,
              const Matrix& m);
// A facet of `n` corners (at most kMaxCorners; more are cut).
void MakePolyFacet(Facet& facet, int32_t n, const int32_t* indices,
                   std::span<const Point3d> points);

// One triangle as the renderer draws it: its corners on the target (document coordinates), its
// depth towards the eye and its shaded colour (0x00BBGGRR).
struct ShadedTriangle {
    std::array<double, 6> corners{};
    double depth = 0.0;
    uint32_t color = 0;
};

// The triangles of a collection through `m`, shaded and sorted back to front: what
// xfRenderCollection draws.
std::vector<ShadedTriangle> ShadeCollection(const Collection& collection, const Matrix& m,
                                            const Lighting& lighting);
void xfRenderCollection(const Collection& collection, const Matrix& m, const Lighting& lighting,
                        int32_t flags);
// Draws already shaded and sorted triangles on the current target.
void DrawTriangles(std::span<const ShadedTriangle> triangles);

} // namespace prism3d
