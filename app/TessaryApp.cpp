#include "app/TessaryApp.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentPrinter.h"
#include "app/FollowLink.h"
#include "app/KernelOptions.h"
#include "app/LinkDialog.h"
#include "app/MainFrame.h"
#include "app/MathElements.h"
#include "app/PlotElements.h"
#include "app/QtClipboardPort.h"
#include "app/QtSessionHost.h"
#include "app/SmallDialogs.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "document/TessaryDoc.h"
#include "document/TextFontPrefs.h"
#include "export/ExportServices.h"
#include "expr/symbols/BuiltinNames.h"
#include "kernel/KernelSession.h"
#include "mathbox/DrawingServices.h"
#include "mathbox/LayoutStyleTable.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>

#include <cstdio>

namespace {

TessaryApp* gTheApp = nullptr;

constexpr char kRecentSection[] = "Recent File List";
constexpr char kServerClosedMessage[] =
    "Your connection to the calculation server has been closed for you automatically.\n"
    "Remember to quit the kernel before exiting the Tessary application.";

// The profile key of recent file `number` (1 is the latest).
QString RecentFileKey(int32_t number) {
    return QStringLiteral("File%1").arg(number);
}

// The place in the recent-file list a command stands for, or -1 for another command.
int32_t RecentFileIndex(int32_t id) {
    return id >= cmd::kFileMru1 && id < cmd::kFileMru1 + cmd::kRecentFileCount ? id - cmd::kFileMru1
                                                                               : -1;
}

} // namespace

TessaryApp* TessaryApp::Instance() {
    return gTheApp;
}

TessaryApp::TessaryApp(std::unique_ptr<KernelSession> session) : m_session(std::move(session)) {
    gTheApp = this;
}

TessaryApp::~TessaryApp() {
    if (m_layout || m_installedSession || m_mainFrame) ExitInstance();
    if (gTheApp == this) gTheApp = nullptr;
}

bool TessaryApp::InitInstance(const QStringList& arguments) {
    // The layout builders of the paragraph styles, the clipboard, then the table of reserved
    // names (before any expression is read or written).
    m_layout = std::make_unique<LayoutServices>();
    m_clipboard = std::make_unique<ClipboardServices>();
    m_builtinNames = std::make_unique<BuiltinNamesScope>();
    // The kernel session.
    if (!m_session) {
        m_sessionHost = std::make_unique<QtSessionHost>(
            [this] { return m_mainFrame.get(); }, [this](const QString& text) { Message(text); });
        m_session = std::make_unique<ProfiledSession>(
            *m_sessionHost, [this]() -> QWidget* { return m_mainFrame.get(); },
            [this] { return m_profile.get(); });
    }
    m_installedSession =
        std::make_unique<Installed<KernelSession>>(gKernelSession, m_session.get());

    // The profile: our own folder of settings, with four recent files.
    QCoreApplication::setOrganizationName(QStringLiteral("Tessary"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    m_profile = std::make_unique<QSettings>();
    m_profile->beginGroup(QLatin1String(kRecentSection));
    for (int32_t i = 1; i <= cmd::kRecentFileCount; ++i) {
        const QString file = m_profile->value(RecentFileKey(i)).toString();
        if (!file.isEmpty()) m_recentFiles.append(file);
    }
    m_profile->endGroup();
    // How to reach a kernel and how it calculates, before anything can start one.
    if (auto* profiled = dynamic_cast<ProfiledSession*>(m_session.get())) profiled->LoadProfile();

    // The text preferences, then the fonts, styles and drawing layer over them.
    m_textPrefs = std::make_unique<TextFontPrefs>();
    m_textPrefs->Load(*m_profile);
    m_drawing = std::make_unique<DrawingServices>(*m_textPrefs);
    // The math boxes: their stored kinds, the box factory and their Element commands.
    m_mathElements = std::make_unique<MathElements>();
    m_linkElement = std::make_unique<LinkElement>();
    m_gridElements = std::make_unique<GridElements>();
    m_desktop = std::make_unique<QtDesktopPort>();
    m_installedDesktop = std::make_unique<Installed<DesktopPort>>(gDesktopPort, m_desktop.get());
    // The plots: their stored kinds, primitives and graphics nodes and their Element command.
    m_plotElements = std::make_unique<PlotElements>();
    // The export writers, which enable the Export commands; notebook formulas are converted by
    // the kernel.
    m_exports = std::make_unique<ExportServices>([this](const ExprNode& node) {
        auto* session = dynamic_cast<kernel::KernelSession*>(m_session.get());
        return session ? session->ToStandardFormText(node) : std::string("Error");
    });

    const CommandLine line = ParseCommandLine(arguments);
    m_headless = line.action == CommandLine::Action::Print;
    if (!line.error.isEmpty()) {
        m_headless = true;
        Message(line.error);
        m_exitCode = 2;
        return false;
    }

    if (!m_headless) {
        m_mainFrame = std::make_unique<MainFrame>(this);
        m_mainFrame->setAttribute(Qt::WA_QuitOnClose);
    }
    m_exitCode = 1;
    if (!ProcessCommandLine(line)) return false;
    m_exitCode = 0;
    // The calculation server is reached over plain sockets, which need no setting up here.
    m_socketsReady = true;
    m_mainFrame->showMaximized();
    return true;
}

bool TessaryApp::ProcessCommandLine(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::NewDocument:
        NewDocument();
        return true;
    case CommandLine::Action::Open:
        return OpenDocument(line.path) != nullptr;
    case CommandLine::Action::Print: {
        // No window opens; a failure to open or to print ends with a message and code 1.
        ChildFrame* child = OpenDocument(line.path);
        if (child == nullptr) return false;
        QPrinter printer;
        if (printTo) printTo(printer);
        // Where there is no printer the platform's default one writes to no file: nothing could
        // be drawn on it, which is said plainly instead of tried.
        if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty()) {
            delete child;
            Message(QStringLiteral("Tessary could not print the document \"%1\": no printer is "
                                   "available.")
                        .arg(line.path));
            return false;
        }
        const bool printed = printer.isValid() && PrintDocumentView(*child->View(), printer) > 0;
        delete child;
        if (!printed) {
            Message(QStringLiteral("Tessary could not print the document \"%1\".").arg(line.path));
            return false;
        }
        m_exitCode = 0;
        return false; // printed: the program ends here
    }
    }
    return false;
}

