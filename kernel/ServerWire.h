#pragma once

// The calculation server's bytes and the socket they travel on. One octet; 16- and 32-bit
// integers most significant octet first; a string as one length octet (0-255) and that many
// octets, no terminator. One stream socket per exchange.
//
// Every step is bounded: connecting, sending and each read give up after the socket's timeout
// (about 30 s by default) with "Connection timed out.", and end early, with no error text, once
// the caller's cancel flag is set. Failures carry the socket error under its classic number
// (the numbers of the descriptions table below), so the messages read the same on every system.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace kernel {

// The description of a socket error number; empty for a number without one.
const char* SocketErrorText(int32_t code);
// The classic socket error number of an errno value (0 for none known).
int32_t SocketErrorFromErrno(int error);
// The number of a getaddrinfo failure ("Host not found." and its kin).
int32_t SocketErrorFromResolver(int error);

enum : int32_t {
    kSocketTimedOut = 10060,
    kSocketRefused = 10061,
};

// A request being put together.
class WireMessage {
public:
    WireMessage& Byte(uint8_t value);
    WireMessage& Int16(uint16_t value);
    WireMessage& Int32(int32_t value);
    // Longer text is cut to 255 octets: the length has one octet.
    WireMessage& String(std::string_view text);
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// An IPv4 address, first octet in the high byte, as "%u.%u.%u.%u".
std::string DottedAddress(uint32_t address);

class ServerSocket {
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    // `cancel`, when given, is read between waits; setting it ends the current step.
    explicit ServerSocket(const std::atomic<bool>* cancel = nullptr,
                          int timeoutMs = kDefaultTimeoutMs)
        : m_cancel(cancel), m_timeoutMs(timeoutMs) {}
    ~ServerSocket() { Close(); }
    ServerSocket(const ServerSocket&) = delete;
    ServerSocket& operator=(const ServerSocket&) = delete;

    // Resolves `host` (IPv4) and connects. False with Error() set.
    bool Connect(const std::string& host, uint16_t port);
    bool Send(const WireMessage& message);
    bool ReadByte(uint8_t& value);
    bool ReadInt16(uint16_t& value);
    bool ReadInt32(int32_t& value);
    bool ReadString(std::string& text);
    void Close();

    // The socket error number of the first failure (0: the peer closed, or cancelled).
    int32_t Error() const { return m_error; }
    bool Cancelled() const { return m_cancel && m_cancel->load(); }

private:
    bool Read(void* into, std::size_t count);
    // Waits until the socket is ready for `events`; false (with Error()) on timeout or cancel.
    bool Wait(short events, long long deadline);
    bool Failed(int32_t error);

    const std::atomic<bool>* m_cancel;
    int m_timeoutMs;
    int m_socket = -1;
    int32_t m_error = 0;
    bool m_ok = true;
};

} // namespace kernel
