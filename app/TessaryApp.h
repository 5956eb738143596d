#pragma once

// The application object: creates the process-wide services in a fixed order, the main window,
// and runs the command line; owns the application-level commands (About, New, Print Setup,
// the recent files, Exit and the kernel commands); on exit quits a running kernel and frees
// the services in the reverse order of their creation.
//
// Start-up order: the layout builders; the clipboard store; the table of reserved names; the
// kernel session; the profile (recent files); the text preferences; the fonts, styles and
// drawing layer; the main window; the command line; show maximised.

#include "app/CommandLine.h"
#include "app/CommandRouter.h"
#include "document/KernelSession.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BuiltinNamesScope;
class ClipboardServices;
class ChildFrame;
class DesktopPort;
class DrawingServices;
class ExportServices;
class GridElements;
class LayoutServices;
class LinkElement;
class MathElements;
class PlotElements;
class MainFrame;
class QPrinter;
class QtSessionHost;
class QSettings;
struct TextFontPrefs;

class TessaryApp final : public QObject, public CommandTarget {
public:
    // Messages to the user: a message box in the program, a recorder in tests.
    using MessageSink = std::function<void(const QString& text)>;

    // `session` replaces the kernel session, which otherwise launches the kernel program from
    // the editor's own folder (tests).
    explicit TessaryApp(std::unique_ptr<KernelSession> session = nullptr);
    ~TessaryApp() override;

    // False when the program must end; `ExitCode` then says how.
    bool InitInstance(const QStringList& arguments);
    // Quits a running kernel and frees the services; returns the exit code.
    int ExitInstance();
    int ExitCode() const { return m_exitCode; }

    MainFrame* MainWindow() const { return m_mainFrame.get(); }
    KernelSession& Session() const { return *m_session; }
    void SetMessageSink(MessageSink sink) { m_message = std::move(sink); }
    const QStringList& RecentFiles() const { return m_recentFiles; }

    // Opens a new document window: "Untitled", numbered from 2 when others are open.
    ChildFrame* NewDocument();
    // Opens the document in a window, or activates the window that shows it; null when it
    // cannot be opened (the reason was shown).
    ChildFrame* OpenDocument(const QString& path);
    // Tests answer the open dialog themselves.
    std::function<QString()> askOpenFileName;
    // Tests point command-line printing at a file.
    std::function<void(QPrinter&)> printTo;
    // Draws every open document again (after the fonts changed).
    void RelayoutAllViews();

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

    // The one application object, null once exit has begun.
    static TessaryApp* Instance();

private:
    bool ProcessCommandLine(const CommandLine& line);
    // The Text Preferences dialog; on OK the names are saved, the faces take them and every
    // view is laid out again.
    void EditTextPreferences();
    ChildFrame* MakeFrame();
    // The one printer setup that Print Setup edits and every print job uses.
    QPrinter& Printer();
    void AddRecentFile(const QString& path);
    void Message(const QString& text);

    std::unique_ptr<LayoutServices> m_layout;
    std::unique_ptr<ClipboardServices> m_clipboard;
    std::unique_ptr<BuiltinNamesScope> m_builtinNames;
    // The windows the kernel session uses; outlives the session.
    std::unique_ptr<QtSessionHost> m_sessionHost;
    std::unique_ptr<KernelSession> m_session;
    std::unique_ptr<Installed<KernelSession>> m_installedSession;
    std::unique_ptr<QSettings> m_profile;
    std::unique_ptr<TextFontPrefs> m_textPrefs;
    std::unique_ptr<DrawingServices> m_drawing;
    std::unique_ptr<MathElements> m_mathElements;
    std::unique_ptr<LinkElement> m_linkElement;
    std::unique_ptr<GridElements> m_gridElements;
    // Where followed links' addresses go: the desktop.
    std::unique_ptr<DesktopPort> m_desktop;
    std::unique_ptr<Installed<DesktopPort>> m_installedDesktop;
    std::unique_ptr<ExportServices> m_exports;
    std::unique_ptr<PlotElements> m_plotElements;
    std::unique_ptr<MainFrame> m_mainFrame;
    std::unique_ptr<QPrinter> m_printer;
    QStringList m_recentFiles;
    MessageSink m_message;
    bool m_socketsReady = false;
    bool m_headless = false;
    int m_exitCode = 0;
};
