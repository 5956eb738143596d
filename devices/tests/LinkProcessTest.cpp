// Both plug-ins between two real processes, through the link library: the same suite runs over
// shared memory and over TCP. The other process is LinkPeer, started beside the test; every wait
// is bounded by a yield function with a deadline, so a broken peer fails a test instead of
// hanging it.

#include "BurstText.h"
#include "PeerProcess.h"
#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>

namespace devices {
namespace {

using Clock = std::chrono::steady_clock;
using testing::PeerProcess;

std::atomic<Clock::rep> deadlineTicks{0};

// Bounds the waits that follow: a guard against a broken peer, never what a test waits for.
void restartDeadline() {
    deadlineTicks = (Clock::now() + std::chrono::seconds(15)).time_since_epoch().count();
}

int32_t stopAtDeadline(QKLINK, QKYieldParameters) {
    return Clock::now().time_since_epoch().count() > deadlineTicks ? 1 : 0;
}

struct Device {
    const char* label;
    const char* protocol;
    bool tcp;
};

std::string uniqueName() {
    static int counter = 0;
    return "t" + std::to_string(getpid()) + "n" + std::to_string(++counter);
}

class LinkBetweenProcesses : public ::testing::TestWithParam<Device> {
protected:
    void SetUp() override {
        restartDeadline();
        QKNewParameters(m_block, 7, 6);
        env = QKBegin(m_block);
        ASSERT_NE(env, nullptr);
        yielder = QKCreateYieldFunction(env, stopAtDeadline, nullptr);
    }
    void TearDown() override {
        for (QKLINK link : m_links)
            QKClose(link);
        QKDestroyYieldFunction(yielder);
        QKEnd(env);
    }

    std::string listenString(const std::string& name) const {
        if (GetParam().tcp)
            return "-linkprotocol TCP -linkmode listen -linkoptions "
                   "QKLocallyVisible,QKDontInteract" +
                   (name.empty() ? std::string() : " -linkname " + name);
        return "-linkprotocol FileMap -linkmode listen -linkname " + name;
    }
    std::string connectString(const std::string& name) const {
        return std::string("-linkprotocol ") + GetParam().protocol +
               " -linkmode connect -linkname " + name;
    }
    QKLINK open(const std::string& options, int32_t* error = nullptr) {
        int32_t code = 0;
        QKLINK link = QKOpenString(env, options.c_str(), &code);
        if (error) *error = code;
        if (link) {
            QKSetYieldFunction(link, yielder);
            m_links.push_back(link);
        }
        return link;
    }
    void close(QKLINK link) {
        std::erase(m_links, link);
        QKClose(link);
    }
    // A peer started with an option string and a script; its first line names its link.
    std::string startPeer(PeerProcess& peer) {
        EXPECT_TRUE(peer.started());
        std::string line = peer.readLine();
        EXPECT_EQ(line.rfind("name ", 0), 0u) << line;
        return line.size() > 5 ? line.substr(5) : std::string();
    }

