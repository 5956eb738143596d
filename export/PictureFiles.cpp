#include "export/PictureFiles.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "document/PictureSize.h"
#include "export/WebImage.h"
#include "mathbox/PaintPort.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <string_view>

namespace picturefiles {

namespace {

// The room drawn around a stretch's bounds for glyphs that reach past them, in pixels.
constexpr int32_t kMostOverhang = 64;

// `box`, at least one pixel each way, widened to every pixel of the image that is not white.
// Only the room around the box is looked at: ink inside it changes nothing.
QRect WithInk(const QImage& image, QRect box) {
    box.setWidth(std::max(box.width(), 1));
    box.setHeight(std::max(box.height(), 1));
    const QRgb white = qRgb(255, 255, 255);
    int left = box.left(), top = box.top(), right = box.right(), bottom = box.bottom();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const bool beside = y >= box.top() && y <= box.bottom();
        for (int x = 0; x < image.width(); ++x) {
            if (beside && x == box.left()) x = box.right() + 1;
            if (x >= image.width() || (row[x] | 0xFF000000u) == white) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

bool IsSvg(const PictureBytes& picture) {
    const std::string_view head(reinterpret_cast<const char*>(picture.data()),
                                std::min<size_t>(picture.size(), 1024));
    return head.find("<svg") != std::string_view::npos;
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
    // The copy stands in a paragraph of the style the stretch stands in, so that every box in it
    // lays out as the editor shows it there: a fraction in an equation stacks, one in running
    // text takes the slash. A list outside any paragraph stays outside one.
    const TextComp* owner = list.GetOwner();
    const ParaComp* para = owner != nullptr ? owner->GetParagraph() : nullptr;
    ParaComp context(para != nullptr ? para->GetStyle().GetKind() : ParaStyle::kParagraph);
    CompList copy(list.CopyRange(from, to));
    if (para != nullptr) copy.SetOwner(&context, list.GetPlaceholderMode());
    // The stretch's own size: that of its list, which follows the document's equation size.
    copy.SetSizeLevel(list.GetSizeLevel());
    copy.Layout(INT16_MAX);
    // Glyphs may reach past the measured bounds (an integral's upper limit in running text); the
    // editor shows that ink, so the picture is drawn with room around the bounds and keeps it.
    const Rect bounds = copy.GetBounds();
    const int32_t room = std::min(bounds.Height() / 2 + 4, kMostOverhang);
    copy.SetOrigin(Point(room - bounds.left, room - bounds.top));
    const int64_t width = int64_t{bounds.right} - bounds.left + 2 * room;
    const int64_t height = int64_t{bounds.bottom} - bounds.top + 2 * room;
    const PixelSize size = CappedImageSize(width, height);
    // A stretch too large for an image of its own is drawn smaller to fit.
    const double scaleX = static_cast<double>(size.width) / static_cast<double>(width);
    const double scaleY = static_cast<double>(size.height) / static_cast<double>(height);
    WebImage canvas(size.width, size.height);
    port->BeginDCDraw(nullptr, canvas.Image());
    try {
        if (size.width < width || size.height < height)
            if (QPainter* painter = port->ActivePainter()) painter->scale(scaleX, scaleY);
        copy.Draw();
    } catch (...) {
        port->EndDraw();
        throw;
    }
    port->EndDraw();
    const QImage& image = canvas.Image();
    const QRect drawn(static_cast<int>(room * scaleX), static_cast<int>(room * scaleY),
                      static_cast<int>(bounds.Width() * scaleX),
                      static_cast<int>(bounds.Height() * scaleY));
    return image.copy(WithInk(image, drawn));
}

} // namespace picturefiles
