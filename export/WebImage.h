#pragma once

// The off-screen picture the page exports draw into and save as PNG files. Drawing happens on
// a QImage through the drawing layer; saving reads the pixels back as a device-independent
// bitmap would hold them (bottom-up rows, 16 or 32 bits with or without bit fields, 24 bits,
// or a palette) and converts them to the encoder's rows, so every pixel format takes one path.

#include <QImage>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The pixels of a bitmap as the encoder reads them.
struct DibPixels {
    int32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 24;
    // 0 none, 3 bit fields; nothing else is supported.
    int32_t compression = 0;
    // Red, green and blue masks when `compression` is 3.
    uint32_t masks[3] = {0, 0, 0};
    // 0x00RRGGBB entries for 1, 2, 4 and 8 bits per pixel.
    std::vector<uint32_t> palette;
    // The header's count of palette entries; 0 stands for as many as the table holds.
    int32_t colorsUsed = 0;
    // Rows from the bottom up, each padded to a multiple of 4 bytes.
    std::vector<uint8_t> bits;
};

// The encoder's rows: 24-bit RGB (or palette indexes), each padded to a multiple of 4 bytes,
// top row first. On refusal, the reason, in the encoder's words.
struct PngRows {
    int32_t colorType = 2; // 2 RGB, 3 palette
    int32_t bitDepth = 8;
    int32_t stride = 0;
    std::vector<uint8_t> data;
    std::string error;
};
PngRows ConvertDibRows(const DibPixels& dib);

// The bitmap of an image in its own format: RGB16 as 5-6-5 bit fields, RGB555 as plain 16 bits,
// RGB32 as plain 32 bits, BGR30 as 10-bit fields, RGB888 as 24 bits, Indexed8 as a palette;
// anything else as 32 bits.
DibPixels DibFromImage(const QImage& image);

class WebImage {
public:
    // A white picture of the size; a size below 1 becomes 1.
    WebImage(int32_t width, int32_t height, QImage::Format format = QImage::Format_RGB32);

    QImage& Image() { return m_image; }

    // Writes the PNG through a temporary file in the target's folder renamed over it, so a
    // failure leaves no partial file. The transparent colour is 0x00BBGGRR. Answers the reason
    // of a failure, or nothing.
    std::optional<std::string> SaveAsPng(const std::string& path, bool interlace,
                                         std::optional<uint32_t> transparent) const;

private:
    QImage m_image;
};

// Encodes converted rows as PNG bytes; the reason of a failure in `error`. Rows of another colour
// type than 2 or 3, a bit depth the type does not allow, a palette that is empty or larger than
// the depth can index, or a transparent colour missing from the palette are refused before
// anything is encoded. A palette picture makes its transparent colour's entry transparent.
std::vector<uint8_t> EncodePng(const PngRows& rows, int32_t width, int32_t height,
                               const std::vector<uint32_t>& palette, bool interlace,
                               std::optional<uint32_t> transparent, std::string& error);
