// The exported functions: the surface's calls and the platform-named calls, which draw into
// the surface while there is one and pass through to the platform otherwise. No exception
// leaves them; running out of memory is the call's failure value.

#include "PaletteBlit.h"
#include "Surface.h"
#include "gdi/gdi.h"
#include "rastrum/rastrum.h"

#include <memory>
#include <new>

namespace {

std::unique_ptr<rastrum::Surface> gSurface;
bool gCanGetPixel = false;

// Runs the median cut after adding the surface as the flags say; null without a quantiser.
// The palette's colours are left in colours.
HPALETTE makePalette(int flags, std::vector<PALETTEENTRY>& colours) {
    rastrum::Quantiser* quantiser = gSurface ? gSurface->GetQuantiser() : nullptr;
    if (!quantiser) return nullptr;
    if (flags & RSM_ADD_SURFACE) gSurface->AddToHistogram(flags & RSM_DITHER);
    colours = quantiser->MedianCut();
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = uint16_t(colours.size());
    std::copy(colours.begin(), colours.end(), logical->palPalEntry);
    return gdi::CreatePalette(logical);
}

HPALETTE blit(HDC dc, int flags, const RECT& destination) {
    if (!gSurface || !dc) return nullptr;
    std::vector<PALETTEENTRY> colours;
    HPALETTE palette = makePalette(flags, colours);
    if (!palette) {
        rastrum::BlitDirect(dc, *gSurface, destination);
        return nullptr;
    }
    HPALETTE previous = gdi::SelectPalette(dc, palette, 0);
    gdi::RealizePalette(dc);
    rastrum::BlitThroughPalette(dc, *gSurface, colours, destination);
    gdi::SelectPalette(dc, previous, 0);
    return palette;
}

} // namespace

RSM_API int RSM_Init(const RECT* rect, HDC dc) noexcept {
    // The earlier surface goes first, so a failed call leaves none rather than a stale one.
    gSurface.reset();
    if (!rect || !dc) return 0;
    const int colours = gdi::GetDeviceCaps(dc, NUMCOLORS);
    try {
        gSurface = rastrum::Surface::Create(*rect, gdi::GetBkColor(dc), colours <= 256);
    } catch (const std::bad_alloc&) {
        gSurface.reset();
    }
    return gSurface != nullptr;
}

RSM_API void RSM_Dispose() noexcept {
    gSurface.reset();
    gCanGetPixel = false;
}

RSM_API int RSM_CanGetPixel(int flag) noexcept {
    const bool previous = gCanGetPixel;
    gCanGetPixel = flag != 0;
    return previous;
}

RSM_API void RSM_Erase(COLORREF colour) noexcept {
    if (gSurface) gSurface->Erase(colour);
}

RSM_API HPEN CreatePen(int style, int width, COLORREF colour) noexcept {
    if (gSurface) gSurface->SetColour(colour);
    return gdi::CreatePen(style, width, colour);
}

RSM_API HBRUSH CreateSolidBrush(COLORREF colour) noexcept {
    if (gSurface) gSurface->SetColour(colour);
    return gdi::CreateSolidBrush(colour);
}

RSM_API int MoveToEx(HDC dc, int x, int y, POINT* previous) noexcept {
    if (!gSurface) return gdi::MoveToEx(dc, x, y, previous);
    if (previous) *previous = gSurface->Current();
    gSurface->SetCurrent({x, y});
    return 1;
}

RSM_API int LineTo(HDC dc, int x, int y) noexcept {
    if (!gSurface) return gdi::LineTo(dc, x, y);
    gSurface->LineTo(x, y);
    return 1;
}

RSM_API int Polyline(HDC dc, const POINT* points, int count) noexcept {
    if (!gSurface) return gdi::Polyline(dc, points, count);
    if (!points || count < 1) return 0;
    for (int i = 1; i < count; ++i)
        gSurface->Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    return 1;
}

RSM_API int Polygon(HDC dc, const POINT* points, int count) noexcept {
    if (!gSurface) return gdi::Polygon(dc, points, count);
    if (!points || count < 1) return 0;
    gSurface->FillPolygon(points, count);
    return 1;
}

RSM_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) noexcept {
    if (!gSurface) return gdi::SetPixel(dc, x, y, colour);
    return gSurface->SetPixel(x, y, colour);
}

RSM_API COLORREF GetPixel(HDC dc, int x, int y) noexcept {
    if (!gSurface || !gCanGetPixel) return gdi::GetPixel(dc, x, y);
    return gSurface->Inside(x, y) ? gSurface->At(x, y) : 0;
}

RSM_API HPALETTE RSM_GetPalette(int flags) noexcept {
    try {
        std::vector<PALETTEENTRY> colours;
        return makePalette(flags, colours);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

RSM_API HPALETTE RSM_Blt(HDC dc, int flags) noexcept {
    if (!gSurface) return nullptr;
    try {
        return blit(dc, flags, {0, 0, gSurface->Width() - 1, gSurface->Height() - 1});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

RSM_API HPALETTE RSM_ScaleBlt(HDC dc, int flags, const RECT* rect) noexcept {
    if (!rect) return nullptr;
    const int64_t width = int64_t(rect->right) - rect->left + 1;
    const int64_t height = int64_t(rect->bottom) - rect->top + 1;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return nullptr;
    try {
        return blit(dc, flags, *rect);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

RSM_API int RSM_LoadDIB(const BITMAPINFO* info, const void* bits) noexcept {
    if (!gSurface || !info || !bits) return 0;
    return gSurface->LoadDib(*info, bits);
}
