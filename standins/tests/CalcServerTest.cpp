// The calculation server's byte exchanges on loopback, against tables of the bytes expected.

#include "CalcServer.h"

#include "Wire.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace standin::calc {
namespace {

using Bytes = std::string;

Bytes b(std::initializer_list<int> octets) {
    Bytes out;
    for (int o : octets)
        out.push_back(static_cast<char>(o));
    return out;
}

std::string hex(const Bytes& bytes) {
    std::string out;
    char buffer[4];
    for (unsigned char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", c);
        out += buffer;
    }
    return out;
}

// Sends `request` to 127.0.0.1:port and reads until the server closes or `timeoutMs` passes.
Bytes exchange(uint16_t port, const Bytes& request, int timeoutMs = 5000) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return "<no connection>";
    }
    sendAll(s, request);
    Bytes reply;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        until - std::chrono::steady_clock::now())
                        .count();
        pollfd readable{s, POLLIN, 0};
        if (left <= 0 || ::poll(&readable, 1, static_cast<int>(left)) != 1) break;
        char buffer[256];
        ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(s);
    return reply;
}

bool portTaken(uint16_t port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bool taken = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
    ::close(s);
    return taken;
}

Bytes login(const std::string& user) {
    return Message().byte(1).string(user).bytes();
}

int32_t int32At(const Bytes& bytes, std::size_t at) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return static_cast<int32_t>(v);
}

class CalcServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/calcserver-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        accountsPath = m_folder + "/accounts";
        writeAccounts("ann secret 30\nbob pw 0\n");
    }
    void TearDown() override {
        server.reset();
        std::remove(accountsPath.c_str());
        std::remove((accountsPath + ".new").c_str());
        ::rmdir(m_folder.c_str());
    }

    void writeAccounts(const std::string& text) { std::ofstream(accountsPath) << text; }
    std::string readAccounts() {
        std::stringstream text;
        text << std::ifstream(accountsPath).rdbuf();
        return text.str();
    }

    void startServer(const std::string& script = "",
                     std::vector<std::string> kernel = {TEST_LISTENER, "-linkname", "{port}"}) {
        ServerConfig config;
        config.loginPort = 0;
        config.accountsPath = accountsPath;
        config.kernelCommand = std::move(kernel);
        config.script = Script::parse(script);
        config.ioTimeoutMilliseconds = 2000;
        config.now = [this] { return clock.load(); };
        server = std::make_unique<CalcServer>(config);
        std::string error;
        ASSERT_TRUE(server->start(&error)) << error;
    }

    // Logs in and asks for a kernel; the kernel server's reply.
    Bytes openSession(const std::string& user, const std::string& password) {
        Bytes accepted = exchange(server->loginPort(), login(user));
        if (accepted.size() < 5 || accepted[0] != 0) return accepted;
        const int32_t token = int32At(accepted, 1);
        return exchange(server->kernelPort(), Message()
                                                  .byte(1)
                                                  .string(user)
                                                  .int32(token)
                                                  .int32(passwordAnswer(token, password))
                                                  .bytes());
    }

    std::string accountsPath;
    std::atomic<long long> clock{1'000'000};
    std::unique_ptr<CalcServer> server;

private:
    std::string m_folder;
};

TEST_F(CalcServerTest, LoginRepliesFollowTheAccountAndTheScript) {
    struct Case {
        const char* name;
        const char* script;
        Bytes request;
        bool accepted;
        Bytes expected; // for an accepted login: the bytes after the token, address and port
    };
    const Case cases[] = {
        {"accepted without a banner", "", login("ann"), true, b({0, 0, 0})},
        {"accepted with a banner", "server banner Welcome|http://site|Visit", login("ann"), true,
         Message().string("Welcome").string("http://site").string("Visit").bytes()},
        {"no such account", "", login("zoe"), false, b({1})},
        {"no time left", "", login("bob"), false, b({2})},
        {"no kernel free, with a message", "server login-reply 3 Busy now|http://s|Go",
         login("ann"), false,
         Message().byte(3).string("Busy now").string("http://s").string("Go").bytes()},
        {"refused for another reason, without text", "server login-reply 4", login("ann"), false,
         b({4, 0, 0, 0})},
        {"a request of another kind gets no reply", "", b({9, 3, 'a', 'n', 'n'}), false, ""},
        {"a dropped connection", "server drop login", login("ann"), false, ""},
    };
    for (const Case& c : cases) {
        startServer(c.script);
        Bytes reply = exchange(server->loginPort(), c.request);
        if (c.accepted) {
            ASSERT_EQ(reply.size(), 11 + c.expected.size()) << c.name << ": " << hex(reply);
            EXPECT_EQ(reply[0], 0) << c.name;
            EXPECT_EQ(reply.substr(5, 4), b({0x7F, 0, 0, 1})) << c.name;
            EXPECT_EQ(reply.substr(9, 2), Message().int16(server->kernelPort()).bytes()) << c.name;
            EXPECT_EQ(hex(reply.substr(11)), hex(c.expected)) << c.name;
        } else {
            EXPECT_EQ(hex(reply), hex(c.expected)) << c.name;
        }
        server.reset();
    }
}

