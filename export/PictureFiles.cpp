#include "export/PictureFiles.h"

#include "document/CompList.h"
#include "document/PictureSize.h"
#include "export/WebImage.h"
#include "mathbox/PaintPort.h"
#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace picturefiles {

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kSrcCopy = 0x00CC0020;

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutRect(std::vector<uint8_t>& out, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Put32(out, static_cast<uint32_t>(left));
    Put32(out, static_cast<uint32_t>(top));
    Put32(out, static_cast<uint32_t>(right));
    Put32(out, static_cast<uint32_t>(bottom));
}

bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    try {
        platform::AtomicFile file(path);
        file.GetFile().Write(data, static_cast<int64_t>(size));
        file.Commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool IsSvg(const PictureBytes& picture) {
    const std::string_view head(reinterpret_cast<const char*>(picture.data()),
                                std::min<size_t>(picture.size(), 1024));
    return head.find("<svg") != std::string_view::npos;
}

std::vector<uint8_t> EmfOfImage(const QImage& source, int32_t dpi) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int32_t width = image.width();
    const int32_t height = image.height();
    const uint32_t stride = static_cast<uint32_t>((width * 24 + 31) / 32 * 4);
    const uint32_t bitsSize = stride * static_cast<uint32_t>(height);
    constexpr uint32_t kHeaderSize = 88;
    constexpr uint32_t kStretchFixed = 80;
    constexpr uint32_t kInfoSize = 40;
    constexpr uint32_t kEofSize = 20;
    const uint32_t stretchSize = kStretchFixed + kInfoSize + bitsSize;
    const uint32_t total = kHeaderSize + stretchSize + kEofSize;
    // The frame in hundredths of a millimetre, inclusive as the format counts it.
    const int32_t frameRight = static_cast<int32_t>(int64_t{width} * 2540 / std::max(dpi, 1)) - 1;
    const int32_t frameBottom = static_cast<int32_t>(int64_t{height} * 2540 / std::max(dpi, 1)) - 1;

    std::vector<uint8_t> out;
    out.reserve(total);
    Put32(out, kEmrHeader);
    Put32(out, kHeaderSize);
    PutRect(out, 0, 0, width - 1, height - 1);
    PutRect(out, 0, 0, frameRight, frameBottom);
    Put32(out, 0x464D4520); // " EMF"
    Put32(out, 0x00010000);
    Put32(out, total);
    Put32(out, 3); // records
    Put16(out, 1); // handles: the table's own entry
    Put16(out, 0);
    Put32(out, 0); // no description
    Put32(out, 0);
    Put32(out, 0); // no palette
    // The reference device: a page of the picture's size at the resolution.
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put32(out, static_cast<uint32_t>(std::max(1, (frameRight + 1) / 100)));
    Put32(out, static_cast<uint32_t>(std::max(1, (frameBottom + 1) / 100)));

    Put32(out, kEmrStretchDiBits);
    Put32(out, stretchSize);
    PutRect(out, 0, 0, width - 1, height - 1);
    Put32(out, 0); // destination x, y
    Put32(out, 0);
    Put32(out, 0); // source x, y
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put32(out, kStretchFixed);
    Put32(out, kInfoSize);
    Put32(out, kStretchFixed + kInfoSize);
    Put32(out, bitsSize);
    Put32(out, 0); // colours are RGB values
    Put32(out, kSrcCopy);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    // The bitmap's header, then its rows bottom up, blue first.
    Put32(out, kInfoSize);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, bitsSize);
    Put32(out, static_cast<uint32_t>(dpi * 10000 / 254));
    Put32(out, static_cast<uint32_t>(dpi * 10000 / 254));
    Put32(out, 0);
    Put32(out, 0);
    for (int32_t y = height - 1; y >= 0; --y) {
        const uchar* row = image.constScanLine(y);
        for (int32_t x = 0; x < width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3]);
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad)
            out.push_back(0);
    }

    Put32(out, kEmrEof);
    Put32(out, kEofSize);
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, kEofSize);
    return out;
}

QImage DrawPicture(const PictureBytes& picture, int32_t width, int32_t height) {
    const PixelSize size = CappedImageSize(width, height);
    WebImage canvas(size.width, size.height);
    QImage& image = canvas.Image();
    QPainter painter(&image);
    QSvgRenderer renderer(QByteArray(reinterpret_cast<const char*>(picture.data()),
                                     static_cast<qsizetype>(picture.size())));
    if (IsSvg(picture) && renderer.isValid()) {
        // The picture's own frame, centred and kept in proportion.
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        renderer.render(&painter, QRectF(0, 0, image.width(), image.height()));
    } else {
        painter.setPen(Qt::gray);
        painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
    }
    painter.end();
    return image;
}

bool WriteEmf(const std::string& path, const PictureBytes& picture, int32_t width, int32_t height) {
    if (!IsSvg(picture)) return WriteBytes(path, picture.data(), picture.size());
    const int32_t dpi = gDrawPort.Get() ? gDrawPort->GetResolutionX() : 96;
    const std::vector<uint8_t> emf = EmfOfImage(DrawPicture(picture, width, height), dpi);
    return WriteBytes(path, emf.data(), emf.size());
}

bool WritePicturePng(const std::string& path, const PictureBytes& picture, int32_t width,
                     int32_t height) {
    return WritePng(path, DrawPicture(picture, width, height));
}

bool WritePng(const std::string& path, const QImage& image) {
    WebImage canvas(image.width(), image.height());
    canvas.Image() = image.convertToFormat(QImage::Format_RGB32);
    return !canvas.SaveAsPng(path, true, std::nullopt).has_value();
}

std::optional<QImage> DrawListRange(const CompList& list, int32_t from, int32_t to) {
    auto* port = dynamic_cast<PaintPort*>(gDrawPort.Get());
    if (port == nullptr || from >= to) return std::nullopt;
    CompList copy(list.CopyRange(from, to));
    copy.SetSizeLevel(list.GetSizeLevel());
    copy.Layout(INT16_MAX);
    const Rect bounds = copy.GetBounds();
    copy.SetOrigin(Point(-bounds.left, -bounds.top));
    const int64_t width = int64_t{bounds.right} - bounds.left;
    const int64_t height = int64_t{bounds.bottom} - bounds.top;
    const PixelSize size = CappedImageSize(width, height);
    WebImage canvas(size.width, size.height);
    port->BeginDCDraw(nullptr, canvas.Image());
    try {
        // A stretch too large for an image of its own is drawn smaller to fit.
        if (size.width < width || size.height < height)
            if (QPainter* painter = port->ActivePainter())
                painter->scale(static_cast<double>(size.width) / static_cast<double>(width),
                               static_cast<double>(size.height) / static_cast<double>(height));
        copy.Draw();
    } catch (...) {
        port->EndDraw();
        throw;
    }
    port->EndDraw();
    return canvas.Image();
}

} // namespace picturefiles
