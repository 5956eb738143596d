#include "TcpNames.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <string_view>

namespace devices::tcp {
namespace {

constexpr std::size_t kMaxTarget = 132;

// A decimal port of 1 to 65535 (0 too when `zero` allows it); -1 otherwise.
int32_t portOf(std::string_view text, bool zero) {
    if (text.empty() || text.size() > 5) return -1;
    int32_t port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        port = port * 10 + (c - '0');
    }
    if (port > 65535 || (port == 0 && !zero)) return -1;
    return port;
}

} // namespace

bool parseProtocol(const char* protocol, int64_t& inherited) {
    inherited = -1;
    if (strncasecmp(protocol, "TCP", 3) != 0) return false;
    const char* colon = std::strchr(protocol, ':');
    if (!colon) return true;
    const char* at = colon + 1;
    while (std::isspace(static_cast<unsigned char>(*at)))
        ++at;
    bool negative = *at == '-';
    if (*at == '+' || *at == '-') ++at;
    if (!std::isdigit(static_cast<unsigned char>(*at))) return false;
    int64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*at)); ++at) {
        value = value * 10 + (*at - '0');
        if (value > INT32_MAX) return false;
    }
    if (*at != '\0' && *at != ':') return false;
    inherited = negative ? -value : value;
    return true;
}

int32_t listenPort(const char* name) {
    if (!*name) return 0;
    return portOf(name, true);
}

bool connectTarget(const char* name, const char* host, Target& target) {
    std::string joined = name;
    if (*host) joined.append("@").append(host);
    if (joined.size() > kMaxTarget) return false;
    std::size_t first = joined.find('@');
    std::size_t last = joined.rfind('@');
    int32_t port = portOf(std::string_view(joined).substr(0, first), false);
    if (port < 0) return false;
    target.port = static_cast<uint16_t>(port);
    target.host = first == std::string::npos ? std::string() : joined.substr(last + 1);
    return true;
}

OptionWords::Step OptionWords::feed(uint8_t byte) {
    if (byte == 'Y' || byte == ',') {
        if (!endWord()) return kBad;
        return byte == 'Y' ? kDone : kMore;
    }
    if (m_length == kMaxWord) return kBad;
    m_word[m_length++] = static_cast<char>(byte);
    return kMore;
}

bool OptionWords::endWord() {
    std::string_view word(m_word, std::size_t(m_length));
    m_length = 0;
    if (word.empty()) return true;
    if (++m_words > kMaxWords) return false;
    constexpr std::string_view kPortWord = "msg_port=";
    if (word == "need_msg_port") {
        m_needMessagePort = true;
    } else if (word.starts_with(kPortWord)) {
        int32_t port = portOf(word.substr(kPortWord.size()), false);
        if (port < 0) return false;
        m_messagePort = static_cast<uint16_t>(port);
    }
    return true;
}

} // namespace devices::tcp
