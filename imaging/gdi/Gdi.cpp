// The platform drawing stand-in: device contexts over QImages, with the platform's pixel rules
// kept simple and exact, so tests can compare a pass-through call with a direct one.

#include "gdi/gdi.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct GdiObject {
    enum class Kind { Pen, Brush, Palette };
    Kind kind;
    COLORREF colour = 0;
    std::vector<PALETTEENTRY> entries;
};

struct GdiDeviceContext {
    QImage image;
    int numColors = -1;
    COLORREF background = 0xFFFFFF;
    POINT current{0, 0};
    GdiObject ownPen{GdiObject::Kind::Pen, 0, {}};
    GdiObject ownBrush{GdiObject::Kind::Brush, 0xFFFFFF, {}};
    HPEN pen = &ownPen;
    HBRUSH brush = &ownBrush;
    HPALETTE palette = nullptr;
};

namespace gdi {
namespace {

QRgb toRgb(COLORREF colour) {
    return qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

COLORREF toColour(QRgb rgb) {
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

bool inside(HDC dc, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < dc->image.width() && y < dc->image.height();
}

void plot(HDC dc, int64_t x, int64_t y, COLORREF colour) {
    if (inside(dc, x, y)) dc->image.setPixel(int(x), int(y), toRgb(colour));
}

// A Bresenham line from (x0, y0) towards (x1, y1), leaving out the end point.
void line(HDC dc, int64_t x0, int64_t y0, int64_t x1, int64_t y1, COLORREF colour) {
    const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        plot(dc, x0, y0, colour);
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

} // namespace

HDC CreateImageDC(int width, int height, int numColors, COLORREF background) {
    if (width < 1 || height < 1) return nullptr;
    auto* dc = new GdiDeviceContext;
    dc->image = QImage(width, height, QImage::Format_RGB32);
    dc->image.fill(toRgb(background));
    dc->numColors = numColors;
    dc->background = background & 0xFFFFFF;
    return dc;
}

int DeleteDC(HDC dc) {
    delete dc;
    return dc != nullptr;
}

const QImage& ImageOf(HDC dc) {
    return dc->image;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!dc) return 0;
    return index == NUMCOLORS ? dc->numColors : 0;
}

COLORREF GetBkColor(HDC dc) {
    return dc ? dc->background : CLR_INVALID;
}

HPEN CreatePen(int /*style*/, int /*width*/, COLORREF colour) {
    return new GdiObject{GdiObject::Kind::Pen, colour & 0xFFFFFF, {}};
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return new GdiObject{GdiObject::Kind::Brush, colour & 0xFFFFFF, {}};
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || !object) return nullptr;
    HGDIOBJ previous = nullptr;
    switch (object->kind) {
    case GdiObject::Kind::Pen:
        previous = dc->pen;
        dc->pen = object;
        break;
    case GdiObject::Kind::Brush:
        previous = dc->brush;
        dc->brush = object;
        break;
    case GdiObject::Kind::Palette:
        return nullptr;
    }
    return previous;
}

int DeleteObject(HGDIOBJ object) {
    delete object;
    return object != nullptr;
}

int MoveToEx(HDC dc, int x, int y, POINT* previous) {
    if (!dc) return 0;
    if (previous) *previous = dc->current;
    dc->current = {x, y};
    return 1;
}

int LineTo(HDC dc, int x, int y) {
    if (!dc) return 0;
    line(dc, dc->current.x, dc->current.y, x, y, dc->pen->colour);
    dc->current = {x, y};
    return 1;
}

int Polyline(HDC dc, const POINT* points, int count) {
    if (!dc || !points || count < 2) return 0;
    for (int i = 1; i < count; ++i)
        line(dc, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, dc->pen->colour);
    return 1;
}

int Polygon(HDC dc, const POINT* points, int count) {
    if (!dc || !points || count < 2) return 0;
    const QRgb fill = toRgb(dc->brush->colour);
    std::vector<double> crossings;
    for (int y = 0; y < dc->image.height(); ++y) {
        const double centre = y + 0.5;
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const POINT& a = points[i];
            const POINT& b = points[(i + 1) % count];
            if ((a.y <= centre) == (b.y <= centre)) continue;
            crossings.push_back(a.x + (centre - a.y) * double(b.x - a.x) / double(b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            for (int x = 0; x < dc->image.width(); ++x)
                if (x + 0.5 >= crossings[i] && x + 0.5 < crossings[i + 1])
                    dc->image.setPixel(x, y, fill);
        }
    }
    for (int i = 0; i < count; ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % count];
        line(dc, a.x, a.y, b.x, b.y, dc->pen->colour);
    }
    return 1;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    if (!dc || !inside(dc, x, y)) return CLR_INVALID;
    plot(dc, x, y, colour);
    return colour & 0xFFFFFF;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (!dc || !inside(dc, x, y)) return CLR_INVALID;
    return toColour(dc->image.pixel(x, y));
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0) return nullptr;
    auto* object = new GdiObject{GdiObject::Kind::Palette, 0, {}};
    object->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return object;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, int /*forceBackground*/) {
    if (!dc || (palette && palette->kind != GdiObject::Kind::Palette)) return nullptr;
    HPALETTE previous = dc->palette;
    dc->palette = palette;
    return previous;
}

unsigned RealizePalette(HDC dc) {
    if (!dc || !dc->palette) return 0;
    return unsigned(dc->palette->entries.size());
}

unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, PALETTEENTRY* out) {
    if (!palette || palette->kind != GdiObject::Kind::Palette) return 0;
    const unsigned size = unsigned(palette->entries.size());
    if (!out) return size;
    unsigned copied = 0;
    for (; copied < count && start + copied < size; ++copied)
        out[copied] = palette->entries[start + copied];
    return copied;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc,
                  int widthSrc, int heightSrc, const void* bits, const BITMAPINFO* info,
                  unsigned usage, uint32_t rop) {
    if (!dc || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY) return 0;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biCompression != BI_RGB || (header.biBitCount != 8 && header.biBitCount != 24) ||
        header.biWidth < 1 || header.biHeight == 0 || header.biHeight == INT32_MIN)
        return 0;
    if (widthDest < 1 || heightDest < 1 || widthSrc < 1 || heightSrc < 1) return 0;
    const int64_t width = header.biWidth;
    const int64_t height = std::llabs(int64_t(header.biHeight));
    const bool topDown = header.biHeight < 0;
    const int64_t stride = (width * header.biBitCount + 31) / 32 * 4;
    const uint32_t colours = header.biClrUsed ? std::min<uint32_t>(header.biClrUsed, 256) : 256;
    const auto* data = static_cast<const uint8_t*>(bits);
    for (int64_t dy = 0; dy < heightDest; ++dy) {
        const int64_t sy = ySrc + dy * heightSrc / heightDest;
        if (sy < 0 || sy >= height || yDest + dy < 0 || yDest + dy >= dc->image.height()) continue;
        const uint8_t* row = data + (topDown ? sy : height - 1 - sy) * stride;
        for (int64_t dx = 0; dx < widthDest; ++dx) {
            const int64_t sx = xSrc + dx * widthSrc / widthDest;
            if (sx < 0 || sx >= width) continue;
            COLORREF colour = 0;
            if (header.biBitCount == 24) {
                colour = RGB(row[sx * 3 + 2], row[sx * 3 + 1], row[sx * 3]);
            } else if (row[sx] < colours) {
                const RGBQUAD& entry = info->bmiColors[row[sx]];
                colour = RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
            }
            plot(dc, xDest + dx, yDest + dy, colour);
        }
    }
    return int(heightSrc);
}

} // namespace gdi
