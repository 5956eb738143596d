#include "Markers.h"

namespace standin {

namespace {

Expr strip(const Expr& e, Path& here, Marked& marks) {
    if (e.isFunction() && e.args.size() == 1 &&
        (e.isCall("TYMover") || e.isCall("TYTarget") || e.isCall("TYMarker"))) {
        if (e.isCall("TYTarget"))
            marks.target = here;
        else
            marks.mover = here;
        return strip(e.args[0], here, marks);
    }
    Expr out = e;
    for (std::size_t i = 0; i < out.args.size(); ++i) {
        here.push_back(i);
        out.args[i] = strip(e.args[i], here, marks);
        here.pop_back();
    }
    return out;
}

} // namespace

Marked stripMarkers(const Expr& e) {
    Marked marks;
    Path here;
    marks.tree = strip(e, here, marks);
    return marks;
}

const Expr& nodeAt(const Expr& root, const Path& path) {
    const Expr* node = &root;
    for (std::size_t i : path)
        node = &node->args.at(i);
    return *node;
}

Expr& nodeAt(Expr& root, const Path& path) {
    Expr* node = &root;
    for (std::size_t i : path)
        node = &node->args.at(i);
    return *node;
}

} // namespace standin
