#pragma once

// The texts of the TCP transport: protocol names, link names ("port@host") and the option words
// that the two ends exchange before the role words. Everything here comes from a caller or a
// peer and is bounded and range-checked.

#include <cstdint>
#include <string>

namespace devices::tcp {

// "TCP" in any letter case, optionally followed by a colon and the number of an inherited
// socket (leading white space and a sign allowed; nothing but a colon may follow it). False for
// anything else; `inherited` is -1 without a number.
bool parseProtocol(const char* protocol, int64_t& inherited);

// A listener's link name: empty or all digits, a port up to 65535 (0: any). -1 when it is not.
int32_t listenPort(const char* name);

// A connecting side's target: the link name, an at sign when a host is given, and the host are
// joined (at most 132 bytes) and split at every at sign; the first part is the port (1 to
// 65535), the last part the host (empty: the local host). False when the text is too long or
// the port is not a port.
struct Target {
    uint16_t port = 0;
    std::string host;
};
bool connectTarget(const char* name, const char* host, Target& target);

// The option words before the byte 'Y', separated by commas: "need_msg_port" from the
// connecting side, "msg_port=<port>" from the listener. Words and their number are bounded.
class OptionWords {
public:
    enum Step { kMore, kDone, kBad };
    Step feed(uint8_t byte);

    bool needMessagePort() const { return m_needMessagePort; }
    uint16_t messagePort() const { return m_messagePort; }

    static constexpr int kMaxWord = 32;
    static constexpr int kMaxWords = 8;

private:
    bool endWord();

    char m_word[kMaxWord];
    int m_length = 0;
    int m_words = 0;
    bool m_needMessagePort = false;
    uint16_t m_messagePort = 0;
};

} // namespace devices::tcp
