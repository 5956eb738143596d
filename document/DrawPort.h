#pragma once

// The one process-wide drawing layer through which every component measures and draws. The
// document model sees only the operations it calls; the drawing subsystem supplies the real
// port and installs it in `gDrawPort` with an `Installed` guard at start-up, before anything is
// laid out. GUI thread only.

#include "platform/Installed.h"

#include <cstdint>

class DrawPort {
public:
    virtual ~DrawPort() = default;

    // The size stack: a relative font size index (larger is smaller type) pushed while a list or
    // box is laid out or drawn. Every push is undone by one pop; use `SizeGuard`.
    virtual void PushSize(int32_t relativeSize) = 0;
    virtual void PopSize() = 0;

    // Horizontal page geometry of the current target, in pixels: text starts at the left margin,
    // the column width is the x of the text column's right edge.
    virtual int32_t GetLeftMargin() = 0;
    virtual int32_t GetColumnWidth() = 0;
};

// The installed port; not owned here.
extern ServiceSlot<DrawPort> gDrawPort;

// Pushes a size for the lifetime of the guard, popping it also when an exception passes.
class SizeGuard {
public:
    explicit SizeGuard(int32_t relativeSize) { gDrawPort->PushSize(relativeSize); }
    ~SizeGuard() { gDrawPort->PopSize(); }
    SizeGuard(const SizeGuard&) = delete;
    SizeGuard& operator=(const SizeGuard&) = delete;
};
