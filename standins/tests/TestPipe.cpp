#include "TestPipe.h"

#include <chrono>
#include <cstring>

namespace standin::testing {

TestPipe::TestPipe() {
    for (int side = 0; side < 2; ++side) {
        m_ends[side].pipe = this;
        m_ends[side].side = side;
        m_readers[side].pipe = this;
        m_readers[side].side = side;
    }
}

void TestPipe::sendMessage(int side, int32_t code) {
    std::lock_guard lock(m_mutex);
    m_messages[side].push_back(code);
}

int32_t TestPipe::Reader::take() {
    std::lock_guard lock(pipe->m_mutex);
    if (pipe->m_messages[side].empty()) return 0;
    int32_t code = pipe->m_messages[side].front();
    pipe->m_messages[side].pop_front();
    return code;
}

int32_t TestPipe::main(void* handle, uint32_t selector, void* a, void* b) {
    End& end = *static_cast<End*>(handle);
    TestPipe& pipe = *end.pipe;
    const int other = 1 - end.side;
    switch (selector) {
    case DEVICE_PUTOUTBUF: {
        std::lock_guard lock(pipe.m_mutex);
        if (pipe.m_closed[other]) return QKERR_PEER_CLOSED;
        pipe.m_data[other].append(reinterpret_cast<char*>(*static_cast<uint8_t**>(a)),
                                  static_cast<std::size_t>(*static_cast<int32_t*>(b)));
        pipe.m_arrived.notify_all();
    }
        [[fallthrough]];
    case DEVICE_GETOUTBUF:
        *static_cast<uint8_t**>(a) = end.out;
        *static_cast<int32_t*>(b) = sizeof end.out;
        return 0;
    case DEVICE_READYCOUNT:
    case DEVICE_READY: {
        std::lock_guard lock(pipe.m_mutex);
        *static_cast<int32_t*>(b) = !pipe.m_data[end.side].empty();
        return 0;
    }
    case DEVICE_GETINBLOCK: {
        std::unique_lock lock(pipe.m_mutex);
        auto ready = [&] { return !pipe.m_data[end.side].empty() || pipe.m_closed[other]; };
        if (!pipe.m_arrived.wait_for(lock, std::chrono::seconds(kWaitSeconds), ready))
            return QKERR_LINK_DIED;
        if (pipe.m_data[end.side].empty()) return QKERR_PEER_CLOSED;
        end.block.swap(pipe.m_data[end.side]);
        pipe.m_data[end.side].clear();
        *static_cast<const uint8_t**>(a) = reinterpret_cast<const uint8_t*>(end.block.data());
        *static_cast<int32_t*>(b) = static_cast<int32_t>(end.block.size());
        return 0;
    }
    case DEVICE_INPUTSTATE: {
        std::lock_guard lock(pipe.m_mutex);
        return pipe.m_data[end.side].empty() ? 0 : QKERR_INPUT_PENDING;
    }
    case DEVICE_CONNECT:
        return 0;
    case DEVICE_CLOSE: {
        std::lock_guard lock(pipe.m_mutex);
        pipe.m_closed[end.side] = true;
        pipe.m_arrived.notify_all();
        return 0;
    }
    case DEVICE_WRITEMSG:
        pipe.sendMessage(other, *static_cast<int32_t*>(a));
        return 0;
    default:
        return -1;
    }
}

} // namespace standin::testing
