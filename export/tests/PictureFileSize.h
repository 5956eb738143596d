#pragma once

// The pixel size of a picture file an export wrote, which is a PNG; empty for anything else.

#include <QImageReader>
#include <QSize>
#include <QString>

namespace picturetest {

inline QSize PictureFileSize(const QString& path) {
    if (!path.endsWith(QStringLiteral(".png"))) return {};
    return QImageReader(path).size();
}

} // namespace picturetest
