// The session against the stand-in kernel program in a process of its own: started locally
// the way the editor starts it, or through the stand-in calculation server. Every wait is
// bounded: the host's pump gives up after its deadline, the kernel's scripts are short.

#include "CalcServer.h"
#include "LocalKernel.h"
#include "RunningKernels.h"
#include "ServerFixture.h"
#include "TerminalInput.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"
#include "kernel/KernelSession.h"
#include "kernel/KernelStartup.h"
#include "kernel/ServerConnection.h"

#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace kerneltest {
namespace {

using Clock = std::chrono::steady_clock;
using kernel::KernelSession;

NodePtr Int(int32_t value) {
    return std::make_unique<MachineIntegerNode>(value);
}
NodePtr Sum(int32_t a, int32_t b) {
    NodePtr chain = Int(a);
    chain->SetNext(Int(b));
    return std::make_unique<PlusNode>(std::move(chain));
}
NodePtr Priorities() {
    auto list = std::make_unique<ListNode>();
    for (int32_t v : {3, 7, 5})
        list->AppendChild(Int(v));
    return list;
}
std::string TextOf(const NodePtr& node) {
    if (!node) return "<null>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}
// Holds `done` within a bound: a sanitized kernel's exit checks its heap, which a loaded
// machine makes slow.
bool Eventually(const std::function<bool()>& done) {
    for (const auto until = Clock::now() + std::chrono::seconds(30); Clock::now() < until;) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// Whether the process has ended (a zombie counts), waiting for it a while.
bool ProcessGone(pid_t pid) {
    return Eventually([pid] {
        const std::optional<ProcessStat> process = ReadProcessStat(pid);
        return !process || process->state == 'Z';
    });
}

// The file a process runs; empty when it is gone.
std::string FileOf(pid_t pid) {
    char path[PATH_MAX] = "";
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string Folder(const std::string& file) {
    return file.substr(0, file.rfind('/'));
}

// The descriptors a link holds open: sockets, event and shared-memory files.
std::size_t LinkDescriptors() {
    std::size_t count = 0;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return 0;
    while (const dirent* entry = ::readdir(fds)) {
        char target[256] = "";
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0) continue;
        const std::string_view name(target, static_cast<std::size_t>(length));
        if (name.rfind("socket:", 0) == 0 || name.rfind("anon_inode:", 0) == 0 ||
            name.find("memfd:") != std::string_view::npos)
            ++count;
    }
    ::closedir(fds);
    return count;
}

// A session on the kernel program started locally or through the stand-in server, whose kernels
// follow the script too.
class SessionProcess : public LocalKernelTest {
protected:
    bool StartAndWait(const kernel::ConnectionSettings& settings) {
        return kerneltest::StartAndWait(*session, host, settings);
    }
    // The stand-in server's account "ann".
    kernel::ConnectionSettings Remote(const CalcServerFixture& server) {
        kernel::ConnectionSettings settings = LocalKernelSettings();
        settings.useLocalKernel = false;
        settings.serverHost = "127.0.0.1";
        settings.loginPort = server.server->loginPort();
        settings.userName = "ann";
        settings.password = "secret";
        return settings;
    }
};

TEST_F(SessionProcess, StartsTheKernelProgramShowingItsStepsAndQuitsIt) {
    ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
    ASSERT_TRUE(session->IsConnected()) << (host.messages.empty() ? "" : host.messages[0]);
    EXPECT_EQ(host.progressTexts,
              (std::vector<std::string>{"Starting the kernel...", "Starting the kernel"}));
    EXPECT_FALSE(host.progressOpen);
    EXPECT_TRUE(host.paletteOpen);
    EXPECT_FALSE(session->IsBusy());
    EXPECT_FALSE(session->IsRemote());

    EXPECT_EQ(TextOf(session->Simplify(*Sum(2, 3))), "5");
    EXPECT_EQ(TextOf(session->NextPriority(*Priorities())), "8");

    const pid_t kernel = session->KernelProcess();
    ASSERT_GT(kernel, 0);
    // The program beside the test, launched by its full path: the file the process runs.
    std::ifstream cmdline("/proc/" + std::to_string(kernel) + "/cmdline");
    std::string program;
    std::getline(cmdline, program, '\0');
    EXPECT_EQ(program, Folder(FileOf(::getpid())) + "/OskariaKernel.exe");
    EXPECT_EQ(FileOf(kernel), program);
    const auto before = Clock::now();
    session->Quit(true);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(session->IsConnected());
    EXPECT_FALSE(host.paletteOpen);
    EXPECT_TRUE(ProcessGone(kernel));
    EXPECT_TRUE(host.messages.empty());

    // A second start after the quit works as the first.
    ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
    EXPECT_TRUE(session->IsConnected());
    EXPECT_EQ(TextOf(session->Simplify(*Sum(1, 1))), "2");
}

TEST_F(SessionProcess, EscapeStopsASlowEvaluationAndTheSessionGoesOn) {
    Script("on TYSimplify slow 20\n");
    ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
    ASSERT_TRUE(session->IsConnected());
    const auto started = Clock::now();
    bool interrupted = false;
    auto lastEscape = started;
    host.onEvents = [&] {
        // The person types Escape while the kernel computes, and again a while later: a kernel
        // that has not yet read the request ignores an interrupt as stale.
        if (Clock::now() - lastEscape > std::chrono::milliseconds(300)) {
            lastEscape = Clock::now();
            interrupted = true;
            EXPECT_TRUE(session->IsBusy());
            session->Interrupt();
        }
    };
    NodePtr answer = session->Simplify(*Sum(2, 3));
    host.onEvents = nullptr;
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(TextOf(answer), "$Canceled");
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(15));
    EXPECT_GT(host.eventRounds, 0) << "the GUI was served while the kernel computed";
    EXPECT_TRUE(session->IsConnected());
    EXPECT_EQ(TextOf(session->NextPriority(*Priorities())), "8");
}

TEST_F(SessionProcess, AKernelThatStopsAnsweringIsEndedByQuit) {
    Script("on Quit stuck 30\n");
    ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
    ASSERT_TRUE(session->IsConnected());
    const pid_t kernel = session->KernelProcess();
    session->SetQuitDrainMilliseconds(300);
    const auto before = Clock::now();
    session->Quit(false);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(5));
    EXPECT_FALSE(session->IsConnected());
    EXPECT_TRUE(ProcessGone(kernel));
}

TEST_F(SessionProcess, KernelsThatMisbehaveLeaveTheSessionInStepOrClosed) {
    struct Row {
        const char* name;
        const char* script;
        bool connectedAfter;
        const char* answer;  // null: not checked
        const char* message; // the start of the one message expected; null: none
    };
    const Row rows[] = {
        {"dies mid-request", "on TYSimplify die-mid-evaluation\n", false, "Error",
         KernelSession::kLinkErrorPrefix},
        // The request ends with the error whether an answer would follow or not, and the link
        // goes: a late answer would be taken for the next request's.
        {"a packet of no known kind first", "on TYSimplify garbage unknown-head\n", false, "Error",
         KernelSession::kLinkErrorPrefix},
        {"a packet of no known kind and nothing more", "on TYSimplify garbage unknown-head-only\n",
         false, "Error", KernelSession::kLinkErrorPrefix},
        {"nesting too deep to build", "on TYSimplify garbage deep-nesting\n", true, nullptr,
         nullptr},
        {"promises more than it sends, then dies", "on TYSimplify garbage huge-count\n", false,
         nullptr, KernelSession::kLinkErrorPrefix},
        {"a warning first", "on TYSimplify warning Something odd happened\n", true, "5",
         "Oskaria returned an error: Something odd happened"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Script(row.script);
        host.messages.clear();
        kernel::SessionPrefs prefs = session->Prefs();
        prefs.showWarnings = true;
        session->SetPrefs(prefs);
        ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
        ASSERT_TRUE(session->IsConnected());
        host.paletteOpen = true;
        NodePtr answer = session->Simplify(*Sum(2, 3));
        if (row.answer) {
            EXPECT_EQ(TextOf(answer), row.answer);
        }
        EXPECT_EQ(session->IsConnected(), row.connectedAfter);
        EXPECT_EQ(host.paletteOpen, row.connectedAfter);
        if (row.message) {
            ASSERT_FALSE(host.messages.empty());
            EXPECT_EQ(host.messages[0].rfind(row.message, 0), 0u) << host.messages[0];
        } else {
            EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        }
        if (row.connectedAfter) {
            EXPECT_EQ(TextOf(session->NextPriority(*Priorities())), "8") << "still in step";
            session->Quit(false);
        }
    }
}

TEST_F(SessionProcess, StartIsRefusedWhileStartingAndCancelEndsTheStartQuietly) {
    session->Start(LocalKernelSettings());
    session->Start(LocalKernelSettings()); // a second Start while the first runs does nothing
    host.PressCancel();
    ASSERT_TRUE(host.PumpUntil([&] { return !session->IsStarting(); }, 60));
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(std::count(host.progressTexts.begin(), host.progressTexts.end(),
                         std::string("Starting the kernel...")),
              1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.paletteOpen);
    EXPECT_FALSE(host.progressOpen);

    kernel::ConnectionSettings missing = LocalKernelSettings();
    missing.kernelPath = "/nonexistent/folder";
    ASSERT_TRUE(StartAndWait(missing));
    EXPECT_FALSE(session->IsConnected());
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Can not locate the Oskaria kernel.\nThere is no "
                                       "OskariaKernel.exe at /nonexistent/folder."});
}

