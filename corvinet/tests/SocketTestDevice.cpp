// A device plug-in for the opening tests: a link over a local stream socket, enough for a
// launched test program to connect back. It serves protocol "" or "test" in the modes Listen
// and Connect and answers 35 to every other mode, so that the library launches or loops back
// itself. It records the open-argument blocks it is offered (testDeviceLastBlock), calls the
// stream's yield record on every round of a wait, and hands a written message to the stream's
// own handler record, so both callback paths run through this module's copy of the callback
// code.

#include "corvinet/corvinet.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kRoundMs = 5;
constexpr int kMaxRounds = 4000; // a wait never lasts beyond about 20 seconds

struct Stream {
    int listener = -1;
    int socket = -1;
    std::string path;
    uint8_t out[1022];
    uint8_t in[1024];
    QKCallbackRecord* yield = nullptr;
    QKLinkRecord* yieldLink = nullptr;
    QKCallbackRecord* handler = nullptr;
    QKLinkRecord* handlerLink = nullptr;
    int32_t messageCode = 0, messageParameter = 0;
};

std::string lastBlock;

// One round of a wait: false when the yield record asks to stop.
bool keepWaiting(Stream& s, int round, int reason) {
    if (!s.yield) return round < kMaxRounds;
    QKYieldParametersRecord yp{1, kRoundMs, round, reason};
    return qkCallbackYield(s.yield, s.yieldLink, &yp) == 0 && round < kMaxRounds;
}

bool readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return poll(&ready, 1, kRoundMs) > 0;
}

void replace(QKCallbackRecord*& slot, QKLinkRecord*& data, void* record, void* link) {
    qkCallbackRetain(static_cast<QKCallbackRecord*>(record));
    qkCallbackRelease(slot);
    slot = static_cast<QKCallbackRecord*>(record);
    data = static_cast<QKLinkRecord*>(link);
}

int32_t make(const char* block, Stream** out) {
    const char* texts[6];
    for (const char*& text : texts) {
        text = block;
        block += std::strlen(block) + 1;
    }
    for (const char* text : texts)
        lastBlock += std::string(text) + "|";
    lastBlock += "\n";
    std::string protocol = texts[0];
    if (!protocol.empty() && protocol != "test" && protocol != "TEST") return QKERR_NO_PROTOCOL;
    long mode = std::strtol(texts[1], nullptr, 10);
    if (mode != QKMODE_LISTEN && mode != QKMODE_CONNECT) return QKERR_NO_MODE;
    auto owned = std::make_unique<Stream>();
    Stream* s = owned.get();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (mode == QKMODE_LISTEN) {
        char pattern[] = "/tmp/corvinet-socket-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        unlink(pattern);
        s->path = pattern;
        std::strncpy(address.sun_path, pattern, sizeof address.sun_path - 1);
        s->listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s->listener < 0 ||
            bind(s->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(s->listener, 1) != 0) {
            if (s->listener >= 0) close(s->listener);
            return QKERR_LINK_DIED;
        }
    } else {
        s->path = texts[2];
    }
    *out = owned.release();
    return 0;
}

int32_t connectStream(Stream& s) {
    if (s.socket >= 0) return 0;
    if (s.listener >= 0) {
        for (int round = 0;; ++round) {
            if (readable(s.listener)) break;
            if (!keepWaiting(s, round, QKYIELD_CONNECTING)) return QKERR_ABORTED;
        }
        s.socket = accept4(s.listener, nullptr, nullptr, SOCK_CLOEXEC);
        return s.socket < 0 ? QKERR_LINK_DIED : 0;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, s.path.c_str(), sizeof address.sun_path - 1);
    s.socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s.socket < 0) return QKERR_LINK_DIED;
    if (connect(s.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s.socket);
        s.socket = -1;
        return QKERR_LINK_DIED;
    }
    return 0;
}

