// The kernel program in a process of its own: launched through the link library the way the
// editor launches it, and started by the calculation server, over both device plug-ins. Every
// wait is bounded by a yield function with a deadline.

#include "CalcServer.h"
#include "KernelHarness.h"
#include "Wire.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>

namespace standin::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<Clock::rep> deadlineTicks{0};

// Bounds the waits that follow: a guard against a hang, never what a test waits for, so it
// is long enough that a loaded machine does not meet it.
void restartDeadline() {
    deadlineTicks = (Clock::now() + std::chrono::seconds(90)).time_since_epoch().count();
}
// While set, the wait for an answer on it presses the editor's Escape every 300 ms, as a person
// would: a kernel that has not yet begun the request drops an interrupt as stale, which on a
// loaded machine can befall the first press. The yield runs on the reading thread, where the
// editor sends its interrupts too.
QKLINK escapeLink = nullptr;
Clock::time_point lastEscape;
int escapesSent = 0;
int escapesRefused = 0;

int32_t stopAtDeadline(QKLINK, QKYieldParameters) {
    if (escapeLink && Clock::now() - lastEscape > std::chrono::milliseconds(300)) {
        lastEscape = Clock::now();
        ++(QKPutMessage(escapeLink, kInterruptMessage) ? escapesSent : escapesRefused);
    }
    return Clock::now().time_since_epoch().count() > deadlineTicks ? 1 : 0;
}

Expr x() {
    return sym("x");
}
Expr doubled() {
    return fn("TYSimplify", {fn("TYPlus", {x(), x()})});
}

// One suite name per build of the editor's end, so that both programs' tests stand side by side.
#define KernelProgram KERNEL_PROGRAM_SUITE

class KernelProgram : public ::testing::Test {
protected:
    void SetUp() override {
        restartDeadline();
        // The interface range this build of the library serves.
        QKNewParameters(m_block, 7, QKNewParameters(nullptr, 0, 0) >> 16);
        env = QKBegin(m_block);
        ASSERT_NE(env, nullptr);
        m_yielder = QKCreateYieldFunction(env, stopAtDeadline, nullptr);
    }
    void TearDown() override {
        for (QKLINK link : m_links)
            QKClose(link);
        QKDestroyYieldFunction(m_yielder);
        QKEnd(env);
    }

    QKLINK open(const std::string& options) {
        int32_t error = 0;
        QKLINK link = QKOpenString(env, options.c_str(), &error);
        EXPECT_NE(link, nullptr) << options << ": error " << error;
        if (!link) return nullptr;
        QKSetYieldFunction(link, m_yielder);
        m_links.push_back(link);
        EXPECT_TRUE(QKConnect(link)) << QKErrorMessage(link);
        return link;
    }

    QKENV env = nullptr;
    QKYieldFunctionObject m_yielder = nullptr;

private:
    QKParameters m_block{};
    std::vector<QKLINK> m_links;
};

TEST_F(KernelProgram, LaunchedAsTheEditorDoesItAnswersStopsOnInterruptAndQuits) {
    const std::string program = std::string("'") + KERNEL_PROGRAM + "'";
    struct Case {
        const char* name;
        std::string options;
    };
    const Case cases[] = {
        {"the editor's own options", "-linklaunch -linkname " + program + " -corvinet"},
        {"over TCP", "-linklaunch -linkprotocol TCP -linkname " + program},
    };
    for (const Case& c : cases) {
        // Each launch, answer and interrupt waits for what it waits for, however slow the
        // machine: the deadline only ends a hang.
        restartDeadline();
        QKLINK link = open(c.options);
        ASSERT_NE(link, nullptr) << c.name;
        EditorEnd editor(link);
        auto answer = editor.request(doubled());
        ASSERT_TRUE(answer) << c.name << ": packet " << editor.lastPacket;
        EXPECT_EQ(linearText(*answer), "2*x") << c.name;

        // The editor's Escape: the urgent message while the kernel computes.
        ASSERT_TRUE(QKPutFunction(link, "EvaluatePacket", 1) &&
                    QKPutFunction(link, "TYStringEvaluate", 1) && QKPutFunction(link, "List", 1) &&
                    QKPutString(link, "s:=0;for(j:=0;j<10^12;j++){s:=s+1};s") &&
                    QKEndPacket(link) && QKFlush(link));
        restartDeadline();
        lastEscape = Clock::now();
        escapesSent = escapesRefused = 0;
        escapeLink = link;
        auto stopped = editor.answer();
        escapeLink = nullptr;
        EXPECT_GT(escapesSent, 0) << c.name;
        EXPECT_EQ(escapesRefused, 0) << c.name;
        ASSERT_TRUE(stopped) << c.name;
        EXPECT_TRUE(stopped->isSymbol("$Canceled")) << c.name << ": " << linearText(*stopped);

        restartDeadline();
        auto quit = editor.request(fn("Quit", {}));
        ASSERT_TRUE(quit) << c.name << ": packet " << editor.lastPacket << ", error "
                          << editor.lastError;
        EXPECT_TRUE(quit->isSymbol("$Suspended")) << c.name;
    }
}

