#ifndef RASTRUM_RASTRUM_H
#define RASTRUM_RASTRUM_H

/*
 * Rastrum: one off-screen 24-bit drawing surface per process. While a surface exists, the
 * exported functions named after the platform's drawing calls draw into it; otherwise they pass
 * straight through to the platform's function. A quantiser keeps a histogram of what is drawn
 * and makes a palette of up to 256 colours by median cut, through which the surface is copied
 * to a device.
 *
 * Coordinates are the client's; the surface covers RSM_Init's rectangle, whose edges are all
 * inclusive. Pixels outside it are never touched. Colours are colour references (red in bits 0
 * to 7); their top byte is ignored. The library takes no locks: draw from one thread.
 *
 * Its names are those of the platform's drawing calls, so load it with RTLD_LOCAL (or link it
 * ahead of the platform) to choose which one a call reaches.
 */

#include "gdi/types.h"

#ifdef __cplusplus
#define RSM_API extern "C" __attribute__((visibility("default")))
#define RSM_NOEXCEPT noexcept
#else
#define RSM_API __attribute__((visibility("default")))
#define RSM_NOEXCEPT
#endif

/* Flags of RSM_GetPalette, RSM_Blt and RSM_ScaleBlt. */
#define RSM_ADD_SURFACE 1 /* first add every pixel of the surface to the histogram */
#define RSM_DITHER 2      /* ... dithered */

/* Replaces the surface (the earlier one is freed) by one over rect, filled with dc's background
 * colour, with a quantiser when dc has 256 colours or fewer or more than 8 bits per pixel.
 * Width and height (right - left + 1, bottom - top + 1) must be 1 to 32768 and their product at
 * most 2^26. Answers non-zero when the new surface exists; on failure there is none. */
RSM_API int RSM_Init(const RECT* rect, HDC dc) RSM_NOEXCEPT;
/* Frees the surface and its quantiser and clears the read flag. */
RSM_API void RSM_Dispose(void) RSM_NOEXCEPT;
/* Sets whether GetPixel reads the surface; answers the previous setting. */
RSM_API int RSM_CanGetPixel(int flag) RSM_NOEXCEPT;
/* Fills the whole surface; the histogram is not touched. */
RSM_API void RSM_Erase(COLORREF colour) RSM_NOEXCEPT;

/* With a surface these set its drawing colour; they always make the platform's object, which
 * the caller owns. */
RSM_API HPEN CreatePen(int style, int width, COLORREF colour) RSM_NOEXCEPT;
RSM_API HBRUSH CreateSolidBrush(COLORREF colour) RSM_NOEXCEPT;
/* With a surface: sets its current point (previous, when given, receives the old one). */
RSM_API int MoveToEx(HDC dc, int x, int y, POINT* previous) RSM_NOEXCEPT;
/* With a surface: a line from the current point to (x, y), both ends drawn, except that a
 * line along the current point's row leaves out its right end. The current point stays, but
 * a line along the row to the left moves it to x. */
RSM_API int LineTo(HDC dc, int x, int y) RSM_NOEXCEPT;
/* With a surface: count - 1 lines between consecutive points, both ends drawn; answers 1. */
RSM_API int Polyline(HDC dc, const POINT* points, int count) RSM_NOEXCEPT;
/* With a surface: fills the polygon in the drawing colour (each row from its leftmost to its
 * rightmost edge crossing, the right one left out). */
RSM_API int Polygon(HDC dc, const POINT* points, int count) RSM_NOEXCEPT;
/* With a surface: sets the pixel when it lies inside and answers its previous colour (0
 * outside). */
RSM_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) RSM_NOEXCEPT;
/* With a surface and the read flag set: the surface's colour (0 outside). */
RSM_API COLORREF GetPixel(HDC dc, int x, int y) RSM_NOEXCEPT;

/* Runs the median cut over the histogram (after adding the surface as the flags say) and
 * answers a new palette, which the caller deletes; null without a surface or quantiser. */
RSM_API HPALETTE RSM_GetPalette(int flags) RSM_NOEXCEPT;
/* As RSM_GetPalette, then copies the surface to dc at (0, 0) in its own size through the
 * palette, selected and realised in dc for the copy. Without a quantiser the surface is
 * copied as it is and the answer is null. */
RSM_API HPALETTE RSM_Blt(HDC dc, int flags) RSM_NOEXCEPT;
/* The same, stretched into rect (edges inclusive). */
RSM_API HPALETTE RSM_ScaleBlt(HDC dc, int flags, const RECT* rect) RSM_NOEXCEPT;
/* Copies an uncompressed 8-bit (through its colour table; an index past the table is black)
 * or 24-bit bitmap into the surface, bottom rows aligned, clipped to the smaller width and
 * height; every copied pixel goes into the histogram. bits holds the rows as the header says
 * (negative height: top-down). Answers the bit depth: 1- and 4-bit bitmaps are answered but
 * not copied. 0 refuses it: no surface, a compressed bitmap or a header that makes no sense. */
RSM_API int RSM_LoadDIB(const BITMAPINFO* info, const void* bits) RSM_NOEXCEPT;

#endif
