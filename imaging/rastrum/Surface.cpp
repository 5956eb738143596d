#include "Surface.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

namespace rastrum {

namespace {

using Wide = __int128;

// floor(numerator / denominator) for a positive denominator.
int64_t floorDivide(Wide numerator, Wide denominator) {
    Wide quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --quotient;
    return int64_t(quotient);
}

int64_t rowStride(int64_t width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// The dither table: 1024 fractions below 1, each with a step of -8, 0 or +8. Any uniform
// generator serves; a fixed seed makes the same drawing give the same palette.
struct DitherTable {
    struct Entry {
        double fraction;
        int step;
    };
    std::array<Entry, 1024> entries;
    std::size_t next = 0;

    DitherTable() {
        std::minstd_rand generator(1);
        std::uniform_real_distribution<double> fraction(0.0, 1.0);
        std::uniform_int_distribution<int> step(-1, 1);
        for (Entry& entry : entries)
            entry = {fraction(generator), 8 * step(generator)};
    }

    uint8_t operator()(uint8_t value) {
        if (value >= 248) return value;
        const Entry& entry = entries[next++ & 1023];
        int result = value;
        if (entry.fraction * 9 < (value & 7)) result += 8;
        if (result + entry.step >= 0 && result + entry.step <= 255) result += entry.step;
        return uint8_t(result & ~7);
    }
};

} // namespace

std::unique_ptr<Surface> Surface::Create(const RECT& rect, COLORREF background,
                                         bool withQuantiser) {
    const int64_t width = int64_t(rect.right) - rect.left + 1;
    const int64_t height = int64_t(rect.bottom) - rect.top + 1;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        width * height > kMaxPixels)
        return nullptr;
    std::unique_ptr<Surface> surface(new Surface);
    surface->m_left = rect.left;
    surface->m_top = rect.top;
    surface->m_width = int32_t(width);
    surface->m_height = int32_t(height);
    surface->m_stride = std::size_t(rowStride(width, 24));
    surface->m_header = {40,
                         int32_t(width),
                         int32_t(height),
                         1,
                         24,
                         BI_RGB,
                         uint32_t(surface->m_stride * std::size_t(height)),
                         1024,
                         1024,
                         0,
                         0};
    surface->m_bits.resize(surface->m_stride * std::size_t(height));
    surface->m_spans.resize(std::size_t(height));
    if (withQuantiser) surface->m_quantiser = std::make_unique<Quantiser>();
    surface->Erase(background);
    return surface;
}

COLORREF Surface::At(int64_t x, int64_t y) const {
    const uint8_t* p = const_cast<Surface*>(this)->pixel(x, y);
    return RGB(p[2], p[1], p[0]);
}

void Surface::put(int64_t x, int64_t y, COLORREF colour) {
    uint8_t* p = pixel(x, y);
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
}

void Surface::Erase(COLORREF colour) {
    for (int32_t row = 0; row < m_height; ++row)
        span(m_top + row, m_left, m_left + m_width, colour);
}

COLORREF Surface::SetPixel(int64_t x, int64_t y, COLORREF colour) {
    colour &= 0xFFFFFF;
    note(colour);
    if (!Inside(x, y)) return 0;
    const COLORREF previous = At(x, y);
    put(x, y, colour);
    return previous;
}

void Surface::span(int64_t y, int64_t x0, int64_t x1, COLORREF colour) {
    if (y < m_top || y >= m_top + m_height) return;
    x0 = std::max(x0, m_left);
    x1 = std::min(x1, m_left + m_width);
    if (x0 >= x1) return;
    uint8_t* p = pixel(x0, y);
    const uint8_t bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
    for (int64_t x = x0; x < x1; ++x, p += 3) {
        p[0] = bgr[0];
        p[1] = bgr[1];
        p[2] = bgr[2];
    }
}

void Surface::Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (y1 < y0 || (y1 == y0 && x1 < x0)) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int64_t step = x1 < x0 ? -1 : 1;
    const int64_t across = (x1 - x0) * step; // >= 0
    const int64_t down = y1 - y0;            // >= 0
    const int64_t right = m_left + m_width - 1, bottom = m_top + m_height - 1;
    // The walk runs along the major axis; only the steps that land within the surface's extent
    // on that axis are taken, and the minor coordinate is rounded to the nearest pixel.
    if (across >= down) {
        int64_t first = step > 0 ? m_left - x0 : x0 - right;
        int64_t last = step > 0 ? right - x0 : x0 - m_left;
        first = std::max<int64_t>(first, 0);
        last = std::min(last, across);
        for (int64_t i = first; i <= last; ++i) {
            const int64_t y =
                across ? y0 + floorDivide(Wide(2) * i * down + across, Wide(2) * across) : y0;
            if (y < m_top || y > bottom) continue;
            put(x0 + step * i, y, m_colour);
            note(m_colour);
        }
    } else {
        const int64_t first = std::max<int64_t>(m_top - y0, 0);
        const int64_t last = std::min(bottom - y0, down);
        for (int64_t i = first; i <= last; ++i) {
            const int64_t x = x0 + step * floorDivide(Wide(2) * i * across + down, Wide(2) * down);
            if (x < m_left || x > right) continue;
            put(x, y0 + i, m_colour);
            note(m_colour);
        }
    }
}

