// The device plug-ins between two processes, each beside the same exchange over the transport
// it stands on, with wall-clock times (two processes work):
// - a one-integer round trip over shared memory against a shared-memory ping-pong, and over TCP
//   against a plain loopback connection;
// - lists of 1,000, 100,000 and 1,000,000 integers and reals sent whole and answered with their
//   count, over shared memory against a Unix socket pair and over TCP against a plain loopback
//   connection carrying the same raw bytes.
// Every peer waits as the devices do: it watches for a moment, then blocks. The goals: a list
// within 2 times its peer, a shared-memory round trip within 1.5 times its ping-pong.
//
// The other process is this program again, started with "--peer"; it finds the plug-ins through
// the corvinet.ini that the build writes beside it.

#include "PeerRatio.h"
#include "Waiting.h"
#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/futex.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

enum class Kind { Integers, Reals };

std::size_t valueSize(Kind kind) {
    return kind == Kind::Integers ? sizeof(int32_t) : sizeof(double);
}

// ---- The device peer --------------------------------------------------------------------------

// Echoes integers ("echo"), or takes whole lists and answers their length ("integers",
// "reals"), until the link ends.
int runPeer(const char* options, const std::string& script) {
    QKENV env = QKInitialize(nullptr);
    int32_t error = 0;
    QKLINK link = QKOpenString(env, options, &error);
    if (!link || !QKConnect(link)) return 1;
    for (;;) {
        int32_t answer = 0;
        if (script == "echo") {
            if (!QKGetInteger(link, &answer)) break;
        } else if (script == "integers") {
            int32_t* data = nullptr;
            if (!QKGetIntegerList(link, &data, &answer)) break;
            QKDisownIntegerList(link, data, answer);
        } else {
            double* data = nullptr;
            if (!QKGetRealList(link, &data, &answer)) break;
            QKDisownRealList(link, data, answer);
        }
        if (!QKPutInteger(link, answer) || !QKEndPacket(link) || !QKFlush(link)) break;
    }
    QKClose(link);
    QKDeinitialize(env);
    return 0;
}

