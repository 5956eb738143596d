// The shared-memory transport in one process: the mapping's fixed layout, the rings, generated
// names, making links, and a hand-made peer that sends what a sound peer never would.

#include "DeviceStream.h"
#include "ShmemHandshake.h"
#include "ShmemMapping.h"
#include "ShmemTransport.h"
#include "TransportChecks.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace devices::shmem {
namespace {

uint32_t wordAt(const uint8_t* mapping, std::size_t at) {
    uint32_t word;
    std::memcpy(&word, mapping + at, 4);
    return word;
}

struct Mapping {
    Mapping() { bytes.resize(kMappingSize + 16); }
    uint8_t* data() {
        return reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(bytes.data()) + 15) &
                                          ~uintptr_t(15));
    }
    std::vector<uint8_t> bytes;
};

TEST(ShmemMapping, KeepsItsFieldsAtTheirFixedOffsets) {
    Mapping mapping;
    uint8_t* m = mapping.data();
    ASSERT_TRUE(initMapping(m, "abc", true));
    const uint8_t magic[4] = {0x77, 0x8D, 0x7A, 0x79};
    EXPECT_EQ(std::memcmp(m, magic, 4), 0);
    EXPECT_EQ(wordAt(m, kMagicAt), 2038074743u);
    EXPECT_STREQ(reinterpret_cast<const char*>(m + 4), "abc");
    EXPECT_EQ(wordAt(m, 64), static_cast<uint32_t>(getpid()));
    EXPECT_EQ(wordAt(m, 68), 1u);
    const std::size_t zeroFields[] = {52,  56,  60,  72,  76,  80,  84,  88,  92,  96,  100, 104,
                                      108, 112, 116, 120, 124, 128, 132, 136, 140, 144, 180};
    for (std::size_t at : zeroFields)
        EXPECT_EQ(wordAt(m, at), 0u) << "offset " << at;
    // Ring records: read, write, size, free.
    const uint32_t data[4] = {0, 0, 16384, 16384};
    const uint32_t messages[4] = {0, 0, 64, 64};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(wordAt(m, 148 + 4 * i), data[i]);
        EXPECT_EQ(wordAt(m, 164 + 4 * i), messages[i]);
    }
    EXPECT_EQ(kMessageBytesAt, 184u);
    EXPECT_EQ(kDataBytesAt, 248u);
    EXPECT_GE(kMappingSize, 16632u);

    // A connecting side holds the listener's name; an over-long one is cut and terminated.
    ASSERT_TRUE(initMapping(m, std::string(60, 'n').c_str(), false));
    EXPECT_EQ(wordAt(m, 68), 0u);
    char name[kNameSize + 1];
    std::memset(m + kNameAt, 'x', kNameSize);
    readName(m, name);
    EXPECT_EQ(std::strlen(name), kNameSize);
}

TEST(ShmemMapping, RingsWrapAndRefuseWhatDoesNotFit) {
    Mapping mapping;
    uint8_t* m = mapping.data();
    ASSERT_TRUE(initMapping(m, "r", true));
    Ring ring = Ring::messages(m);
    uint8_t out[64];
    for (int round = 0; round < 20; ++round) {
        const uint8_t in[24] = {uint8_t(round),
                                1,
                                2,
                                3,
                                4,
                                5,
                                6,
                                7,
                                8,
                                9,
                                10,
                                11,
                                12,
                                13,
                                14,
                                15,
                                16,
                                17,
                                18,
                                19,
                                20,
                                21,
                                22,
                                uint8_t(round)};
        ASSERT_EQ(ring.put(in, sizeof in), kRingDone);
        EXPECT_EQ(ring.held(), 24);
        ASSERT_EQ(ring.take(out, sizeof in), kRingDone);
        EXPECT_EQ(std::memcmp(in, out, sizeof in), 0) << "round " << round;
    }
    std::vector<uint8_t> big(40, 1);
    ASSERT_EQ(ring.put(big.data(), 40), kRingDone);
    EXPECT_EQ(ring.put(big.data(), 40), kRingNoRoom);
    EXPECT_EQ(ring.held(), 40);
    EXPECT_EQ(ring.put(big.data(), 65), kRingDamaged);
}

