#include "TcpTransport.h"

#include "CallbackLink.h"
#include "Descriptor.h"
#include "DeviceInfo.h"
#include "TcpNames.h"
#include "Waiting.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace devices::tcp {
namespace {

constexpr int32_t kDeviceType = 2;
constexpr int32_t kBufferSize = 4096;
constexpr std::size_t kMaxHost = 100;
// Rounds of a wait: with a yield function the advised sleep, without one the plain rounds.
constexpr int32_t kTransferSleep = 12;
constexpr int32_t kConnectSleep = 18;
constexpr int kTransferRound = 200;
constexpr int kConnectRound = 300;
// Bounds for a peer that stops halfway through the exchange before the role words, for the
// urgent connection that a connecting side may never open, and for the rest of a message.
constexpr int kHandshakeLimit = 10000;
constexpr int kMessageAcceptLimit = 3000;
constexpr int kMessageRestLimit = 2000;

bool peerGoneError(int error) {
    return error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ESHUTDOWN;
}

void setLinkOptions(int socket) {
    int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// A new listening socket on `address` (port 0: any), with its port; invalid on failure.
Descriptor listenSocket(in_addr address, uint16_t port, uint16_t& bound) {
    Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket) return socket;
    int on = 1;
    setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr = address;
    at.sin_port = htons(port);
    socklen_t length = sizeof at;
    if (bind(socket.get(), reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        listen(socket.get(), 1) != 0 ||
        getsockname(socket.get(), reinterpret_cast<sockaddr*>(&at), &length) != 0)
        return Descriptor();
    bound = ntohs(at.sin_port);
    return socket;
}

class TcpDevice final : public TransportDevice {
public:
    explicit TcpDevice(const DeviceMemory& memory) : m_memory(memory) {}

    int32_t make(const OpenArguments& arguments, TransportLink*& link) override;
    int32_t worldInfo(uint32_t item, void* buffer, int32_t* size) override;
    const char* hostName();

private:
    DeviceMemory m_memory;
    std::mutex m_mutex;
    bool m_hostKnown = false;
    char m_host[kMaxHost + 1] = {};
};

class TcpLink final : public CallbackLink {
public:
    TcpLink(TcpDevice& device, uint32_t options) : m_device(device), m_options(options) {}
    ~TcpLink() override;

    int32_t open(const OpenArguments& arguments, bool listens, int64_t inherited);

    int32_t connect() override;
    int32_t read(uint8_t* buffer, int32_t size) override;
    int32_t write(const uint8_t* bytes, int32_t length) override;
    int32_t hasData() override;
    int32_t writeMessage(int32_t code, int32_t parameter) override;
    int32_t hasMessage() override;
    int32_t readMessage(int32_t& code, int32_t& parameter) override;
    int32_t deviceInfo(uint32_t item, void* buffer, int32_t* size) override;

private:
    // Waits for `events` on `fd`: kWaitReady, kWaitStopped, kWaitFailed, or kTimedOut once
    // `limit` milliseconds have gone by (-1: no limit).
    static constexpr int kTimedOut = 2;
    int waitFor(int fd, short events, int32_t reason, int limit);
    int32_t acceptPeer();
    int32_t connectToPeer();
    // Resolves the host and connects the data socket.
    int32_t openConnection();
    // Reads the peer's option words up to 'Y', one byte at a time so that nothing after them is
    // taken.
    bool readOptionWords(OptionWords& words);
    // How far a send came: all of it, or `bytes` before `failure` (a transfer code) ended it.
    struct Sent {
        std::size_t bytes;
        int32_t failure;
    };
    // Sends all `length` bytes, waiting for room at most `limit` milliseconds at a time (-1: no
    // limit).
    Sent sendBytes(int fd, const void* bytes, std::size_t length, int limit);
    bool sendAll(int fd, const char* text, std::size_t length) {
        return sendBytes(fd, text, length, kHandshakeLimit).bytes == length;
    }
    void openMessageListener();
    void startWatcher();
    void watch();
    // Gathers the rest of a message from the message socket: 1 whole, 0 not yet, -1 the
    // socket ended.
    int gatherMessage(int wait);
    // The watcher looks at the new handler.
    void handlerChanged() override { wakeWatcher(); }
    void closeData();
    void wakeWatcher() {
        uint64_t one = 1;
        if (m_control) [[maybe_unused]]
            ssize_t written = ::write(m_control.get(), &one, sizeof one);
    }

    TcpDevice& m_device;
    uint32_t m_options;
    bool m_listens = false;
    bool m_inherited = false;
    bool m_connected = false;
    Descriptor m_data;
    Descriptor m_listen;
    Descriptor m_message;
    uint16_t m_ownPort = 0;
    uint16_t m_peerPort = 0;
    sockaddr_in m_peer{};
    char m_peerHost[INET_ADDRSTRLEN] = {};
    char m_host[kMaxHost + 1] = {};
    char m_name[160] = {};

    std::mutex m_mutex; // the message socket and its partial message
    uint8_t m_partial[8] = {};
    int m_partialLength = 0;
    Descriptor m_control; // wakes the watcher: to quit or to look at a new handler
    std::atomic<bool> m_quit{false};
    std::thread m_watcher;
};

// ---- Device ---------------------------------------------------------------------------------

const char* TcpDevice::hostName() {
    std::lock_guard lock(m_mutex);
    if (!m_hostKnown) {
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) == 0)
            std::snprintf(m_host, sizeof m_host, "%s", name);
        m_hostKnown = true;
    }
    return m_host;
}

