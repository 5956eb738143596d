#pragma once

// Yield functions and message handlers for transport tests, made as the library makes them.

#include "CallbackRecord.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace devices::testing {

// A yield function that counts its calls and asks to stop after `limit` of them.
struct CountingYield {
    static inline std::atomic<int32_t> calls{0};
    static inline int32_t limit = 0;
    static inline int32_t reason = 0;
    static inline int32_t count = 0;

    static int32_t call(QKLinkRecord*, QKYieldParameters parameters) {
        reason = parameters->reason;
        count = parameters->count;
        return ++calls >= limit ? 1 : 0;
    }
    static QKCallbackRecord* make(int32_t stopAfter) {
        calls = 0;
        limit = stopAfter;
        return corvinet::makeCallbackRecord(QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(&call),
                                            false);
    }
};

// A message handler that records the last message and the thread it ran on.
struct RecordingHandler {
    static inline std::atomic<int32_t> code{0};
    static inline std::atomic<int32_t> parameter{0};
    static inline std::atomic<std::thread::id> thread{};

    static void call(QKLinkRecord*, int32_t c, int32_t p) {
        parameter = p;
        thread = std::this_thread::get_id();
        code = c;
    }
    static QKCallbackRecord* make(bool ownThread) {
        code = 0;
        parameter = 0;
        return corvinet::makeCallbackRecord(QKCALLBACK_HANDLER, reinterpret_cast<void (*)()>(&call),
                                            ownThread);
    }
    // Waits a bounded time for a message to arrive.
    static bool arrived() {
        for (int i = 0; i < 400 && code == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return code != 0;
    }
};

} // namespace devices::testing
