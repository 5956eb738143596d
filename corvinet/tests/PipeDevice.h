#pragma once

// An in-process device for tests: two ends of a pipe, each a DeviceStream that a link can be
// made over. Reads wait (up to a few seconds) for the other end's data, so two threads can run
// both ends of a negotiation. Bytes can also be planted as if the other end had sent them.

#include "corvinet/corvinet.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace corvinet::testing {

class PipeDevice {
public:
    struct End {
        PipeDevice* pipe = nullptr;
        int side = 0;
        uint8_t out[256] = {};
        std::string block; // the input block handed out last
        int32_t connectAnswer = 0;
        int closes = 0;
        DeviceStream* stream() { return reinterpret_cast<DeviceStream*>(this); }
    };

    PipeDevice() {
        for (int side = 0; side < 2; ++side) {
            m_ends[side].pipe = this;
            m_ends[side].side = side;
        }
    }
    End& end(int side) { return m_ends[side]; }

    // Bytes that `side` will read, as if the other end had sent them.
    void plant(int side, const std::string& bytes);
    // What has been sent to `side` and not read yet.
    std::string pending(int side);

    static int32_t main(void* handle, uint32_t selector, void* a, void* b);

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::string m_data[2];
    bool m_closed[2] = {};
    End m_ends[2];
};

} // namespace corvinet::testing
