#include "ShmemTransport.h"

#include "CallbackLink.h"
#include "DeviceInfo.h"
#include "ShmemHandshake.h"
#include "ShmemMapping.h"
#include "Waiting.h"

#include <dlfcn.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace devices::shmem {
namespace {

constexpr int32_t kDeviceType = 10;
constexpr int32_t kMaxName = 32;
// Rounds of the waits: the longest a wait sleeps before it asks the yield function again.
constexpr int kReadRound = 20;
constexpr int kConnectRound = 500;
constexpr int32_t kSleepAdvice = 5;
// How long a side waits for the other's descriptors once the socket is connected, and for the
// peer's message-ring mutex. A live peer answers at once; these bound a broken one.
constexpr int kHandshakeLimit = 5000;
constexpr int kMutexLimit = 1000;

std::chrono::steady_clock::time_point pluginStart = std::chrono::steady_clock::now();

// Generated names share one sequence per process, seeded before the first name.
uint32_t nextGeneratedName(char out[4]) {
    static std::mutex mutex;
    static bool seeded = false;
    static uint32_t seed = 0;
    std::lock_guard lock(mutex);
    if (!seeded) {
        seed = firstNameSeed(
            static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - pluginStart)
                                      .count()));
        seeded = true;
    }
    uint32_t value = nextNameValue(seed);
    nameText(value, out);
    return value;
}

class ShmemLink final : public CallbackLink {
public:
    ShmemLink() = default;
    ~ShmemLink() override;

    int32_t open(const OpenArguments& arguments, bool listens);

    int32_t connect() override;
    int32_t read(uint8_t* buffer, int32_t size) override;
    int32_t write(const uint8_t* bytes, int32_t length) override;
    int32_t hasData() override;
    int32_t writeMessage(int32_t code, int32_t parameter) override;
    int32_t hasMessage() override;
    int32_t readMessage(int32_t& code, int32_t& parameter) override;
    int32_t deviceInfo(uint32_t item, void* buffer, int32_t* size) override {
        return commonInfo(kDeviceType, m_name, item, buffer, size);
    }

private:
    // Messages reach a handler through the watcher.
    bool acceptsHandler() const override { return m_watcher.joinable(); }
    int32_t connectToListener();
    int32_t waitForPeer();
    bool attach(Descriptor socket, Endpoint& peer);
    void watch();
    void acceptPeer();
    void markPeerGone();
    // Reads one message from the own ring: 1 read (code non-zero), 0 none or code 0, -1 damaged.
    int32_t takeMessage(int32_t& code, int32_t& parameter);

    bool m_listens = false;
    char m_name[kNameSize + 1] = {};

    Descriptor m_mappingFd;
    uint8_t* m_own = nullptr;
    Descriptor m_dataEvent;
    Descriptor m_messageEvent;
    Descriptor m_control;  // wakes the watcher: to quit or to watch a new socket
    Descriptor m_attached; // counted once the peer is attached (listener)
    Descriptor m_listenSocket;

    // Set once when the peer attaches (by the watcher for a listener, by connect otherwise);
    // m_peerReady publishes them.
    Descriptor m_socket;
    Endpoint m_peerEnd;
    uint8_t* m_peer = nullptr;
    std::atomic<bool> m_peerReady{false};
    std::atomic<bool> m_peerGone{false};
    std::atomic<bool> m_quit{false};
    bool m_connectAttempted = false;

    std::mutex m_mutex; // the hand-over of the socket to the watcher
    std::thread m_watcher;
};

class ShmemDevice final : public TransportDevice {
public:
    ShmemDevice(const DeviceMemory& memory, const char* name) : m_memory(memory) {
        std::strncpy(m_name, name, sizeof m_name - 1);
    }

    int32_t make(const OpenArguments& arguments, TransportLink*& link) override;
    int32_t worldInfo(uint32_t item, void* buffer, int32_t* size) override;

private:
    DeviceMemory m_memory;
    char m_name[8] = {};
};

// ---- Device ---------------------------------------------------------------------------------

