#pragma once

// A region in device units over a platform region. A `Region` holds its platform region until
// its holder calls `Delete`; copying duplicates the platform region, so two regions never share
// one. After `Delete` the region behaves as an empty one until it is assigned again.

#include "document/Rect.h"

#include <QRegion>

#include <optional>

class Region {
public:
    Region();
    explicit Region(const Rect& rect);
    Region(const Region& other);
    Region& operator=(const Region& other);
    ~Region() = default;

    void UnionWith(const Region& other);
    void XorWith(const Region& other);
    Region Union(const Region& other) const;
    Region Intersection(const Region& other) const;

    bool PtInRegion(Point p) const;
    // The bounding box; (0, 0, 0, 0) for an empty region.
    Rect GetBox() const;
    bool IsEmpty() const { return GetBox().IsEmpty(); }

    // The held platform region, or null after `Delete`.
    const QRegion* GetHandle() const { return m_region ? &*m_region : nullptr; }

    // Releases the platform region: non-zero when one was held, 0 (and nothing done) otherwise.
    int Delete();

private:
    explicit Region(QRegion region) : m_region(std::move(region)) {}
    const QRegion& Value() const;

    std::optional<QRegion> m_region;
};