TEST_F(KernelProgram, AKernelThatDiesAroundConnectingEndsTheEditorsWait) {
    char folder[] = "/tmp/standin-script-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string script = std::string(folder) + "/script";
    const std::string options = std::string("-linklaunch -linkname '") + KERNEL_PROGRAM + "'";
    for (const char* death : {"die-before-connect", "die-after-connect"}) {
        std::ofstream(script) << "on start " << death << "\n";
        ::setenv(Script::kVariable, script.c_str(), 1);
        int32_t error = 0;
        QKLINK link = QKOpenString(env, options.c_str(), &error);
        ::unsetenv(Script::kVariable);
        if (!link) continue; // the launch itself noticed
        QKSetYieldFunction(link, m_yielder);
        if (QKConnect(link)) {
            EditorEnd editor(link);
            EXPECT_FALSE(editor.request(doubled())) << death;
        } else {
            EXPECT_NE(QKError(link), 0) << death;
        }
        EXPECT_LT(Clock::now().time_since_epoch().count(), deadlineTicks.load())
            << death << ": the wait ended on its own";
        QKClose(link);
    }
    std::remove(script.c_str());
    ::rmdir(folder);
}

TEST_F(KernelProgram, TheCalculationServerStartsOneTheEditorReachesOverTcp) {
    char folder[] = "/tmp/standin-process-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string accounts = std::string(folder) + "/accounts";
    std::ofstream(accounts) << "ann secret 30\n";
    calc::ServerConfig config;
    config.loginPort = 0;
    config.accountsPath = accounts;
    config.kernelCommand = calc::kernelCommand(KERNEL_PROGRAM);
    auto server = std::make_unique<calc::CalcServer>(config);
    std::string error;
    ASSERT_TRUE(server->start(&error)) << error;

    auto exchange = [](uint16_t port, const std::string& request) {
        int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        std::string reply;
        if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            calc::sendAll(s, request)) {
            timeval tv{15, 0};
            ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
            char buffer[256];
            for (ssize_t n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;)
                reply.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(s);
        return reply;
    };
    auto int32At = [](const std::string& b, std::size_t at) {
        uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = v << 8 | static_cast<unsigned char>(b.at(at + i));
        return static_cast<int32_t>(v);
    };
    const std::string accepted =
        exchange(server->loginPort(), calc::Message().byte(1).string("ann").bytes());
    ASSERT_GE(accepted.size(), 11u);
    ASSERT_EQ(accepted[0], 0);
    const int32_t token = int32At(accepted, 1);
    const std::string kernel =
        exchange(server->kernelPort(), calc::Message()
                                           .byte(1)
                                           .string("ann")
                                           .int32(token)
                                           .int32(calc::passwordAnswer(token, "secret"))
                                           .bytes());
    ASSERT_EQ(kernel.size(), 8u);
    ASSERT_EQ(kernel[0], 0);
    const unsigned port =
        static_cast<unsigned char>(kernel[2]) << 8 | static_cast<unsigned char>(kernel[3]);

    QKLINK link = open("-linkconnect -linkprotocol \"TCP\" -linkname \"" + std::to_string(port) +
                       "\" -linkhost \"127.0.0.1\"");
    ASSERT_NE(link, nullptr);
    EditorEnd editor(link);
    auto answer = editor.request(doubled());
    ASSERT_TRUE(answer) << "packet " << editor.lastPacket;
    EXPECT_EQ(linearText(*answer), "2*x");

    const std::string logout = exchange(
        server->kernelPort(), calc::Message().byte(3).byte(kernel[1]).string("ann").bytes());
    EXPECT_EQ(logout.size(), 5u);
    server.reset();
    std::remove(accounts.c_str());
    ::rmdir(folder);
}

} // namespace
} // namespace standin::testing