TEST(ShmemMapping, DamagedRingWordsAreRefusedBeforeAnyCopy) {
    struct Case {
        const char* name;
        std::size_t word;
        uint32_t value;
    };
    const Case cases[] = {
        {"read offset past the end", kDataRingAt + 4 * kReadWord, 16384},
        {"write offset past the end", kDataRingAt + 4 * kWriteWord, 99999},
        {"free count above the size", kDataRingAt + 4 * kFreeWord, 16385},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mapping mapping;
        uint8_t* m = mapping.data();
        ASSERT_TRUE(initMapping(m, "d", true));
        Ring ring = Ring::data(m);
        const uint8_t in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        ASSERT_EQ(ring.put(in, 8), kRingDone);
        storeWord(m, c.word, c.value);
        uint8_t out[8];
        bool refused = ring.take(out, 8) == kRingDamaged || ring.put(in, 8) == kRingDamaged;
        EXPECT_TRUE(refused);
    }
    // The ring's size word is the peer's to scribble on; the own constant governs.
    Mapping mapping;
    uint8_t* m = mapping.data();
    ASSERT_TRUE(initMapping(m, "s", true));
    storeWord(m, kDataRingAt + 4 * kSizeWord, 1u << 30);
    EXPECT_EQ(Ring::data(m).held(), 0);
}

