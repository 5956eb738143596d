// The device plug-ins between two processes, each beside the same exchange over plain sockets:
// the round trip of a one-integer packet and the throughput of a list of a million integers,
// over shared memory against a Unix socket pair and over TCP against a plain loopback
// connection, with wall-clock times (two processes work). The goals: a round trip within 1.5
// times the plain one, and at least half its throughput.
//
// The other process is this program again, started with "--peer"; it finds the plug-ins through
// the corvinet.ini that the build writes beside it.

#include "PeerRatio.h"
#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int32_t kListSize = 1'000'000;

// ---- The peer ---------------------------------------------------------------------------------

int runPeer(const char* options, const std::string& script) {
    QKENV env = QKInitialize(nullptr);
    int32_t error = 0;
    QKLINK link = QKOpenString(env, options, &error);
    if (!link || !QKConnect(link)) return 1;
    for (;;) {
        if (script == "echo") {
            int32_t value = 0;
            if (!QKGetInteger(link, &value) || !QKPutInteger(link, value) || !QKEndPacket(link) ||
                !QKFlush(link))
                break;
        } else {
            int32_t* data = nullptr;
            int32_t count = 0;
            if (!QKGetIntegerList(link, &data, &count)) break;
            QKDisownIntegerList(link, data, count);
            if (!QKPutInteger(link, count) || !QKEndPacket(link) || !QKFlush(link)) break;
        }
    }
    QKClose(link);
    QKDeinitialize(env);
    return 0;
}

// ---- Device links -----------------------------------------------------------------------------

class DeviceLink {
public:
    DeviceLink(const char* protocol, const char* script) {
        QKNewParameters(m_block, 7, 6);
        m_env = QKBegin(m_block);
        bool tcp = std::strcmp(protocol, "TCP") == 0;
        std::string listen =
            tcp ? "-linkprotocol TCP -linkmode listen -linkoptions QKLocallyVisible,QKDontInteract"
                : "-linkprotocol FileMap -linkmode listen -linkname bench" +
                      std::to_string(getpid());
        int32_t error = 0;
        link = QKOpenString(m_env, listen.c_str(), &error);
        if (!link) return;
        std::string connect = std::string("-linkprotocol ") + protocol +
                              " -linkmode connect -linkname " + QKName(link);
        std::string self = "/proc/self/exe";
        char* argv[] = {self.data(), const_cast<char*>("--peer"), connect.data(),
                        const_cast<char*>(script), nullptr};
        if (posix_spawn(&m_peer, self.c_str(), nullptr, nullptr, argv, environ) != 0) m_peer = -1;
        if (!QKConnect(link)) {
            QKClose(link);
            link = nullptr;
        }
    }
    ~DeviceLink() {
        if (link) QKClose(link);
        if (m_peer > 0) {
            int status = 0;
            waitpid(m_peer, &status, 0);
        }
        QKEnd(m_env);
    }
    QKLINK link = nullptr;

private:
    QKParameters m_block{};
    QKENV m_env = nullptr;
    pid_t m_peer = -1;
};

void DeviceRoundTrip(benchmark::State& state, const char* protocol) {
    DeviceLink device(protocol, "echo");
    if (!device.link) return state.SkipWithError("the link did not open");
    int32_t value = 0;
    for (auto _ : state) {
        QKPutInteger(device.link, 42);
        QKEndPacket(device.link);
        QKFlush(device.link);
        if (!QKGetInteger(device.link, &value)) return state.SkipWithError("the peer went away");
    }
    benchmark::DoNotOptimize(value);
}

void DeviceThroughput(benchmark::State& state, const char* protocol) {
    DeviceLink device(protocol, "sink");
    if (!device.link) return state.SkipWithError("the link did not open");
    std::vector<int32_t> values(kListSize, 7);
    int32_t count = 0;
    for (auto _ : state) {
        QKPutIntegerList(device.link, values.data(), kListSize);
        QKEndPacket(device.link);
        QKFlush(device.link);
        if (!QKGetInteger(device.link, &count)) return state.SkipWithError("the peer went away");
    }
    state.SetItemsProcessed(state.iterations() * kListSize);
}

