#include "app/QtClipboardPort.h"

#include "document/ClipboardFormat.h"
#include "mathbox/MathGlyphMap.h"
#include "platform/Cp1252.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace clipboard {

namespace {

// The program's text between symbols, with the platform's line ends.
QString PlainToPlatform(std::string_view text) {
    QString out = platform::FromCp1252(text);
    out.replace(QChar(u'\r'), QChar(u'\n'));
    return out;
}

} // namespace

QString TextToPlatform(std::string_view text, std::span<const TextSymbol> symbols) {
    QString out;
    size_t done = 0;
    for (const TextSymbol& symbol : symbols) {
        if (symbol.offset < 0 || static_cast<size_t>(symbol.offset) >= text.size() ||
            static_cast<size_t>(symbol.offset) < done)
            continue;
        const auto at = static_cast<size_t>(symbol.offset);
        out += PlainToPlatform(text.substr(done, at - done));
        const auto code = static_cast<uint8_t>(text[at]);
        out += QChar::fromUcs4(MathTextCode(code, symbol.kind == TextSymbol::Kind::BigOperator));
        done = at + 1;
    }
    return out + PlainToPlatform(text.substr(done));
}

std::string TextFromPlatform(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    lines.replace(QChar(u'\n'), QChar(u'\r'));
    return platform::ToCp1252(lines);
}

} // namespace clipboard

namespace {

QByteArray ToQ(const std::vector<uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::vector<uint8_t> FromQ(const QByteArray& bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

QtClipboardPort::QtClipboardPort(QClipboard* clipboard)
    : m_clipboard(clipboard != nullptr ? clipboard : QGuiApplication::clipboard()) {
    if (m_clipboard != nullptr)
        QObject::connect(m_clipboard, &QClipboard::dataChanged, &m_context,
                         [this] { ++m_generation; });
}

bool QtClipboardPort::HasData() {
    const QMimeData* mime = m_clipboard != nullptr ? m_clipboard->mimeData() : nullptr;
    return mime != nullptr && (mime->hasFormat(clipboard::kPrivateMimeType) || mime->hasText() ||
                               mime->hasFormat(clipboard::kPictureMimeType));
}

std::optional<ClipboardData> QtClipboardPort::Read() {
    const QMimeData* mime = m_clipboard != nullptr ? m_clipboard->mimeData() : nullptr;
    if (mime == nullptr) return std::nullopt;
    ClipboardData data;
    if (mime->hasFormat(clipboard::kPrivateMimeType))
        data.paragraphs = FromQ(mime->data(clipboard::kPrivateMimeType));
    if (mime->hasText()) data.text = clipboard::TextFromPlatform(mime->text());
    if (mime->hasFormat(clipboard::kPictureMimeType))
        data.picture = FromQ(mime->data(clipboard::kPictureMimeType));
    return data;
}

bool QtClipboardPort::Write(const ClipboardData& data, const std::string& owner) {
    if (m_clipboard == nullptr) return false;
    auto mime = std::make_unique<QMimeData>();
    if (data.text) mime->setText(clipboard::TextToPlatform(*data.text, data.textSymbols));
    if (data.paragraphs) mime->setData(clipboard::kPrivateMimeType, ToQ(*data.paragraphs));
    if (data.picture) mime->setData(clipboard::kPictureMimeType, ToQ(*data.picture));
    mime->setData(clipboard::kOwnerMimeType, QByteArray::fromStdString(owner));
    // The clipboard takes the data over.
    m_clipboard->setMimeData(mime.release());
    return true;
}

std::string QtClipboardPort::Owner() {
    const QMimeData* mime = m_clipboard != nullptr ? m_clipboard->mimeData() : nullptr;
    if (mime == nullptr || !mime->hasFormat(clipboard::kOwnerMimeType)) return std::string();
    return mime->data(clipboard::kOwnerMimeType).toStdString();
}

bool QtClipboardPort::Clear() {
    if (m_clipboard == nullptr) return false;
    m_clipboard->clear();
    return true;
}