TEST(ShmemNames, GeneratedNamesFollowTheSequenceAndAlphabet) {
    uint32_t seed = 1000;
    const char* expected[] = {"vp4", "9s9", "6jf", "9y7", "yxe"};
    for (const char* name : expected) {
        char text[4];
        nameText(nextNameValue(seed), text);
        EXPECT_STREQ(text, name);
    }
    seed = 0;
    EXPECT_EQ(nextNameValue(seed), 0u);
    struct Case {
        uint32_t value;
        const char* text;
    };
    const Case cases[] = {{0, "2"},   {7, "9"},     {8, "a"},      {18, "k"},
                          {19, "m"},  {20, "n"},    {21, "p"},     {31, "z"},
                          {32, "32"}, {1023, "zz"}, {1024, "322"}, {32767, "zzz"}};
    for (const Case& c : cases) {
        char text[4];
        nameText(c.value, text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

// Programs started together see the same time since their start; were that the whole seed, a
// launched kernel could find another program's listener under the name meant for it.
TEST(ShmemNames, ProcessesStartedTogetherDrawDifferentSequences) {
    constexpr int kProcesses = 6;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            uint32_t seed = firstNameSeed(40);
            uint32_t names[3] = {nextNameValue(seed), nextNameValue(seed), nextNameValue(seed)};
            _exit(write(fds[1], names, sizeof names) == sizeof names ? 0 : 1);
        }
    }
    close(fds[1]);
    std::set<std::vector<uint32_t>> sequences;
    uint32_t names[3];
    while (read(fds[0], names, sizeof names) == sizeof names)
        sequences.insert(std::vector<uint32_t>(names, names + 3));
    close(fds[0]);
    for (int status = 0; wait(&status) > 0;)
        EXPECT_EQ(status, 0);
    EXPECT_EQ(sequences.size(), std::size_t{kProcesses});
}

TEST(ShmemNames, TheDeviceNameComesFromThePlugInsFileName) {
    struct Case {
        const char* file;
        const char* name;
    };
    const Case cases[] = {{"/opt/lib/QKMAP32.QKP", "FileMap"},
                          {"/opt/lib/QKLCL32.QKP", "Local"},
                          {"MyLOCALdevice.so", "Local"},
                          {"/home/local/QKMAP32.QKP", "FileMap"}};
    for (const Case& c : cases)
        EXPECT_STREQ(deviceNameForFile(c.file), c.name) << c.file;
}

// ---- Links in one process ---------------------------------------------------------------------

class ShmemLinks : public testing::TransportFixture {
protected:
    ShmemLinks() : TransportFixture(createDevice) {}

    TransportLink* make(uint32_t mode, const std::string& name, int32_t* error = nullptr,
                        const char* protocol = "") {
        return TransportFixture::make(mode, name, error, protocol, 0);
    }
    std::string uniqueName() {
        return "u" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    }
    // Connects a listener and a connecting side; the listener waits on another thread.
    void connectPair(TransportLink* listener, TransportLink* connector) {
        auto waited = std::async(std::launch::async, [listener] { return listener->connect(); });
        ASSERT_EQ(connector->connect(), kConnected);
        ASSERT_EQ(waited.get(), kConnected);
    }

    int counter = 0;
};

TEST_F(ShmemLinks, MakeChecksProtocolModeAndName) {
    expectMakeErrors(
        {
            {"other protocol", "TCP", QKMODE_LISTEN, "", QKERR_NO_PROTOCOL},
            {"shorter than the device name", "File", QKMODE_LISTEN, "", QKERR_NO_PROTOCOL},
            {"longer, any case", "filemapping", QKMODE_LISTEN, "", 0},
            {"launch", "", QKMODE_LAUNCH, "x", QKERR_NO_MODE},
            {"listen name too long", "", QKMODE_LISTEN, std::string(32, 'a'), QKERR_BAD_NAME},
            {"connect without a name", "", QKMODE_CONNECT, "", QKERR_BAD_NAME},
            {"connect name too long", "", QKMODE_CONNECT, std::string(40, 'a'), QKERR_BAD_NAME},
            {"no mode and no name listens", "", 0, "", 0},
            {"no mode with a name connects", "", 0, "nobody-here", 0},
        },
        0);
}

TEST_F(ShmemLinks, AListenerWithoutANameGetsAGeneratedOneThatConnectsFind) {
    TransportLink* listener = make(QKMODE_LISTEN, "");
    ASSERT_NE(listener, nullptr);
    std::string name = nameOf(listener);
    ASSERT_GE(name.size(), 1u);
    ASSERT_LE(name.size(), 3u);
    EXPECT_EQ(name.find_first_not_of("23456789abcdefghijkmnpqrstuvwxyz"), std::string::npos);
    TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
    ASSERT_NE(connector, nullptr);
    EXPECT_EQ(nameOf(connector), name);
    EXPECT_EQ(listener->hasData(), 0); // no peer has attached yet
    connectPair(listener, connector);
    const uint8_t hello[] = "hello";
    ASSERT_EQ(connector->write(hello, 5), 5);
    uint8_t got[16] = {};
    ASSERT_EQ(listener->read(got, sizeof got), 5);
    EXPECT_EQ(std::memcmp(got, hello, 5), 0);
}

TEST_F(ShmemLinks, NamesInUseAndMissingListeners) {
    std::string name = uniqueName();
    ASSERT_NE(make(QKMODE_LISTEN, name.c_str()), nullptr);
    int32_t error = 0;
    EXPECT_EQ(make(QKMODE_LISTEN, name.c_str(), &error), nullptr);
    EXPECT_EQ(error, QKERR_NAME_IN_USE);
    TransportLink* lonely = make(QKMODE_CONNECT, uniqueName().c_str());
    ASSERT_NE(lonely, nullptr);
    EXPECT_EQ(lonely->connect(), kConnectNoListener);
    EXPECT_EQ(lonely->connect(), kConnectNoListener);
}

TEST_F(ShmemLinks, AFullMessageRingDropsItsOldestMessage) {
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
    EXPECT_EQ(connector->writeMessage(1, 1), 0) << "no peer yet";
    connectPair(listener, connector);
    for (int32_t code = 1; code <= 10; ++code)
        ASSERT_EQ(connector->writeMessage(code, code * 100), 1);
    for (int32_t code = 3; code <= 10; ++code) {
        ASSERT_EQ(listener->hasMessage(), 1);
        int32_t got = 0;
        int32_t parameter = 0;
        ASSERT_EQ(listener->readMessage(got, parameter), 1);
        EXPECT_EQ(got, code);
        EXPECT_EQ(parameter, code * 100);
    }
    EXPECT_EQ(listener->hasMessage(), 0);
    int32_t code = 0;
    int32_t parameter = 0;
    EXPECT_EQ(listener->readMessage(code, parameter), 0);
}

TEST_F(ShmemLinks, APeerThatGoesEndsReadsAfterTheDataItLeft) {
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
    connectPair(listener, connector);
    const uint8_t last[] = "last";
    ASSERT_EQ(connector->write(last, 4), 4);
    drop(connector);
    uint8_t got[8];
    EXPECT_EQ(listener->read(got, sizeof got), 4);
    EXPECT_EQ(listener->read(got, sizeof got), kTransferPeerGone);
    EXPECT_EQ(listener->hasData(), kTransferPeerGone);
    EXPECT_EQ(listener->write(last, 4), kTransferPeerGone);
}

TEST_F(ShmemLinks, TheYieldFunctionCanStopAWaitForThePeer) {
    using testing::CountingYield;
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    QKCallbackRecord* yield = CountingYield::make(2);
    ASSERT_TRUE(listener->setYieldFunction(yield, nullptr));
    EXPECT_EQ(listener->connect(), kConnectStopped);
    EXPECT_EQ(CountingYield::calls, 2);
    EXPECT_EQ(CountingYield::reason, QKYIELD_CONNECTING);
    EXPECT_EQ(CountingYield::count, 2);
    // A later connect finds the peer that came meanwhile.
    TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
    ASSERT_EQ(connector->connect(), kConnected);
    CountingYield::limit = 1000;
    EXPECT_EQ(listener->connect(), kConnected);
    listener->setYieldFunction(nullptr, nullptr);
    corvinet::destroyCallbackRecord(yield);
}

TEST_F(ShmemLinks, AWriteIntoAFullRingWaitsInsteadOfReportingSuccess) {
    using testing::CountingYield;
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
    connectPair(listener, connector);
    std::vector<uint8_t> full(kDataRingSize, 'f');
    ASSERT_EQ(connector->write(full.data(), kDataRingSize), int32_t(kDataRingSize));
    QKCallbackRecord* yield = CountingYield::make(2);
    connector->setYieldFunction(yield, nullptr);
    const uint8_t more[4] = {'m', 'o', 'r', 'e'};
    EXPECT_EQ(connector->write(more, 4), kTransferStopped);
    EXPECT_EQ(CountingYield::reason, QKYIELD_WRITING);
    uint8_t got[16];
    ASSERT_EQ(listener->read(got, sizeof got), 16);
    EXPECT_EQ(connector->write(more, 4), 4);
    // Once the peer is known to be gone a write fails at once, whatever room is left.
    drop(listener);
    for (int i = 0; i < 400 && connector->hasData() != kTransferPeerGone; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    CountingYield::limit = 1000;
    EXPECT_EQ(connector->write(more, 4), kTransferPeerGone);
    connector->setYieldFunction(nullptr, nullptr);
    corvinet::destroyCallbackRecord(yield);
}

TEST_F(ShmemLinks, MessageHandlersRunOnTheirOwnThreadOrWhileTheLinkWaits) {
    for (bool ownThread : {true, false}) {
        SCOPED_TRACE(ownThread ? "handler with a thread of its own" : "handler on this thread");
        std::string name = uniqueName();
        TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
        TransportLink* connector = make(QKMODE_CONNECT, name.c_str());
        connectPair(listener, connector);
        testing::checkMessageDelivery(listener, connector, ownThread);
    }
}

// ---- A hand-made peer -------------------------------------------------------------------------

// Speaks the meeting protocol by hand, so that it can send what a sound peer never would.
struct HandMadePeer {
    Descriptor mappingFd;
    uint8_t* own = nullptr;
    Descriptor dataEvent{eventfd(0, EFD_CLOEXEC)};
    Descriptor messageEvent{eventfd(0, EFD_CLOEXEC)};
    Descriptor socket;
    Endpoint listener;
    uint8_t* listenerMapping = nullptr;

    ~HandMadePeer() {
        unmap(listenerMapping);
        unmap(own);
    }
    bool meet(const std::string& name) {
        if (!createMapping("peer", mappingFd, own) || !initMapping(own, name.c_str(), false))
            return false;
        socket.reset(connectTo(name.c_str()));
        if (!socket ||
            !sendEndpoint(socket.get(), mappingFd.get(), dataEvent.get(), messageEvent.get()))
            return false;
        pollfd poll{socket.get(), POLLIN, 0};
        if (::poll(&poll, 1, 5000) != 1 || !receiveEndpoint(socket.get(), listener)) return false;
        listenerMapping = mapPeer(listener.mapping.get());
        return listenerMapping != nullptr;
    }
    void send(const std::string& bytes) {
        Ring::data(listenerMapping)
            .put(reinterpret_cast<const uint8_t*>(bytes.data()),
                 static_cast<uint32_t>(bytes.size()));
        signalEvent(listener.dataEvent.get());
    }
};

TEST_F(ShmemLinks, GarbageFromAHandMadePeerEndsTheLinkWithoutHarm) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string role;
        std::string after;
        int32_t connect;
    };
    const Case cases[] = {
        {"unknown role word", "spy ", "", kLinkDied},
        {"endless role word", std::string(100, 'x'), "", kLinkDied},
        {"truncated frames", "ang ", "\\\\\\"s, 0},
        {"binary noise", "ang ", "\x00\xff\\\x01\\P\\c\\c\\c\\"s, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = uniqueName();
        TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
        ASSERT_NE(listener, nullptr);
        int32_t error = 0;
        DeviceStream* stream =
            DeviceStream::create(memory, *device, listener, QKMODE_LISTEN, error);
        std::erase(links, listener); // the stream owns it now
        ASSERT_NE(stream, nullptr);
        {
            HandMadePeer peer;
            ASSERT_TRUE(peer.meet(name));
            peer.send(c.role);
            EXPECT_EQ(stream->connect(), c.connect);
            peer.send(c.after);
        }
        // The peer is gone: whatever came is read, then the link ends as closed.
        testing::expectStreamEnds(stream);
        DeviceStream::close(stream);
    }
}

TEST_F(ShmemLinks, ABrokenRingFromTheHandMadePeerEndsTheLink) {
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    HandMadePeer peer;
    ASSERT_TRUE(peer.meet(name));
    ASSERT_EQ(listener->connect(), kConnected);
    // The peer claims the listener's ring holds more than it can.
    storeWord(peer.listenerMapping, kDataRingAt + 4 * kFreeWord, 0xFFFFFFF0u);
    uint8_t got[16];
    EXPECT_EQ(listener->read(got, sizeof got), kTransferFailed);
    EXPECT_EQ(listener->hasData(), kTransferFailed);
}

TEST_F(ShmemLinks, AWriterWakesItsReaderOnlyWhenTheReaderSaidItSleeps) {
    std::string name = uniqueName();
    TransportLink* listener = make(QKMODE_LISTEN, name.c_str());
    HandMadePeer peer;
    ASSERT_TRUE(peer.meet(name));
    ASSERT_EQ(listener->connect(), kConnected);
    const auto signalled = [&] {
        pollfd event{peer.dataEvent.get(), POLLIN, 0};
        if (::poll(&event, 1, 0) != 1) return false;
        uint64_t count = 0;
        return ::read(peer.dataEvent.get(), &count, sizeof count) == sizeof count;
    };
    const auto held = [&] { return Ring::data(peer.own).held(); };

    // Writing costs no wake-up while the peer watches its ring; it does once the peer sleeps.
    const uint8_t bytes[] = "abc";
    ASSERT_EQ(listener->write(bytes, 3), 3);
    EXPECT_FALSE(signalled());
    announceSleep(peer.own, true);
    ASSERT_EQ(listener->write(bytes, 3), 3);
    EXPECT_TRUE(signalled());
    announceSleep(peer.own, false);
    EXPECT_EQ(held(), 6);

    // The listener says that it sleeps while its read waits, and no longer once it has data.
    auto read = std::async(std::launch::async, [listener] {
        uint8_t got[8];
        return listener->read(got, sizeof got);
    });
    for (int i = 0; i < 1000 && !sleeps(peer.listenerMapping); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(sleeps(peer.listenerMapping));
    peer.send("wake");
    EXPECT_EQ(read.get(), 4);
    EXPECT_FALSE(sleeps(peer.listenerMapping));
}

TEST_F(ShmemLinks, AMappingThatCouldShrinkIsRefused) {
    Descriptor fd(memfd_create("loose", MFD_CLOEXEC));
    ASSERT_TRUE(fd);
    ASSERT_EQ(ftruncate(fd.get(), kMappingSize), 0);
    EXPECT_EQ(mapPeer(fd.get()), nullptr);
    Descriptor small(memfd_create("small", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    ASSERT_EQ(ftruncate(small.get(), 4096), 0);
    ASSERT_EQ(fcntl(small.get(), F_ADD_SEALS, F_SEAL_SHRINK), 0);
    EXPECT_EQ(mapPeer(small.get()), nullptr);
}

} // namespace
} // namespace devices::shmem
