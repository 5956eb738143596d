#pragma once

// The stand-in calculation server, on loopback only. Two listening sockets:
//
// Login server (default port 701, which needs privilege; tests use a high port):
//   request  byte 1, string user
//   reply    0 accepted: int32 token, int32 kernel-server address (127.0.0.1, first octet
//              high), int16 kernel-server port, string text, string site, string caption
//            1 no such account; 2 no time left; 3 no kernel free (text, site, caption);
//            4 refused for another reason (text, site, caption)
// Kernel server:
//   request  byte 1, string user, int32 token, int32 answer (see passwordAnswer in Wire.h)
//   reply    0: byte kernel id, int16 link port, int32 account minutes
//            1 no time left; 2 no kernel could be started; 3 wrong password or token
//   request  byte 2, byte kernel id (status)
//   reply    0 running, or 1 maintenance ahead: each followed by int32 account minutes;
//            2 the kernel has ended; 3 the account's time ran out
//   request  byte 3, byte kernel id, string user (logout)
//   reply    0 followed by int32 the balance after the charge; 1 no such session
//
// Minutes: the balance at the session's start is what the status answers; the time used is
// counted as the editor counts it when it tells the person what is left, in minutes of the
// calendar (seconds since 1970 divided by 60, rounded toward zero) from the session's start to
// now, so that the two agree. It is charged at logout and written back to the accounts file.
// Before answering a kernel request the server starts a kernel listening on a fresh port and
// waits until that port is taken.
//
// Scripted behaviours (Script.h, "server" lines): login-reply <code> [text|site|caption],
// banner <text|site|caption>, kernel-reply <code>, minutes <n>, status <code>,
// delay <login|kernel|status|logout> <milliseconds>, drop <login|kernel|status|logout>.

#include "Accounts.h"
#include "Script.h"
#include "Wire.h"

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace standin::calc {

struct ServerConfig {
    uint16_t loginPort = 701;
    uint16_t kernelPort = 0; // 0: any free port
    std::string accountsPath;
    // The kernel's command line; "{port}" in any word becomes the port it is to listen on.
    std::vector<std::string> kernelCommand;
    Script script;
    int kernelStartSeconds = 10;
    int ioTimeoutMilliseconds = 5000;
    // Seconds since 1970; tests move time on.
    std::function<long long()> now;
};

// The command line that starts `program` as a kernel listening on loopback TCP at "{port}".
std::vector<std::string> kernelCommand(const std::string& program);

class CalcServer {
public:
    explicit CalcServer(ServerConfig config);
    ~CalcServer();
    CalcServer(const CalcServer&) = delete;
    CalcServer& operator=(const CalcServer&) = delete;

    // Loads the accounts, binds both ports and starts serving on a thread of its own.
    bool start(std::string* error);
    void stop();

    uint16_t loginPort() const { return m_loginPort; }
    uint16_t kernelPort() const { return m_kernelPort; }
    // The process of a session's kernel, 0 when there is none.
    pid_t kernelProcess(int kernelId);

private:
    struct Session {
        std::string user;
        pid_t kernel = 0;
        uint16_t port = 0;
        long long started = 0;
        long minutesAtStart = 0;
    };

    void serve();
    void handleLogin(int socket);
    void handleKernelServer(int socket);
    void kernelRequest(int socket, Reader& in);
    void status(int socket, Reader& in);
    void logout(int socket, Reader& in);

    // Scripted pauses and dropped connections: true when the exchange is to be dropped.
    bool scriptedStall(const char* exchange);
    std::optional<int> scriptedCode(const char* action);
    pid_t startKernel(uint16_t& port);
    void stopKernel(Session& session);
    bool kernelAlive(Session& session);
    long long now() const;
    long minutesUsed(const Session& session) const;

    ServerConfig m_config;
    Accounts m_accounts;
    std::map<std::string, int32_t> m_tokens;
    std::map<int, Session> m_sessions;
    uint32_t m_tokenState;
    std::mt19937 m_portDraw{std::random_device{}()}; // the kernels' ports, apart in each server
    int m_loginSocket = -1;
    int m_kernelSocket = -1;
    uint16_t m_loginPort = 0;
    uint16_t m_kernelPort = 0;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::mutex m_mutex;
};

} // namespace standin::calc
