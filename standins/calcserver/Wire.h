#pragma once

// The calculation server's bytes: one octet, big-endian 16- and 32-bit integers, and strings
// as one length octet (0-255) followed by that many octets. One blocking TCP stream socket
// per exchange.

#include <cstdint>
#include <string>
#include <string_view>

namespace standin::calc {

// A reply or request being put together.
class Message {
public:
    Message& byte(uint8_t value);
    Message& int16(uint16_t value);
    Message& int32(int32_t value);
    // Longer text is cut to 255 octets: the length has one octet.
    Message& string(std::string_view text);
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Reads from a socket whose receive timeout is already set; every call fails once the peer
// closes, the timeout passes or a read fails, and stays failed.
class Reader {
public:
    explicit Reader(int socket) : m_socket(socket) {}
    bool byte(uint8_t& value);
    bool int16(uint16_t& value);
    bool int32(int32_t& value);
    bool string(std::string& text);
    bool ok() const { return m_ok; }

private:
    bool read(void* into, std::size_t count);
    int m_socket;
    bool m_ok = true;
};

// Writes everything or fails.
bool sendAll(int socket, const std::string& bytes);

// The answer a client proves its password with: the 32-bit FNV-1a hash of the token's four
// octets (most significant first) followed by the password's octets, read as a signed
// integer. The password itself never travels.
int32_t passwordAnswer(int32_t token, std::string_view password);

} // namespace standin::calc
