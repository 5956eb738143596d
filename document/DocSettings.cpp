#include "document/DocSettings.h"

#include "document/DocStream.h"

#include <initializer_list>

namespace {

// A window's corners lie on a desktop: beyond this many pixels either way they are damage.
constexpr int32_t kLargestPlacementCoordinate = 1 << 20;

bool IsSoundPlacement(const Rect& r) {
    for (int32_t coordinate : {r.left, r.top, r.right, r.bottom})
        if (coordinate < -kLargestPlacementCoordinate || coordinate > kLargestPlacementCoordinate)
            return false;
    return !r.IsEmpty();
}

} // namespace

void DocSettings::Write(DocStream& stream) const {
    stream.WriteShort(baseSize);
    stream.WriteByte(reserved);
    stream.WriteByte(largerEquations);
    stream.WriteShort(firstPage);
    stream.WriteLong(placement.left);
    stream.WriteLong(placement.top);
    stream.WriteLong(placement.right);
    stream.WriteLong(placement.bottom);
    stream.WriteByte(numberPages);
}

void DocSettings::Read(DocStream& stream) {
    const int16_t size = stream.ReadShort();
    // Any other index would reach past the font tables.
    baseSize = size >= 0 && size <= 9 ? static_cast<uint8_t>(size) : kDefaultBaseSize;
    reserved = stream.ReadBool();
    largerEquations = stream.ReadBool();
    firstPage = stream.ReadShort();
    Rect stored;
    stored.left = stream.ReadLong();
    stored.top = stream.ReadLong();
    stored.right = stream.ReadLong();
    stored.bottom = stream.ReadLong();
    // Checked before anything works out a width or places a window from it.
    placement = IsSoundPlacement(stored) ? stored : DocSettings().placement;
    numberPages = stream.ReadBool();
}

void CreateDefaults::Write(DocStream& stream) const {
    stream.WriteShort(columns);
    stream.WriteShort(rows);
    stream.WriteShort(entries);
}

void CreateDefaults::Read(DocStream& stream) {
    columns = stream.ReadShort();
    rows = stream.ReadShort();
    entries = stream.ReadShort();
}
