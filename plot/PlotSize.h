#pragma once

// The size of a plot: which row of the size tables sizes the frames and the label font. A plot
// being laid out takes the row of the page format the view's base size selects; LaTeX output
// takes row 0 ("fixed"), the smallest, and puts the page's row back afterwards. Lengths in the
// tables are points, turned into pixels of the drawing port's resolution, truncated.

#include <cstdint>

class PlotSize {
public:
    static constexpr int32_t kRows = 5;

    // With `fixed` clear the row is the drawing port's page-format row (1 to 4); set, it is 0.
    explicit PlotSize(bool fixed);

    int32_t GetIndex() const { return m_index; }
    bool IsFixed() const { return m_fixed; }

    // The label face at the row's height (points when `inPoints` is set, and then at least 7).
    void SelectLabelFont(bool inPoints) const;
    // The row's label height: 5, 6, 8 or 9.
    int32_t LabelHeight() const;
    int32_t FrameHeight2D() const;
    int32_t FrameWidth2D() const;
    int32_t FrameHeight3D() const;
    int32_t FrameWidth3D() const;
    // The 3-D camera's distance as 16.16 fixed point.
    int32_t CameraDistance() const;

private:
    bool m_fixed;
    int32_t m_index;
};

// Points in pixels of the drawing port, across and down.
int32_t PointsToPixelsX(int32_t points);
int32_t PointsToPixelsY(int32_t points);

// The plot size the plots size themselves by: rebuilt before every layout and for LaTeX
// output. GUI thread only.
PlotSize& CurrentPlotSize();

// Rebuilds the current plot size for its lifetime and puts the one before back at its end, also
// when an exception passes.
class PlotSizeScope {
public:
    explicit PlotSizeScope(bool fixed);
    ~PlotSizeScope();
    PlotSizeScope(const PlotSizeScope&) = delete;
    PlotSizeScope& operator=(const PlotSizeScope&) = delete;

private:
    PlotSize m_saved;
};
