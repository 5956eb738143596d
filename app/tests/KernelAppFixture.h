#pragma once

// The running editor with its real kernel session and the stand-in kernel program beside it:
// the fixture starts the application, lets a test script the kernel's behaviour and start it
// from the Kernel menu, and at the end checks that no kernel process is left behind. Every wait
// is a bounded QTRY loop.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/KernelOptions.h"
#include "app/MainFrame.h"
#include "app/TessaryApp.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/tests/StreamBytes.h"
#include "kernel/KernelSession.h"
#include "kernel/tests/RunningKernels.h"
#include "kernel/tests/StandinScript.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kernelapp {

inline constexpr int kStartLimitMs = 60000;

using kerneltest::RunningKernels;

class KernelAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_script.IsReady());
        app = shelltest::StartProgram(messages);
        ASSERT_NE(app, nullptr);
        frame = app->MainWindow();
        session = dynamic_cast<kernel::KernelSession*>(&app->Session());
        ASSERT_NE(session, nullptr) << "the program runs the real kernel session";
    }
    void TearDown() override {
        if (app) app->ExitInstance();
        app.reset();
        m_script.Clear();
        [] { QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000); }();
    }

    // The kernel program's scripted behaviour for the next start.
    void Script(const std::string& lines) { m_script.Set(lines); }

    // Ends the program and starts it again on a profile that `fill` writes after emptying it;
    // without `fill` the profile holds nothing, as at the program's first start.
    void RestartOnProfile(const std::function<void(QSettings&)>& fill = nullptr) {
        app->ExitInstance();
        app.reset();
        {
            QSettings profile = Profile();
            profile.clear();
            if (fill) fill(profile);
        }
        app = std::make_unique<TessaryApp>();
        app->SetMessageSink([this](const QString& text) { messages.push_back(text); });
        ASSERT_TRUE(app->InitInstance({}));
        frame = app->MainWindow();
        session = dynamic_cast<kernel::KernelSession*>(&app->Session());
        ASSERT_NE(session, nullptr);
    }

    ProfiledSession& Profiled() { return dynamic_cast<ProfiledSession&>(*session); }
    QSettings Profile() { return QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")); }
    QAction* Action(int32_t id) { return frame->Router().Action(id); }
    // Chooses a menu command as the person would: with the menu brought up to date first, so
    // that a disabled command does nothing.
    void Choose(int32_t id) {
        frame->Router().UpdateAll();
        Action(id)->trigger();
    }
    bool Enabled(int32_t id) {
        frame->Router().UpdateAll();
        return Action(id)->isEnabled();
    }
    // Connection Options names the calculation server on loopback, with the account "ann".
    void ChooseServer(uint16_t port, const char* password) {
        Profiled().runDialog = [port, password](QDialog& dialog) {
            auto* options = dynamic_cast<ConnectionOptionsDlg*>(&dialog);
            if (options == nullptr) return int(QDialog::Rejected);
            options->ServerButton()->click();
            options->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            options->PortEdit()->setText(QString::number(port));
            options->UserEdit()->setText(QStringLiteral("ann"));
            options->PasswordEdit()->setText(QString::fromLatin1(password));
            options->accept();
            return options->result();
        };
        Choose(cmd::kConnectionOptions);
    }
    // Connection Options back on the local kernel.
    void ChooseLocal() {
        Profiled().runDialog = [](QDialog& dialog) {
            auto* options = dynamic_cast<ConnectionOptionsDlg*>(&dialog);
            if (options == nullptr) return int(QDialog::Rejected);
            options->LocalButton()->click();
            options->accept();
            return options->result();
        };
        Choose(cmd::kConnectionOptions);
    }
    // The kernel program beside the editor, for the calculation server to start.
    static std::string KernelBesideTheEditor() {
        return (QCoreApplication::applicationDirPath() + QStringLiteral("/OskariaKernel.exe"))
            .toStdString();
    }
    // Start Kernel from the menu, then wait until the start-up has ended.
    bool StartFromMenu() {
        Choose(cmd::kStartKernel);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs); }();
        return session->IsConnected();
    }

    std::unique_ptr<TessaryApp> app;
    MainFrame* frame = nullptr;
    kernel::KernelSession* session = nullptr;
    std::vector<QString> messages;

private:
    kerneltest::StandinScript m_script;
};

// The running editor with the kernel started and a document open to type into.
class KernelDocumentTest : public KernelAppTest {
protected:
    // Starts the kernel (with a script when given) and opens a document.
    void StartWithDocument(const std::string& script = {}) {
        if (!script.empty()) Script(script);
        ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
        OpenDocument();
    }
    void OpenDocument() {
        child = app->NewDocument();
        ASSERT_NE(child, nullptr);
        frame->resize(900, 600);
        frame->show();
        QApplication::setActiveWindow(frame);
        view = child->View();
        view->setFocus();
        QCoreApplication::processEvents();
    }
    bool Run(int32_t id) { return frame->Router().Run(id); }
    // The command id of the pending offer with `label`; 0 when it is not offered.
    int32_t ChoiceId(const char* label) {
        const ChoicePopup* popup = view->Popup();
        if (popup == nullptr) return 0;
        for (size_t i = 0; i < popup->Items().size(); ++i)
            if (popup->Items()[i].text.View() == label)
                return cmd::kFirstChoice + static_cast<int32_t>(i);
        return 0;
    }
    // Runs `run` while the person presses Escape in the view every 300 ms as long as the kernel
    // is busy: a kernel that has not yet begun the request drops an interrupt as stale, as a
    // person would find on a slow machine. The moment of the first press, if there was one.
    std::optional<std::chrono::steady_clock::time_point>
    EscapeWhileBusy(const std::function<void()>& run) {
        std::optional<std::chrono::steady_clock::time_point> first;
        QTimer escape;
        escape.setInterval(300);
        QObject::connect(&escape, &QTimer::timeout, view, [&] {
            if (!session->IsBusy()) return;
            if (!first) first = std::chrono::steady_clock::now();
            QTest::keyClick(view, Qt::Key_Escape);
        });
        escape.start();
        run();
        escape.stop();
        return first;
    }
    CompSequence& Page() { return *view->Page(); }
    CompList& Line(int32_t paragraph) { return *Page().GetAt(paragraph)->GetList(1); }
    streambytes::Bytes Saved() {
        return streambytes::Save([&](DocStream& s) { Page().Write(s, false); });
    }
    QString Status() { return frame->MessagePane()->text(); }
    // A paragraph's characters; '?' for anything else.
    std::string Text(int32_t paragraph) { return shelltest::LineText(Line(paragraph)); }
    void Picture(const char* name) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(child->grab().toImage().save(shelltest::OutputPath(QString::fromLatin1(name))));
    }

    ChildFrame* child = nullptr;
    TessaryView* view = nullptr;
};

} // namespace kernelapp