int32_t ShmemDevice::make(const OpenArguments& arguments, TransportLink*& link) {
    const char* protocol = *arguments.protocol ? arguments.protocol : m_name;
    if (strncasecmp(protocol, m_name, std::strlen(m_name)) != 0) return QKERR_NO_PROTOCOL;
    bool listens = false;
    if (!listensOrConnects(arguments, listens)) return QKERR_NO_MODE;
    std::size_t nameLength = std::strlen(arguments.name);
    if (nameLength >= kMaxName || (!listens && nameLength == 0)) return QKERR_BAD_NAME;
    return makeLink(m_memory, link, m_memory.make<ShmemLink>(),
                    [&](ShmemLink& made) { return made.open(arguments, listens); });
}

int32_t ShmemDevice::worldInfo(uint32_t item, void* buffer, int32_t* size) {
    switch (item) {
    case 1:
        return infoText("", buffer, size);
    case 2:
        return infoNumber(6, buffer, size);
    case 3:
        return infoText(m_name, buffer, size);
    case 4:
        return infoNumber(kDataRingSize, buffer, size);
    case 5:
        return infoText(buildStamp(), buffer, size);
    default:
        return -1;
    }
}

// ---- Make and close -------------------------------------------------------------------------

int32_t ShmemLink::open(const OpenArguments& arguments, bool listens) {
    m_listens = listens;
    char generated[4] = {};
    const char* own = arguments.name;
    if (!listens || !*own) {
        nextGeneratedName(generated);
        own = generated;
    }
    if (!createMapping(own, m_mappingFd, m_own)) return QKERR_NO_NUMERICS;
    m_dataEvent.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_messageEvent.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_control.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_attached.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_dataEvent || !m_messageEvent || !m_control || !m_attached) return QKERR_NO_NUMERICS;

    if (listens) {
        // A named listener holds its name for the link's life; a generated one draws until it
        // finds a free name.
        for (int32_t tries = 0; !m_listenSocket; ++tries) {
            m_listenSocket.reset(listenOn(own));
            if (m_listenSocket) break;
            if (errno != EADDRINUSE) return -1;
            if (own != generated) return QKERR_NAME_IN_USE;
            if (tries == 1 << 15) return -1;
            nextGeneratedName(generated);
        }
    }
    // A connecting side's name field holds the name of the listener that it looks for.
    const char* linkName = listens ? own : arguments.name;
    std::strncpy(m_name, linkName, kNameSize);
    if (!initMapping(m_own, linkName, listens)) return QKERR_NO_NUMERICS;
    try {
        m_watcher = std::thread([this] { watch(); });
    } catch (...) {
        return QKERR_NO_NUMERICS;
    }
    return 0;
}

ShmemLink::~ShmemLink() {
    // The watcher reads the mappings: stop it before anything goes.
    if (m_watcher.joinable()) {
        m_quit = true;
        signalEvent(m_control.get());
        m_watcher.join();
    }
    unmap(m_peer);
    unmap(m_own);
}

// ---- Watcher --------------------------------------------------------------------------------

void ShmemLink::watch() {
    for (;;) {
        int socket = -1;
        {
            std::lock_guard lock(m_mutex);
            if (!m_peerGone) socket = m_socket.get();
        }
        pollfd fds[4] = {{m_control.get(), POLLIN, 0},
                         {m_messageEvent.get(), POLLIN, 0},
                         {m_listenSocket.get(), POLLIN, 0},
                         {socket, POLLIN | POLLRDHUP, 0}};
        if (pollFor(fds, 4, -1) < 0) return;
        if (fds[0].revents) {
            clearEvent(m_control.get());
            if (m_quit) return;
        }
        if (fds[1].revents) {
            clearEvent(m_messageEvent.get());
            deliverMessages(true);
        }
        if (fds[2].revents) acceptPeer();
        if (fds[3].revents) {
            char byte;
            // Nothing travels on the socket after the hand-over: any end of it is the peer's.
            ssize_t got = recv(socket, &byte, 1, MSG_DONTWAIT);
            if ((fds[3].revents & (POLLHUP | POLLRDHUP | POLLERR)) || got == 0) markPeerGone();
        }
    }
}

void ShmemLink::markPeerGone() {
    if (m_peerGone.exchange(true)) return;
    storeWord(m_own, kPeerGoneAt, 1);
    // Wakes a read that waits on the own data.
    signalEvent(m_dataEvent.get());
}

