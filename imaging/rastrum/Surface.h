#pragma once

// The process's drawing surface: a bottom-up 24-bit bitmap (blue, green, red; rows padded to
// 4 bytes) over an inclusive rectangle of client coordinates, with its drawing colour, current
// point, quantiser and the span table that polygon filling uses.
//
// Every coordinate is taken in 64 bits and every pixel is clipped on its own, so no drawing
// call writes outside the bitmap or overflows, whatever its coordinates.

#include "Quantiser.h"
#include "gdi/types.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace rastrum {

class Surface {
public:
    static constexpr int64_t kMaxSide = 32768;
    static constexpr int64_t kMaxPixels = int64_t(1) << 26;

    // Null for a rectangle whose width or height is below 1 or beyond the bounds.
    static std::unique_ptr<Surface> Create(const RECT& rect, COLORREF background,
                                           bool withQuantiser);

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    const BITMAPINFOHEADER& Header() const { return m_header; }
    const uint8_t* Bits() const { return m_bits.data(); }
    std::size_t Stride() const { return m_stride; }
    Quantiser* GetQuantiser() { return m_quantiser.get(); }

    bool Inside(int64_t x, int64_t y) const {
        return x >= m_left && y >= m_top && x < m_left + m_width && y < m_top + m_height;
    }
    // The colour at an inside point.
    COLORREF At(int64_t x, int64_t y) const;

    void SetColour(COLORREF colour) { m_colour = colour & 0xFFFFFF; }
    POINT Current() const { return m_current; }
    void SetCurrent(POINT point) { m_current = point; }

    void Erase(COLORREF colour);
    // Answers the previous colour, 0 outside; the colour goes into the histogram.
    COLORREF SetPixel(int64_t x, int64_t y, COLORREF colour);
    void LineTo(int64_t x, int64_t y);
    // A line with both ends drawn; every pixel set goes into the histogram.
    void Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    void FillPolygon(const POINT* points, int count);

    // Adds every pixel to the histogram, dithered or as it is.
    void AddToHistogram(bool dither);
    // See RSM_LoadDIB.
    int LoadDib(const BITMAPINFO& info, const void* bits);

private:
    Surface() = default;
    uint8_t* pixel(int64_t x, int64_t y) {
        return &m_bits[std::size_t(m_height - 1 - (y - m_top)) * m_stride +
                       std::size_t(x - m_left) * 3];
    }
    void put(int64_t x, int64_t y, COLORREF colour);
    void note(COLORREF colour) {
        if (m_quantiser) m_quantiser->Add(colour);
    }
    // Fills [x0, x1) of row y (client coordinates), clipped.
    void span(int64_t y, int64_t x0, int64_t x1, COLORREF colour);

    struct Span {
        int32_t min = INT32_MAX;
        int32_t max = INT32_MIN;
    };

    int64_t m_left = 0, m_top = 0;
    int32_t m_width = 0, m_height = 0;
    std::size_t m_stride = 0;
    BITMAPINFOHEADER m_header{};
    std::vector<uint8_t> m_bits;
    COLORREF m_colour = 0xFFFFFF;
    POINT m_current{0, 0};
    std::unique_ptr<Quantiser> m_quantiser;
    std::vector<Span> m_spans; // one per row, in columns relative to the left edge
};

// How many bytes of pixel rows a bitmap header says follow it; 0 for one RSM_LoadDIB refuses.
std::size_t DibBitsSize(const BITMAPINFOHEADER& header);

} // namespace rastrum
