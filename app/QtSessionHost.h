#pragma once

// The kernel session's way into the windows: message boxes, the wait cursor, the status line,
// the start-up progress window, the server's message, the Constants palette, and the GUI
// thread's event queue. Lives on the GUI thread; only `Post` may be called from elsewhere.
//
// Posted work is queued to a context object of this host, so work still queued when the host
// goes is dropped rather than run against a session that no longer exists.

#include "kernel/SessionHost.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class MainFrame;
class QLabel;

// The modeless "Kernel Startup" window: one line of text and a Cancel button.
class StartupProgressDialog final : public QDialog {
public:
    StartupProgressDialog(QWidget* parent, const QString& text, std::function<void()> cancel);

    void SetText(const QString& text);
    QString Text() const;
    // Cancel: the window goes first, then the session hears of it.
    void reject() override;

private:
    QLabel* m_text = nullptr;
    std::function<void()> m_cancel;
};

// The server's "Server Message": its text, and a button that opens the site; the button is
// blank and disabled without a site the editor may open.
class ServerMessageDialog final : public QDialog {
public:
    ServerMessageDialog(QWidget* parent, const QString& text, const QString& site,
                        const QString& caption);

    // Only web addresses are ever handed to the desktop: a server must not make the editor
    // open local files or run programs.
    static bool IsWebAddress(const QString& site);
};

class QtSessionHost final : public kernel::SessionHost {
public:
    // `frame` finds the main window (null before it exists and once it is gone); `message`
    // shows a text to the user.
    QtSessionHost(std::function<MainFrame*()> frame, std::function<void(const QString&)> message);
    ~QtSessionHost() override;
    QtSessionHost(const QtSessionHost&) = delete;
    QtSessionHost& operator=(const QtSessionHost&) = delete;

    void ShowMessage(const std::string& text) override;
    void SetWaitCursor(bool on) override;
    void SetStatusText(const std::string& text) override;

    void OpenProgress(const std::string& text, std::function<void()> cancel) override;
    void SetProgressText(const std::string& text) override;
    void CloseProgress() override;
    void ShowServerMessage(const std::string& text, const std::string& site,
                           const std::string& caption) override;

    void OpenConstantsPalette() override;
    void CloseConstantsPalette() override;
    bool IsConstantsPaletteOpen() const override;
    void SetConstantCheck(char letter, bool checked) override;
    void KernelGone() override;

    // The kernel's questions to the user, each in its modal window (KernelRequests.h); one
    // that arrives off the GUI thread is cancelled.
    NodePtr AnswerKernelRequest(int32_t number, NodePtr argument) override;

    void ProcessEvents(int milliseconds) override;
    void Post(std::function<void()> work) override;

    // The progress window while it is open.
    StartupProgressDialog* ProgressWindow() const { return m_progress.data(); }

private:
    std::function<MainFrame*()> m_frame;
    std::function<void(const QString&)> m_message;
    std::unique_ptr<QObject> m_context;
    QPointer<StartupProgressDialog> m_progress;
    int m_waitCursors = 0;
};