void ShmemLink::acceptPeer() {
    Descriptor socket(
        accept4(m_listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    // One peer per link: later callers find the socket closed.
    if (!socket || m_peerReady || !peerIsSameUser(socket.get())) return;
    pollfd fds[2] = {{socket.get(), POLLIN, 0}, {m_control.get(), POLLIN, 0}};
    if (pollFor(fds, 2, kHandshakeLimit) <= 0 || !(fds[0].revents & POLLIN)) return;
    Endpoint peer;
    if (!receiveEndpoint(socket.get(), peer)) return;
    if (!sendEndpoint(socket.get(), m_mappingFd.get(), m_dataEvent.get(), m_messageEvent.get()))
        return;
    if (attach(std::move(socket), peer)) signalEvent(m_attached.get());
}

bool ShmemLink::attach(Descriptor socket, Endpoint& peer) {
    uint8_t* view = mapPeer(peer.mapping.get());
    if (!view) return false;
    {
        std::lock_guard lock(m_mutex);
        m_peer = view;
        m_peerEnd = std::move(peer);
        m_socket = std::move(socket);
    }
    m_peerReady = true;
    return true;
}

// ---- Connect --------------------------------------------------------------------------------

int32_t ShmemLink::connect() {
    int32_t result = m_listens ? waitForPeer() : connectToListener();
    m_connectAttempted = true;
    storeWord(m_own, kConnectAttemptedAt, 1);
    return result;
}

int32_t ShmemLink::waitForPeer() {
    pollfd fds[1] = {{m_attached.get(), POLLIN, 0}};
    while (!m_peerReady) {
        WaitResult waited =
            waitReady(fds, 1, m_yield, QKYIELD_CONNECTING, kSleepAdvice, kConnectRound);
        if (waited == kWaitStopped) return kConnectStopped;
        if (waited == kWaitFailed) return kConnectFailed;
        clearEvent(m_attached.get());
    }
    return kConnected;
}

int32_t ShmemLink::connectToListener() {
    if (m_peerReady) return kConnected;
    Descriptor socket(connectTo(m_name));
    if (!socket || !peerIsSameUser(socket.get())) return kConnectNoListener;
    if (!sendEndpoint(socket.get(), m_mappingFd.get(), m_dataEvent.get(), m_messageEvent.get()))
        return kConnectNoListener;
    // The listener's watcher answers at once; one that does not is as good as absent.
    pollfd fds[1] = {{socket.get(), POLLIN, 0}};
    QKYieldParametersRecord parameters = yieldParameters(QKYIELD_CONNECTING, kSleepAdvice);
    for (int waited = 0;; waited += kReadRound) {
        int ready = pollFor(fds, 1, kReadRound);
        if (ready > 0) break;
        if (ready < 0 || waited >= kHandshakeLimit) return kConnectNoListener;
        if (yieldStops(m_yield, parameters)) return kConnectStopped;
    }
    Endpoint peer;
    if (!receiveEndpoint(socket.get(), peer)) return kConnectNoListener;
    if (!attach(std::move(socket), peer)) return kConnectFailed;
    signalEvent(m_control.get()); // the watcher now watches the socket
    return kConnected;
}

// ---- Data -----------------------------------------------------------------------------------

int32_t ShmemLink::read(uint8_t* buffer, int32_t size) {
    if (!m_peerReady || size <= 0) return kTransferFailed;
    Ring ring = Ring::data(m_own);
    pollfd fds[2] = {{m_dataEvent.get(), POLLIN, 0}, {m_socket.get(), POLLRDHUP, 0}};
    QKYieldParametersRecord parameters = yieldParameters(QKYIELD_READING, kSleepAdvice);
    for (;;) {
        // The peer's last bytes are in the ring before its end shows: whether it has gone is
        // taken before the ring is looked at, so that bytes put just before it went are read.
        const bool gone = m_peerGone;
        int64_t held = ring.held();
        if (held < 0) return kTransferFailed;
        if (held > 0) {
            uint32_t count = static_cast<uint32_t>(std::min<int64_t>(held, size));
            return ring.take(buffer, count) == kRingDone ? int32_t(count) : kTransferFailed;
        }
        if (gone) return kTransferPeerGone;
        if (spinUntil([&] { return ring.held() != 0 || m_peerGone; }, 64)) continue;
        // The writer signals the event only to a reader that said it sleeps.
        announceSleep(m_own, true);
        fds[0].revents = fds[1].revents = 0;
        int ready = ring.held() != 0 || m_peerGone ? 1 : pollFor(fds, 2, kReadRound);
        announceSleep(m_own, false);
        if (ready < 0) return kTransferFailed;
        if (fds[0].revents) clearEvent(m_dataEvent.get());
        if (fds[1].revents & (POLLRDHUP | POLLHUP | POLLERR)) markPeerGone();
        deliverMessages(false);
        if (ready == 0 && yieldStops(m_yield, parameters)) return kTransferStopped;
    }
}

int32_t ShmemLink::write(const uint8_t* bytes, int32_t length) {
    if (!m_peerReady || length < 0) return kTransferFailed;
    Ring ring = Ring::data(m_peer);
    pollfd fds[1] = {{m_socket.get(), POLLRDHUP, 0}};
    QKYieldParametersRecord parameters = yieldParameters(QKYIELD_WRITING, kSleepAdvice);
    for (;;) {
        if (m_peerGone) return kTransferPeerGone;
        int put = ring.put(bytes, static_cast<uint32_t>(length));
        if (put == kRingDamaged) return kTransferFailed;
        if (put == kRingDone) {
            if (sleeps(m_peer)) signalEvent(m_peerEnd.dataEvent.get());
            return length;
        }
        // The peer frees room as it reads; its death ends the wait.
        int ready = pollFor(fds, 1, kReadRound);
        if (ready < 0) return kTransferFailed;
        deliverMessages(false);
        if (ready > 0)
            markPeerGone();
        else if (yieldStops(m_yield, parameters))
            return kTransferStopped;
    }
}

int32_t ShmemLink::hasData() {
    deliverMessages(false);
    if (!m_connectAttempted) return m_listens ? (m_peerReady ? 1 : 0) : 1;
    const bool gone = m_peerGone; // before the ring, as in read
    int64_t held = Ring::data(m_own).held();
    if (held < 0) return kTransferFailed;
    if (held > 0) return 1;
    return gone ? kTransferPeerGone : 0;
}

// ---- Urgent messages ------------------------------------------------------------------------

int32_t ShmemLink::writeMessage(int32_t code, int32_t parameter) {
    if (!m_peerReady) return 0;
    if (m_peerGone) return -1;
    uint8_t message[kMessageSize];
    std::memcpy(message, &code, 4);
    std::memcpy(message + 4, &parameter, 4);
    if (!lockMapping(m_peer, kMutexLimit)) return -1;
    Ring ring = Ring::messages(m_peer);
    int result = ring.put(message, kMessageSize);
    // A full ring makes room by dropping its oldest message.
    if (result == kRingNoRoom) {
        result = ring.drop(kMessageSize);
        if (result == kRingDone) result = ring.put(message, kMessageSize);
    }
    unlockMapping(m_peer);
    if (result != kRingDone) return -1;
    signalEvent(m_peerEnd.messageEvent.get());
    return 1;
}

int32_t ShmemLink::takeMessage(int32_t& code, int32_t& parameter) {
    if (!lockMapping(m_own, kMutexLimit)) return -1;
    Ring ring = Ring::messages(m_own);
    int64_t held = ring.held();
    uint8_t message[kMessageSize] = {};
    int32_t result = held < 0 ? -1 : 0;
    if (held >= kMessageSize) result = ring.take(message, kMessageSize) == kRingDone ? 1 : -1;
    unlockMapping(m_own);
    if (result != 1) return result;
    std::memcpy(&code, message, 4);
    std::memcpy(&parameter, message + 4, 4);
    return code != 0 ? 1 : 0;
}

int32_t ShmemLink::hasMessage() {
    if (!lockMapping(m_own, kMutexLimit)) return -1;
    int64_t held = Ring::messages(m_own).held();
    unlockMapping(m_own);
    return held < 0 ? -1 : held >= kMessageSize ? 1 : 0;
}

int32_t ShmemLink::readMessage(int32_t& code, int32_t& parameter) {
    return takeMessage(code, parameter);
}

} // namespace

const char* deviceNameForFile(const char* fileName) {
    std::string_view path(fileName);
    std::string name(path.substr(path.find_last_of('/') + 1));
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool local = name.find("lcl") != std::string::npos || name.find("local") != std::string::npos;
    return local ? "Local" : "FileMap";
}

TransportDevice* createDevice(const DeviceMemory& memory) {
    Dl_info info{};
    const char* file = "";
    if (dladdr(reinterpret_cast<void*>(&createDevice), &info) && info.dli_fname)
        file = info.dli_fname;
    return memory.make<ShmemDevice>(memory, deviceNameForFile(file));
}

} // namespace devices::shmem
