#include "app/WindowDrawing.h"

#include "document/DrawPort.h"
#include "mathbox/EditView.h"

WindowDrawing::WindowDrawing(EditView& view)
    : m_view(view), m_port(dynamic_cast<PaintPort*>(gDrawPort.Get())) {
    m_view.BeginWindowDraw();
}

WindowDrawing::~WindowDrawing() {
    m_view.EndWindowDraw();
}
