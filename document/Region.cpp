#include "document/Region.h"

#include "document/QtGeometry.h"

Region::Region() : m_region(QRegion()) {}

Region::Region(const Rect& rect) : m_region(QRegion(ToQRect(rect))) {}

Region::Region(const Region& other) : m_region(other.Value()) {}

Region& Region::operator=(const Region& other) {
    if (this != &other) m_region = other.Value();
    return *this;
}

const QRegion& Region::Value() const {
    static const QRegion empty;
    return m_region ? *m_region : empty;
}

void Region::UnionWith(const Region& other) {
    if (m_region) *m_region = m_region->united(other.Value());
}

void Region::XorWith(const Region& other) {
    if (m_region) *m_region = m_region->xored(other.Value());
}

Region Region::Union(const Region& other) const {
    return Region(Value().united(other.Value()));
}

Region Region::Intersection(const Region& other) const {
    return Region(Value().intersected(other.Value()));
}

bool Region::PtInRegion(Point p) const {
    return Value().contains(QPoint(p.x, p.y));
}

Rect Region::GetBox() const {
    return FromQRect(Value().boundingRect());
}

int Region::Delete() {
    if (!m_region) return 0;
    m_region.reset();
    return 1;
}
