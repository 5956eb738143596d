#pragma once

// A window drawing on the installed drawing layer for the length of a scope: begun on the
// view's backing image, ended also when an exception passes. It goes through the view's own
// begin and end, so that the view knows while any drawing paints on its image (a resize then
// waits for the last to end). The port is null when the installed layer is not the program's
// own (tests of the shell without fonts).

#include "mathbox/PaintPort.h"

class EditView;

class WindowDrawing {
public:
    explicit WindowDrawing(EditView& view);
    ~WindowDrawing();
    WindowDrawing(const WindowDrawing&) = delete;
    WindowDrawing& operator=(const WindowDrawing&) = delete;

    // The layer drawn on, or null when none is installed.
    PaintPort* Port() const { return m_port; }

private:
    EditView& m_view;
    PaintPort* m_port = nullptr;
};
