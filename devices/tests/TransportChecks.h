#pragma once

// Checks that both transports' tests share, and yield functions and message handlers made as
// the library makes them.

#include "CallbackRecord.h"
#include "DeviceStream.h"
#include "Transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

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

// A transport's device and the links a test makes on it, destroyed with the fixture.
class TransportFixture : public ::testing::Test {
protected:
    explicit TransportFixture(TransportFactory factory)
        : memory(deviceMemory(nullptr, nullptr)), device(factory(memory)) {}
    ~TransportFixture() override {
        for (TransportLink* link : links)
            memory.destroy(link);
        memory.destroy(device);
    }

    TransportLink* make(uint32_t mode, const std::string& name, int32_t* error,
                        const char* protocol, uint32_t options) {
        OpenArguments arguments;
        arguments.protocol = protocol;
        arguments.mode = mode;
        arguments.name = name.c_str();
        arguments.options = options;
        TransportLink* link = nullptr;
        int32_t code = device->make(arguments, link);
        if (error) *error = code;
        if (link) links.push_back(link);
        return link;
    }
    // A link made with `protocol`, `mode` and `linkName`, and the error the device must give
    // (0 where it makes the link).
    struct MakeCase {
        const char* name;
        const char* protocol;
        uint32_t mode;
        std::string linkName;
        int32_t error;
    };
    void expectMakeErrors(const std::vector<MakeCase>& cases, uint32_t options) {
        for (const MakeCase& c : cases) {
            SCOPED_TRACE(c.name);
            int32_t error = -99;
            make(c.mode, c.linkName, &error, c.protocol, options);
            EXPECT_EQ(error, c.error);
        }
    }
    // Destroys a link before the fixture does.
    void drop(TransportLink* link) {
        std::erase(links, link);
        memory.destroy(link);
    }
    static std::string nameOf(TransportLink* link) {
        char name[200] = {};
        int32_t size = sizeof name;
        EXPECT_EQ(link->deviceInfo(1, name, &size), 0);
        return name;
    }

    DeviceMemory memory;
    TransportDevice* device;
    std::vector<TransportLink*> links;
};

// A message from `sender` reaches the handler set on `receiver`: at once on the handler's own
// thread, or, for a handler made on this thread, only while this thread waits on the link.
inline void checkMessageDelivery(TransportLink* receiver, TransportLink* sender, bool ownThread) {
    QKCallbackRecord* handler = RecordingHandler::make(ownThread);
    ASSERT_TRUE(receiver->setMessageHandler(handler, nullptr));
    ASSERT_EQ(sender->writeMessage(7, 8), 1);
    if (!ownThread) {
        // The watcher never runs the program's code: it waits for this thread to wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(RecordingHandler::code, 0);
        for (int i = 0; i < 400 && RecordingHandler::code == 0; ++i) {
            EXPECT_EQ(receiver->hasData(), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(RecordingHandler::thread.load(), std::this_thread::get_id());
    }
    ASSERT_TRUE(RecordingHandler::arrived());
    EXPECT_EQ(RecordingHandler::code, 7);
    EXPECT_EQ(RecordingHandler::parameter, 8);
    if (ownThread) {
        EXPECT_NE(RecordingHandler::thread.load(), std::this_thread::get_id());
    }
    receiver->setMessageHandler(nullptr, nullptr);
    corvinet::destroyCallbackRecord(handler);
}

// Reads what a gone peer left until the stream ends; it must end, and then be closed.
inline void expectStreamEnds(DeviceStream* stream) {
    for (int i = 0; i < 100 && stream->state == kStateConnected; ++i) {
        const uint8_t* block = nullptr;
        int32_t length = 0;
        stream->nextInput(&block, &length);
    }
    EXPECT_NE(stream->state, kStateConnected);
}

} // namespace devices::testing
