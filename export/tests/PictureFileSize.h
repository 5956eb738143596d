#pragma once

// The pixel size of a picture file an export wrote: a PNG's by its header, an EMF's by the
// bounds in its header; empty for anything else.

#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QSize>
#include <QString>
#include <QtEndian>

namespace picturetest {

inline QSize PictureFileSize(const QString& path) {
    if (path.endsWith(QStringLiteral(".png"))) return QImageReader(path).size();
    if (!path.endsWith(QStringLiteral(".emf"))) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray header = file.read(24);
    if (header.size() < 24) return {};
    // The header record's bounds, inclusive, after its type and size.
    const auto at = [&](int offset) {
        return qFromLittleEndian<qint32>(reinterpret_cast<const uchar*>(header.data()) + offset);
    };
    return QSize(at(16) - at(8) + 1, at(20) - at(12) + 1);
}

} // namespace picturetest
