#include "document/DocSettings.h"

#include "document/DocStream.h"

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
    placement.left = stream.ReadLong();
    placement.top = stream.ReadLong();
    placement.right = stream.ReadLong();
    placement.bottom = stream.ReadLong();
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