    QKENV env = nullptr;
    QKYieldFunctionObject yielder = nullptr;

private:
    QKParameters m_block{};
    std::vector<QKLINK> m_links;
};

// Texts as the put side takes them: a backslash is written as two, so each travels as escape
// bytes that the device doubles again, spread over many messages.
std::string bigText() {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += i % 7 == 0 ? std::string("\\\\") : std::string(1, static_cast<char>('a' + i % 26));
    return text;
}

void putNested(QKLINK link, const std::string& text) {
    QKPutFunction(link, "f", 4);
    QKPutFunction(link, "g", 2);
    QKPutInteger(link, 1);
    QKPutString(link, text.c_str());
    QKPutFunction(link, "h", 0);
    QKPutDouble(link, 2.5);
    QKPutSymbol(link, "sym");
    QKEndPacket(link);
    QKFlush(link);
}

void expectNested(QKLINK link, const std::string& text) {
    int32_t count = -1;
    ASSERT_TRUE(QKCheckFunction(link, "Reply", &count)) << QKErrorMessage(link);
    EXPECT_EQ(count, 1);
    ASSERT_TRUE(QKCheckFunction(link, "f", &count));
    EXPECT_EQ(count, 4);
    ASSERT_TRUE(QKCheckFunction(link, "g", &count));
    EXPECT_EQ(count, 2);
    int32_t value = 0;
    ASSERT_TRUE(QKGetInteger(link, &value));
    EXPECT_EQ(value, 1);
    const char* got = nullptr;
    ASSERT_TRUE(QKGetString(link, &got));
    EXPECT_EQ(std::string(got), text);
    QKDisownString(link, got);
    ASSERT_TRUE(QKCheckFunction(link, "h", &count));
    EXPECT_EQ(count, 0);
    double real = 0;
    ASSERT_TRUE(QKGetDouble(link, &real));
    EXPECT_EQ(real, 2.5);
    const char* symbol = nullptr;
    ASSERT_TRUE(QKGetSymbol(link, &symbol));
    EXPECT_STREQ(symbol, "sym");
    QKDisownSymbol(link, symbol);
}

// The lines a peer writes after its name, up to its end.
void expectPeerEnds(PeerProcess& peer, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        EXPECT_EQ(peer.readLine(), line);
    EXPECT_EQ(peer.wait(), 0);
}

TEST_P(LinkBetweenProcesses, NestedExpressionsTravelBothWays) {
    QKLINK link = open(listenString(GetParam().tcp ? "" : uniqueName()));
    ASSERT_NE(link, nullptr);
    PeerProcess peer({PEER_I2, connectString(QKName(link)), "echo"});
    startPeer(peer);
    ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
    for (const std::string& text : {std::string("s\\\\x"), bigText()}) {
        putNested(link, text);
        expectNested(link, text);
    }
    close(link);
    expectPeerEnds(peer, {"connected", "end 11"});
}

TEST_P(LinkBetweenProcesses, UrgentMessagesTravelBothWays) {
    PeerProcess peer({PEER_I2, listenString(GetParam().tcp ? "" : uniqueName()), "message"});
    QKLINK link = open(connectString(startPeer(peer)));
    ASSERT_NE(link, nullptr);
    ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
    EXPECT_EQ(peer.readLine(), "connected");
    int32_t code = 0;
    int32_t parameter = -1;
    while (Clock::now().time_since_epoch().count() < deadlineTicks &&
           !(QKMessageReady(link) && QKGetMessage(link, &code, &parameter) == 1))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(parameter, 0);
    ASSERT_TRUE(QKPutMessage(link, 3));
    EXPECT_EQ(peer.readLine(), "message 3 0");
    close(link);
    expectPeerEnds(peer, {"end 11"});
}

TEST_P(LinkBetweenProcesses, ASecondListenerCannotTakeTheName) {
    QKLINK first = open(listenString(GetParam().tcp ? "" : uniqueName()));
    ASSERT_NE(first, nullptr);
    std::string name = QKName(first);
    int32_t error = 0;
    std::string again = listenString(GetParam().tcp ? name.substr(0, name.find('@')) : name);
    EXPECT_EQ(open(again, &error), nullptr);
    // A name that shared memory holds is in use; a port that TCP cannot bind is a bad name.
    EXPECT_EQ(error, GetParam().tcp ? QKERR_BAD_NAME : QKERR_NAME_IN_USE);
}

TEST_P(LinkBetweenProcesses, AConnectorWithoutAListener) {
    std::string name = GetParam().tcp ? "1@127.0.0.1" : uniqueName();
    QKLINK link = open(connectString(name));
    ASSERT_NE(link, nullptr);
    EXPECT_FALSE(QKConnect(link));
    if (GetParam().tcp) {
        // Nothing listens on the port: the connection is refused and the link is over.
        EXPECT_EQ(QKError(link), QKERR_LINK_DIED);
        return;
    }
    // Shared memory may try again: once a listener holds the name, clearing the error connects.
    EXPECT_EQ(QKError(link), QKERR_UNCONNECTED);
    PeerProcess peer({PEER_I2, listenString(name), "echo"});
    EXPECT_EQ(startPeer(peer), name);
    ASSERT_TRUE(QKClearError(link)) << QKErrorMessage(link);
    putNested(link, "later");
    expectNested(link, "later");
    close(link);
    expectPeerEnds(peer, {"connected", "end 11"});
}

// Kills the peer after a moment, while the test blocks on the link.
void killSoon(PeerProcess& peer, std::thread& killer) {
    killer = std::thread([&peer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        peer.kill();
    });
}

TEST_P(LinkBetweenProcesses, APeerKilledDuringABlockedReadEndsTheLinkAsClosed) {
    QKLINK link = open(listenString(GetParam().tcp ? "" : uniqueName()));
    ASSERT_NE(link, nullptr);
    PeerProcess peer({PEER_I2, connectString(QKName(link)), "sleep"});
    startPeer(peer);
    ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
    std::thread killer;
    killSoon(peer, killer);
    auto start = Clock::now();
    EXPECT_EQ(QKGetNext(link), QKTOK_ERROR);
    killer.join();
    EXPECT_EQ(QKError(link), QKERR_PEER_CLOSED) << QKErrorMessage(link);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_P(LinkBetweenProcesses, APeerKilledDuringAWriteEndsTheLinkAsClosed) {
    QKLINK link = open(listenString(GetParam().tcp ? "" : uniqueName()));
    ASSERT_NE(link, nullptr);
    PeerProcess peer({PEER_I2, connectString(QKName(link)), "sleep"});
    startPeer(peer);
    ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
    std::vector<int32_t> values(1'000'000, 7);
    std::thread killer;
    killSoon(peer, killer);
    auto start = Clock::now();
    bool sent = QKPutIntegerList(link, values.data(), static_cast<int32_t>(values.size())) &&
                QKEndPacket(link) && QKFlush(link);
    killer.join();
    EXPECT_FALSE(sent);
    EXPECT_EQ(QKError(link), QKERR_PEER_CLOSED) << QKErrorMessage(link);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST_P(LinkBetweenProcesses, NumbersTravelBetweenInterfacesOneAndTwo) {
    const int32_t integers[] = {0, -1, 2147483647, -2147483647 - 1, 123456789};
    const double reals[] = {0.0, -2.5, 0.1, 1e300, -4.9e-324};
    for (const char* peerProgram : {PEER_I2, PEER_I1}) {
        SCOPED_TRACE(peerProgram);
        QKLINK link = open(listenString(GetParam().tcp ? "" : uniqueName()));
        ASSERT_NE(link, nullptr);
        PeerProcess peer({peerProgram, connectString(QKName(link)), "echo"});
        startPeer(peer);
        ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
        QKPutFunction(link, "List", 10);
        for (int32_t value : integers)
            QKPutInteger(link, value);
        for (double value : reals)
            QKPutDouble(link, value);
        ASSERT_TRUE(QKEndPacket(link) && QKFlush(link)) << QKErrorMessage(link);
        int32_t count = 0;
        ASSERT_TRUE(QKCheckFunction(link, "Reply", &count)) << QKErrorMessage(link);
        ASSERT_TRUE(QKCheckFunction(link, "List", &count));
        ASSERT_EQ(count, 10);
        for (int32_t expected : integers) {
            int32_t value = 0;
            EXPECT_TRUE(QKGetInteger(link, &value));
            EXPECT_EQ(value, expected);
        }
        for (double expected : reals) {
            double value = 0;
            EXPECT_TRUE(QKGetDouble(link, &value));
            EXPECT_EQ(value, expected);
        }
        close(link);
        expectPeerEnds(peer, {"connected", "end 11"});
    }
}

// Reads a burst of `count` packets and then the peer's end, as the error it leaves on the link.
// A pause before packet `pauseBefore` lets the peer run ahead, to go while this side still holds
// unread messages or owes it acknowledgements.
::testing::AssertionResult readBurst(QKLINK link, int32_t count, int32_t pauseBefore) {
    for (int32_t i = 0; i < count; ++i) {
        if (i == pauseBefore) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int32_t arguments = 0;
        int32_t index = -1;
        const char* text = nullptr;
        if (!QKCheckFunction(link, "Packet", &arguments) || arguments != 2 ||
            !QKGetInteger(link, &index) || !QKGetString(link, &text))
            return ::testing::AssertionFailure()
                   << "packet " << i << " of " << count << " lost: error " << QKError(link);
        bool same = index == i && text == testing::burstText(i);
        QKDisownString(link, text);
        if (!same) return ::testing::AssertionFailure() << "packet " << i << " damaged";
    }
    if (QKGetNext(link) != QKTOK_ERROR)
        return ::testing::AssertionFailure() << "more than " << count << " packets";
    if (QKError(link) != QKERR_PEER_CLOSED)
        return ::testing::AssertionFailure() << "the link ended with " << QKError(link);
    return ::testing::AssertionSuccess();
}

// A peer that flushes its last packets and leaves at once, by closing its link or by ending
// without closing it: every packet arrives before the link reports the end, however the two
// processes' timing falls. The rounds vary the number of packets (and so where the messages
// break), where this side pauses, and which side listens; one timing in a few dozen used to cost
// the last packet.
TEST_P(LinkBetweenProcesses, EveryFlushedPacketArrivesBeforeThePeersEnd) {
    constexpr int kRounds = 72;
    for (const char* ending : {"close", "exit"}) {
        SCOPED_TRACE(ending);
        // One round: a new link and a new peer; a failed check ends the round early and the
        // rounds of this ending.
        bool passed = true;
        auto playRound = [&](int round) {
            passed = false;
            // Each round's peer starts and ends however slow the machine: the guard is per
            // round, not spent by the rounds before it.
            restartDeadline();
            const int32_t packets = 3 + (round / 2) % 6;
            const int32_t pauseBefore = packets - 1 - (round / 12) % 3;
            SCOPED_TRACE("round " + std::to_string(round) + ": " + std::to_string(packets) +
                         " packets, pause before " + std::to_string(pauseBefore));
            const std::string count = std::to_string(packets);
            const std::string name = GetParam().tcp ? "" : uniqueName();
            QKLINK link = nullptr;
            std::unique_ptr<PeerProcess> peer;
            if (round % 2 == 0) {
                link = open(listenString(name));
                ASSERT_NE(link, nullptr);
                peer = std::make_unique<PeerProcess>(std::vector<std::string>{
                    PEER_I2, connectString(QKName(link)), "burst", count, ending});
                startPeer(*peer);
            } else {
                peer = std::make_unique<PeerProcess>(
                    std::vector<std::string>{PEER_I2, listenString(name), "burst", count, ending});
                link = open(connectString(startPeer(*peer)));
                ASSERT_NE(link, nullptr);
            }
            ASSERT_TRUE(QKConnect(link)) << QKErrorMessage(link);
            const ::testing::AssertionResult read = readBurst(link, packets, pauseBefore);
            close(link);
            ASSERT_TRUE(read);
            EXPECT_EQ(peer->readLine(), "connected");
            ASSERT_EQ(peer->wait(), 0);
            passed = true;
        };
        // The deadline keeps a loaded machine's run short; the first dozen rounds, which try
        // both roles with every count, run however slow the machine is.
        constexpr int kLeastRounds = 12;
        const auto until = Clock::now() + std::chrono::milliseconds(2500);
        int round = 0;
        for (; passed && round < kRounds && (round < kLeastRounds || Clock::now() < until); ++round)
            playRound(round);
        if (passed) {
            EXPECT_GE(round, kLeastRounds) << "too few rounds to show anything";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, LinkBetweenProcesses,
                         ::testing::Values(Device{"SharedMemory", "FileMap", false},
                                           Device{"Tcp", "TCP", true}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace devices