int32_t deviceMain(void* handle, uint32_t selector, void* a, void* b) {
    switch (selector) {
    case DEVICE_INIT:
        *static_cast<void**>(handle) = &lastBlock; // any non-null object
        return 0;
    case DEVICE_DEINIT:
        return 0;
    case DEVICE_MAKE:
        return make(static_cast<const char*>(a), reinterpret_cast<Stream**>(b));
    default:
        break;
    }
    Stream& s = *static_cast<Stream*>(handle);
    switch (selector) {
    case DEVICE_CONNECT:
        return connectStream(s);
    case DEVICE_PUTOUTBUF: {
        const uint8_t* bytes = *static_cast<uint8_t**>(a);
        std::size_t left = static_cast<std::size_t>(*static_cast<int32_t*>(b));
        while (left > 0) {
            ssize_t sent = send(s.socket, bytes, left, MSG_NOSIGNAL);
            if (sent <= 0) return QKERR_LINK_DIED;
            bytes += sent;
            left -= static_cast<std::size_t>(sent);
        }
        [[fallthrough]];
    }
    case DEVICE_GETOUTBUF:
        *static_cast<uint8_t**>(a) = s.out;
        *static_cast<int32_t*>(b) = sizeof s.out;
        return 0;
    case DEVICE_GETINBLOCK: {
        for (int round = 0; !readable(s.socket); ++round)
            if (!keepWaiting(s, round, QKYIELD_READING)) return QKERR_ABORTED;
        ssize_t got = recv(s.socket, s.in, sizeof s.in, 0);
        if (got == 0) return QKERR_PEER_CLOSED;
        if (got < 0) return QKERR_LINK_DIED;
        *static_cast<const uint8_t**>(a) = s.in;
        *static_cast<int32_t*>(b) = static_cast<int32_t>(got);
        return 0;
    }
    case DEVICE_INPUTSTATE:
        return 0;
    case DEVICE_READY:
    case DEVICE_READYCOUNT:
        *static_cast<int32_t*>(b) = s.socket >= 0 && readable(s.socket);
        return 0;
    case DEVICE_CLOSE:
        if (s.socket >= 0) close(s.socket);
        if (s.listener >= 0) {
            close(s.listener);
            unlink(s.path.c_str());
        }
        qkCallbackRelease(s.yield);
        qkCallbackRelease(s.handler);
        delete &s;
        return 0;
    case DEVICE_SETYIELD:
        replace(s.yield, s.yieldLink, a, b);
        return 0;
    case DEVICE_GETYIELD:
        *static_cast<QKCallbackRecord**>(a) = s.yield;
        if (b) *static_cast<void**>(b) = s.yieldLink;
        return 0;
    case DEVICE_SETMSGHANDLER:
        replace(s.handler, s.handlerLink, a, b);
        return 0;
    case DEVICE_GETMSGHANDLER:
        *static_cast<QKCallbackRecord**>(a) = s.handler;
        if (b) *static_cast<void**>(b) = s.handlerLink;
        return 0;
    case DEVICE_WRITEMSG:
        s.messageCode = *static_cast<int32_t*>(a);
        s.messageParameter = *static_cast<int32_t*>(b);
        qkCallbackMessage(s.handler, s.handlerLink, s.messageCode, s.messageParameter);
        return 0;
    case DEVICE_HASMSG:
        *static_cast<int32_t*>(b ? b : a) = s.messageCode != 0;
        return 0;
    case DEVICE_READMSG:
        if (!s.messageCode) return QKERR_NO_MESSAGE;
        *static_cast<int32_t*>(a) = s.messageCode;
        *static_cast<int32_t*>(b) = s.messageParameter;
        s.messageCode = s.messageParameter = 0;
        return 0;
    case DEVICE_INFO + 1: {
        auto* size = static_cast<int32_t*>(b);
        int32_t length = static_cast<int32_t>(s.path.size());
        if (*size < length) return -1;
        std::memcpy(a, s.path.data(), s.path.size());
        *size = length;
        return 0;
    }
    default:
        return -1;
    }
}

} // namespace

// A device answers codes, never exceptions: running out of memory is error 8.
extern "C" __attribute__((visibility("default"))) int32_t winlcl_main(void* h, uint32_t s, void* a,
                                                                      void* b) noexcept {
    try {
        return deviceMain(h, s, a, b);
    } catch (...) {
        return QKERR_OUT_OF_MEMORY;
    }
}

// The open-argument blocks offered since the last testDeviceForget, one a line, their six texts
// each followed by '|'.
extern "C" __attribute__((visibility("default"))) const char* testDeviceLastBlock() {
    return lastBlock.c_str();
}

// Forgets the last block, so a test can tell that no device was asked.
extern "C" __attribute__((visibility("default"))) void testDeviceForget() {
    lastBlock.clear();
}