void Surface::LineTo(int64_t x, int64_t y) {
    if (y == m_current.y) {
        span(y, std::min<int64_t>(x, m_current.x), std::max<int64_t>(x, m_current.x), m_colour);
        if (x < m_current.x) m_current.x = int32_t(x);
    } else {
        Line(m_current.x, m_current.y, x, y);
    }
    note(m_colour);
}

void Surface::FillPolygon(const POINT* points, int count) {
    int64_t top = INT64_MAX, bottom = INT64_MIN, left = INT64_MAX, right = INT64_MIN;
    for (int i = 0; i < count; ++i) {
        top = std::min<int64_t>(top, points[i].y);
        bottom = std::max<int64_t>(bottom, points[i].y);
        left = std::min<int64_t>(left, points[i].x);
        right = std::max<int64_t>(right, points[i].x);
    }
    top = std::max(top, m_top);
    bottom = std::min(bottom, m_top + m_height - 1);
    left = std::max(left, m_left);
    right = std::min(right, m_left + m_width - 1);
    if (top > bottom || left > right) return;

    for (int i = 0; i < count; ++i) {
        POINT upper = points[i];
        POINT lower = points[(i + 1) % count];
        if (upper.y == lower.y) continue;
        if (lower.y < upper.y) std::swap(upper, lower);
        // x in 16.16 fixed point, a sixteenth of a pixel to the right; the rows run from the
        // upper end up to, not including, the lower end.
        const int64_t slope = (int64_t(lower.x) - upper.x) * 65536 / (int64_t(lower.y) - upper.y);
        const int64_t first = std::max<int64_t>(upper.y, top);
        const int64_t last = std::min<int64_t>(int64_t(lower.y) - 1, bottom);
        Wide x = Wide(upper.x) * 65536 + 4096 + Wide(slope) * (first - upper.y);
        for (int64_t row = first; row <= last; ++row, x += slope) {
            // Columns beyond either edge fill the same as the edge's neighbour, so the span
            // table keeps columns within [-1, width].
            const Wide column = (x >> 16) - m_left;
            const int32_t clamped = int32_t(std::clamp<Wide>(column, -1, m_width));
            Span& entry = m_spans[std::size_t(row - m_top)];
            entry.min = std::min(entry.min, clamped);
            entry.max = std::max(entry.max, clamped);
        }
    }
    for (int64_t row = top; row <= bottom; ++row) {
        Span& entry = m_spans[std::size_t(row - m_top)];
        if (entry.min > entry.max) continue;
        span(row, m_left + entry.min, m_left + entry.max, m_colour);
        entry = Span{};
    }
    note(m_colour);
}

void Surface::AddToHistogram(bool dither) {
    if (!m_quantiser) return;
    DitherTable table;
    for (int32_t row = 0; row < m_height; ++row) {
        const uint8_t* p = &m_bits[std::size_t(row) * m_stride];
        for (int32_t column = 0; column < m_width; ++column, p += 3) {
            if (dither)
                m_quantiser->Add(table(p[2]), table(p[1]), table(p[0]));
            else
                m_quantiser->Add(p[2], p[1], p[0]);
        }
    }
}

std::size_t DibBitsSize(const BITMAPINFOHEADER& header) {
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB ||
        header.biWidth < 1 || header.biHeight == 0 || header.biHeight == INT32_MIN)
        return 0;
    if (header.biBitCount != 8 && header.biBitCount != 24) return 0;
    return std::size_t(rowStride(header.biWidth, header.biBitCount)) *
           std::size_t(std::llabs(int64_t(header.biHeight)));
}

int Surface::LoadDib(const BITMAPINFO& info, const void* bits) {
    const BITMAPINFOHEADER& header = info.bmiHeader;
    if (header.biSize >= sizeof(BITMAPINFOHEADER) && header.biCompression == BI_RGB &&
        (header.biBitCount == 1 || header.biBitCount == 4))
        return header.biBitCount;
    if (!DibBitsSize(header)) return 0;
    const int64_t rows = std::llabs(int64_t(header.biHeight));
    const bool topDown = header.biHeight < 0;
    const int64_t stride = rowStride(header.biWidth, header.biBitCount);
    const int64_t width = std::min<int64_t>(header.biWidth, m_width);
    const int64_t height = std::min<int64_t>(rows, m_height);
    // An 8-bit index past the colour table reads black, never beyond the table.
    const uint32_t colours = header.biClrUsed ? std::min<uint32_t>(header.biClrUsed, 256) : 256;
    const auto* source = static_cast<const uint8_t*>(bits);
    for (int64_t k = 0; k < height; ++k) { // k counts rows from the bottom
        const uint8_t* from = source + (topDown ? rows - 1 - k : k) * stride;
        uint8_t* to = &m_bits[std::size_t(k) * m_stride];
        for (int64_t x = 0; x < width; ++x, to += 3) {
            if (header.biBitCount == 24) {
                to[0] = from[x * 3];
                to[1] = from[x * 3 + 1];
                to[2] = from[x * 3 + 2];
            } else if (from[x] < colours) {
                const RGBQUAD& entry = info.bmiColors[from[x]];
                to[0] = entry.rgbBlue;
                to[1] = entry.rgbGreen;
                to[2] = entry.rgbRed;
            } else {
                to[0] = to[1] = to[2] = 0;
            }
            if (m_quantiser) m_quantiser->Add(to[2], to[1], to[0]);
        }
    }
    return header.biBitCount;
}

} // namespace rastrum
