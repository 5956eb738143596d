#ifndef FILTRA_FILTRA_H
#define FILTRA_FILTRA_H

/*
 * Filtra: loads a BMP file into a 24-bit image and answers pixel queries on it, the plain pixel
 * or a 3x3 weighted average of its neighbourhood. Coordinates count from the top left. An image
 * of a W x H file answers for 0 <= x <= W and 0 <= y <= H: column W and row H are black.
 * Colours are colour references (red in bits 0 to 7, green 8 to 15, blue 16 to 23).
 *
 * Every function takes the image first and tolerates a null one. Images are independent; one
 * image may be queried from several threads at once.
 */

#include "gdi/types.h"

#ifdef __cplusplus
#define FLT_API extern "C" __attribute__((visibility("default")))
#define FLT_NOEXCEPT noexcept
#else
#define FLT_API __attribute__((visibility("default")))
#define FLT_NOEXCEPT
#endif

typedef struct FltImage* FLT_IMAGE;

/* Loads an uncompressed BMP (1, 4, 8, 16, 24 or 32 bits per pixel; 16 and 32 bits also with
 * bit-field masks; bottom-up or top-down; any of the usual header versions). Null when the file
 * cannot be read, is compressed, damaged or truncated, or too large (a side beyond 65535 or more
 * than 2^26 pixels), or memory runs out. */
FLT_API FLT_IMAGE FLT_Init(const char* fileName) FLT_NOEXCEPT;
FLT_API void FLT_Dispose(FLT_IMAGE image) FLT_NOEXCEPT;
/* Writes 0, 0, W, H (all 0 for a null image). */
FLT_API void FLT_GetRect(FLT_IMAGE image, RECT* rect) FLT_NOEXCEPT;
/* The pixel at column x, row y; 0 outside. */
FLT_API COLORREF FLT_GetPixel(FLT_IMAGE image, int x, int y) FLT_NOEXCEPT;
/* For 1 <= x <= W - 1 and 1 <= y <= H - 1, each channel smoothed as (7 x the four corner
 * neighbours + 28 x the four edge neighbours + 114 x the pixel) / 257; elsewhere the pixel. The
 * weights add up to 254, so a flat 255 comes out as 252. */
FLT_API COLORREF FLT_Convolution(FLT_IMAGE image, int x, int y) FLT_NOEXCEPT;

#endif