QPrinter& TessaryApp::Printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

ChildFrame* TessaryApp::MakeFrame() {
    auto* child = new ChildFrame([this](const QString& text) { Message(text); });
    child->pathUsed = [this](const QString& path) { AddRecentFile(path); };
    child->sharedPrinter = [this]() -> QPrinter& { return Printer(); };
    return child;
}

ChildFrame* TessaryApp::OpenDocument(const QString& path) {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    if (m_mainFrame) {
        for (ChildFrame* child : m_mainFrame->Frames()) {
            if (QString::fromStdString(child->Host().GetPathName()) == wanted) {
                m_mainFrame->MdiArea()->setActiveSubWindow(child);
                return child;
            }
        }
    }
    // The window joins the others only once its document has loaded: a failed open leaves
    // every window, the main title and the focus as they were.
    ChildFrame* child = MakeFrame();
    if (!child->Document().OnOpenDocument(wanted.toStdString())) {
        delete child;
        return nullptr;
    }
    child->Host().SetPathName(wanted.toStdString());
    AddRecentFile(wanted);
    if (m_mainFrame) {
        m_mainFrame->AddFrame(child);
        child->SetFrameRect(child->GetFrameRect());
        child->showMaximized();
    }
    return child;
}

void TessaryApp::AddRecentFile(const QString& path) {
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > cmd::kRecentFileCount)
        m_recentFiles.removeLast();
    if (!m_profile) return;
    m_profile->beginGroup(QLatin1String(kRecentSection));
    for (int32_t i = 1; i <= cmd::kRecentFileCount; ++i) {
        const QString key = RecentFileKey(i);
        if (i <= m_recentFiles.size())
            m_profile->setValue(key, m_recentFiles[i - 1]);
        else
            m_profile->remove(key);
    }
    m_profile->endGroup();
}

int TessaryApp::ExitInstance() {
    gTheApp = nullptr;
    if (m_session && m_session->IsConnected()) {
        const bool remote = m_session->IsRemote();
        m_session->Quit(false);
        if (remote) Message(QString::fromLatin1(kServerClosedMessage));
    }
    // Reverse order of creation: each service may use those made before it.
    m_mainFrame.reset();
    m_printer.reset();
    // The clipboard's cache holds characters of the style manager's faces: it goes first.
    m_clipboard.reset();
    m_installedDesktop.reset();
    m_desktop.reset();
    m_gridElements.reset();
    m_linkElement.reset();
    m_exports.reset();
    m_plotElements.reset();
    m_mathElements.reset();
    m_drawing.reset();
    m_textPrefs.reset();
    m_profile.reset();
    m_installedSession.reset();
    m_session.reset();
    m_sessionHost.reset();
    m_builtinNames.reset();
    m_layout.reset();
    return m_exitCode;
}

