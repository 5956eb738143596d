#include "app/WindowDrawing.h"

#include "document/DrawPort.h"

WindowDrawing::WindowDrawing(DrawView& view) : m_port(dynamic_cast<PaintPort*>(gDrawPort.Get())) {
    if (m_port != nullptr) m_port->BeginWindowDraw(view);
}

WindowDrawing::~WindowDrawing() {
    if (m_port != nullptr) m_port->EndDraw();
}
