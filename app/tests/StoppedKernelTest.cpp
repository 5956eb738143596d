// The person keeps control of the kernel: Escape in the view stops work that would run for
// minutes within moments, and a kernel that does not answer once stopped (stuck in the middle
// of its answer, over either device) is ended a few seconds later with one message, the
// document as it was and Start Kernel ready again. Every wait is bounded.

#include "ServerFixture.h"
#include "app/tests/KernelAppFixture.h"
#include "document/ParaStyle.h"
#include "kernel/tests/RunningKernels.h"

#include <QDialog>
#include <QTimer>

#include <chrono>
#include <optional>

namespace {

using namespace kernelapp;
using Clock = std::chrono::steady_clock;

// The product of two primes of 50 digits each: factoring it takes Giac hours.
constexpr char kSemiprime[] = "236827940119019920162117684907377456453836438278824816976263"
                              "0451351975370698795253897739064546670071";

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Whether the process has ended (a zombie has), waiting for it a while.
bool ProcessGone(pid_t pid) {
    const auto gone = [pid] {
        const std::optional<kerneltest::ProcessStat> process = kerneltest::ReadProcessStat(pid);
        return !process || process->state == 'Z';
    };
    for (const auto until = Clock::now() + std::chrono::seconds(10); Clock::now() < until;) {
        if (gone()) return true;
        QTest::qWait(20);
    }
    return gone();
}

class StoppedKernelTest : public KernelDocumentTest {
protected:
    // `text` typed as the document's one paragraph, made source code and selected.
    void TypeCode(const std::string& text) {
        QTest::keyClicks(view, QString::fromStdString(text));
        ASSERT_TRUE(Run(cmd::kSelectAll));
        ASSERT_TRUE(Run(cmd::kParaTitle + ParaStyle::kSourceCode));
        ASSERT_TRUE(Run(cmd::kSelectAll));
    }
    // x^power + 3x + 1 in a plain equation, selected, and the command of its Factor offer.
    int32_t TypeFactor(const char* power) {
        EXPECT_TRUE(Run(cmd::kParaPlainEquation));
        QTest::keyClicks(view, "x");
        EXPECT_TRUE(Run(cmd::kElementFraction + 1));
        QTest::keyClicks(view, power);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClicks(view, "+3x+1");
        return SelectLineAndFind("Factor");
    }
    // The command of the kernel's offer `label` for the line the caret is on, selected; 0 when
    // it is not offered.
    int32_t SelectLineAndFind(const char* label) {
        QTest::keyClick(view, Qt::Key_Home);
        QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
        return ChoiceId(label);
    }
    // 2 + 3 typed in a new document and simplified answers 5.
    void TwoAndThreeAnswerFive() {
        OpenDocument();
        ASSERT_TRUE(Run(cmd::kParaPlainEquation));
        QTest::keyClicks(view, "2+3");
        const int32_t simplify = SelectLineAndFind("Simplify");
        ASSERT_NE(simplify, 0);
        ASSERT_TRUE(Run(simplify));
        ASSERT_EQ(Page().GetCount(), 2);
        EXPECT_EQ(Text(2), "5");
    }
};

TEST_F(StoppedKernelTest, EscapeStopsWorkOfMinutesAtOnceAndTheKernelAnswersNext) {
    struct Case {
        const char* name;
        std::function<int32_t()> prepare; // types the work and answers its command
    };
    const Case cases[] = {
        {"Factor of x^20011 + 3x + 1", [&] { return TypeFactor("20011"); }},
        {"ifactor of a number of 100 digits through the code command",
         [&] {
             TypeCode(std::string("ifactor[") + kSemiprime + "]");
             return int32_t{cmd::kEvaluateCode};
         }},
    };
    StartWithDocument();
    const pid_t kernel = session->KernelProcess();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDocument();
        const int32_t command = c.prepare();
        ASSERT_NE(command, 0) << "the command is offered";
        const auto before = Saved();
        const auto firstEscape = EscapeWhileBusy([&] { Run(command); });
        ASSERT_TRUE(firstEscape) << "the kernel was busy";
        EXPECT_LT(SecondsSince(*firstEscape), 3.0) << "the editor is free again";
        EXPECT_FALSE(session->IsBusy());
        EXPECT_EQ(Status(), QStringLiteral("Aborted"));
        EXPECT_EQ(Saved(), before);
        EXPECT_EQ(session->KernelProcess(), kernel) << "the same kernel goes on";
        TwoAndThreeAnswerFive();
    }
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

// The kernel announces a long string in its answer, sends a part and then nothing, its link
// open, or it computes on deaf to the interrupt: after Escape in a calculation, or Cancel in
// the start-up window while the package loads, the session waits a few seconds and ends it.
TEST_F(StoppedKernelTest, AKernelThatDoesNotAnswerIsEndedAfterEscapeOrCancel) {
    kerneltest::CalcServerFixture server(standin::calc::kernelCommand(KernelBesideTheEditor()), "");
    ASSERT_TRUE(server.started);
    constexpr char kStuckInAnswer[] = "garbage stall-mid-string";
    struct Case {
        const char* name;
        bool overTcp;   // through the calculation server, else launched over shared memory
        bool inStartUp; // Cancel while the package loads, else Escape in a calculation
        const char* behaviour;
    };
    const Case cases[] = {
        {"Escape, stuck in its answer, shared memory", false, false, kStuckInAnswer},
        {"Escape, stuck in its answer, TCP", true, false, kStuckInAnswer},
        {"Escape, deaf to it, shared memory", false, false, "stuck 600"},
        {"Cancel, stuck in its answer, shared memory", false, true, kStuckInAnswer},
        {"Cancel, stuck in its answer, TCP", true, true, kStuckInAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        // The kernel of this case is then the one the program (or its server) has running.
        QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
        const auto runningKernel = [] {
            const std::vector<pid_t> running = RunningKernels();
            return running.size() == 1 ? running[0] : 0;
        };
        if (c.overTcp) ChooseServer(server.server->loginPort(), "secret");
        pid_t kernel = 0;
        std::optional<Clock::time_point> stopped;
        if (c.inStartUp) {
            Script(std::string("on Needs ") + c.behaviour + "\n");
            // Cancel once the kernel has been busy loading for half a second.
            std::optional<Clock::time_point> busySince;
            QTimer cancel;
            cancel.setInterval(100);
            QObject::connect(&cancel, &QTimer::timeout, frame, [&] {
                if (stopped || !session->IsBusy()) return;
                kernel = runningKernel();
                if (!busySince) busySince = Clock::now();
                if (Clock::now() - *busySince < std::chrono::milliseconds(500)) return;
                auto* progress = frame->findChild<QDialog*>(QStringLiteral("kernelStartup"));
                if (progress == nullptr) return;
                stopped = Clock::now();
                progress->reject();
            });
            cancel.start();
            Choose(cmd::kStartKernel);
            QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs);
            cancel.stop();
            ASSERT_TRUE(stopped) << "Cancel was pressed";
        } else {
            Script(std::string("on TYEvaluate ") + c.behaviour + "\n");
            ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
            kernel = runningKernel();
            OpenDocument();
            const int32_t factor = TypeFactor("2");
            ASSERT_NE(factor, 0);
            const auto before = Saved();
            stopped = EscapeWhileBusy([&] { Run(factor); });
            ASSERT_TRUE(stopped) << "Escape was pressed";
            EXPECT_EQ(Saved(), before);
        }
        EXPECT_LT(SecondsSince(*stopped), 10.0) << "a few seconds";
        EXPECT_FALSE(session->IsConnected());
        EXPECT_FALSE(session->IsBusy());
        EXPECT_EQ(messages, std::vector<QString>{
                                QString::fromLatin1(kernel::KernelSession::kStoppedKernelEnded)});
        ASSERT_GT(kernel, 0);
        EXPECT_TRUE(ProcessGone(kernel));
        EXPECT_TRUE(Enabled(cmd::kStartKernel));

        // The stand-in kernel as it behaves, started again the same way.
        messages.clear();
        Script("");
        ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
        TwoAndThreeAnswerFive();
        Choose(cmd::kQuitKernel);
        EXPECT_FALSE(session->IsConnected());
        if (c.overTcp) ChooseLocal(); // for the next case
    }
}

} // namespace
