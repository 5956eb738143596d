// The calculation server's side: socket errors and their texts, the bounded socket steps, the
// start-up's login and kernel request against every reply, and the server connection's polls,
// notices and logout.

#include "ServerFixture.h"
#include "kernel/KernelStartup.h"
#include "kernel/ServerConnection.h"
#include "kernel/ServerWire.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace kerneltest {
namespace {

using kernel::ServerSocket;
using kernel::SocketErrorText;

std::vector<std::string> ListenerKernel() {
    return {TEST_LISTENER, "-linkname", "{port}"};
}

TEST(SocketErrors, DescriptionsAndMeanings) {
    const struct {
        int32_t code;
        const char* text;
    } texts[] = {
        {10041, "Protocol wrong type for socket."},
        {10060, "Connection timed out."},
        {10061, "Connection refused."},
        {11001, "Host not found."},
        {11004, "Valid name, no data record of requested type."},
        {10063, ""},
        {0, ""},
    };
    for (const auto& row : texts)
        EXPECT_STREQ(SocketErrorText(row.code), row.text) << row.code;

    const struct {
        int error;
        int32_t code;
    } meanings[] = {
        {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060}, {ENETUNREACH, 10051}, {EHOSTUNREACH, 10065},
        {ECONNRESET, 10054},   {EPIPE, 10058},     {EADDRINUSE, 10048},
    };
    for (const auto& row : meanings)
        EXPECT_EQ(kernel::SocketErrorFromErrno(row.error), row.code) << row.error;
    EXPECT_EQ(kernel::SocketErrorFromResolver(EAI_NONAME), 11001);
}

TEST(ServerWire, AddressesAndTheOptionsThatConnectTheLink) {
    EXPECT_EQ(kernel::DottedAddress(0xC0A80005), "192.168.0.5");
    EXPECT_EQ(kernel::KernelStartup::ConnectOptions(0xC0A80005, 4711),
              "-linkconnect -linkprotocol \"TCP\" -linkname \"4711\" -linkhost \"192.168.0.5\"");
    EXPECT_EQ(kernel::WireMessage().Byte(1).String("ann").Int32(-2).Int16(0x1234).Bytes(),
              std::string("\x01\x03"
                          "ann\xFF\xFF\xFF\xFE\x12\x34",
                          11));
    EXPECT_EQ(kernel::WireMessage().String(std::string(300, 'a')).Bytes().size(), 256u)
        << "a string's length has one octet";
}

// A listening socket on loopback that accepts and then says nothing.
class SilentServer {
public:
    SilentServer() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_socket); }
    uint16_t port = 0;

private:
    int m_socket = -1;
};

TEST(ServerSocketSteps, EndOnRefusalTimeoutAndCancel) {
    uint16_t closedPort = 0;
    {
        SilentServer gone;
        closedPort = gone.port;
    }
    ServerSocket refused(nullptr, 2000);
    EXPECT_FALSE(refused.Connect("127.0.0.1", closedPort));
    EXPECT_EQ(refused.Error(), kernel::kSocketRefused);

    ServerSocket unknown(nullptr, 2000);
    EXPECT_FALSE(unknown.Connect("no-such-host.invalid", 701));
    EXPECT_GE(unknown.Error(), 11001);

    SilentServer silent;
    ServerSocket waiting(nullptr, 200);
    ASSERT_TRUE(waiting.Connect("127.0.0.1", silent.port));
    uint8_t byte = 0;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(waiting.ReadByte(byte));
    EXPECT_EQ(waiting.Error(), kernel::kSocketTimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));

    std::atomic<bool> cancel{false};
    ServerSocket cancelled(&cancel, 30000);
    ASSERT_TRUE(cancelled.Connect("127.0.0.1", silent.port));
    std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cancel = true;
    }).detach();
    EXPECT_FALSE(cancelled.ReadByte(byte));
    EXPECT_TRUE(cancelled.Cancelled());
    EXPECT_EQ(cancelled.Error(), 0);
}

// Runs a remote start-up to its end; the failure text and the server's messages.
struct StartupOutcome {
    std::string failure;
    std::vector<std::string> serverMessages;
    std::vector<std::string> statuses;
    bool linked = false;
};