TEST_F(CalcServerTest, AKernelStartsOnAFreshPortForTheRightPassword) {
    startServer();
    Bytes reply = openSession("ann", "secret");
    ASSERT_EQ(reply.size(), 8u) << hex(reply);
    EXPECT_EQ(reply[0], 0);
    EXPECT_EQ(reply[1], 1) << "the first kernel id";
    const uint16_t port = static_cast<uint16_t>(static_cast<unsigned char>(reply[2]) << 8 |
                                                static_cast<unsigned char>(reply[3]));
    EXPECT_EQ(int32At(reply, 4), 30);
    EXPECT_NE(port, server->kernelPort());
    EXPECT_GT(server->kernelProcess(1), 0);
    EXPECT_TRUE(portTaken(port)) << "the kernel listens before the reply";
    // Below the ports the system picks for connections, where another program's connection
    // cannot take it while the kernel starts.
    unsigned systemsLowest = 0;
    ASSERT_TRUE(std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> systemsLowest);
    EXPECT_LT(port, systemsLowest);

    Bytes second = openSession("ann", "secret");
    ASSERT_EQ(second.size(), 8u) << hex(second);
    EXPECT_EQ(second[1], 2) << "each session has its own kernel id";
}

TEST_F(CalcServerTest, KernelRequestsThatFail) {
    struct Case {
        const char* name;
        const char* script;
        std::vector<std::string> kernel;
        const char* password;
        Bytes expected;
    };
    const std::vector<std::string> listener = {TEST_LISTENER, "-linkname", "{port}"};
    const Case cases[] = {
        {"wrong password", "", listener, "guess", b({3})},
        {"no kernel can be started", "", {"/bin/false"}, "secret", b({2})},
        {"scripted: no time left", "server kernel-reply 1", listener, "secret", b({1})},
        {"scripted: any other code", "server kernel-reply 7", listener, "secret", b({7})},
        {"dropped", "server drop kernel", listener, "secret", ""},
    };
    for (const Case& c : cases) {
        startServer(c.script, c.kernel);
        EXPECT_EQ(hex(openSession("ann", c.password)), hex(c.expected)) << c.name;
        server.reset();
    }
    startServer();
    Bytes unasked = exchange(server->kernelPort(),
                             Message().byte(1).string("ann").int32(1234).int32(0).bytes());
    EXPECT_EQ(hex(unasked), hex(b({3}))) << "a token the server never issued";
}

TEST_F(CalcServerTest, AStatusPollAnswersTheSessionsState) {
    startServer();
    ASSERT_EQ(openSession("ann", "secret").size(), 8u);
    const Bytes poll = b({2, 1});
    EXPECT_EQ(hex(exchange(server->kernelPort(), poll)), hex(b({0, 0, 0, 0, 30})));
    EXPECT_EQ(hex(exchange(server->kernelPort(), b({2, 9}))), hex(b({2}))) << "no such kernel";
    clock += 31 * 60;
    EXPECT_EQ(hex(exchange(server->kernelPort(), poll)), hex(b({3}))) << "the time ran out";
}

TEST_F(CalcServerTest, AStatusPollNoticesTheKernelHasEnded) {
    startServer();
    Bytes reply = openSession("ann", "secret");
    ASSERT_EQ(reply.size(), 8u);
    const pid_t kernel = server->kernelProcess(1);
    ASSERT_GT(kernel, 0);
    ::kill(kernel, SIGTERM);
    Bytes answer;
    for (int i = 0; i < 100 && answer != b({2}); ++i) {
        answer = exchange(server->kernelPort(), b({2, 1}));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(hex(answer), hex(b({2})));
}

TEST_F(CalcServerTest, ScriptedStatusesAndMinutesRepeatAtEveryPoll) {
    startServer("server status 1\nserver minutes 4\n");
    Bytes session = openSession("ann", "secret");
    ASSERT_EQ(session.size(), 8u);
    EXPECT_EQ(int32At(session, 4), 4) << "low minutes";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hex(exchange(server->kernelPort(), b({2, 1}))), hex(b({1, 0, 0, 0, 4})));
}

