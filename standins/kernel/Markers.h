#pragma once

// The drag and selection marks that travel as one-argument wrapper heads ("TYMover",
// "TYTarget", "TYMarker"): taken off a tree, with the places they stood on kept as paths.

#include "Expr.h"

#include <optional>
#include <vector>

namespace standin {

// Child indices from a root down to a node.
using Path = std::vector<std::size_t>;

struct Marked {
    Expr tree; // the tree without its marks
    std::optional<Path> mover;
    std::optional<Path> target;
};

Marked stripMarkers(const Expr& e);

// The node at `path`; the root for an empty path. The path must be valid for `root`.
const Expr& nodeAt(const Expr& root, const Path& path);
Expr& nodeAt(Expr& root, const Path& path);

} // namespace standin