// ---- Plain sockets ----------------------------------------------------------------------------

bool readAll(int fd, void* to, std::size_t size) {
    auto* bytes = static_cast<char*>(to);
    while (size > 0) {
        ssize_t n = read(fd, bytes, size);
        if (n <= 0) return false;
        bytes += n;
        size -= std::size_t(n);
    }
    return true;
}

bool writeAll(int fd, const void* from, std::size_t size) {
    auto* bytes = static_cast<const char*>(from);
    while (size > 0) {
        ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes += n;
        size -= std::size_t(n);
    }
    return true;
}

// A connected pair of plain sockets with a forked child at the far end that echoes 4 bytes
// ("echo") or takes a whole list and answers its count ("sink").
class PlainPair {
public:
    PlainPair(bool tcp, bool echo) {
        int fds[2] = {-1, -1};
        if (tcp) {
            int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof at;
            bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
            listen(listener, 1);
            getsockname(listener, reinterpret_cast<sockaddr*>(&at), &length);
            fds[1] = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            connect(fds[1], reinterpret_cast<sockaddr*>(&at), sizeof at);
            fds[0] = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            close(listener);
            int on = 1;
            for (int fd : fds)
                setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        } else {
            socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds);
        }
        m_child = fork();
        if (m_child == 0) {
            close(fds[0]);
            serve(fds[1], echo);
            _exit(0);
        }
        close(fds[1]);
        fd = fds[0];
    }
    ~PlainPair() {
        close(fd);
        int status = 0;
        if (m_child > 0) waitpid(m_child, &status, 0);
    }
    int fd = -1;

private:
    static void serve(int fd, bool echo) {
        std::vector<int32_t> list(kListSize);
        for (;;) {
            int32_t value = 0;
            if (echo) {
                if (!readAll(fd, &value, 4) || !writeAll(fd, &value, 4)) return;
            } else {
                value = kListSize;
                if (!readAll(fd, list.data(), list.size() * 4) || !writeAll(fd, &value, 4)) return;
            }
        }
    }
    pid_t m_child = -1;
};

void PlainRoundTrip(benchmark::State& state, bool tcp) {
    PlainPair pair(tcp, true);
    int32_t value = 42;
    for (auto _ : state) {
        writeAll(pair.fd, &value, 4);
        if (!readAll(pair.fd, &value, 4)) return state.SkipWithError("the child went away");
    }
}

void PlainThroughput(benchmark::State& state, bool tcp) {
    PlainPair pair(tcp, false);
    std::vector<int32_t> values(kListSize, 7);
    int32_t count = 0;
    for (auto _ : state) {
        writeAll(pair.fd, values.data(), values.size() * 4);
        if (!readAll(pair.fd, &count, 4)) return state.SkipWithError("the child went away");
    }
    state.SetItemsProcessed(state.iterations() * kListSize);
}

// "<side>/<case>": the device beside the plain sockets it is held against.
void registerAll() {
    benchmark::RegisterBenchmark("Device/RoundTripSharedMemory", DeviceRoundTrip, "FileMap")
        ->UseRealTime();
    benchmark::RegisterBenchmark("Plain/RoundTripSharedMemory", PlainRoundTrip, false)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Device/RoundTripTcp", DeviceRoundTrip, "TCP")->UseRealTime();
    benchmark::RegisterBenchmark("Plain/RoundTripTcp", PlainRoundTrip, true)->UseRealTime();
    benchmark::RegisterBenchmark("Device/ListSharedMemory", DeviceThroughput, "FileMap")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Plain/ListSharedMemory", PlainThroughput, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Device/ListTcp", DeviceThroughput, "TCP")
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Plain/ListTcp", PlainThroughput, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--peer") == 0) return runPeer(argv[2], argv[3]);
    signal(SIGPIPE, SIG_IGN);
    registerAll();
    // Plain sockets are the peer: a ratio below 1.5 for a round trip and below 2 for a list
    // meets the goals.
    return tessary::bench::runWithPeerRatios(argc, argv, "Device", "Plain");
}