StartupOutcome RunRemoteStartup(uint16_t loginPort, const std::string& password,
                                int timeoutMs = 5000) {
    kernel::ConnectionSettings settings;
    settings.useLocalKernel = false;
    settings.serverHost = "127.0.0.1";
    settings.loginPort = loginPort;
    settings.userName = "ann";
    settings.password = password;
    settings.socketTimeoutMs = timeoutMs;
    StartupOutcome outcome;
    std::mutex mutex;
    std::promise<void> done;
    kernel::KernelStartup::Callbacks callbacks;
    callbacks.status = [&](const std::string& text) {
        std::lock_guard lock(mutex);
        outcome.statuses.push_back(text);
    };
    callbacks.serverMessage = [&](const std::string& text, const std::string& site,
                                  const std::string& caption) {
        std::lock_guard lock(mutex);
        outcome.serverMessages.push_back(text + "|" + site + "|" + caption);
    };
    callbacks.done = [&] { done.set_value(); };
    QKENV env = QKInitialize(nullptr);
    {
        kernel::KernelStartup startup(env, settings, std::move(callbacks));
        startup.Run();
        EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
        startup.Join();
        outcome.failure = startup.Failure();
        if (QKLINK link = startup.TakeLink()) {
            outcome.linked = true;
            QKClose(link);
        }
    }
    QKDeinitialize(env);
    return outcome;
}

