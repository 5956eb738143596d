#include "export/PictureFiles.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "export/WebImage.h"
#include "mathbox/PaintPort.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <string_view>

namespace picturefiles {

bool IsSvg(const PictureBytes& picture) {
    const std::string_view head(reinterpret_cast<const char*>(picture.data()),
                                std::min<size_t>(picture.size(), 1024));
    return head.find("<svg") != std::string_view::npos;
}

QImage DrawPicture(const PictureBytes& picture, int32_t width, int32_t height) {
    WebImage canvas(width, height);
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
    const Rect bounds = copy.GetBounds();
    copy.SetOrigin(Point(-bounds.left, -bounds.top));
    WebImage canvas(bounds.Width(), bounds.Height());
    port->BeginDCDraw(nullptr, canvas.Image());
    try {
        copy.Draw();
    } catch (...) {
        port->EndDraw();
        throw;
    }
    port->EndDraw();
    return canvas.Image();
}

} // namespace picturefiles
