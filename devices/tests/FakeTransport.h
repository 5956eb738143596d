#pragma once

// An in-process transport for tests of the escaped stream: what the stream writes is recorded,
// what it reads comes from a script of chunks, and each operation's answer can be set.

#include "DeviceStream.h"
#include "Transport.h"

#include <cstring>
#include <deque>
#include <string>

namespace devices::testing {

class FakeLink final : public TransportLink {
public:
    std::string sent;
    std::deque<std::string> chunks; // each read takes (up to its size of) the first chunk
    int32_t readWhenEmpty = kTransferStopped;
    int32_t writeAnswer = 0; // 0: write everything; else answer this
    int32_t writesBeforeFailure = -1;
    int32_t connectAnswer = kConnected;
    int32_t dataAnswer = 0;
    int32_t messageAnswer = 1;
    int32_t* destroyed = nullptr;
    std::string* sentLog = nullptr; // also records what is sent, beyond the link's life

    ~FakeLink() override {
        if (destroyed) ++*destroyed;
    }
    int32_t connect() override { return connectAnswer; }
    int32_t read(uint8_t* buffer, int32_t size) override {
        if (chunks.empty()) return readWhenEmpty;
        std::string& chunk = chunks.front();
        int32_t count = std::min<int32_t>(size, static_cast<int32_t>(chunk.size()));
        std::memcpy(buffer, chunk.data(), std::size_t(count));
        chunk.erase(0, std::size_t(count));
        if (chunk.empty()) chunks.pop_front();
        return count;
    }
    int32_t write(const uint8_t* bytes, int32_t length) override {
        if (writesBeforeFailure == 0) return writeAnswer;
        if (writesBeforeFailure > 0) --writesBeforeFailure;
        sent.append(reinterpret_cast<const char*>(bytes), std::size_t(length));
        if (sentLog) sentLog->append(reinterpret_cast<const char*>(bytes), std::size_t(length));
        return length;
    }
    int32_t hasData() override { return dataAnswer; }
    int32_t writeMessage(int32_t, int32_t) override { return messageAnswer; }
    int32_t hasMessage() override { return 0; }
    int32_t readMessage(int32_t&, int32_t&) override { return 0; }
    bool setYieldFunction(QKYieldFunctionObject, void*) override { return true; }
    bool yieldFunction(QKYieldFunctionObject& object, void*& data) override {
        object = nullptr;
        data = nullptr;
        return true;
    }
    bool setMessageHandler(QKMessageHandlerObject, void*) override { return true; }
    bool messageHandler(QKMessageHandlerObject& object, void*& data) override {
        object = nullptr;
        data = nullptr;
        return true;
    }
    int32_t deviceInfo(uint32_t, void*, int32_t*) override { return -1; }
};

class FakeDevice final : public TransportDevice {
public:
    explicit FakeDevice(const DeviceMemory& memory) : m_memory(memory) {}
    int32_t bufferSize = 4096;
    int32_t makeAnswer = 0;
    OpenArguments lastArguments;
    std::string lastTexts[4];
    FakeLink* lastLink = nullptr;

    int32_t make(const OpenArguments& arguments, TransportLink*& link) override {
        lastArguments = arguments;
        const char* texts[] = {arguments.protocol, arguments.name, arguments.host,
                               arguments.authentication};
        for (int i = 0; i < 4; ++i)
            lastTexts[i] = texts[i];
        if (makeAnswer) return makeAnswer;
        link = lastLink = m_memory.make<FakeLink>();
        return 0;
    }
    int32_t worldInfo(uint32_t item, void* buffer, int32_t* size) override {
        if (item != 4 || *size < 4) return -1;
        std::memcpy(buffer, &bufferSize, 4);
        *size = 4;
        return 0;
    }

private:
    DeviceMemory m_memory;
};

} // namespace devices::testing
