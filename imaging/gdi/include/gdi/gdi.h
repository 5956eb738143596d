#ifndef GDI_GDI_H
#define GDI_GDI_H

/*
 * Our stand-in for the small part of the platform's drawing interface that the imaging
 * libraries call (C++, namespace gdi): a device context draws into a QImage. Rastrum exports C
 * functions of the same names; the namespace keeps them apart, so Rastrum's pass-through calls
 * always reach these.
 */

#include "gdi/types.h"

#include <QImage>

namespace gdi {

/* A device context over an image of width x height filled with background, answering
 * numColors to GetDeviceCaps(NUMCOLORS) (-1 for a true-colour device). Stands for the window
 * or printer context a client draws on. Null for a size below 1. */
HDC CreateImageDC(int width, int height, int numColors, COLORREF background);
int DeleteDC(HDC dc);
/* The image a device context draws into (RGB32). */
const QImage& ImageOf(HDC dc);

int GetDeviceCaps(HDC dc, int index);
COLORREF GetBkColor(HDC dc);

/* Pens, brushes and palettes belong to the caller until DeleteObject. A device context starts
 * with a black pen and a white brush of its own. */
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
int DeleteObject(HGDIOBJ object);

/* Lines leave out their last pixel and move the current point to their end; Polyline leaves the
 * current point alone; Polygon fills the inside (pixel centres, alternate rule) with the brush
 * and outlines it with the pen. SetPixel answers the colour set, GetPixel the colour there;
 * both answer CLR_INVALID outside the image. */
int MoveToEx(HDC dc, int x, int y, POINT* previous);
int LineTo(HDC dc, int x, int y);
int Polyline(HDC dc, const POINT* points, int count);
int Polygon(HDC dc, const POINT* points, int count);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);

HPALETTE CreatePalette(const LOGPALETTE* palette);
/* Answers the palette selected before (null for the default one). */
HPALETTE SelectPalette(HDC dc, HPALETTE palette, int forceBackground);
unsigned RealizePalette(HDC dc);
/* Copies up to count entries from start; answers the number copied, or the palette's size
 * when out is null. */
unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, PALETTEENTRY* out);

/* Draws an uncompressed 8-bit (through its colour table) or 24-bit bitmap, bottom-up or
 * top-down, scaled from the source rectangle to the destination one by nearest pixel. Answers
 * the number of source rows, 0 for a bitmap it cannot draw. */
int StretchDIBits(HDC dc, int xDest, int yDest, int widthDest, int heightDest, int xSrc, int ySrc,
                  int widthSrc, int heightSrc, const void* bits, const BITMAPINFO* info,
                  unsigned usage, uint32_t rop);

} // namespace gdi

#endif
