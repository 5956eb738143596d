#pragma once

// A window drawing on the installed drawing layer for the length of a scope: begun on the
// view's backing image, ended also when an exception passes. Does nothing when the installed
// layer is not the program's own (tests of the shell without fonts).

#include "mathbox/PaintPort.h"

class DrawView;

class WindowDrawing {
public:
    explicit WindowDrawing(DrawView& view);
    ~WindowDrawing();
    WindowDrawing(const WindowDrawing&) = delete;
    WindowDrawing& operator=(const WindowDrawing&) = delete;

    // The layer drawn on, or null when none is installed.
    PaintPort* Port() const { return m_port; }

private:
    PaintPort* m_port = nullptr;
};
