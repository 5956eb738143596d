#include "kernel/ServerWire.h"

#include "kernel/ConnectionSettings.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace kernel {

namespace {

struct ErrorRow {
    int32_t code;
    const char* text;
};

constexpr ErrorRow kDescriptions[] = {
    {10004, "Interrupted function call."},
    {10013, "Permission denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Resource temporarily unavailable."},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Network dropped connection on reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send after socket shutdown."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10067, "Too many processes."},
    {10091, "Network subsystem is unavailable."},
    {10092, "WINSOCK.DLL version out of range."},
    {10093, "Successful WSAStartup not yet performed."},
    {10101, "Graceful shutdown in progress."},
    {11001, "Host not found."},
    {11002, "Non-authoritative host not found."},
    {11003, "This is a non-recoverable error."},
    {11004, "Valid name, no data record of requested type."},
};

// errno values by meaning.
constexpr struct {
    int error;
    int32_t code;
} kErrnoCodes[] = {
    {EINTR, 10004},           {EACCES, 10013},          {EPERM, 10013},
    {EFAULT, 10014},          {EINVAL, 10022},          {EMFILE, 10024},
    {ENFILE, 10024},          {EAGAIN, 10035},          {EINPROGRESS, 10036},
    {EALREADY, 10037},        {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},        {ENETUNREACH, 10051},
    {ENETRESET, 10052},       {ECONNABORTED, 10053},    {ECONNRESET, 10054},
    {ENOBUFS, 10055},         {ENOMEM, 10055},          {EISCONN, 10056},
    {ENOTCONN, 10057},        {ESHUTDOWN, 10058},       {EPIPE, 10058},
    {ETIMEDOUT, 10060},       {ECONNREFUSED, 10061},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
};

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

const char* SocketErrorText(int32_t code) {
    for (const ErrorRow& row : kDescriptions)
        if (row.code == code) return row.text;
    return "";
}

int32_t SocketErrorFromErrno(int error) {
    for (const auto& row : kErrnoCodes)
        if (row.error == error) return row.code;
    return 0;
}

int32_t SocketErrorFromResolver(int error) {
    switch (error) {
    case EAI_NONAME:
        return 11001;
    case EAI_AGAIN:
        return 11002;
    case EAI_FAIL:
        return 11003;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return 11004;
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return SocketErrorFromErrno(errno);
    default:
        return 11003;
    }
}

WireMessage& WireMessage::Byte(uint8_t value) {
    m_bytes.push_back(static_cast<char>(value));
    return *this;
}

WireMessage& WireMessage::Int16(uint16_t value) {
    return Byte(static_cast<uint8_t>(value >> 8)).Byte(static_cast<uint8_t>(value));
}

WireMessage& WireMessage::Int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        Byte(static_cast<uint8_t>(bits >> shift));
    return *this;
}

WireMessage& WireMessage::String(std::string_view text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    Byte(static_cast<uint8_t>(length));
    m_bytes.append(text.substr(0, length));
    return *this;
}

std::string DottedAddress(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24 & 0xFF, address >> 16 & 0xFF,
                  address >> 8 & 0xFF, address & 0xFF);
    return text;
}

bool ServerSocket::Failed(int32_t error) {
    if (m_ok) m_error = error;
    m_ok = false;
    return false;
}

bool ServerSocket::Wait(short events, long long deadline) {
    for (;;) {
        if (Cancelled()) return Failed(0);
        const long long left = deadline - NowMs();
        if (left <= 0) return Failed(kSocketTimedOut);
        pollfd ready{m_socket, events, 0};
        const int n = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, 100)));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return Failed(SocketErrorFromErrno(errno));
    }
}

bool ServerSocket::Connect(const std::string& host, uint16_t port) {
    Close();
    m_ok = true;
    m_error = 0;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (resolved != 0 || !found) return Failed(SocketErrorFromResolver(resolved));
    sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    address.sin_port = htons(port);

    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0) return Failed(SocketErrorFromErrno(errno));
    if (::connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) return Failed(SocketErrorFromErrno(errno));
        if (!Wait(POLLOUT, NowMs() + m_timeoutMs)) return false;
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0) return Failed(SocketErrorFromErrno(error));
    }
    return true;
}

bool ServerSocket::Send(const WireMessage& message) {
    if (!m_ok || m_socket < 0) return false;
    const std::string& bytes = message.Bytes();
    const long long deadline = NowMs() + m_timeoutMs;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!Wait(POLLOUT, deadline)) return false;
        } else {
            return Failed(SocketErrorFromErrno(errno));
        }
    }
    return true;
}

bool ServerSocket::Read(void* into, std::size_t count) {
    if (!m_ok || m_socket < 0) return false;
    const long long deadline = NowMs() + m_timeoutMs;
    auto* bytes = static_cast<char*>(into);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::recv(m_socket, bytes + got, count - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            return Failed(0);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            if (!Wait(POLLIN, deadline)) return false;
        } else {
            return Failed(SocketErrorFromErrno(errno));
        }
    }
    return true;
}

bool ServerSocket::ReadByte(uint8_t& value) {
    return Read(&value, 1);
}

bool ServerSocket::ReadInt16(uint16_t& value) {
    uint8_t b[2];
    if (!Read(b, 2)) return false;
    value = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

bool ServerSocket::ReadInt32(int32_t& value) {
    uint8_t b[4];
    if (!Read(b, 4)) return false;
    value = static_cast<int32_t>(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 |
                                 b[3]);
    return true;
}

bool ServerSocket::ReadString(std::string& text) {
    uint8_t length = 0;
    if (!ReadByte(length)) return false;
    text.assign(length, '\0');
    return length == 0 || Read(text.data(), length);
}

void ServerSocket::Close() {
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
}

int32_t PasswordAnswer(int32_t token, const std::string& password) {
    uint32_t hash = 2166136261u;
    auto mix = [&](uint8_t octet) {
        hash ^= octet;
        hash *= 16777619u;
    };
    const auto bits = static_cast<uint32_t>(token);
    for (int shift = 24; shift >= 0; shift -= 8)
        mix(static_cast<uint8_t>(bits >> shift));
    for (char c : password)
        mix(static_cast<uint8_t>(c));
    return static_cast<int32_t>(hash);
}

} // namespace kernel