int32_t TcpDevice::make(const OpenArguments& arguments, TransportLink*& link) {
    int64_t inherited = -1;
    if (!parseProtocol(*arguments.protocol ? arguments.protocol : "TCP", inherited))
        return QKERR_NO_PROTOCOL;
    bool listens = false;
    if (!listensOrConnects(arguments, listens)) return QKERR_NO_MODE;
    return makeLink(m_memory, link, m_memory.make<TcpLink>(*this, arguments.options),
                    [&](TcpLink& made) { return made.open(arguments, listens, inherited); });
}

int32_t TcpDevice::worldInfo(uint32_t item, void* buffer, int32_t* size) {
    switch (item) {
    case 1: {
        const char* name = hostName();
        int32_t length = static_cast<int32_t>(std::strlen(name));
        if (!size || *size <= length) {
            // Too small: an empty text, and the size says what it would take.
            if (size && *size > 0 && buffer) static_cast<char*>(buffer)[0] = '\0';
            if (size) *size = length;
            return 0;
        }
        return infoText(name, buffer, size);
    }
    case 2:
        return infoNumber(6, buffer, size);
    case 3:
        return infoText("TCP", buffer, size);
    case 4:
        return infoNumber(kBufferSize, buffer, size);
    case 5:
        return infoText(buildStamp(), buffer, size);
    default:
        return -1;
    }
}

// ---- Make and close -------------------------------------------------------------------------

