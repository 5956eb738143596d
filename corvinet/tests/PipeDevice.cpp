#include "PipeDevice.h"

#include <chrono>
#include <cstring>

namespace corvinet::testing {

void PipeDevice::plant(int side, const std::string& bytes) {
    std::lock_guard lock(m_mutex);
    m_data[side] += bytes;
    m_arrived.notify_all();
}

std::string PipeDevice::pending(int side) {
    std::lock_guard lock(m_mutex);
    return m_data[side];
}

int32_t PipeDevice::main(void* handle, uint32_t selector, void* a, void* b) {
    End& end = *static_cast<End*>(handle);
    PipeDevice& pipe = *end.pipe;
    int other = 1 - end.side;
    switch (selector) {
    case DEVICE_PUTOUTBUF:
        pipe.plant(other, std::string(reinterpret_cast<char*>(*static_cast<uint8_t**>(a)),
                                      static_cast<std::size_t>(*static_cast<int32_t*>(b))));
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
        if (!pipe.m_arrived.wait_for(lock, std::chrono::seconds(5), ready)) return QKERR_LINK_DIED;
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
        return end.connectAnswer;
    case DEVICE_CLOSE: {
        std::lock_guard lock(pipe.m_mutex);
        pipe.m_closed[end.side] = true;
        ++end.closes;
        pipe.m_arrived.notify_all();
        return 0;
    }
    case DEVICE_INFO + 1: {
        const char* name = end.side == 0 ? "pipe-0" : "pipe-1";
        auto* size = static_cast<int32_t*>(b);
        if (*size < 7) return -1;
        std::memcpy(a, name, 7);
        *size = 7;
        return 0;
    }
    default:
        return -1;
    }
}

} // namespace corvinet::testing
