#ifndef GDI_TYPES_H
#define GDI_TYPES_H

/*
 * The platform's graphics types, plain C with the platform's layouts: a bitmap header is 40
 * bytes, a colour reference holds red in bits 0 to 7, green in 8 to 15 and blue in 16 to 23.
 * Filtra reads them without linking anything.
 */

#include <stddef.h>
#include <stdint.h>

typedef uint32_t COLORREF;

typedef struct tagPOINT {
    int32_t x;
    int32_t y;
} POINT;

typedef struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} RECT;

typedef struct tagRGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight; /* negative: rows stored top-down */
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1]; /* as many as the header says */
} BITMAPINFO;

typedef struct tagPALETTEENTRY {
    uint8_t peRed;
    uint8_t peGreen;
    uint8_t peBlue;
    uint8_t peFlags;
} PALETTEENTRY;

typedef struct tagLOGPALETTE {
    uint16_t palVersion;
    uint16_t palNumEntries;
    PALETTEENTRY palPalEntry[1]; /* palNumEntries of them */
} LOGPALETTE;

typedef struct GdiDeviceContext* HDC;
typedef struct GdiObject* HGDIOBJ;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HPALETTE;

#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((uint32_t)(uint8_t)(r)) | ((uint32_t)(uint8_t)(g) << 8) |                         \
                ((uint32_t)(uint8_t)(b) << 16)))
#define GetRValue(c) ((uint8_t)((c)&0xFF))
#define GetGValue(c) ((uint8_t)(((c) >> 8) & 0xFF))
#define GetBValue(c) ((uint8_t)(((c) >> 16) & 0xFF))

#define CLR_INVALID 0xFFFFFFFFu
#define NUMCOLORS 24 /* GetDeviceCaps: colours of a palette device, -1 above 8 bits per pixel */
#define BI_RGB 0u
#define BI_RLE8 1u
#define BI_RLE4 2u
#define BI_BITFIELDS 3u
#define DIB_RGB_COLORS 0u
#define SRCCOPY 0x00CC0020u
#define PS_SOLID 0

#endif