TEST_F(SessionProcess, AMissingKernelProgramEndsTheStartSayingWhereItLooked) {
    // Started from a terminal, where the link library's own prompt for another program would
    // wait for a line, and the start with it.
    TerminalInput terminal;
    ASSERT_TRUE(terminal.IsReady());
    kernel::ConnectionSettings missing = LocalKernelSettings();
    missing.kernelProgram = "NoSuchKernel.exe";
    const bool ended = StartAndWait(missing);
    if (!ended) terminal.Answer();
    ASSERT_TRUE(ended) << "the start waited for the terminal";
    EXPECT_FALSE(session->IsConnected());
    EXPECT_FALSE(host.progressOpen);
    EXPECT_FALSE(host.paletteOpen);
    EXPECT_TRUE(host.linkQuestions.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& message = host.messages[0];
    EXPECT_EQ(message.rfind("Can not locate the Oskaria kernel.\nThere is no NoSuchKernel.exe "
                            "beside the editor (",
                            0),
              0u)
        << message;
    char folder[PATH_MAX];
    ASSERT_NE(::getcwd(folder, sizeof folder), nullptr);
    EXPECT_NE(message.find(std::string("in the current folder (") + folder + ")"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("or on the PATH."), std::string::npos) << message;
}

TEST_F(SessionProcess, AKernelThatDiesWhileStartingIsReportedOnceAndClosed) {
    for (const char* death : {"die-before-connect", "die-after-connect"}) {
        SCOPED_TRACE(death);
        Script(std::string("on start ") + death + "\n");
        host.messages.clear();
        ASSERT_TRUE(StartAndWait(LocalKernelSettings()));
        EXPECT_FALSE(session->IsConnected());
        EXPECT_FALSE(host.paletteOpen);
        EXPECT_FALSE(host.progressOpen);
        // The start-up's own failure text, never the link library's message on its own.
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].rfind("Unable to start the kernel.", 0), 0u) << host.messages[0];
    }
}