// The program's own file, so that a tool that runs it (a profiler) runs the peer too.
std::string ownProgram() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string("/proc/self/exe");
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
        std::string self = ownProgram();
        char* argv[] = {self.data(), const_cast<char*>("--peer"), connect.data(),
                        const_cast<char*>(script), nullptr};
        if (posix_spawn(&m_peer, self.c_str(), nullptr, nullptr, argv, environ) != 0) m_peer = -1;
        if (m_peer <= 0 || !QKConnect(link)) {
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

void DeviceList(benchmark::State& state, const char* protocol, Kind kind) {
    const auto count = static_cast<int32_t>(state.range(0));
    DeviceLink device(protocol, kind == Kind::Integers ? "integers" : "reals");
    if (!device.link) return state.SkipWithError("the link did not open");
    std::vector<int32_t> integers(kind == Kind::Integers ? std::size_t(count) : 0, 7);
    std::vector<double> reals(kind == Kind::Reals ? std::size_t(count) : 0, 2.5);
    int32_t answer = 0;
    for (auto _ : state) {
        if (kind == Kind::Integers)
            QKPutIntegerList(device.link, integers.data(), count);
        else
            QKPutRealList(device.link, reals.data(), count);
        QKEndPacket(device.link);
        QKFlush(device.link);
        if (!QKGetInteger(device.link, &answer) || answer != count)
            return state.SkipWithError("the peer went away");
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// ---- Plain sockets ----------------------------------------------------------------------------

// Non-blocking sockets that wait as the devices do: watch for a moment, then block in poll.
bool waitFor(int fd, short events) {
    pollfd watched{fd, events, 0};
    if (devices::spinUntil([&] { return poll(&watched, 1, 0) != 0; }, 1)) return true;
    return poll(&watched, 1, -1) > 0;
}

bool readAll(int fd, void* to, std::size_t size) {
    auto* bytes = static_cast<char*>(to);
    while (size > 0) {
        ssize_t n = recv(fd, bytes, size, 0);
        if (n > 0) {
            bytes += n;
            size -= std::size_t(n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR) || !waitFor(fd, POLLIN)) {
            return false;
        }
    }
    return true;
}

bool writeAll(int fd, const void* from, std::size_t size) {
    auto* bytes = static_cast<const char*>(from);
    while (size > 0) {
        ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
        if (n > 0) {
            bytes += n;
            size -= std::size_t(n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR) || !waitFor(fd, POLLOUT)) {
            return false;
        }
    }
    return true;
}

// A connected pair of plain sockets with a forked child at the far end that echoes 4 bytes
// (`listBytes` 0) or takes `listBytes` bytes and answers with 4.
class PlainPair {
public:
    PlainPair(bool tcp, std::size_t listBytes) {
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
        for (int fd : fds)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        m_child = fork();
        if (m_child == 0) {
            close(fds[0]);
            serve(fds[1], listBytes);
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
    static void serve(int fd, std::size_t listBytes) {
        std::vector<char> list(listBytes);
        for (int32_t value = 0;;) {
            if (!readAll(fd, listBytes ? list.data() : reinterpret_cast<char*>(&value),
                         listBytes ? listBytes : 4) ||
                !writeAll(fd, &value, 4))
                return;
        }
    }
    pid_t m_child = -1;
};

void PlainRoundTrip(benchmark::State& state) {
    PlainPair pair(true, 0);
    int32_t value = 42;
    for (auto _ : state) {
        writeAll(pair.fd, &value, 4);
        if (!readAll(pair.fd, &value, 4)) return state.SkipWithError("the child went away");
    }
}

void PlainList(benchmark::State& state, bool tcp, Kind kind) {
    const std::size_t bytes = std::size_t(state.range(0)) * valueSize(kind);
    PlainPair pair(tcp, bytes);
    std::vector<char> values(bytes, 7);
    int32_t answer = 0;
    for (auto _ : state) {
        writeAll(pair.fd, values.data(), values.size());
        if (!readAll(pair.fd, &answer, 4)) return state.SkipWithError("the child went away");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// ---- Shared-memory ping-pong ------------------------------------------------------------------

// One direction of the ping-pong: the sender bumps `sequence` and wakes the receiver only when
// it has said that it sleeps.
struct Mailbox {
    std::atomic<uint32_t> sequence{0};
    std::atomic<uint32_t> sleepers{0};
    int32_t value = 0;
};

void futexWait(std::atomic<uint32_t>& word, uint32_t seen) {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT, seen, nullptr, nullptr, 0);
}

void futexWake(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

void post(Mailbox& box, int32_t value) {
    box.value = value;
    box.sequence.fetch_add(1);
    if (box.sleepers.load() != 0) futexWake(box.sequence);
}

// Watches for the next message for a moment, then sleeps on the futex.
int32_t receive(Mailbox& box, uint32_t& seen) {
    if (!devices::spinUntil([&] { return box.sequence.load() != seen; }, 64)) {
        while (box.sequence.load() == seen) {
            box.sleepers.fetch_add(1);
            if (box.sequence.load() == seen) futexWait(box.sequence, seen);
            box.sleepers.fetch_sub(1);
        }
    }
    seen = box.sequence.load();
    return box.value;
}

void SharedMemoryRoundTrip(benchmark::State& state) {
    void* mapped = mmap(nullptr, 2 * sizeof(Mailbox), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return state.SkipWithError("no shared memory");
    auto* toChild = new (mapped) Mailbox;
    auto* toParent = new (static_cast<Mailbox*>(mapped) + 1) Mailbox;
    pid_t child = fork();
    if (child == 0) {
        uint32_t seen = 0;
        for (int32_t value; (value = receive(*toChild, seen)) >= 0;)
            post(*toParent, value);
        _exit(0);
    }
    uint32_t seen = 0;
    int32_t value = 42;
    for (auto _ : state) {
        post(*toChild, value);
        value = receive(*toParent, seen);
    }
    post(*toChild, -1);
    int status = 0;
    waitpid(child, &status, 0);
    munmap(mapped, 2 * sizeof(Mailbox));
    benchmark::DoNotOptimize(value);
}

// ---- Registration -----------------------------------------------------------------------------

// "<side>/<case>": the device beside the plain exchange it is held against.
void registerAll() {
    benchmark::RegisterBenchmark("Device/RoundTrip/SharedMemory", DeviceRoundTrip, "FileMap")
        ->UseRealTime();
    benchmark::RegisterBenchmark("Plain/RoundTrip/SharedMemory", SharedMemoryRoundTrip)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Device/RoundTrip/Tcp", DeviceRoundTrip, "TCP")->UseRealTime();
    benchmark::RegisterBenchmark("Plain/RoundTrip/Tcp", PlainRoundTrip)->UseRealTime();
    struct Transport {
        const char* name;
        const char* protocol;
        bool tcp;
    };
    for (const Transport& transport :
         {Transport{"SharedMemory", "FileMap", false}, Transport{"Tcp", "TCP", true}}) {
        for (Kind kind : {Kind::Integers, Kind::Reals}) {
            const std::string suffix = std::string("/List/") + transport.name +
                                       (kind == Kind::Integers ? "/Integers" : "/Reals");
            for (int64_t count : {1'000, 100'000, 1'000'000}) {
                benchmark::RegisterBenchmark(("Device" + suffix).c_str(), DeviceList,
                                             transport.protocol, kind)
                    ->Arg(count)
                    ->Unit(benchmark::kMicrosecond)
                    ->UseRealTime();
                benchmark::RegisterBenchmark(("Plain" + suffix).c_str(), PlainList, transport.tcp,
                                             kind)
                    ->Arg(count)
                    ->Unit(benchmark::kMicrosecond)
                    ->UseRealTime();
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--peer") == 0) return runPeer(argv[2], argv[3]);
    signal(SIGPIPE, SIG_IGN);
    registerAll();
    std::printf("Peers: shared-memory round trips against a ping-pong on two futex words, lists "
                "over shared memory against a Unix socket pair, TCP against plain loopback TCP "
                "with TCP_NODELAY. Every peer waits as the devices do: it watches for %lld us "
                "(non-blocking checks, the processor given away now and then), then blocks "
                "(futex, poll).\n",
                static_cast<long long>(devices::kSpinTime.count()));
    // A ratio below 1.5 for the shared-memory round trip and below 2 for a list meets the goals.
    return tessary::bench::runWithPeerRatios(argc, argv, "Device", "Plain");
}
