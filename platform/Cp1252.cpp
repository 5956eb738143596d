#include "platform/Cp1252.h"

#include <QList>
#include <QString>

#include <array>

namespace platform {
namespace {

// 0x80..0x9F: the only range where the code page differs from Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

std::optional<uint8_t> UnicodeToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<uint8_t>(codePoint);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) return static_cast<uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

QString FromCp1252(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(Cp1252ToUnicode(static_cast<uint8_t>(byte)));
    return text;
}

std::string ToCp1252(const QString& text, char replacement) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (char32_t codePoint : text.toUcs4()) {
        auto byte = UnicodeToCp1252(codePoint);
        bytes.push_back(byte ? static_cast<char>(*byte) : replacement);
    }
    return bytes;
}

} // namespace platform
