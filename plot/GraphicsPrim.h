#pragma once

// The stored two-dimensional primitives of a plot (tick marks, segments, points, polylines,
// text). Only what the document stream needs of them is declared here; the plots subsystem
// defines the kinds, their drawing and their conversion.

#include <cstdint>

class DocStream;

class GraphicsPrim {
public:
    virtual ~GraphicsPrim() = default;

    // The stored type code, 1 to 6, which the stream writes before the record.
    virtual int32_t GetTypeCode() const = 0;
    // The record body; the framing (code and length) is the stream's.
    virtual void Write(DocStream& stream) const = 0;
    // Called right after construction, replacing the fields.
    virtual void Read(DocStream& stream) = 0;
};
