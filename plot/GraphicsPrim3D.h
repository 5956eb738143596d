#pragma once

// The stored three-dimensional primitives of a plot (face grids, segments, meshes, points,
// polylines, surfaces, text). Only what the document stream needs of them is declared here; the
// plots subsystem defines the kinds, their drawing and the scene they build.

#include <cstdint>

class DocStream;

class GraphicsPrim3D {
public:
    virtual ~GraphicsPrim3D() = default;

    // The stored type code, 1 to 7, which the stream writes before the record.
    virtual int32_t GetTypeCode() const = 0;
    // The record body; the framing (code and length) is the stream's.
    virtual void Write(DocStream& stream) const = 0;
    // Called right after construction, replacing the fields.
    virtual void Read(DocStream& stream) = 0;
};