void TessaryApp::Message(const QString& text) {
    if (m_message) {
        m_message(text);
    } else if (m_headless || m_mainFrame == nullptr) {
        std::fprintf(stderr, "tessary: %s\n", text.toLocal8Bit().constData());
    } else {
        QMessageBox::information(m_mainFrame.get(), QStringLiteral("Tessary"), text);
    }
}

ChildFrame* TessaryApp::NewDocument() {
    if (!m_mainFrame) return nullptr;
    const size_t open = m_mainFrame->Frames().size();
    const QString title =
        open == 0 ? QStringLiteral("Untitled") : QStringLiteral("Untitled %1").arg(open + 1);
    ChildFrame* child = MakeFrame();
    m_mainFrame->AddFrame(child);
    child->Host().SetTitle(title.toStdString());
    child->Document().OnNewDocument();
    child->SetFrameRect(child->Document().GetSettings().placement);
    child->showMaximized();
    child->View()->setFocus();
    return child;
}

void TessaryApp::RelayoutAllViews() {
    if (!m_mainFrame) return;
    for (ChildFrame* child : m_mainFrame->Frames())
        child->View()->Relayout();
}

void TessaryApp::EditTextPreferences() {
    if (!m_textPrefs || !m_drawing) return;
    TextPrefsDialog dialog(*m_textPrefs, QFontDatabase::families(), m_mainFrame.get());
    if (dialog.exec() != QDialog::Accepted) return;
    dialog.Store(*m_textPrefs);
    if (m_profile) m_textPrefs->Save(*m_profile);
    m_drawing->Styles().SetFaceNames(*m_textPrefs);
    RelayoutAllViews();
}

bool TessaryApp::UpdateCommand(int32_t id, CommandState& state) {
    const bool connected = m_session->IsConnected();
    const bool idle = connected && !m_session->IsBusy();
    // Nothing may start or reconfigure a kernel while one runs or is still starting.
    const bool canStart = m_session->CanStart() && !connected && !m_session->IsStarting();
    if (const int32_t index = RecentFileIndex(id); index >= 0) {
        state.visible = index == 0 || index < m_recentFiles.size();
        state.text = index < m_recentFiles.size()
                         ? QStringLiteral("&%1 %2").arg(index + 1).arg(m_recentFiles[index])
                         : QStringLiteral("Recent File");
        state.enabled = index < m_recentFiles.size();
        return true;
    }
    switch (id) {
    case cmd::kAppAbout:
    case cmd::kTextPreferences:
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kFilePrintSetup:
    case cmd::kAppExit:
        state.enabled = true;
        return true;
    case cmd::kStartKernel:
        state.enabled = canStart;
        return true;
    case cmd::kConnectionOptions:
        state.enabled = canStart && m_session->HasOptionDialogs();
        return true;
    case cmd::kQuitKernel:
        state.enabled = idle;
        return true;
    case cmd::kCalculationOptions:
    case cmd::kTermOrdering:
        state.enabled = idle && m_session->HasOptionDialogs();
        return true;
    default:
        return false;
    }
}

void TessaryApp::RunCommand(int32_t id) {
    if (const int32_t index = RecentFileIndex(id); index >= 0) {
        if (index < m_recentFiles.size()) OpenDocument(m_recentFiles[index]);
        return;
    }
    switch (id) {
    case cmd::kAppAbout: {
        AboutDialog about(m_mainFrame.get());
        about.exec();
        break;
    }
    case cmd::kTextPreferences:
        EditTextPreferences();
        break;
    case cmd::kFileNew:
        NewDocument();
        break;
    case cmd::kFileOpen: {
        const QString path =
            askOpenFileName ? askOpenFileName()
                            : QFileDialog::getOpenFileName(m_mainFrame.get(), QString(), QString(),
                                                           QStringLiteral("Tessary Files (*.tsy)"));
        if (!path.isEmpty()) OpenDocument(path);
        break;
    }
    case cmd::kFilePrintSetup: {
        QPageSetupDialog dialog(&Printer(), m_mainFrame.get());
        dialog.exec();
        break;
    }
    case cmd::kAppExit:
        if (m_mainFrame) m_mainFrame->close();
        break;
    case cmd::kStartKernel:
        m_session->Start();
        break;
    case cmd::kQuitKernel:
        m_session->Quit(true);
        break;
    case cmd::kConnectionOptions:
        m_session->ConnectionOptions(m_socketsReady);
        break;
    case cmd::kCalculationOptions:
        m_session->CalculationOptions();
        break;
    case cmd::kTermOrdering:
        m_session->TermOrdering();
        break;
    default:
        break;
    }
}
