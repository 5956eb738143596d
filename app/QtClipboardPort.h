#pragma once

// The clipboard store's port over the Qt clipboard. The private format travels under its own
// MIME type, text as plain text, pictures as "image/svg+xml"; a second type of ours carries the
// owner mark, which the clipboard keeps exactly as long as it keeps our content, so ownership
// needs nothing from the platform (the offscreen platform reports none).
//
// Text crosses here between the program's form (code page 1252, one carriage return between
// paragraphs) and the platform's (Unicode, "\n" between lines; any of "\r\n", "\r" and "\n"
// read as one line end). Bytes of the math face and big operators' signs in copied text go out
// as the characters shown for them.

#include "mathbox/actions/ClipboardStore.h"

#include <QObject>
#include <QString>

#include <span>
#include <string>
#include <string_view>

class QClipboard;

namespace clipboard {

// `symbols` says where `text` holds bytes of the math face and big operators' signs, in order.
QString TextToPlatform(std::string_view text, std::span<const TextSymbol> symbols = {});
std::string TextFromPlatform(const QString& text);

// The picture type other programs read and write.
inline constexpr char kPictureMimeType[] = "image/svg+xml";
// The type that holds the owner mark.
inline constexpr char kOwnerMimeType[] = "application/x-tessary-owner";

} // namespace clipboard

class QtClipboardPort final : public ClipboardPort {
public:
    // The application's clipboard by default.
    explicit QtClipboardPort(QClipboard* clipboard = nullptr);

    bool HasData() override;
    std::optional<ClipboardData> Read() override;
    bool Write(const ClipboardData& data, const std::string& owner) override;
    std::string Owner() override;
    bool Clear() override;
    uint64_t Generation() override { return m_generation; }

private:
    QClipboard* m_clipboard;
    uint64_t m_generation = 0;
    // Ends the change notice with the port.
    QObject m_context;
};

// The program's clipboard: the port over the application's clipboard and the store over it,
// installed in `gClipboardStore` for the life of the object.
class ClipboardServices {
public:
    ClipboardServices() = default;
    ClipboardServices(const ClipboardServices&) = delete;
    ClipboardServices& operator=(const ClipboardServices&) = delete;

private:
    QtClipboardPort m_port;
    ClipboardStore m_store{m_port};
    Installed<ClipboardStore> m_installed{gClipboardStore, &m_store};
};
