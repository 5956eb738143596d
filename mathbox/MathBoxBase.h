#pragma once

// What the math boxes share inside mathbox/: integer halvings, the size unit, text output and
// list layout. Node sources and list expressions come from BoxSource.h, as for the grids.

#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/OutBuffer.h"
#include "mathbox/BoxSource.h"

#include <cstdint>

namespace boxes {

// The face every box measures and draws its own signs in.
using ::kMathFace;

// Division rounded toward minus infinity.
inline int32_t FloorDiv(int32_t a, int32_t b) {
    const int32_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The list's kernel text, in parentheses when an element after its first is a blank or a sign,
// so that a script such as n+1 keeps its meaning.
void WriteParenthesised(CompList& list, OutBuffer& out);

// The list laid out as a box's child: runs at the list's own size, at most the column wide.
inline Rect LayOut(CompList& list) {
    list.LayoutToPage();
    return list.GetBounds();
}

// The layer's size unit at a size level.
inline int32_t UnitAt(uint8_t level) {
    SizeGuard size(level);
    return gDrawPort->GetSpacing();
}

inline int32_t Height(const Rect& r) {
    return r.bottom - r.top;
}

} // namespace boxes
