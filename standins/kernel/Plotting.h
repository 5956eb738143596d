#pragma once

// Graphics for the plot requests. A 2-D request "TYTwoDPlot"[{f, ...}, {x, min, max},
// {y, min, max}] gains a fourth argument Graphics[{{Line[...], ...}, ...}]: one list per
// function, its curve split wherever a value is not a finite real or leaves the y range. A 3-D
// request "TYThreeDPlot"[{f, ...}, first range, second range, value range] gains
// SurfaceGraphics[rows of heights] for one function, Graphics3D[{{Polygon[...], ...}, ...}]
// for several (or where a height is missing). Every number is a machine real.

#include "Algebra.h"
#include "Expr.h"

#include <optional>

namespace standin::plot {

inline constexpr int kSamples = 200;
inline constexpr int kGrid = 24;

// The answer, or nothing when the request cannot be plotted.
std::optional<Expr> compute(const Expr& request, const algebra::Settings& settings);

} // namespace standin::plot