TEST_F(SessionProcess, EndingTheProgramDuringAStartUpLeavesNothingBehind) {
    const auto endDuringStartUp = [&](bool remote) {
        kernel::ConnectionSettings settings = LocalKernelSettings();
        settings.useLocalKernel = !remote;
        settings.serverHost = "127.0.0.1";
        settings.loginPort = 9; // nobody listens: the start-up is still trying
        session->Start(settings);
        session.reset();
        host.Pump(); // work posted by the start-up finds the session gone
        session = std::make_unique<KernelSession>(host);
    };
    // Once first: the process's link environment keeps what it opens for every link.
    endDuringStartUp(false);
    ASSERT_TRUE(Eventually([] { return RunningKernels().empty(); }));
    const std::size_t descriptors = LinkDescriptors();
    for (bool remote : {false, true}) {
        SCOPED_TRACE(remote ? "remote" : "local");
        endDuringStartUp(remote);
        EXPECT_TRUE(Eventually([] { return RunningKernels().empty(); }))
            << RunningKernels().size() << " kernel processes left";
        EXPECT_TRUE(Eventually([&] { return LinkDescriptors() <= descriptors; }))
            << LinkDescriptors() - descriptors << " link descriptors left open";
    }
}

TEST_F(SessionProcess, ARemoteKernelIsReachedThroughTheServerAndLoggedOutOnQuit) {
    CalcServerFixture server(standin::calc::kernelCommand(KERNEL_PROGRAM), "");
    ASSERT_TRUE(server.started);
    kernel::ConnectionSettings settings = Remote(server);
    // The session counts whole minutes of the calendar, on the wall clock.
    const auto wallMinute = [] { return std::time(nullptr) / 60; };
    const auto firstMinute = wallMinute();
    ASSERT_TRUE(StartAndWait(settings));
    ASSERT_TRUE(session->IsConnected()) << (host.messages.empty() ? "" : host.messages[0]);
    EXPECT_TRUE(session->IsRemote());
    EXPECT_EQ(host.progressTexts,
              (std::vector<std::string>{"Starting the kernel...",
                                        "Initializing network connection.", "Logging in.",
                                        "Requesting a kernel.", "Waiting for a kernel to start."}));
    EXPECT_EQ(TextOf(session->Simplify(*Sum(2, 3))), "5");
    session->Quit(true);
    // A minute that began while the test ran is one less left; mostly none did.
    std::vector<std::vector<std::string>> expected;
    for (auto minutes = 30 - (wallMinute() - firstMinute); minutes <= 30; ++minutes)
        expected.push_back({"The connection to the kernel is now closed.\nYou have " +
                            std::to_string(minutes) + " minutes left on your account."});
    EXPECT_THAT(host.messages, ::testing::AnyOfArray(expected));
    session.reset(); // waits for the logout
    EXPECT_EQ(server.server->kernelProcess(1), 0);
    EXPECT_EQ(server.AccountMinutes(), 30);
}

