#pragma once

// An in-process link for the kernel's tests: the link library's test pipe (two ends, each a
// DeviceStream that a link is made over, reads waiting a few seconds for the other end), plus
// each end's urgent messages, as the kernel's watcher reads them.

#include "Loop.h"
#include "PipeDevice.h"

#include <deque>
#include <mutex>

namespace standin::testing {

class TestPipe {
public:
    TestPipe();

    DeviceStream* stream(int side) { return m_pipe.end(side).stream(); }
    static constexpr DeviceMainProc device = corvinet::testing::PipeDevice::main;

    // An urgent message for `side`, as the other end's QKPutMessage would send it.
    void sendMessage(int side, int32_t code);
    // The messages waiting for `side`.
    standin::UrgentMessages& messages(int side) { return m_readers[side]; }
    // Whether a message sent to `side` is still to be taken.
    bool messageWaiting(int side);

private:
    class Reader : public standin::UrgentMessages {
    public:
        TestPipe* pipe = nullptr;
        int side = 0;
        int32_t take() override;
    };

    corvinet::testing::PipeDevice m_pipe;
    std::mutex m_mutex;
    std::deque<int32_t> m_messages[2];
    Reader m_readers[2];
};

} // namespace standin::testing
