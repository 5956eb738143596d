#pragma once

// A loopback link over an environment without device plug-ins: what a test puts, it gets back,
// through the real stream layer. `wire()` shows the bytes written so far.

#include "Link.h"
#include "TestEnvironment.h"
#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <string>

namespace corvinet::testing {

// Peers that read the array form, packed runs and binary numbers, or fewer of them, as their
// feature strings (null: this library's own features).
struct Peer {
    const char* name;
    const char* features;
};
inline constexpr Peer kPeers[] = {
    {"own", nullptr},
    {"no array form", "Corvinet 3 -formats 1,2,3,7 -tokens 100,118 -decoders 196608"},
    {"no runs, no binary", "Corvinet 3 -formats 1,2,3,7 -decoders 327680"},
    {"plainest", "Corvinet 3 -formats 7 -decoders 0"},
};

class LoopbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        env = beginWithoutDevices(block);
        ASSERT_NE(env, nullptr);
        open(nullptr);
    }
    void TearDown() override {
        if (other) QKClose(other);
        if (link) QKClose(link);
        QKEnd(env);
    }

    // Reopens the link (or the second one); with `features`, as toward a peer that offers them.
    void open(const char* features) { reopen(link, features); }
    void openOther(const char* features) { reopen(other, features); }
    void reopen(QKLINK& which, const char* features) {
        if (which) QKClose(which);
        int32_t error = 0;
        which = features ? QKLoopbackOpen0(env, features, &error) : QKLoopbackOpen(env, &error);
        ASSERT_NE(which, nullptr) << error;
    }

    // Every byte put since the link was opened and not yet read.
    std::string wire() {
        QKFlush(link);
        std::string bytes;
        const int32_t before = link->error;
        while (link->stream.available() > 0) {
            uint8_t b;
            if (link->stream.getByte(b) != 0) break;
            bytes.push_back(static_cast<char>(b));
        }
        EXPECT_EQ(link->error, before);
        return bytes;
    }

    // Feeds raw bytes to the get side.
    void feed(const std::string& bytes) {
        ASSERT_EQ(link->stream.putBytes(bytes.data(), bytes.size()), 0);
        ASSERT_EQ(link->stream.flush(), 0);
    }

    QKParameters block{};
    QKENV env = nullptr;
    QKLINK link = nullptr;
    QKLINK other = nullptr; // a second link, for tests between two
};

} // namespace corvinet::testing
