// The running editor with its real kernel session: the Kernel menu starts the kernel program
// beside the editor, follows the session through starting and connected, quits it, Escape in a
// document stops a slow calculation, and exit leaves no kernel process behind. Every wait is a
// bounded QTRY loop.

#include "ServerFixture.h"
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/QtSessionHost.h"
#include "app/TessaryApp.h"
#include "app/TessaryView.h"
#include "app/tests/KernelAppFixture.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/TessaryDoc.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "kernel/KernelSession.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace kernelapp;

NodePtr Sum(int32_t a, int32_t b) {
    NodePtr chain = std::make_unique<MachineIntegerNode>(a);
    chain->SetNext(std::make_unique<MachineIntegerNode>(b));
    return std::make_unique<PlusNode>(std::move(chain));
}

std::string TextOf(const NodePtr& node) {
    if (!node) return "<null>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}

class KernelStartTest : public KernelAppTest {
protected:
    // The open progress window, found by name (its class has no meta-object of its own).
    QDialog* Progress() { return frame->findChild<QDialog*>(QStringLiteral("kernelStartup")); }
    QString ProgressText() {
        QDialog* progress = Progress();
        if (progress == nullptr || !progress->isVisible()) return {};
        return progress->findChild<QLabel*>(QStringLiteral("startupText"))->text();
    }
};

TEST_F(KernelStartTest, StartKernelLaunchesTheKernelAndTheMenuFollows) {
    EXPECT_TRUE(Enabled(cmd::kStartKernel));
    EXPECT_FALSE(Enabled(cmd::kQuitKernel));

    Choose(cmd::kStartKernel);
    // Starting: nothing may start the kernel again or quit it, and the progress window shows.
    ASSERT_TRUE(session->IsStarting());
    EXPECT_FALSE(Enabled(cmd::kStartKernel));
    EXPECT_FALSE(Enabled(cmd::kQuitKernel));
    EXPECT_FALSE(Enabled(cmd::kConnectionOptions));
    EXPECT_TRUE(ProgressText().startsWith(QStringLiteral("Starting the kernel")));
    EXPECT_NE(frame->Constants(), nullptr);
    // A second Start while starting launches nothing more.
    Choose(cmd::kStartKernel);

    QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs);
    ASSERT_TRUE(session->IsConnected()) << (messages.empty() ? "" : messages[0].toStdString());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Progress(), nullptr);
    EXPECT_NE(frame->Constants(), nullptr);
    EXPECT_EQ(RunningKernels().size(), 1u);
    EXPECT_FALSE(Enabled(cmd::kStartKernel));
    EXPECT_TRUE(Enabled(cmd::kQuitKernel));
    // The preferences that go to a running kernel can now be edited.
    EXPECT_TRUE(Enabled(cmd::kCalculationOptions));
    EXPECT_TRUE(Enabled(cmd::kTermOrdering));

    // The kernel answers through the editor's own link.
    EXPECT_EQ(TextOf(session->Simplify(*Sum(2, 3))), "5");
}

