#pragma once

// A loopback link on an environment of its own, with device plug-ins turned off: what the put
// side writes, the get side reads back through the real stream layer. `first` and `second` are
// the interface range the caller is built for.

#include "corvinet/corvinet.h"

namespace tessary::bench {

class Loopback {
public:
    Loopback(int32_t first, int32_t second) {
        QKNewParameters(m_block, first, second);
        QKSetDeviceParameter(m_block, "");
        m_env = QKBegin(m_block);
        int32_t error = 0;
        link = QKLoopbackOpen(m_env, &error);
    }
    ~Loopback() {
        if (m_owned) QKClose(link);
        QKEnd(m_env);
    }
    Loopback(const Loopback&) = delete;
    Loopback& operator=(const Loopback&) = delete;

    // Reads and drops everything written so far.
    void drain() { QKTransferToEndOfLoopbackLink(nullptr, link); }
    // Hands the link to an owner that closes it (a session), before this ends; `link` and
    // `drain` still reach it meanwhile.
    QKLINK Release() {
        m_owned = false;
        return link;
    }

    QKLINK link = nullptr;

private:
    QKParameters m_block{};
    QKENV m_env = nullptr;
    bool m_owned = true;
};

} // namespace tessary::bench
