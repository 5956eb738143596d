#pragma once

// The picture target of the drawing layer: an SVG generator writing into memory. Private to the
// layer's implementation.

#include "mathbox/PaintPort.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

struct PaintPort::Recording {
    Recording(int32_t atDepth, DrawView* view, const Rect& rect, int32_t dpiX, int32_t dpiY)
        : depth(atDepth) {
        buffer.open(QIODevice::WriteOnly);
        const QRect box(rect.left, rect.top, std::max(1, rect.Width()), std::max(1, rect.Height()));
        generator.setOutputDevice(&buffer);
        generator.setResolution(dpiY);
        generator.setSize(box.size());
        generator.setViewBox(box);
        target.kind = TargetKind::Picture;
        target.device = &generator;
        target.view = view;
        target.dpiX = dpiX;
        target.dpiY = dpiY;
        target.baseClip = rect;
        target.ownedPainter = std::make_unique<QPainter>();
        if (target.ownedPainter->begin(&generator)) {
            target.painter = target.ownedPainter.get();
            target.painter->setClipRect(box);
        }
    }

    PictureBytes Finish() {
        if (target.painter != nullptr) target.painter->end();
        target.painter = nullptr;
        const QByteArray& bytes = buffer.data();
        return PictureBytes(bytes.begin(), bytes.end());
    }

    // The nesting level current when recording began: the reference target.
    int32_t depth;
    QBuffer buffer;
    QSvgGenerator generator;
    Target target;
};