int32_t TcpLink::open(const OpenArguments& arguments, bool listens, int64_t inherited) {
    m_listens = listens;
    if (inherited >= 0) {
        // Only a connected stream socket can carry a link.
        int type = 0;
        socklen_t length = sizeof type;
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        if (inherited > INT32_MAX ||
            getsockopt(int(inherited), SOL_SOCKET, SO_TYPE, &type, &length) != 0 ||
            type != SOCK_STREAM ||
            getpeername(int(inherited), reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0)
            return QKERR_NO_PROTOCOL;
        m_inherited = true;
        m_data.reset(int(inherited));
        m_peer = peer;
        setLinkOptions(m_data.get());
        int flags = fcntl(m_data.get(), F_GETFL);
        fcntl(m_data.get(), F_SETFL, flags | O_NONBLOCK);
    }
    // Locally visible links listen on the loopback address only.
    bool local = (m_options & 0x3) == 0x1;
    in_addr any{htonl(local ? INADDR_LOOPBACK : INADDR_ANY)};
    if (listens) {
        int32_t port = listenPort(arguments.name);
        if (port < 0) return QKERR_BAD_NAME;
        if (!m_inherited) {
            m_listen = listenSocket(any, static_cast<uint16_t>(port), m_ownPort);
            if (!m_listen) return port != 0 ? QKERR_BAD_NAME : -1;
        }
        std::snprintf(m_host, sizeof m_host, "%s", local ? "127.0.0.1" : m_device.hostName());
        std::snprintf(m_name, sizeof m_name, "%u@%s", m_ownPort, m_host);
        return 0;
    }
    if (m_inherited) {
        inet_ntop(AF_INET, &m_peer.sin_addr, m_host, sizeof m_host);
        m_peerPort = ntohs(m_peer.sin_port);
        std::snprintf(m_name, sizeof m_name, "%u@%s", m_peerPort, m_host);
        return 0;
    }
    Target target;
    if (!connectTarget(arguments.name, arguments.host, target)) return QKERR_BAD_NAME;
    const std::string& host = target.host.empty() ? std::string(m_device.hostName()) : target.host;
    if (host.size() > kMaxHost) return QKERR_BAD_NAME;
    std::snprintf(m_host, sizeof m_host, "%s", host.c_str());
    m_peerPort = target.port;
    std::snprintf(m_name, sizeof m_name, "%u@%s", m_peerPort, m_host);
    return 0;
}

void TcpLink::closeData() {
    if (!m_data) return;
    if (m_inherited) {
        m_data.release();
        return;
    }
    // Unread input would make the close a reset, which could cost the peer the last data and
    // the close mark: take what has arrived, then close in order.
    char sink[4096];
    for (int i = 0; i < 64 && recv(m_data.get(), sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {
    }
    shutdown(m_data.get(), SHUT_WR);
    m_data.reset();
}

TcpLink::~TcpLink() {
    if (m_watcher.joinable()) {
        m_quit = true;
        wakeWatcher();
        m_watcher.join();
    }
    closeData();
}

// ---- Waiting --------------------------------------------------------------------------------

int TcpLink::waitFor(int fd, short events, int32_t reason, int limit) {
    bool yields = m_yield.record() != nullptr;
    int32_t sleep = reason == QKYIELD_CONNECTING ? kConnectSleep : kTransferSleep;
    int round = yields ? sleep : reason == QKYIELD_CONNECTING ? kConnectRound : kTransferRound;
    QKYieldParametersRecord parameters = yieldParameters(reason, sleep);
    pollfd poll{fd, events, 0};
    for (int waited = 0;; waited += round) {
        int ready = pollFor(&poll, 1, limit < 0 ? round : std::min(round, limit - waited));
        if (ready > 0) return kWaitReady;
        if (ready < 0) return kWaitFailed;
        if (limit >= 0 && waited + round >= limit) return kTimedOut;
        deliverMessages(false);
        if (yieldStops(m_yield, parameters)) return kWaitStopped;
    }
}

TcpLink::Sent TcpLink::sendBytes(int fd, const void* bytes, std::size_t length, int limit) {
    const char* data = static_cast<const char*>(bytes);
    Sent sent{0, kTransferFailed};
    while (sent.bytes < length) {
        ssize_t n = send(fd, data + sent.bytes, length - sent.bytes, MSG_NOSIGNAL);
        if (n > 0) {
            sent.bytes += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            sent.failure = peerGoneError(errno) ? kTransferPeerGone : kTransferFailed;
            return sent;
        }
        int waited = waitFor(fd, POLLOUT, QKYIELD_WRITING, limit);
        if (waited != kWaitReady) {
            sent.failure = waited == kWaitStopped ? kTransferStopped : kTransferFailed;
            return sent;
        }
    }
    return sent;
}

// ---- Connect --------------------------------------------------------------------------------

int32_t TcpLink::connect() {
    if (m_connected) return kConnected;
    int32_t result = m_listens ? acceptPeer() : connectToPeer();
    if (result != kConnected && !m_inherited) m_data.reset();
    if (result == kConnected) {
        m_connected = true;
        startWatcher();
    }
    return result;
}

bool TcpLink::readOptionWords(OptionWords& words) {
    for (;;) {
        uint8_t byte = 0;
        ssize_t n = recv(m_data.get(), &byte, 1, 0);
        if (n == 1) {
            OptionWords::Step step = words.feed(byte);
            if (step == OptionWords::kDone) return true;
            if (step == OptionWords::kBad) return false;
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) return false;
        if (waitFor(m_data.get(), POLLIN, QKYIELD_READING, kHandshakeLimit) != kWaitReady)
            return false;
    }
}

int32_t TcpLink::acceptPeer() {
    if (!m_inherited) {
        int waited = waitFor(m_listen.get(), POLLIN, QKYIELD_CONNECTING, -1);
        if (waited == kWaitStopped) return kConnectStopped;
        if (waited != kWaitReady) return kConnectFailed;
        socklen_t length = sizeof m_peer;
        m_data.reset(accept4(m_listen.get(), reinterpret_cast<sockaddr*>(&m_peer), &length,
                             SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!m_data) return kConnectFailed;
        setLinkOptions(m_data.get());
    }
    inet_ntop(AF_INET, &m_peer.sin_addr, m_peerHost, sizeof m_peerHost);
    m_peerPort = ntohs(m_peer.sin_port);
    OptionWords words;
    if (!readOptionWords(words)) return kConnectFailed;
    if (!words.needMessagePort())
        return sendAll(m_data.get(), "Y", 1) ? kConnected : kConnectFailed;
    openMessageListener();
    return kConnected;
}

void TcpLink::openMessageListener() {
    if (!m_inherited) m_listen.reset();
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(m_data.get(), reinterpret_cast<sockaddr*>(&local), &length);
    uint16_t port = 0;
    Descriptor listener = listenSocket(local.sin_addr, 0, port);
    char answer[32];
    int written = std::snprintf(answer, sizeof answer, "msg_port=%uY", port);
    if (!listener) written = std::snprintf(answer, sizeof answer, "Y");
    if (!sendAll(m_data.get(), answer, std::size_t(written)) || !listener) return;
    // The connecting side may go on without the urgent connection: wait a bounded time, and
    // take it only from the data peer's address.
    for (int spent = 0; spent < kMessageAcceptLimit; spent += kTransferRound) {
        pollfd poll{listener.get(), POLLIN, 0};
        if (pollFor(&poll, 1, kTransferRound) < 0) return;
        if (!poll.revents) continue;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        Descriptor socket(accept4(listener.get(), reinterpret_cast<sockaddr*>(&from), &fromLength,
                                  SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (socket && from.sin_addr.s_addr == m_peer.sin_addr.s_addr) {
            setLinkOptions(socket.get());
            m_message = std::move(socket);
            return;
        }
    }
}

int32_t TcpLink::connectToPeer() {
    if (!m_data) {
        if (int32_t result = openConnection(); result != kConnected) return result;
    }
    static const char kAsk[] = "need_msg_portY";
    OptionWords words;
    if (!sendAll(m_data.get(), kAsk, sizeof kAsk - 1) || !readOptionWords(words))
        return kConnectFailed;
    if (words.messagePort()) {
        sockaddr_in at = m_peer;
        at.sin_port = htons(words.messagePort());
        Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (socket) {
            int result = ::connect(socket.get(), reinterpret_cast<sockaddr*>(&at), sizeof at);
            pollfd poll{socket.get(), POLLOUT, 0};
            int error = 0;
            socklen_t length = sizeof error;
            if (result == 0 ||
                (errno == EINPROGRESS && pollFor(&poll, 1, kMessageAcceptLimit) > 0 &&
                 getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && !error)) {
                setLinkOptions(socket.get());
                m_message = std::move(socket);
            }
        }
    }
    return kConnected;
}

int32_t TcpLink::openConnection() {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (getaddrinfo(m_host, nullptr, &hints, &found) == 0 && found) {
        to.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    } else if (std::strcmp(m_host, m_device.hostName()) == 0) {
        // A machine whose own name does not resolve still reaches itself.
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    } else {
        return kConnectBadHost;
    }
    to.sin_port = htons(m_peerPort);
    m_peer = to;
    m_data.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!m_data) return kConnectFailed;
    setLinkOptions(m_data.get());
    if (::connect(m_data.get(), reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
        return kConnected;
    if (errno != EINPROGRESS) return kConnectRefused;
    int waited = waitFor(m_data.get(), POLLOUT, QKYIELD_CONNECTING, -1);
    if (waited == kWaitStopped) return kConnectStopped;
    int error = 0;
    socklen_t length = sizeof error;
    if (waited != kWaitReady ||
        getsockopt(m_data.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error)
        return kConnectRefused;
    return kConnected;
}

// ---- Data -----------------------------------------------------------------------------------

int32_t TcpLink::read(uint8_t* buffer, int32_t size) {
    if (!m_data || size <= 0) return kTransferFailed;
    bool spun = false;
    for (;;) {
        ssize_t n = recv(m_data.get(), buffer, std::size_t(size), 0);
        if (n > 0) return static_cast<int32_t>(n);
        if (n == 0) return kTransferPeerGone;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return peerGoneError(errno) ? kTransferPeerGone : kTransferFailed;
        if (!spun) {
            spun = true;
            pollfd poll{m_data.get(), POLLIN, 0};
            if (spinUntil([&] { return pollFor(&poll, 1, 0) != 0; }, 1)) continue;
        }
        int waited = waitFor(m_data.get(), POLLIN, QKYIELD_READING, -1);
        if (waited == kWaitStopped) return kTransferStopped;
        if (waited != kWaitReady) return kTransferFailed;
    }
}

int32_t TcpLink::write(const uint8_t* bytes, int32_t length) {
    if (!m_data || length < 0) return kTransferFailed;
    const Sent sent = sendBytes(m_data.get(), bytes, std::size_t(length), -1);
    if (sent.bytes == std::size_t(length)) return length;
    // What went out cannot be taken back: a stop part way through is a failure.
    return sent.failure == kTransferStopped && sent.bytes != 0 ? kTransferFailed : sent.failure;
}

int32_t TcpLink::hasData() {
    if (!m_connected && !m_listens) return 1;
    deliverMessages(false);
    int socket = m_connected || m_inherited ? m_data.get() : m_listen.get();
    pollfd poll{socket, POLLIN, 0};
    int ready = pollFor(&poll, 1, 0);
    if (ready < 0) return kTransferFailed;
    if (ready > 0) return 1;
    QKYieldParametersRecord parameters = yieldParameters(QKYIELD_TESTING, 0);
    yieldStops(m_yield, parameters);
    return 0;
}

// ---- Urgent messages ------------------------------------------------------------------------

int32_t TcpLink::writeMessage(int32_t code, int32_t parameter) {
    if (!m_data) return 0;
    if (m_message) {
        uint32_t words[2] = {htonl(uint32_t(code)), htonl(uint32_t(parameter))};
        return sendAll(m_message.get(), reinterpret_cast<const char*>(words), sizeof words) ? 1 : 0;
    }
    if (code < 1 || code > 255 || parameter != 0) return 0;
    uint8_t byte = static_cast<uint8_t>(code);
    return send(m_data.get(), &byte, 1, MSG_OOB | MSG_NOSIGNAL) == 1 ? 1 : 0;
}

int TcpLink::gatherMessage(int wait) {
    for (int waited = 0; m_partialLength < 8;) {
        ssize_t n = recv(m_message.get(), m_partial + m_partialLength,
                         std::size_t(8 - m_partialLength), MSG_DONTWAIT);
        if (n > 0) {
            m_partialLength += static_cast<int>(n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) return -1;
        if (waited >= wait) return 0;
        pollfd poll{m_message.get(), POLLIN, 0};
        if (pollFor(&poll, 1, kTransferRound) < 0) return -1;
        waited += kTransferRound;
    }
    return 1;
}

int32_t TcpLink::hasMessage() {
    std::lock_guard lock(m_mutex);
    if (m_message) {
        if (m_partialLength == 8) return 1;
        pollfd poll{m_message.get(), POLLIN, 0};
        return pollFor(&poll, 1, 0) > 0 ? 1 : 0;
    }
    if (!m_data) return 0;
    pollfd poll{m_data.get(), POLLPRI, 0};
    return pollFor(&poll, 1, 0) > 0 && (poll.revents & POLLPRI) ? 1 : 0;
}

int32_t TcpLink::readMessage(int32_t& code, int32_t& parameter) {
    std::lock_guard lock(m_mutex);
    if (m_message) {
        pollfd poll{m_message.get(), POLLIN, 0};
        if (m_partialLength == 0 && pollFor(&poll, 1, 0) <= 0) return 0;
        int gathered = gatherMessage(kMessageRestLimit);
        if (gathered < 0) {
            // The peer closed its urgent connection: no more messages come that way.
            m_message.reset();
            m_partialLength = 0;
            return 0;
        }
        if (gathered == 0) return 0;
        uint32_t words[2];
        std::memcpy(words, m_partial, sizeof words);
        m_partialLength = 0;
        code = static_cast<int32_t>(ntohl(words[0]));
        parameter = static_cast<int32_t>(ntohl(words[1]));
        return 1;
    }
    if (!m_data) return 0;
    uint8_t byte = 0;
    if (recv(m_data.get(), &byte, 1, MSG_OOB | MSG_DONTWAIT) != 1) return 0;
    code = byte;
    parameter = 0;
    return code != 0 ? 1 : 0;
}

// ---- Message handler ------------------------------------------------------------------------

void TcpLink::startWatcher() {
    if (!m_message || m_watcher.joinable()) return;
    m_control.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_control) return;
    try {
        m_watcher = std::thread([this] { watch(); });
    } catch (...) {
        m_control.reset();
    }
}

void TcpLink::watch() {
    for (;;) {
        bool message = false;
        {
            std::lock_guard lock(m_mutex);
            message = bool(m_message);
        }
        bool watching = message && handlerHasThread();
        pollfd fds[2] = {{m_control.get(), POLLIN, 0},
                         {watching ? m_message.get() : -1, POLLIN, 0}};
        if (pollFor(fds, 2, -1) < 0) return;
        if (fds[0].revents) {
            uint64_t count;
            [[maybe_unused]] ssize_t read = ::read(m_control.get(), &count, sizeof count);
            if (m_quit) return;
        }
        if (fds[1].revents) deliverMessages(true);
    }
}

// ---- Callbacks and information --------------------------------------------------------------

int32_t TcpLink::deviceInfo(uint32_t item, void* buffer, int32_t* size) {
    switch (item) {
    case 512:
        return infoNumber(m_data.get(), buffer, size);
    case 513:
        return infoNumber(m_message.get(), buffer, size);
    case 514:
        return infoShort(m_ownPort, buffer, size);
    default:
        return commonInfo(kDeviceType, m_name, item, buffer, size);
    }
}

} // namespace

TransportDevice* createDevice(const DeviceMemory& memory) {
    return memory.make<TcpDevice>(memory);
}

} // namespace devices::tcp
