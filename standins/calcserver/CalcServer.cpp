#include "CalcServer.h"

#include "Wire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

extern char** environ;

namespace standin::calc {

namespace {

constexpr int32_t kLoopback = 0x7F000001;

// A socket bound to 127.0.0.1:port (0: any), listening when asked; -1 on failure.
int bindLoopback(uint16_t port, bool listening, uint16_t* bound = nullptr) {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return -1;
    int yes = 1;
    if (listening) ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(kLoopback);
    address.sin_port = htons(port);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (listening && ::listen(s, 16) != 0)) {
        ::close(s);
        return -1;
    }
    if (bound) {
        socklen_t length = sizeof address;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        *bound = ntohs(address.sin_port);
    }
    return s;
}

// A port for a kernel to listen on, bound to see that it is free and given back for the kernel
// to take. A port the system picks would do, but while the kernel starts the system may give
// that same port to another program's outgoing connection, since those draw from its range
// too: the kernel then cannot listen, and the port's being in use would pass for the kernel
// being ready. The system never picks a port below its range, so one drawn from below it stays
// free unless another program asks for that very number. The system's pick serves where the
// range is unknown or nothing drawn below it is free.
int probeKernelPort(std::mt19937& draw, uint16_t& port) {
    unsigned low = 0, high = 0;
    if (std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low >> high && low > 2048 &&
        low <= 65536) {
        std::uniform_int_distribution<unsigned> below(std::max(1024u, low / 2), low - 1);
        for (int attempt = 0; attempt < 16; ++attempt)
            if (int probe = bindLoopback(static_cast<uint16_t>(below(draw)), false, &port);
                probe >= 0)
                return probe;
    }
    return bindLoopback(0, false, &port);
}

// Whether something listens on the port, on the loopback address or on every address, read
// from the system's socket table. Reading it takes nothing, where a trial bind would hold the
// port for an instant and could make the kernel's own bind fail as it starts: a trial bind
// serves only where the table cannot be read.
bool listeningOn(uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    if (!table) {
        const int taken = bindLoopback(port, false);
        if (taken < 0) return true;
        ::close(taken);
        return false;
    }
    // The table gives the address as the bytes in memory, read as a number, and the port as a
    // number.
    char loopback[16], any[16];
    std::snprintf(loopback, sizeof loopback, "%08X:%04X", htonl(kLoopback), port);
    std::snprintf(any, sizeof any, "%08X:%04X", 0u, port);
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        if (fields >> slot >> local >> remote >> state && (local == loopback || local == any) &&
            state == "0A")
            return true; // 0A: listening
    }
    return false;
}

void setTimeout(int socket, int milliseconds) {
    timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// Text, site and caption of a scripted line, separated by '|'.
void putThreeStrings(Message& reply, const std::string& words) {
    std::string parts[3];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        std::size_t bar = i < 2 ? words.find('|', start) : std::string::npos;
        parts[i] = words.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (bar == std::string::npos) {
            start = words.size();
        } else {
            start = bar + 1;
        }
    }
    for (const std::string& p : parts)
        reply.string(p);
}

std::string afterFirstWord(const std::string& rest) {
    std::size_t blank = rest.find(' ');
    return blank == std::string::npos ? std::string() : rest.substr(blank + 1);
}

} // namespace

std::vector<std::string> kernelCommand(const std::string& program) {
    return {program,     "-linkcreate", "-linkprotocol", "TCP",
            "-linkname", "{port}",      "-linkoptions",  "QKLocallyVisible"};
}

CalcServer::CalcServer(ServerConfig config)
    : m_config(std::move(config)),
      m_tokenState(
          static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {
    if (!m_config.now) m_config.now = [] { return static_cast<long long>(std::time(nullptr)); };
}

CalcServer::~CalcServer() {
    stop();
}

long long CalcServer::now() const {
    return m_config.now();
}

long CalcServer::minutesUsed(const Session& session) const {
    return static_cast<long>(std::max(0LL, now() / 60 - session.started / 60));
}

bool CalcServer::start(std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        stop();
        return false;
    };
    auto accounts = Accounts::load(m_config.accountsPath);
    if (!accounts) return fail("cannot read the accounts file " + m_config.accountsPath);
    m_accounts = std::move(*accounts);
    m_loginSocket = bindLoopback(m_config.loginPort, true, &m_loginPort);
    if (m_loginSocket < 0)
        return fail("cannot listen on port " + std::to_string(m_config.loginPort) + ": " +
                    std::strerror(errno));
    m_kernelSocket = bindLoopback(m_config.kernelPort, true, &m_kernelPort);
    if (m_kernelSocket < 0)
        return fail("cannot listen on port " + std::to_string(m_config.kernelPort) + ": " +
                    std::strerror(errno));
    if (::pipe2(m_wake, O_CLOEXEC) != 0) return fail("cannot make a pipe");
    m_thread = std::thread([this] { serve(); });
    return true;
}