TEST(RemoteStartup, EveryRejectionEndsWithItsText) {
    struct Row {
        const char* name;
        const char* script;
        const char* password;
        const char* failure;
        const char* serverMessage; // null: none
    };
    const Row rows[] = {
        {"no account", "server login-reply 1\n", "secret",
         "The server has rejected your connection because there is no account matching the user "
         "name you have supplied. Check your user name in the account options dialog box.",
         nullptr},
        {"no time at login", "server login-reply 2\n", "secret",
         "The server has rejected your connection because you have used up all of your server "
         "time.",
         nullptr},
        {"no kernel free", "server login-reply 3\n", "secret",
         "The server has rejected your connection because all available kernels are in use or "
         "the server is preparing to shut down for maintenance.",
         nullptr},
        {"no kernel free, with the server's word: no second message",
         "server login-reply 3 Closed today|https://example.org/news|News\n", "secret", "",
         "Closed today|https://example.org/news|News"},
        {"refused for another reason", "server login-reply 4\n", "secret",
         "The server has rejected your connection. Please try again later.", nullptr},
        {"no time at the kernel server", "server kernel-reply 1\n", "secret",
         "The server has rejected your connection because you have used up all of your server "
         "time.",
         nullptr},
        {"kernels in use", "server kernel-reply 2\n", "secret",
         "The server has rejected your connection because all available kernels are in use.",
         nullptr},
        {"an unknown kernel-server reply", "server kernel-reply 7\n", "secret",
         "The server has rejected your connection because your password is incorrect.\nCheck "
         "your password in the connection options dialog box.",
         nullptr},
        {"a wrong password", "", "wrong",
         "The server has rejected your connection because your password is incorrect.\nCheck "
         "your password in the connection options dialog box.",
         nullptr},
        {"the login server drops the line", "server drop login\n", "secret",
         "Communication with server failed. ", nullptr},
        {"the kernel server drops the line", "server drop kernel\n", "secret",
         "Communication with kernel server failed. ", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CalcServerFixture server(ListenerKernel(), row.script);
        ASSERT_TRUE(server.started);
        const StartupOutcome outcome = RunRemoteStartup(server.server->loginPort(), row.password);
        EXPECT_EQ(outcome.failure, row.failure);
        EXPECT_FALSE(outcome.linked);
        if (row.serverMessage)
            EXPECT_EQ(outcome.serverMessages, std::vector<std::string>{row.serverMessage});
        else
            EXPECT_TRUE(outcome.serverMessages.empty());
    }
}

TEST(RemoteStartup, AcceptedLoginsShowTheBannerAndGoOn) {
    // The listener takes the link's connection and ends, so the link itself fails: what this
    // shows is the way there, and that the kernel is given back to the server.
    CalcServerFixture server(ListenerKernel(), "server banner Welcome|ftp://example.org|Site\n");
    ASSERT_TRUE(server.started);
    const StartupOutcome outcome = RunRemoteStartup(server.server->loginPort(), "secret");
    // Only a web address is offered for opening.
    EXPECT_EQ(outcome.serverMessages, std::vector<std::string>{"Welcome||Site"});
    EXPECT_EQ(outcome.statuses,
              (std::vector<std::string>{"Initializing network connection.", "Logging in.",
                                        "Requesting a kernel.", "Waiting for a kernel to start."}));
    EXPECT_EQ(outcome.failure.rfind("Could not initialize Corvinet.", 0), 0u) << outcome.failure;
    EXPECT_EQ(server.server->kernelProcess(1), 0) << "the failed start-up logged out";
}

TEST(RemoteStartup, ASilentServerTimesOutAndNoServerIsRefused) {
    SilentServer silent;
    const StartupOutcome slow = RunRemoteStartup(silent.port, "secret", 300);
    EXPECT_EQ(slow.failure, "Communication with server failed. Connection timed out.");
    uint16_t closedPort = 0;
    {
        SilentServer gone;
        closedPort = gone.port;
    }
    const StartupOutcome none = RunRemoteStartup(closedPort, "secret");
    EXPECT_EQ(none.failure, "Could not connect to the server to log in. Connection refused.");
}

// A kernel granted by the server, without a link to it.
kernel::KernelStartup::Grant GrantFrom(CalcServerFixture& server) {
    auto exchange = [](uint16_t port, const kernel::WireMessage& request, auto&& read) {
        ServerSocket socket(nullptr, 5000);
        EXPECT_TRUE(socket.Connect("127.0.0.1", port));
        EXPECT_TRUE(socket.Send(request));
        read(socket);
    };
    int32_t token = 0;
    int32_t address = 0;
    uint16_t port = 0;
    exchange(server.server->loginPort(), kernel::WireMessage().Byte(1).String("ann"),
             [&](ServerSocket& s) {
                 uint8_t reply = 9;
                 EXPECT_TRUE(s.ReadByte(reply) && reply == 0);
                 EXPECT_TRUE(s.ReadInt32(token) && s.ReadInt32(address) && s.ReadInt16(port));
             });
    kernel::KernelStartup::Grant grant;
    grant.user = "ann";
    grant.address = static_cast<uint32_t>(address);
    grant.host = kernel::DottedAddress(grant.address);
    grant.port = port;
    exchange(port,
             kernel::WireMessage().Byte(1).String("ann").Int32(token).Int32(
                 kernel::PasswordAnswer(token, "secret")),
             [&](ServerSocket& s) {
                 uint8_t reply = 9;
                 uint16_t linkPort = 0;
                 EXPECT_TRUE(s.ReadByte(reply) && reply == 0);
                 EXPECT_TRUE(s.ReadByte(grant.kernelId) && s.ReadInt16(linkPort) &&
                             s.ReadInt32(grant.minutes));
             });
    return grant;
}

struct Recorded {
    std::mutex mutex;
    std::vector<std::string> messages;
    int quits = 0;
    kernel::ServerConnection::Callbacks Callbacks() {
        return {[this](const std::string& text) {
                    std::lock_guard lock(mutex);
                    messages.push_back(text);
                },
                [this] {
                    std::lock_guard lock(mutex);
                    ++quits;
                }};
    }
    std::size_t Count(const std::string& text) {
        std::lock_guard lock(mutex);
        return static_cast<std::size_t>(std::count(messages.begin(), messages.end(), text));
    }
};

// Waits until `done` holds, as long as a loaded machine may need; its final answer.
bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

kernel::ConnectionSettings FastPolls() {
    kernel::ConnectionSettings settings;
    settings.pollMilliseconds = 20;
    // Only bounds a wait that an answer ends at once: a loaded machine may take seconds to end a
    // kernel before the server answers the logout.
    settings.socketTimeoutMs = 10000;
    return settings;
}

TEST(ServerConnectionPolls, WarnOnceWhenTimeRunsShortAndPassOnEveryMaintenanceNotice) {
    {
        CalcServerFixture server(ListenerKernel(), "server minutes 4\n");
        ASSERT_TRUE(server.started);
        Recorded recorded;
        kernel::ServerConnection connection(GrantFrom(server), FastPolls(), recorded.Callbacks(),
                                            [&] { return server.seconds.load(); });
        EXPECT_EQ(connection.RemainingMinutes(), 4);
        connection.Start();
        EXPECT_TRUE(
            WaitFor([&] { return recorded.Count(kernel::ServerConnection::kLowTimeWarning) > 0; }));
        // The polls that follow, every 20 ms, do not warn again.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        EXPECT_EQ(recorded.Count(kernel::ServerConnection::kLowTimeWarning), 1u);
        EXPECT_EQ(recorded.quits, 0);
    }
    {
        CalcServerFixture server(ListenerKernel(), "server status 1\n");
        ASSERT_TRUE(server.started);
        Recorded recorded;
        kernel::ServerConnection connection(GrantFrom(server), FastPolls(), recorded.Callbacks());
        connection.Start();
        EXPECT_TRUE(WaitFor(
            [&] { return recorded.Count(kernel::ServerConnection::kMaintenanceNotice) >= 3; }));
        EXPECT_EQ(recorded.Count(kernel::ServerConnection::kLowTimeWarning), 0u);
    }
}

TEST(ServerConnectionPolls, TheServerEndingTheKernelQuitsItAndThenLogsOut) {
    const struct {
        const char* script;
        const char* message;
    } rows[] = {
        {"server status 2\n", kernel::ServerConnection::kKernelEnded},
        {"server status 3\n", kernel::ServerConnection::kTimeRanOut},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        CalcServerFixture server(ListenerKernel(), row.script);
        ASSERT_TRUE(server.started);
        Recorded recorded;
        const auto grant = GrantFrom(server);
        kernel::ServerConnection connection(grant, FastPolls(), recorded.Callbacks());
        connection.Start();
        EXPECT_TRUE(WaitFor([&] { return recorded.Count(row.message) == 1; }));
        EXPECT_EQ(recorded.quits, 1);
        // The logout waits for the session's quit, so that no request is cut off.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(connection.Finished());
        EXPECT_NE(server.server->kernelProcess(grant.kernelId), 0);
        connection.RequestQuit();
        EXPECT_TRUE(WaitFor([&] { return connection.Finished(); }));
        EXPECT_EQ(server.server->kernelProcess(grant.kernelId), 0);
    }
}

// The minutes left that the quit shows are the minutes the server keeps, however the session
// lies across the minutes of the clock.
TEST(ServerConnectionPolls, QuitLogsOutAndTheServerKeepsTheMinutesShown) {
    struct Row {
        const char* name;
        long long startSecond; // into its minute
        long long seconds;     // of kernel time
        int32_t left;
    };
    const Row rows[] = {
        {"ten seconds within one minute", 20, 10, 30},
        {"ten seconds across a minute's end", 55, 10, 29},
        {"seven and a half minutes", 20, 7 * 60 + 30, 23},
        {"seven and a half minutes across eight ends", 50, 7 * 60 + 30, 22},
        {"exactly one minute", 0, 60, 29},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CalcServerFixture server(ListenerKernel(), "");
        ASSERT_TRUE(server.started);
        server.seconds = 1'000'000'020 / 60 * 60 + row.startSecond;
        Recorded recorded;
        const auto grant = GrantFrom(server);
        EXPECT_EQ(grant.minutes, 30);
        kernel::ConnectionSettings settings = FastPolls();
        settings.pollMilliseconds = 60000;
        kernel::ServerConnection connection(grant, settings, recorded.Callbacks(),
                                            [&] { return server.seconds.load(); });
        connection.Start();
        server.seconds += row.seconds;
        const int32_t shown = connection.RemainingMinutes();
        EXPECT_EQ(shown, row.left);
        connection.RequestQuit();
        EXPECT_TRUE(WaitFor([&] { return connection.Finished(); }));
        EXPECT_EQ(server.AccountMinutes(), shown);
        EXPECT_EQ(server.server->kernelProcess(grant.kernelId), 0);
        EXPECT_TRUE(recorded.messages.empty());
    }
}

} // namespace
} // namespace kerneltest
