#include "export/WebImage.h"

#include "platform/AtomicFile.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <ctime>

namespace {

// A channel under a bit-field mask, scaled to 8 bits: shifted down to the mask's lowest bit,
// then up or down to the top of a byte by the mask's width.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int width = std::popcount(mask);
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(width >= 8 ? value >> (width - 8) : value << (8 - width));
}

int32_t StrideOf(int32_t width, int32_t bits) {
    return static_cast<int32_t>((int64_t{width} * bits + 31) / 32 * 4);
}

constexpr const char* kBadDepth = "Bit depth of %d is invalid\nfor color type %d.";

// A message with one or two numbers in it.
std::string Format(const char* pattern, int value, int second = 0) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, value, second);
    return text;
}

} // namespace

PngRows ConvertDibRows(const DibPixels& dib) {
    PngRows rows;
    if (dib.headerSize == 12) {
        rows.error = "DIB has BITMAPCOREHEADER.\n\rUnsupported DIB type.";
        return rows;
    }
    if (dib.headerSize != 40 && dib.headerSize != 108) {
        rows.error = "Invalid DIB BITMAPINFOHEADER";
        return rows;
    }
    if (dib.compression != 0 && dib.compression != 3) {
        rows.error = dib.compression == 1 || dib.compression == 2
                         ? Format("DIB Compression Type: %d, not supported.", dib.compression)
                         : Format("Invalid DIB Compression Type: %d.", dib.compression);
        return rows;
    }
    const int32_t bits = dib.bitCount;
    const bool palette = bits == 1 || bits == 2 || bits == 4 || bits == 8;
    if (!palette && bits != 16 && bits != 24 && bits != 32) {
        rows.error = Format(kBadDepth, bits, 2);
        return rows;
    }
    // The header's count must fit the depth and, when given, the table; the table itself is the
    // encoder's to judge.
    if (palette &&
        (dib.colorsUsed < 0 || dib.colorsUsed > (1 << bits) ||
         (dib.colorsUsed != 0 && static_cast<size_t>(dib.colorsUsed) != dib.palette.size()))) {
        rows.error = Format("Invalid biClrUsed field value: %d", dib.colorsUsed);
        return rows;
    }
    if (dib.compression == 3 && bits != 16 && bits != 32) {
        rows.error = Format("Invalid DIB Compression Type: %d.", dib.compression);
        return rows;
    }
    const int32_t sourceStride = StrideOf(dib.width, bits);
    if (dib.width <= 0 || dib.height <= 0 ||
        dib.bits.size() < static_cast<size_t>(sourceStride) * dib.height) {
        rows.error = "Couldn't allocate enough memory";
        return rows;
    }
    rows.colorType = palette ? 3 : 2;
    rows.bitDepth = palette ? bits : 8;
    rows.stride = StrideOf(dib.width, palette ? bits : 24);
    rows.data.assign(static_cast<size_t>(rows.stride) * dib.height, 0);
    for (int32_t y = 0; y < dib.height; ++y) {
        // Device-independent bitmaps are stored bottom up.
        const uint8_t* in =
            dib.bits.data() + static_cast<size_t>(dib.height - 1 - y) * sourceStride;
        uint8_t* out = rows.data.data() + static_cast<size_t>(y) * rows.stride;
        if (palette) {
            std::memcpy(out, in, static_cast<size_t>(rows.stride));
            continue;
        }
        for (int32_t x = 0; x < dib.width; ++x) {
            uint8_t r = 0, g = 0, b = 0;
            if (bits == 24) {
                b = in[x * 3];
                g = in[x * 3 + 1];
                r = in[x * 3 + 2];
            } else if (bits == 16) {
                const uint32_t pixel = in[x * 2] | (in[x * 2 + 1] << 8);
                if (dib.compression == 3) {
                    r = Channel(pixel, dib.masks[0]);
                    g = Channel(pixel, dib.masks[1]);
                    b = Channel(pixel, dib.masks[2]);
                } else {
                    r = static_cast<uint8_t>((pixel >> 7) & 0xF8);
                    g = static_cast<uint8_t>((pixel >> 2) & 0xF8);
                    b = static_cast<uint8_t>(pixel << 3);
                }
            } else {
                uint32_t pixel;
                std::memcpy(&pixel, in + x * 4, 4);
                if (dib.compression == 3) {
                    r = Channel(pixel, dib.masks[0]);
                    g = Channel(pixel, dib.masks[1]);
                    b = Channel(pixel, dib.masks[2]);
                } else {
                    r = static_cast<uint8_t>(pixel >> 16);
                    g = static_cast<uint8_t>(pixel >> 8);
                    b = static_cast<uint8_t>(pixel);
                }
            }
            out[x * 3] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
    }
    return rows;
}

DibPixels DibFromImage(const QImage& source) {
    DibPixels dib;
    QImage image = source;
    int32_t bits = 32;
    switch (image.format()) {
    case QImage::Format_RGB16:
        bits = 16;
        dib.compression = 3;
        dib.masks[0] = 0xF800;
        dib.masks[1] = 0x07E0;
        dib.masks[2] = 0x001F;
        break;
    case QImage::Format_RGB555:
        bits = 16;
        break;
    case QImage::Format_BGR30:
        dib.compression = 3;
        dib.masks[0] = 0x000003FF;
        dib.masks[1] = 0x000FFC00;
        dib.masks[2] = 0x3FF00000;
        break;
    case QImage::Format_RGB888:
        bits = 24;
        break;
    case QImage::Format_Indexed8:
        bits = 8;
        for (QRgb entry : image.colorTable())
            dib.palette.push_back(entry & 0xFFFFFF);
        dib.colorsUsed = static_cast<int32_t>(dib.palette.size());
        break;
    case QImage::Format_RGB32:
        break;
    default:
        image = image.convertToFormat(QImage::Format_RGB32);
        break;
    }
    dib.width = image.width();
    dib.height = image.height();
    dib.bitCount = bits;
    const int32_t stride = StrideOf(dib.width, bits);
    dib.bits.assign(static_cast<size_t>(stride) * dib.height, 0);
    const int32_t rowBytes = static_cast<int32_t>(int64_t{dib.width} * bits / 8);
    for (int32_t y = 0; y < dib.height; ++y) {
        uint8_t* out = dib.bits.data() + static_cast<size_t>(dib.height - 1 - y) * stride;
        const uchar* in = image.constScanLine(y);
        if (bits == 24) {
            // QImage keeps red first; a bitmap keeps blue first.
            for (int32_t x = 0; x < dib.width; ++x) {
                out[x * 3] = in[x * 3 + 2];
                out[x * 3 + 1] = in[x * 3 + 1];
                out[x * 3 + 2] = in[x * 3];
            }
        } else {
            std::memcpy(out, in, static_cast<size_t>(rowBytes));
        }
    }
    return dib;
}

namespace {

struct PngOutput {
    std::vector<uint8_t>* bytes;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
    out->bytes->insert(out->bytes->end(), data, data + length);
}

void Flush(png_structp) {}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The rows, palette and transparent colour checked as the encoder needs them; the reason they
// cannot be encoded, or nothing. A palette picture's transparent colour becomes `alphas`, one
// entry per palette index up to the colour's own, which alone is transparent.
std::optional<std::string> CheckParameters(const PngRows& rows, int32_t width, int32_t height,
                                           const std::vector<uint32_t>& palette,
                                           std::optional<uint32_t> transparent,
                                           std::vector<png_byte>& alphas) {
    if (rows.colorType != 2 && rows.colorType != 3)
        return Format("Invalid color type: %d", rows.colorType);
    const int32_t depth = rows.bitDepth;
    const bool depthFits =
        rows.colorType == 2 ? depth == 8 : depth == 1 || depth == 2 || depth == 4 || depth == 8;
    if (!depthFits) return Format(kBadDepth, depth, rows.colorType);
    if (rows.colorType == 3 && (palette.empty() || palette.size() > (size_t{1} << depth)))
        return Format("Illegal num_colors: %d", static_cast<int>(palette.size()));
    if (rows.colorType == 3 && transparent) {
        // 0x00BBGGRR asked for, 0x00RRGGBB in the palette.
        const uint32_t colour =
            ((*transparent & 0xFF) << 16) | (*transparent & 0xFF00) | ((*transparent >> 16) & 0xFF);
        size_t entries = 0;
        for (size_t i = 0; i < palette.size() && entries == 0; ++i)
            if (palette[i] == colour) entries = i + 1;
        if (entries == 0) return Format("Illegal # of transparent entries in palette: %d.", 0);
        alphas.assign(entries, 255);
        alphas.back() = 0;
    }
    if (width <= 0 || height <= 0 ||
        rows.stride < StrideOf(width, rows.colorType == 3 ? depth : 24) ||
        rows.data.size() < static_cast<size_t>(rows.stride) * static_cast<size_t>(height))
        return std::string("Couldn't allocate enough memory");
    return std::nullopt;
}

} // namespace

std::vector<uint8_t> EncodePng(const PngRows& rows, int32_t width, int32_t height,
                               const std::vector<uint32_t>& palette, bool interlace,
                               std::optional<uint32_t> transparent, std::string& error) {
    std::vector<png_byte> alphas;
    if (std::optional<std::string> refused =
            CheckParameters(rows, width, height, palette, transparent, alphas)) {
        error = *refused;
        return {};
    }
    std::vector<uint8_t> bytes;
    PngOutput output{&bytes};
    std::vector<png_bytep> pointers(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        pointers[static_cast<size_t>(y)] =
            const_cast<png_bytep>(rows.data.data() + static_cast<size_t>(y) * rows.stride);
    std::vector<png_color> colors;
    for (uint32_t entry : palette)
        colors.push_back(png_color{static_cast<png_byte>(entry >> 16),
                                   static_cast<png_byte>(entry >> 8),
                                   static_cast<png_byte>(entry)});
    png_color_16 trans{};
    if (transparent) {
        trans.red = static_cast<png_uint_16>(*transparent & 0xFF);
        trans.green = static_cast<png_uint_16>((*transparent >> 8) & 0xFF);
        trans.blue = static_cast<png_uint_16>((*transparent >> 16) & 0xFF);
    }
    char keySoftware[] = "Software";
    char textSoftware[] = "Tessary";
    char keySource[] = "Source";
    char textSource[] = "Tessary document export";
    png_text texts[2] = {};
    texts[0].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[0].key = keySoftware;
    texts[0].text = textSoftware;
    texts[1].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[1].key = keySource;
    texts[1].text = textSource;

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr) {
        error = "Pnglib couldn't create a write structure.";
        return {};
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        error = "Pnglib couldn't create an info structure.";
        return {};
    }
    // Nothing with a destructor is created between here and the end of the encoding.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "Pnglib error [from setjmp()].";
        return {};
    }
    png_set_write_fn(png, &output, WriteBytes, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 rows.bitDepth, rows.colorType,
                 interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (rows.colorType == 3)
        png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
    if (!alphas.empty())
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    else if (transparent)
        png_set_tRNS(png, info, nullptr, 0, &trans);
    png_time now;
    png_convert_from_time_t(&now, std::time(nullptr));
    png_set_tIME(png, info, &now);
    png_set_text(png, info, texts, 2);
    png_write_info(png, info);
    const int passes = interlace ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (int32_t y = 0; y < height; ++y)
            png_write_row(png, pointers[static_cast<size_t>(y)]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

WebImage::WebImage(int32_t width, int32_t height, QImage::Format format)
    : m_image(width < 1 ? 1 : width, height < 1 ? 1 : height, format) {
    if (format == QImage::Format_Indexed8) {
        m_image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        m_image.fill(0);
    } else {
        m_image.fill(Qt::white);
    }
}

std::optional<std::string> WebImage::SaveAsPng(const std::string& path, bool interlace,
                                               std::optional<uint32_t> transparent) const {
    const DibPixels dib = DibFromImage(m_image);
    const PngRows rows = ConvertDibRows(dib);
    if (!rows.error.empty()) return rows.error;
    std::string error;
    const std::vector<uint8_t> bytes =
        EncodePng(rows, dib.width, dib.height, dib.palette, interlace, transparent, error);
    if (!error.empty()) return error;
    try {
        platform::AtomicFile file(path);
        file.GetFile().Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        file.Commit();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}
