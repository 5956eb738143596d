#pragma once

// What the document stream needs of the stored primitives of a plot, and how it makes them. The
// plots subsystem implements both: its 2-D and 3-D primitive bases derive from `StoredPrim` and
// add drawing and conversion, and its factory, installed in `gPrimitiveFactory` with an
// `Installed` guard at start-up, makes the primitive that a stored type code names. Until one is
// installed every primitive record is skipped as unknown.

#include "platform/Installed.h"

#include <cstdint>
#include <memory>

class DocStream;

class StoredPrim {
public:
    virtual ~StoredPrim() = default;

    // The stored type code, which the stream writes before the record: 1 to 6 for the 2-D
    // kinds, 1 to 7 for the 3-D kinds.
    virtual int32_t GetTypeCode() const = 0;
    // The record body; the framing (code and length) is the stream's.
    virtual void Write(DocStream& stream) const = 0;
    // Called right after construction, replacing the fields.
    virtual void Read(DocStream& stream) = 0;
};

class PrimitiveFactory {
public:
    virtual ~PrimitiveFactory() = default;

    // A default primitive for a stored type code (1 to 6 for 2-D, 1 to 7 for 3-D), or null for
    // a code the kind does not know. A primitive made by `New2D` is always one of the plots
    // subsystem's 2-D kinds, and one made by `New3D` one of its 3-D kinds, so that subsystem may
    // take a primitive the stream read back as its own.
    virtual std::unique_ptr<StoredPrim> New2D(int32_t code) = 0;
    virtual std::unique_ptr<StoredPrim> New3D(int32_t code) = 0;
};

// The installed factory; not owned here.
extern ServiceSlot<PrimitiveFactory> gPrimitiveFactory;
