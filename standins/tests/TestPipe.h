#pragma once

// An in-process device for the kernel's tests: two ends of a pipe, each a DeviceStream that a
// link is made over, plus each end's urgent-message channel. Reads wait for the other end's
// data for a bounded time, so a kernel loop on one thread and a test on another can talk.

#include "Loop.h"
#include "corvinet/corvinet.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace standin::testing {

class TestPipe {
public:
    struct End {
        TestPipe* pipe = nullptr;
        int side = 0;
        uint8_t out[512] = {};
        std::string block;
        DeviceStream* stream() { return reinterpret_cast<DeviceStream*>(this); }
    };

    // How long a read waits for the other end before the link counts as dead.
    static constexpr int kWaitSeconds = 30;

    TestPipe();
    End& end(int side) { return m_ends[side]; }

    // An urgent message for `side`, as the other end's QKPutMessage would send it.
    void sendMessage(int side, int32_t code);
    // The messages waiting for `side`, as the kernel's watcher reads them.
    standin::UrgentMessages& messages(int side) { return m_readers[side]; }

    static int32_t main(void* handle, uint32_t selector, void* a, void* b);

private:
    class Reader : public standin::UrgentMessages {
    public:
        TestPipe* pipe = nullptr;
        int side = 0;
        int32_t take() override;
    };

    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::string m_data[2];
    std::deque<int32_t> m_messages[2];
    bool m_closed[2] = {};
    End m_ends[2];
    Reader m_readers[2];
};

} // namespace standin::testing
