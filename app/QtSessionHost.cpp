#include "app/QtSessionHost.h"

#include "app/KernelRequests.h"
#include "app/MainFrame.h"
#include "app/WindowActivation.h"
#include "platform/Cp1252.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The session's texts, and the kernel's, are cp1252.
QString Text(const std::string& text) {
    return platform::FromCp1252(text);
}

// The server's message holds at most this many characters.
constexpr int kServerTextLimit = 255;

} // namespace

// ---- The progress window ------------------------------------------------------------------------

StartupProgressDialog::StartupProgressDialog(QWidget* parent, const QString& text,
                                             std::function<void()> cancel)
    : QDialog(parent), m_cancel(std::move(cancel)) {
    setObjectName(QStringLiteral("kernelStartup"));
    setWindowTitle(QStringLiteral("Kernel Startup"));
    setModal(false);
    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("startupText"));
    m_text->setMinimumWidth(280);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

void StartupProgressDialog::SetText(const QString& text) {
    m_text->setText(text);
}

QString StartupProgressDialog::Text() const {
    return m_text->text();
}

void StartupProgressDialog::reject() {
    std::function<void()> cancel = std::move(m_cancel);
    m_cancel = nullptr;
    hide();
    deleteLater();
    if (cancel) cancel();
}

// ---- The server's message -----------------------------------------------------------------------

bool ServerMessageDialog::IsWebAddress(const QString& site) {
    const QUrl url(site, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

ServerMessageDialog::ServerMessageDialog(QWidget* parent, const QString& text, const QString& site,
                                         const QString& caption)
    : QDialog(parent) {
    setObjectName(QStringLiteral("serverMessage"));
    setWindowTitle(QStringLiteral("Server Message"));
    auto* message = new QLabel(text.left(kServerTextLimit), this);
    message->setWordWrap(true);
    auto* go = new QPushButton(this);
    go->setObjectName(QStringLiteral("goToSite"));
    if (IsWebAddress(site)) {
        go->setText(caption.isEmpty() ? QStringLiteral("Go to site") : caption);
        connect(go, &QPushButton::clicked, this,
                [site] { QDesktopServices::openUrl(QUrl(site, QUrl::StrictMode)); });
    } else {
        go->setEnabled(false);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(go);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(row);
}

// ---- The host -----------------------------------------------------------------------------------

QtSessionHost::QtSessionHost(std::function<MainFrame*()> frame,
                             std::function<void(const QString&)> message)
    : m_frame(std::move(frame)), m_message(std::move(message)),
      m_context(std::make_unique<QObject>()) {}

QtSessionHost::~QtSessionHost() {
    CloseProgress();
    while (m_waitCursors > 0)
        SetWaitCursor(false);
}

void QtSessionHost::ShowMessage(const std::string& text) {
    m_message(Text(text));
}

void QtSessionHost::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_waitCursors;
    } else if (m_waitCursors > 0) {
        QApplication::restoreOverrideCursor();
        --m_waitCursors;
    }
}

void QtSessionHost::SetStatusText(const std::string& text) {
    if (MainFrame* frame = m_frame()) frame->SetStatusText(Text(text));
}

void QtSessionHost::OpenProgress(const std::string& text, std::function<void()> cancel) {
    CloseProgress();
    m_progress = new StartupProgressDialog(m_frame(), Text(text), std::move(cancel));
    // What the person types meanwhile still goes to the document.
    activation::ShowInactive(m_progress);
}

void QtSessionHost::SetProgressText(const std::string& text) {
    if (m_progress) m_progress->SetText(Text(text));
}

void QtSessionHost::CloseProgress() {
    delete m_progress.data();
    m_progress = nullptr;
}

void QtSessionHost::ShowServerMessage(const std::string& text, const std::string& site,
                                      const std::string& caption) {
    ServerMessageDialog dialog(m_frame(), Text(text), Text(site), Text(caption));
    dialog.exec();
}

void QtSessionHost::OpenConstantsPalette() {
    if (MainFrame* frame = m_frame()) frame->CreateConstantsPalette();
}

void QtSessionHost::CloseConstantsPalette() {
    if (MainFrame* frame = m_frame()) frame->DestroyConstantsPalette();
}

bool QtSessionHost::IsConstantsPaletteOpen() const {
    const MainFrame* frame = m_frame();
    return frame != nullptr && frame->Constants() != nullptr;
}

void QtSessionHost::SetConstantCheck(char letter, bool checked) {
    const MainFrame* frame = m_frame();
    if (frame != nullptr && frame->Constants() != nullptr)
        frame->Constants()->SetLetterCheck(letter, checked);
}

void QtSessionHost::KernelGone() {
    if (MainFrame* frame = m_frame()) frame->DropKernelOffers();
}

namespace {

// Windows open only on the GUI thread; a question that reaches the host anywhere else (a
// start-up still on its own thread) is cancelled rather than shown from there.
bool OnGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

// The link library's dialogs carry its name.
const QString kLinkCaption = QStringLiteral("Corvinet");

} // namespace

NodePtr QtSessionHost::AnswerKernelRequest(int32_t number, NodePtr argument) {
    if (!OnGuiThread()) return nullptr;
    return kernelrequests::Answer(m_frame(), number, std::move(argument));
}

bool QtSessionHost::Confirm(const std::string& text) {
    if (!OnGuiThread()) return false;
    return QMessageBox::question(m_frame(), kLinkCaption, Text(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool QtSessionHost::AskText(const std::string& prompt, std::string& answer) {
    if (!OnGuiThread()) return false;
    bool ok = false;
    const QString reply = QInputDialog::getText(m_frame(), kLinkCaption, Text(prompt),
                                                QLineEdit::Normal, Text(answer), &ok);
    if (!ok) return false;
    answer = platform::ToCp1252(reply);
    return true;
}

bool QtSessionHost::ChooseProgram(const std::string& title, std::string& path) {
    if (!OnGuiThread()) return false;
    const QString chosen = QFileDialog::getOpenFileName(m_frame(), Text(title));
    if (chosen.isEmpty()) return false;
    path = QFile::encodeName(chosen).toStdString(); // the system's bytes for the name
    return true;
}

void QtSessionHost::ProcessEvents(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, milliseconds);
}

void QtSessionHost::Post(std::function<void()> work) {
    QMetaObject::invokeMethod(m_context.get(), std::move(work), Qt::QueuedConnection);
}