// The program started as the README says on a fresh machine: the first Start Kernel launches
// the kernel beside the program with no question, and it calculates. A profile that names the
// calculation server keeps the server.
TEST_F(KernelStartTest, AFreshProfileCalculatesAtOnceAndAServerProfileKeepsTheServer) {
    RestartOnProfile();
    int questions = 0;
    const auto ask = [&](ProfiledSession& profiled) {
        profiled.runDialog = [&](QDialog&) {
            ++questions;
            return int(QDialog::Rejected);
        };
        profiled.askKernelFile = [&] {
            ++questions;
            return QString();
        };
    };
    ask(Profiled());
    ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
    EXPECT_EQ(questions, 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(session->IsRemote());
    EXPECT_EQ(TextOf(session->Simplify(*Sum(1, 1))), "2");
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel").toString(), "local");
    Choose(cmd::kQuitKernel);

    kerneltest::CalcServerFixture server(standin::calc::kernelCommand(KernelBesideTheEditor()), "");
    ASSERT_TRUE(server.started);
    RestartOnProfile([&](QSettings& profile) {
        profile.setValue("Kernel Connection/Kernel", "remote");
        profile.setValue("Kernel Connection/Server", "127.0.0.1");
        profile.setValue("Kernel Connection/Server Port", server.server->loginPort());
        profile.setValue("Kernel Connection/User Name", "ann");
        profile.setValue("Kernel Connection/Password", "secret");
    });
    ask(Profiled());
    ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
    EXPECT_EQ(questions, 0);
    EXPECT_TRUE(session->IsRemote());
    EXPECT_NE(server.server->kernelProcess(1), 0) << "the server's kernel";
    EXPECT_EQ(TextOf(session->Simplify(*Sum(1, 1))), "2");
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel").toString(), "remote");
    Choose(cmd::kQuitKernel);
}

TEST_F(KernelStartTest, QuitKernelEndsTheKernelAndStartWorksAgain) {
    ASSERT_TRUE(StartFromMenu());
    const pid_t first = session->KernelProcess();
    ASSERT_GT(first, 0);

    Choose(cmd::kQuitKernel);
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(frame->Constants(), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
    EXPECT_TRUE(messages.empty()) << "a local kernel quits without a message";
    EXPECT_TRUE(Enabled(cmd::kStartKernel));
    EXPECT_FALSE(Enabled(cmd::kQuitKernel));

    ASSERT_TRUE(StartFromMenu());
    EXPECT_NE(session->KernelProcess(), first);
    EXPECT_EQ(TextOf(session->Simplify(*Sum(1, 1))), "2");
}

TEST_F(KernelStartTest, CancelInTheProgressWindowLeavesNoKernel) {
    Choose(cmd::kStartKernel);
    QDialog* progress = Progress();
    ASSERT_NE(progress, nullptr);
    progress->reject();
    QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs);
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(frame->Constants(), nullptr);
    EXPECT_TRUE(messages.empty()) << "a cancelled start-up reports nothing";
    QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
    EXPECT_TRUE(Enabled(cmd::kStartKernel));
}

// The calculation would run two minutes: only the interrupt ends it sooner, so its answer
// shows that Escape stopped it, however slow the machine.
constexpr char kSlowSimplify[] = "on TYSimplify slow 120\n";

TEST_F(KernelStartTest, EscapeInADocumentStopsASlowCalculation) {
    Script(kSlowSimplify);
    ASSERT_TRUE(StartFromMenu());
    ChildFrame* child = app->NewDocument();
    ASSERT_NE(child, nullptr);
    BaseView* view = child->View();
    bool busyAtEscape = false;
    // The person presses Escape while the kernel computes; the timer fires only because the
    // wait serves the editor's events. A kernel that has not yet read the request takes an
    // interrupt for a stale one and ignores it, as a person would find on a slow machine, so
    // Escape is pressed again until the answer is in.
    QTimer escape;
    escape.setInterval(300);
    QObject::connect(&escape, &QTimer::timeout, view, [&] {
        if (!session->IsBusy()) return;
        busyAtEscape = true;
        QTest::keyClick(view, Qt::Key_Escape);
    });
    escape.start();
    const NodePtr answer = session->Simplify(*Sum(2, 3));
    escape.stop();
    EXPECT_TRUE(busyAtEscape);
    EXPECT_EQ(TextOf(answer), "$Canceled");
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Aborted"));
    EXPECT_TRUE(session->IsConnected());
    EXPECT_FALSE(session->IsBusy());
}

TEST_F(KernelStartTest, WindowsStayWhileACalculationRuns) {
    Script(kSlowSimplify);
    ASSERT_TRUE(StartFromMenu());
    ChildFrame* child = app->NewDocument();
    ASSERT_NE(child, nullptr);
    bool triedToClose = false;
    bool frameClosed = true;
    bool childClosed = true;
    // Once the calculation runs, the person tries to close the main window and the document;
    // then presses Escape until the answer is in (a kernel that has not yet read the request
    // ignores an interrupt as stale).
    QTimer person;
    person.setInterval(50);
    QObject::connect(&person, &QTimer::timeout, frame, [&] {
        if (!session->IsBusy()) return;
        if (!triedToClose) {
            triedToClose = true;
            frameClosed = frame->close();
            childClosed = child->close();
            return;
        }
        QTest::keyClick(child->View(), Qt::Key_Escape);
    });
    person.start();
    EXPECT_EQ(TextOf(session->Simplify(*Sum(2, 3))), "$Canceled");
    person.stop();
    EXPECT_TRUE(triedToClose);
    EXPECT_FALSE(frameClosed);
    EXPECT_FALSE(childClosed);
    EXPECT_EQ(messages, std::vector<QString>(2, QString::fromLatin1(KernelSession::kBusyMessage)));
    const std::vector<ChildFrame*> frames = frame->Frames();
    EXPECT_NE(std::find(frames.begin(), frames.end(), child), frames.end());
    // Idle again, the document closes as usual.
    EXPECT_TRUE(child->close());
}

TEST_F(KernelStartTest, ExitQuitsAConnectedKernel) {
    ASSERT_TRUE(StartFromMenu());
    ASSERT_EQ(RunningKernels().size(), 1u);
    app->ExitInstance();
    app.reset();
    QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
    EXPECT_TRUE(messages.empty()) << "a local kernel ends without the server's message";
}

TEST_F(KernelStartTest, ExitDuringAStartUpLeavesNoKernel) {
    Choose(cmd::kStartKernel);
    ASSERT_TRUE(session->IsStarting());
    app->ExitInstance();
    app.reset();
    QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
}

// A newcomer chooses Start Kernel and goes on typing: the start-up window and the Constants
// palette show beside the document without taking the keyboard, before the kernel is up and
// after.
TEST_F(KernelStartTest, TypingAroundStartKernelReachesTheDocument) {
    TessaryView* view = frame->ActiveChild()->View();
    view->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), view);

    Choose(cmd::kStartKernel);
    ASSERT_TRUE(session->IsStarting());
    EXPECT_TRUE(Progress() != nullptr && Progress()->isVisible());
    EXPECT_TRUE(shelltest::KeyboardTypes("x")) << "no window has the keyboard";
    QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs);
    ASSERT_TRUE(session->IsConnected()) << (messages.empty() ? "" : messages[0].toStdString());
    ASSERT_NE(frame->Constants(), nullptr);
    EXPECT_TRUE(frame->Constants()->isVisible());
    EXPECT_TRUE(shelltest::KeyboardTypes("+1")) << "no window has the keyboard";

    EXPECT_EQ(QApplication::activeWindow(), frame);
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(shelltest::LineText(*view->Page()->GetAt(1)->GetList(1)), "x+1");
    EXPECT_TRUE(view->Document().IsModified());
}