// The editor counts the minutes of the calendar from the session's start to now: so does the
// charge, so that what the editor says is left is what the account keeps.
TEST_F(CalcServerTest, LogoutChargesTheMinutesOfTheCalendarBegunAndEndsTheKernel) {
    startServer();
    ASSERT_EQ(openSession("ann", "secret").size(), 8u);
    clock += 81; // from 40 s into a minute to 1 s into the second minute after it
    const Bytes logout = Message().byte(3).byte(1).string("ann").bytes();
    EXPECT_EQ(hex(exchange(server->kernelPort(), logout)), hex(b({0, 0, 0, 0, 28})));
    EXPECT_EQ(server->kernelProcess(1), 0);
    EXPECT_NE(readAccounts().find("ann secret 28\n"), std::string::npos) << readAccounts();
    EXPECT_EQ(hex(exchange(server->kernelPort(), logout)), hex(b({1}))) << "already logged out";

    ASSERT_EQ(openSession("ann", "secret").size(), 8u);
    EXPECT_EQ(hex(exchange(server->kernelPort(), Message().byte(3).byte(1).string("bob").bytes())),
              hex(b({1})))
        << "another user's session";
    clock += 30;
    EXPECT_EQ(hex(exchange(server->kernelPort(), logout)), hex(b({0, 0, 0, 0, 28})))
        << "half a minute within one minute of the calendar: nothing charged";
}

TEST_F(CalcServerTest, ADelayPastTheClientsTimeoutLeavesItWithoutAnAnswer) {
    startServer("server delay status 1500\n");
    ASSERT_EQ(openSession("ann", "secret").size(), 8u);
    EXPECT_EQ(exchange(server->kernelPort(), b({2, 1}), 300), "");
    EXPECT_EQ(hex(exchange(server->kernelPort(), b({2, 1}), 5000)), hex(b({0, 0, 0, 0, 30})))
        << "and serves the next one once the delay has passed";
}

TEST_F(CalcServerTest, ASilentClientDoesNotStopTheServer) {
    startServer();
    int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(server->loginPort());
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Bytes reply = exchange(server->loginPort(), login("zoe"), 8000);
    ::close(silent);
    EXPECT_EQ(hex(reply), hex(b({1})));
}

TEST_F(CalcServerTest, StartingFailsClearlyWhenThePortIsTaken) {
    startServer();
    ServerConfig config;
    config.loginPort = server->loginPort();
    config.accountsPath = accountsPath;
    CalcServer second(config);
    std::string error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_NE(error.find(std::to_string(server->loginPort())), std::string::npos) << error;

    ServerConfig missing;
    missing.loginPort = 0;
    missing.accountsPath = accountsPath + ".absent";
    CalcServer third(missing);
    EXPECT_FALSE(third.start(&error));
    EXPECT_NE(error.find("accounts"), std::string::npos) << error;
}

TEST(Accounts, LinesThatAreNotAccountsArePassedOver) {
    int skipped = -1;
    Accounts a = Accounts::parse("# comment\nann secret 30\n\nbob pw\ncarl pw 7 extra\n"
                                 "dan pw many\neve pw -3 # owes\n",
                                 &skipped);
    EXPECT_EQ(skipped, 3);
    ASSERT_TRUE(a.find("ann"));
    EXPECT_EQ(a.find("ann")->minutes, 30);
    ASSERT_TRUE(a.find("eve"));
    EXPECT_EQ(a.find("eve")->minutes, -3);
    EXPECT_FALSE(a.find("bob"));
    EXPECT_EQ(a.text(), "# user password minutes\nann secret 30\neve pw -3\n");
    EXPECT_FALSE(a.save("/nonexistent-folder/accounts"));
}

TEST(Wire, BytesArePinned) {
    EXPECT_EQ(hex(Message().byte(7).int16(0x1234).int32(-2).string("ab").bytes()),
              "07 12 34 FF FF FF FE 02 61 62 ");
    EXPECT_EQ(Message().string(std::string(300, 'x')).bytes().size(), 256u) << "cut to 255";
    // The password answer: FNV-1a over the token's octets, then the password's.
    EXPECT_EQ(passwordAnswer(0, ""), static_cast<int32_t>(0x4B95F515u));
    EXPECT_EQ(passwordAnswer(0x01020304, "secret"), passwordAnswer(0x01020304, "secret"));
    EXPECT_NE(passwordAnswer(0x01020304, "secret"), passwordAnswer(0x01020305, "secret"));
    EXPECT_NE(passwordAnswer(0x01020304, "secret"), passwordAnswer(0x01020304, "secreT"));
}

} // namespace
} // namespace standin::calc