void CalcServer::stop() {
    if (m_thread.joinable()) {
        char stop = 1;
        (void)!::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    for (int* fd : {&m_loginSocket, &m_kernelSocket, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    std::lock_guard lock(m_mutex);
    for (auto& [id, session] : m_sessions)
        stopKernel(session);
    m_sessions.clear();
}

pid_t CalcServer::kernelProcess(int kernelId) {
    std::lock_guard lock(m_mutex);
    auto it = m_sessions.find(kernelId);
    return it == m_sessions.end() ? 0 : it->second.kernel;
}

void CalcServer::serve() {
    for (;;) {
        pollfd fds[3] = {
            {m_loginSocket, POLLIN, 0}, {m_kernelSocket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[2].revents) return;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            int client = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            setTimeout(client, m_config.ioTimeoutMilliseconds);
            std::lock_guard lock(m_mutex);
            if (i == 0)
                handleLogin(client);
            else
                handleKernelServer(client);
            ::close(client);
        }
    }
}

bool CalcServer::scriptedStall(const char* exchange) {
    for (const ScriptLine* line : m_config.script.server("delay"))
        if (line->words.size() >= 2 && line->words[0] == exchange)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::atoi(line->words[1].c_str())));
    for (const ScriptLine* line : m_config.script.server("drop"))
        if (!line->words.empty() && line->words[0] == exchange) return true;
    return false;
}

std::optional<int> CalcServer::scriptedCode(const char* action) {
    auto lines = m_config.script.server(action);
    if (lines.empty() || lines.front()->words.empty()) return std::nullopt;
    return std::atoi(lines.front()->words[0].c_str());
}

void CalcServer::handleLogin(int socket) {
    Reader in(socket);
    uint8_t kind = 0;
    std::string user;
    if (!in.byte(kind) || kind != 1 || !in.string(user)) return;
    if (scriptedStall("login")) return;
    Message reply;
    if (auto code = scriptedCode("login-reply"); code && *code != 0) {
        reply.byte(static_cast<uint8_t>(*code));
        if (*code >= 3)
            putThreeStrings(reply,
                            afterFirstWord(m_config.script.server("login-reply").front()->rest));
        sendAll(socket, reply.bytes());
        return;
    }
    const Account* account = m_accounts.find(user);
    if (!account) {
        sendAll(socket, reply.byte(1).bytes());
        return;
    }
    if (account->minutes <= 0) {
        sendAll(socket, reply.byte(2).bytes());
        return;
    }
    m_tokenState = m_tokenState * 1664525u + 1013904223u;
    const auto token = static_cast<int32_t>(m_tokenState);
    m_tokens[user] = token;
    reply.byte(0).int32(token).int32(kLoopback).int16(m_kernelPort);
    auto banners = m_config.script.server("banner");
    putThreeStrings(reply, banners.empty() ? std::string("||") : banners.front()->rest);
    sendAll(socket, reply.bytes());
}

void CalcServer::handleKernelServer(int socket) {
    Reader in(socket);
    uint8_t kind = 0;
    if (!in.byte(kind)) return;
    if (kind == 1) kernelRequest(socket, in);
    if (kind == 2) status(socket, in);
    if (kind == 3) logout(socket, in);
}

void CalcServer::kernelRequest(int socket, Reader& in) {
    std::string user;
    int32_t token = 0;
    int32_t answer = 0;
    if (!in.string(user) || !in.int32(token) || !in.int32(answer)) return;
    if (scriptedStall("kernel")) return;
    Message reply;
    if (auto code = scriptedCode("kernel-reply"); code && *code != 0) {
        sendAll(socket, reply.byte(static_cast<uint8_t>(*code)).bytes());
        return;
    }
    Account* account = m_accounts.find(user);
    auto issued = m_tokens.find(user);
    if (!account || issued == m_tokens.end() || issued->second != token ||
        passwordAnswer(token, account->password) != answer) {
        sendAll(socket, reply.byte(3).bytes());
        return;
    }
    if (account->minutes <= 0) {
        sendAll(socket, reply.byte(1).bytes());
        return;
    }
    int id = 1;
    while (m_sessions.count(id) && id < 256)
        ++id;
    uint16_t port = 0;
    pid_t kernel = id < 256 ? startKernel(port) : 0;
    if (kernel <= 0) {
        sendAll(socket, reply.byte(2).bytes());
        return;
    }
    m_tokens.erase(issued); // a token opens one session
    m_sessions[id] = Session{user, kernel, port, now(), account->minutes};
    long minutes = scriptedCode("minutes").value_or(account->minutes);
    reply.byte(0).byte(static_cast<uint8_t>(id)).int16(port).int32(static_cast<int32_t>(minutes));
    sendAll(socket, reply.bytes());
}

void CalcServer::status(int socket, Reader& in) {
    uint8_t id = 0;
    if (!in.byte(id)) return;
    if (scriptedStall("status")) return;
    Message reply;
    auto it = m_sessions.find(id);
    long minutes = it == m_sessions.end() ? 0 : it->second.minutesAtStart;
    minutes = scriptedCode("minutes").value_or(minutes);
    int code = 0;
    if (auto scripted = scriptedCode("status")) {
        code = *scripted;
    } else if (it == m_sessions.end() || !kernelAlive(it->second)) {
        code = 2;
    } else if (minutesUsed(it->second) >= it->second.minutesAtStart) {
        code = 3;
    }
    reply.byte(static_cast<uint8_t>(code));
    if (code <= 1) reply.int32(static_cast<int32_t>(minutes));
    sendAll(socket, reply.bytes());
}

void CalcServer::logout(int socket, Reader& in) {
    uint8_t id = 0;
    std::string user;
    if (!in.byte(id) || !in.string(user)) return;
    if (scriptedStall("logout")) return;
    Message reply;
    auto it = m_sessions.find(id);
    Account* account = m_accounts.find(user);
    if (it == m_sessions.end() || it->second.user != user || !account) {
        sendAll(socket, reply.byte(1).bytes());
        return;
    }
    account->minutes -= minutesUsed(it->second);
    m_accounts.save(m_config.accountsPath);
    stopKernel(it->second);
    m_sessions.erase(it);
    sendAll(socket, reply.byte(0).int32(static_cast<int32_t>(account->minutes)).bytes());
}

pid_t CalcServer::startKernel(uint16_t& port) {
    int probe = probeKernelPort(m_portDraw, port);
    if (probe < 0 || m_config.kernelCommand.empty()) {
        if (probe >= 0) ::close(probe);
        return 0;
    }
    ::close(probe);
    std::vector<std::string> words = m_config.kernelCommand;
    for (std::string& w : words)
        for (std::size_t at; (at = w.find("{port}")) != std::string::npos;)
            w.replace(at, 6, std::to_string(port));
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    // The kernel is ready once it listens on its port; the port is not connected to, since the
    // kernel's link takes the first connection it accepts as its own.
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::seconds(m_config.kernelStartSeconds);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return 0;
        if (listeningOn(port)) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return 0;
}

bool CalcServer::kernelAlive(Session& session) {
    if (session.kernel <= 0) return false;
    int status = 0;
    if (::waitpid(session.kernel, &status, WNOHANG) == session.kernel) {
        session.kernel = 0;
        return false;
    }
    return true;
}

void CalcServer::stopKernel(Session& session) {
    if (session.kernel <= 0) return;
    if (kernelAlive(session)) {
        ::kill(session.kernel, SIGTERM);
        for (int i = 0; i < 100 && kernelAlive(session); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (session.kernel > 0) {
            ::kill(session.kernel, SIGKILL);
            ::waitpid(session.kernel, nullptr, 0);
        }
    }
    session.kernel = 0;
}

} // namespace standin::calc
