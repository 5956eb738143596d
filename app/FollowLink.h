#pragma once

// Following a link: where a link's target leads, and the action a click on a link runs.
//
// Nothing here ever runs a program. A link whose target holds "://" or "mailto:" is an
// address: only web, FTP and mail addresses go to the desktop, through the installed
// `DesktopPort`. Any other target is a file named relative to the folder of the document that
// holds the link: this program's documents open in the program itself, and any other file goes
// to the desktop only when it exists, is a regular file, and is nothing the desktop could run
// (no execute permission, no program, script, launcher or installer by its name or content).
// Everything else is refused with a message, and nothing is opened.

#include "document/Str255.h"
#include "mathbox/actions/TAction.h"
#include "platform/Installed.h"

#include <QString>
#include <QUrl>

class CTessaryDoc;
class LinkComp;

// What opens an address for the user: the desktop's own handler of its scheme. The program
// installs `QtDesktopPort`; tests install a fake that records what it was given.
class DesktopPort {
public:
    virtual ~DesktopPort() = default;
    // Hands the address to the desktop; false when the desktop could not take it.
    virtual bool OpenUrl(const QUrl& url) = 0;
};

inline ServiceSlot<DesktopPort> gDesktopPort;

class QtDesktopPort final : public DesktopPort {
public:
    bool OpenUrl(const QUrl& url) override;
};

// Where a link leads, decided without opening anything.
struct LinkRoute {
    enum class Kind {
        Address,  // `url`: a web, FTP or mail address for the desktop
        Document, // `path`: one of this program's documents, opened in the program
        File,     // `url`: an existing, harmless local file for the desktop
        Refused,  // `message`: what the user is told; nothing opens
    };
    Kind kind = Kind::Refused;
    QUrl url;
    QString path;
    QString message;
};

namespace linkmessage {
inline constexpr char kUnsaved[] =
    "Since document links specify locations relative to the base document location, you can "
    "not follow a link from a document that has not been saved.";
inline constexpr char kNotFound[] = "Unable to locate the file that this link points to.";
inline constexpr char kNotAFile[] = "This link points to a folder or a device, not to a file.";
inline constexpr char kRunnable[] =
    "The file that this link points to could run as a program, so Tessary does not open it.";
inline constexpr char kAddress[] =
    "Tessary follows only web, FTP and mail addresses (http, https, ftp and mailto); this "
    "link's address is not one of them.";
} // namespace linkmessage

// Where a link with this target and external flag leads from a document at `documentPath`
// (empty for a document never saved). A target names an address only on a link whose external
// flag is set and only by "://" or "mailto:"; backslashes in a file target separate folders.
LinkRoute RouteLink(const Str255& target, bool external, const QString& documentPath);

// A click on a link follows it. It changes nothing in the document and cannot be undone, so
// Redo never follows it a second time. A document opens once the action is over, so that the
// view that ran it has finished its drawing before another window appears.
class FollowLinkAction final : public TAction {
public:
    FollowLinkAction(EditView& view, const LinkComp& link, CTessaryDoc& document);

    bool CanUndo() const override { return false; }
    bool ModifiesDocument() const override { return false; }

protected:
    int32_t DoIt() override;

private:
    Str255 m_target;
    bool m_external;
    CTessaryDoc& m_document;
};
