#include "Wire.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace standin::calc {

Message& Message::byte(uint8_t value) {
    m_bytes.push_back(static_cast<char>(value));
    return *this;
}

Message& Message::int16(uint16_t value) {
    byte(static_cast<uint8_t>(value >> 8));
    return byte(static_cast<uint8_t>(value));
}

Message& Message::int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        byte(static_cast<uint8_t>(bits >> shift));
    return *this;
}

Message& Message::string(std::string_view text) {
    text = text.substr(0, 255);
    byte(static_cast<uint8_t>(text.size()));
    m_bytes.append(text);
    return *this;
}

bool Reader::read(void* into, std::size_t count) {
    auto* out = static_cast<char*>(into);
    while (m_ok && count > 0) {
        ssize_t got = ::recv(m_socket, out, count, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            m_ok = false;
            break;
        }
        out += got;
        count -= static_cast<std::size_t>(got);
    }
    return m_ok;
}

bool Reader::byte(uint8_t& value) {
    return read(&value, 1);
}

bool Reader::int16(uint16_t& value) {
    uint8_t b[2];
    if (!read(b, 2)) return false;
    value = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

bool Reader::int32(int32_t& value) {
    uint8_t b[4];
    if (!read(b, 4)) return false;
    value = static_cast<int32_t>(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 |
                                 uint32_t{b[3]});
    return true;
}

bool Reader::string(std::string& text) {
    uint8_t length = 0;
    if (!byte(length)) return false;
    text.assign(length, '\0');
    return read(text.data(), length);
}

bool sendAll(int socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

int32_t passwordAnswer(int32_t token, std::string_view password) {
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

} // namespace standin::calc