// The server's message opens only web addresses; anything else leaves the button disabled.
TEST(ServerMessageTest, OnlyWebAddressesAreOffered) {
    struct Row {
        const char* site;
        bool offered;
    };
    const Row rows[] = {
        {"http://example.org/account", true},
        {"https://example.org", true},
        {"HTTPS://example.org", true},
        {"", false},
        {"file:///etc/passwd", false},
        {"/usr/bin/xterm", false},
        {"mailto:someone@example.org", false},
        {"javascript:alert(1)", false},
        {"http://", false},
        {"smb://host/share", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.site);
        EXPECT_EQ(ServerMessageDialog::IsWebAddress(QString::fromLatin1(row.site)), row.offered);
        ServerMessageDialog dialog(nullptr, QStringLiteral("Welcome"),
                                   QString::fromLatin1(row.site), QStringLiteral("Visit"));
        auto* go = dialog.findChild<QPushButton*>(QStringLiteral("goToSite"));
        ASSERT_NE(go, nullptr);
        EXPECT_EQ(go->isEnabled(), row.offered);
        EXPECT_EQ(go->text(), row.offered ? QStringLiteral("Visit") : QString());
    }
}

// Work posted from another thread runs on the GUI thread, in order; work still queued when the
// host goes is dropped.
TEST(QtSessionHostTest, PostedWorkRunsOnTheGuiThreadInOrder) {
    std::vector<int> ran;
    bool onGuiThread = true;
    {
        QtSessionHost host([] { return nullptr; }, [](const QString&) {});
        std::thread worker([&] {
            for (int i = 0; i < 3; ++i)
                host.Post([&, i] {
                    onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
                    ran.push_back(i);
                });
        });
        worker.join();
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), 3u, 5000);
        host.Post([&] { ran.push_back(99); });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(onGuiThread);
}

} // namespace
