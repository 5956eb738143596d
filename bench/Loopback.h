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
        QKClose(link);
        QKEnd(m_env);
    }
    Loopback(const Loopback&) = delete;
    Loopback& operator=(const Loopback&) = delete;

    // Reads and drops everything written so far.
    void drain() { QKTransferToEndOfLoopbackLink(nullptr, link); }

    QKLINK link = nullptr;

private:
    QKParameters m_block{};
    QKENV m_env = nullptr;
};

} // namespace tessary::bench
