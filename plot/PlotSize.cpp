#include "plot/PlotSize.h"

#include "document/DrawPort.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int32_t, PlotSize::kRows> kHeight2D{204, 214, 256, 300, 386};
constexpr std::array<int32_t, PlotSize::kRows> kWidth2D{272, 286, 342, 400, 514};
constexpr std::array<int32_t, PlotSize::kRows> kHeight3D{228, 240, 288, 338, 434};
constexpr std::array<int32_t, PlotSize::kRows> kWidth3D{243, 256, 308, 360, 463};
constexpr std::array<int32_t, PlotSize::kRows> kCamera{42, 40, 32, 26, 23};

int32_t ToPixels(int32_t points, int32_t resolution) {
    return static_cast<int32_t>(int64_t{points} * resolution / 72);
}

int32_t Row(int32_t index) {
    return index >= 0 && index < PlotSize::kRows ? index : 0;
}

} // namespace

PlotSize::PlotSize(bool fixed) : m_fixed(fixed), m_index(0) {
    if (!fixed && gDrawPort != nullptr) m_index = Row(gDrawPort->GetPageFormatIndex());
}

int32_t PlotSize::LabelHeight() const {
    if (m_fixed) return 5;
    switch (m_index) {
    case 2:
        return 6;
    case 3:
        return 8;
    case 4:
        return 9;
    default:
        return 5;
    }
}

void PlotSize::SelectLabelFont(bool inPoints) const {
    // The table's smallest heights (5 and 6 points) come out at 6 to 8 pixels on screen, too
    // small to read tick labels by: labels in points are never smaller than 7.
    constexpr int32_t kLegiblePoints = 7;
    gDrawPort->SelectLabelFont(inPoints ? std::max(LabelHeight(), kLegiblePoints) : LabelHeight(),
                               inPoints);
}

int32_t PlotSize::FrameHeight2D() const {
    return PointsToPixelsY(kHeight2D[Row(m_index)]);
}

int32_t PlotSize::FrameWidth2D() const {
    return PointsToPixelsX(kWidth2D[Row(m_index)]);
}

int32_t PlotSize::FrameHeight3D() const {
    return PointsToPixelsY(kHeight3D[Row(m_index)]);
}

int32_t PlotSize::FrameWidth3D() const {
    return PointsToPixelsX(kWidth3D[Row(m_index)]);
}

int32_t PlotSize::CameraDistance() const {
    return kCamera[Row(m_index)] << 16;
}

int32_t PointsToPixelsX(int32_t points) {
    return ToPixels(points, gDrawPort != nullptr ? gDrawPort->GetResolutionX() : 96);
}

int32_t PointsToPixelsY(int32_t points) {
    return ToPixels(points, gDrawPort != nullptr ? gDrawPort->GetResolutionY() : 96);
}

PlotSize& CurrentPlotSize() {
    static PlotSize current(false);
    return current;
}

PlotSizeScope::PlotSizeScope(bool fixed) : m_saved(CurrentPlotSize()) {
    CurrentPlotSize() = PlotSize(fixed);
}

PlotSizeScope::~PlotSizeScope() {
    CurrentPlotSize() = m_saved;
}