TEST_F(SessionProcess, ARemoteKernelThatDiesIsLoggedOutOfTheServer) {
    CalcServerFixture server(standin::calc::kernelCommand(KERNEL_PROGRAM), "");
    ASSERT_TRUE(server.started);
    ASSERT_TRUE(StartAndWait(Remote(server)));
    ASSERT_TRUE(session->IsConnected());
    const pid_t kernel = server.server->kernelProcess(1);
    ASSERT_GT(kernel, 0);
    ::kill(kernel, SIGKILL);
    EXPECT_EQ(session->Simplify(*Sum(2, 3))->TypeTag(), TypeTag("errN"));
    EXPECT_FALSE(session->IsConnected());
    session.reset(); // waits for the logout
    EXPECT_EQ(server.server->kernelProcess(1), 0);
}

TEST_F(SessionProcess, TheServerEndingTheKernelQuitsItOnceTheRequestIsAnswered) {
    // The server ends the kernel while a slow request runs: the quit waits for the answer.
    Script("on TYSimplify slow 1\n");
    CalcServerFixture server(standin::calc::kernelCommand(KERNEL_PROGRAM), "server status 2\n");
    ASSERT_TRUE(server.started);
    kernel::ConnectionSettings settings = Remote(server);
    settings.pollMilliseconds = 100;
    ASSERT_TRUE(StartAndWait(settings));
    ASSERT_TRUE(session->IsConnected());
    EXPECT_EQ(TextOf(session->Simplify(*Sum(2, 3))), "5");
    EXPECT_TRUE(session->IsConnected() || !host.messages.empty());
    ASSERT_TRUE(host.PumpUntil([&] { return !session->IsConnected(); }, 20));
    ASSERT_TRUE(host.PumpUntil(
        [&] {
            return std::count(host.messages.begin(), host.messages.end(),
                              std::string(kernel::ServerConnection::kKernelEnded)) == 1;
        },
        20));
}

} // namespace
} // namespace kerneltest
