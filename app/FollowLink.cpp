#include "app/FollowLink.h"

#include "app/TessaryApp.h"
#include "document/DocumentHost.h"
#include "document/LinkComp.h"
#include "document/TessaryDoc.h"
#include "platform/Cp1252.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// File kinds that a desktop runs, or installs, rather than shows: executables and libraries,
// scripts, launchers, and packages of programs. A file of one of them is never handed over,
// whatever its permissions, since the desktop's handler may run it all the same.
constexpr const char* kRunnableKinds[] = {
    "application/x-executable",
    "application/x-sharedlib",
    "application/x-shellscript",
    "application/x-csh",
    "application/x-perl",
    "application/x-ruby",
    "text/x-python",
    "text/x-python3",
    "application/x-desktop",
    "application/x-ms-dos-executable",
    "application/x-msi",
    "application/x-java-archive",
    "application/x-java-jnlp-file",
    "application/vnd.appimage",
    "application/x-iso9660-appimage",
    "application/vnd.flatpak",
    "application/vnd.flatpak.ref",
    "application/vnd.debian.binary-package",
    "application/x-rpm",
};

constexpr QFile::Permissions kExecute =
    QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;

bool IsRunnableKind(const QMimeType& type) {
    for (const char* kind : kRunnableKinds)
        if (type.inherits(QLatin1String(kind))) return true;
    return false;
}

// Whether the desktop could run the file: any execute permission, or a runnable kind by its
// name or by its content (a program renamed "notes.txt" is still a program).
bool CouldRun(const QFileInfo& file) {
    if ((file.permissions() & kExecute) != 0) return true;
    const QMimeDatabase types;
    return IsRunnableKind(types.mimeTypeForFile(file, QMimeDatabase::MatchExtension)) ||
           IsRunnableKind(types.mimeTypeForFile(file, QMimeDatabase::MatchContent));
}

LinkRoute Refuse(const char* message) {
    LinkRoute route;
    route.message = QString::fromLatin1(message);
    return route;
}

// A web, FTP or mail address as the desktop gets it, or the refusal.
LinkRoute RouteAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                     scheme == QLatin1String("ftp");
    const bool mail = scheme == QLatin1String("mailto");
    if (!url.isValid() || (web && url.host().isEmpty()) || (mail && url.path().isEmpty()) ||
        (!web && !mail))
        return Refuse(linkmessage::kAddress);
    LinkRoute route;
    route.kind = LinkRoute::Kind::Address;
    route.url = url;
    return route;
}

LinkRoute RouteFile(QString relative, const QString& documentPath) {
    if (documentPath.isEmpty()) return Refuse(linkmessage::kUnsaved);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString folder = QFileInfo(documentPath).absolutePath();
    const QString path = QDir::cleanPath(folder + QLatin1Char('/') + relative);
    const QFileInfo named(path);
    if (relative.isEmpty() || !named.exists()) return Refuse(linkmessage::kNotFound);
    // What a symbolic link leads to is what would open.
    const QFileInfo file(named.canonicalFilePath());
    if (!file.isFile()) return Refuse(linkmessage::kNotAFile);
    LinkRoute route;
    if (named.suffix().compare(QLatin1String("tsy"), Qt::CaseInsensitive) == 0) {
        route.kind = LinkRoute::Kind::Document;
        route.path = named.absoluteFilePath();
        return route;
    }
    if (CouldRun(file)) return Refuse(linkmessage::kRunnable);
    route.kind = LinkRoute::Kind::File;
    route.path = file.absoluteFilePath();
    route.url = QUrl::fromLocalFile(route.path);
    return route;
}

} // namespace

bool QtDesktopPort::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

LinkRoute RouteLink(const Str255& target, bool external, const QString& documentPath) {
    const QString text = platform::FromCp1252(target.View()).trimmed();
    // Only "://" or "mailto:" marks an address; anything else with a colon ("C:\docs\a.tsy",
    // "news:item") names a file beside the document.
    const bool address =
        text.contains(QLatin1String("://")) || text.contains(QLatin1String("mailto:"));
    if (external && address) return RouteAddress(text);
    return RouteFile(text, documentPath);
}

FollowLinkAction::FollowLinkAction(EditView& view, const LinkComp& link, CTessaryDoc& document)
    : TAction(view, actionname::kCannotUndo), m_target(link.GetTarget()),
      m_external(link.IsExternal()), m_document(document) {}

int32_t FollowLinkAction::DoIt() {
    const LinkRoute route =
        RouteLink(m_target, m_external, QString::fromStdString(m_document.GetHost().GetPathName()));
    switch (route.kind) {
    case LinkRoute::Kind::Address:
    case LinkRoute::Kind::File:
        if (DesktopPort* desktop = gDesktopPort.Get()) desktop->OpenUrl(route.url);
        break;
    case LinkRoute::Kind::Document:
        // Opening shows its own message when the document cannot be read.
        if (TessaryApp* app = TessaryApp::Instance()) {
            QMetaObject::invokeMethod(
                app,
                [path = route.path] {
                    if (TessaryApp* open = TessaryApp::Instance()) open->OpenDocument(path);
                },
                Qt::QueuedConnection);
        }
        break;
    case LinkRoute::Kind::Refused:
        m_document.GetHost().ShowMessage(route.message.toStdString());
        break;
    }
    return 0;
}
