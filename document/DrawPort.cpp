#include "document/DrawPort.h"

ServiceSlot<DrawPort> gDrawPort;

void DrawPort::DrawPolyline(std::span<const Point> points, uint32_t /*color*/) {
    if (points.empty()) return;
    MoveTo(points.front());
    for (const Point& p : points.subspan(1))
        LineToPoint(p);
}
