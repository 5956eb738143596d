// The escaped byte stream over an in-process transport: the bytes it sends, how it cuts what it
// reads, its flow control, the role exchange and how transport failures end the link.

#include "DeviceStream.h"

#include "DeviceEntry.h"
#include "FakeTransport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace devices {
namespace {

using testing::FakeDevice;
using testing::FakeLink;

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values)
        text += static_cast<char>(v);
    return text;
}

class Stream {
public:
    explicit Stream(uint32_t mode = QKMODE_LISTEN, int32_t bufferSize = 4096)
        : memory(deviceMemory(nullptr, nullptr)), device(memory) {
        device.bufferSize = bufferSize;
        link = memory.make<FakeLink>();
        link->destroyed = &destroyed;
        int32_t error = 0;
        stream = DeviceStream::create(memory, device, link, mode, error);
    }
    ~Stream() { DeviceStream::close(stream); }

    // Connects with the peer's role word and forgets what the exchange sent.
    void connect(const char* peerWord = "ang ") {
        link->chunks.push_back(peerWord);
        ASSERT_EQ(stream->connect(), 0);
        link->sent.clear();
    }
    // Fills the current buffer with `data` and hands it back: the answer of DEVICE_PUTOUTBUF,
    // with the next buffer in `next`.
    int32_t put(const std::string& data) {
        uint8_t* buffer = nullptr;
        int32_t size = 0;
        if (!handed) {
            if (int32_t answer = stream->nextOutput(&buffer, &size)) return answer;
            if (!buffer) return -1;
        } else {
            buffer = handed;
            size = handedSize;
        }
        EXPECT_LE(data.size(), std::size_t(size));
        std::memcpy(buffer, data.data(), data.size());
        size = static_cast<int32_t>(data.size());
        int32_t answer = stream->putOutput(&buffer, &size);
        handed = buffer;
        handedSize = size;
        return answer;
    }
    // Every data block until the device answers something else; the answer in `last`.
    std::string readAll(int32_t* last = nullptr) {
        std::string data;
        for (int i = 0; i < 10000; ++i) {
            const uint8_t* block = nullptr;
            int32_t length = 0;
            int32_t answer = stream->nextInput(&block, &length);
            if (answer != 0) {
                if (last) *last = answer;
                return data;
            }
            data.append(reinterpret_cast<const char*>(block), std::size_t(length));
        }
        ADD_FAILURE() << "the stream never stopped handing out blocks";
        return data;
    }

    DeviceMemory memory;
    FakeDevice device;
    FakeLink* link = nullptr;
    DeviceStream* stream = nullptr;
    int32_t destroyed = 0;
    uint8_t* handed = nullptr;
    int32_t handedSize = 0;
};

TEST(EscapedStream, SendsMessagesWithDoubledEscapesAndTheRoleEndMark) {
    struct Case {
        const char* name;
        uint32_t mode;
        std::string data;
        std::string wire;
    };
    const Case cases[] = {
        {"listener", QKMODE_LISTEN, "abc", "abc\\C"},
        {"launcher", QKMODE_LAUNCH, "x", "x\\C"},
        {"connector", QKMODE_CONNECT, "abc", "abc\\P"},
        {"parent connect", QKMODE_PARENTCONNECT, "q", "q\\P"},
        {"neither", QKMODE_LOOPBACK, "q", "q\\N"},
        {"escape doubled", QKMODE_LISTEN, "a\\b\\\\", "a\\\\b\\\\\\\\\\C"},
        {"zero bytes", QKMODE_CONNECT, bytes({0, 4, 0x5C}), bytes({0, 4, 0x5C, 0x5C, 0x5C, 'P'})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s(c.mode);
        s.connect();
        ASSERT_EQ(s.put(c.data), 0);
        EXPECT_EQ(s.link->sent, c.wire);
    }
}

TEST(EscapedStream, AFullBufferOfEscapeBytesTravelsDoubled) {
    for (int32_t bufferSize : {4096, 16384}) {
        Stream s(QKMODE_LISTEN, bufferSize);
        s.connect();
        uint8_t* buffer = nullptr;
        int32_t size = 0;
        ASSERT_EQ(s.stream->nextOutput(&buffer, &size), 0);
        ASSERT_EQ(size, 1022);
        ASSERT_EQ(s.put(std::string(1022, '\\')), 0);
        EXPECT_EQ(s.link->sent, std::string(2044, '\\') + "\\C");
    }
}

TEST(EscapedStream, TheRoleExchangeSendsTheOwnWordAndReadsThePeers) {
    struct Case {
        const char* name;
        uint32_t mode;
        const char* peer;
        int32_t answer;
        std::string said;
        char peerEnd;
    };
    const Case cases[] = {
        {"listener meets connector", QKMODE_LISTEN, "ang ", 0, "in ", 'P'},
        {"connector meets listener", QKMODE_CONNECT, "in ", 0, "ang ", 'C'},
        {"neither meets neuter", 0, "Neuter ", 0, "Neuter ", 'N'},
        {"empty word", QKMODE_CONNECT, " ", 0, "ang ", 'N'},
        {"words after a comma", QKMODE_CONNECT, "in,later,words ", 0, "ang ", 'C'},
        {"unknown word", QKMODE_CONNECT, "out ", 1, "ang ", 0},
        {"word without end", QKMODE_CONNECT, "in", 1, "ang ", 0},
        {"over-long word", QKMODE_CONNECT, "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa ", 1,
         "ang ", 0},
        {"endless words", QKMODE_CONNECT, "in,a,b,c,d,e,f,g,h,i,j,k ", 1, "ang ", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s(c.mode);
        s.link->chunks.push_back(c.peer);
        s.link->readWhenEmpty = kTransferPeerGone;
        EXPECT_EQ(s.stream->connect(), c.answer);
        EXPECT_EQ(s.link->sent, c.said);
        EXPECT_EQ(s.stream->state, c.answer == 0 ? kStateConnected : kStateFailed);
        if (c.answer == 0) {
            EXPECT_EQ(s.stream->peerEnd, c.peerEnd);
        }
        // Once settled, a connect answers the same without asking the transport again.
        EXPECT_EQ(s.stream->connect(), c.answer);
    }
}

TEST(EscapedStream, ConnectResultsOfTheTransportMapToLinkErrors) {
    struct Case {
        const char* name;
        int32_t transport;
        int32_t answer;
        bool triesAgain;
    };
    const Case cases[] = {
        {"failure", kConnectFailed, 1, false},
        {"refused", kConnectRefused, 9, false},
        {"bad host", kConnectBadHost, 43, false},
        {"no listener yet", kConnectNoListener, 41, true},
        {"yield stopped", kConnectStopped, 25, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s(QKMODE_CONNECT);
        s.link->connectAnswer = c.transport;
        EXPECT_EQ(s.stream->connect(), c.answer);
        s.link->connectAnswer = kConnected;
        s.link->chunks.push_back("in ");
        EXPECT_EQ(s.stream->connect(), c.triesAgain ? 0 : 1);
    }
}

TEST(EscapedStream, CutsInputIntoDataBlocksAndActsOnMarks) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::string data;
        std::string acknowledgements; // what the listener sent back
    };
    const Case cases[] = {
        {"plain", {"hello"}, "hello", ""},
        {"doubled escape", {"ab\\\\cd"}, "ab\\cd", ""},
        {"escape split across reads", {"ab\\", "\\cd"}, "ab\\cd", ""},
        {"peer's end mark is acknowledged", {"xy\\P", "z\\P"}, "xyz", "\\p\\p"},
        {"unknown escape dropped", {"a\\zb\\"}, "ab", ""},
        {"many escapes in one read", {std::string(40, '\\')}, std::string(20, '\\'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.connect();
        for (const std::string& chunk : c.chunks)
            s.link->chunks.push_back(chunk);
        int32_t last = 0;
        EXPECT_EQ(s.readAll(&last), c.data);
        EXPECT_EQ(last, kAborted); // nothing more to read now
        EXPECT_EQ(s.link->sent, c.acknowledgements);
    }
}

TEST(EscapedStream, AcknowledgementsRideWithTheNextMessageOrGoBeforeAWait) {
    Stream s;
    s.connect();
    s.link->chunks.push_back("question\\P");
    const uint8_t* block = nullptr;
    int32_t length = 0;
    ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
    EXPECT_EQ(s.link->sent, "");
    ASSERT_EQ(s.put("answer"), 0);
    EXPECT_EQ(s.link->sent, "\\panswer\\C");

    // Without an answer to send, they go before the stream waits for input or asks for it.
    s.link->chunks.push_back("one\\Ptwo\\P");
    s.link->sent.clear();
    EXPECT_EQ(s.readAll(), "onetwo");
    EXPECT_EQ(s.link->sent, "\\p\\p");
    s.link->chunks.push_back("three\\P");
    s.link->sent.clear();
    ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
    int32_t ready = 0;
    EXPECT_EQ(s.stream->readyCount(&ready), 0);
    EXPECT_EQ(s.link->sent, "\\p");

    // A peer that floods end marks gets its acknowledgements without waiting for an answer.
    std::string flood;
    for (int i = 0; i < 20; ++i)
        flood += "\\P";
    s.link->chunks.push_back(flood);
    s.link->sent.clear();
    ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
    EXPECT_EQ(s.link->sent.size(), 40u);
}

TEST(EscapedStream, AFullMessageIsAcknowledgedAtOnceAShortOneWaitsForTheAnswer) {
    // A peer that fills its buffers streams and waits for the acknowledgement to send more; one
    // that sends less has finished, and the acknowledgement may ride with the answer. The bytes
    // that go are the same, only when they go differs.
    const std::string full(DeviceStream::kMaxCapacity, 'x');
    // Full too: an escape byte counts once, though it travels doubled.
    const std::string escaped = "\\" + full.substr(2);
    struct Case {
        const char* name;
        std::string wire;
        std::string data;
        const char* sentAtOnce;
    };
    const Case cases[] = {
        {"full message", full + "\\P", full, "\\p"},
        {"one byte short", full.substr(1) + "\\P", full.substr(1), ""},
        {"full with doubled escapes", "\\\\" + full.substr(2) + "\\\\\\P", escaped + "\\", "\\p"},
        {"short, then full", "ab\\P" + full + "\\P", "ab" + full, "\\p\\p"},
        {"two full in one read", full + "\\P" + full + "\\P", full + full, "\\p\\p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.connect();
        s.link->chunks.push_back(c.wire);
        const uint8_t* block = nullptr;
        int32_t length = 0;
        ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
        EXPECT_EQ(s.link->sent, c.sentAtOnce);
        std::string data(reinterpret_cast<const char*>(block), std::size_t(length));
        data += s.readAll();
        EXPECT_EQ(data, c.data);
        // Whatever waited goes before the stream waits for more.
        EXPECT_EQ(s.link->sent.size(),
                  std::size_t(2 * std::count(c.wire.begin(), c.wire.end(), 'P')));
    }
}

TEST(EscapedStream, ADataTestBeforeConnectAsksTheTransport) {
    Stream s(QKMODE_LISTEN);
    s.link->dataAnswer = 1;
    int32_t ready = 0;
    EXPECT_EQ(s.stream->readyCount(&ready), 0);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(s.stream->state, kStateMade);
}

TEST(EscapedStream, HandsOutAtMostSixteenBlocksPerCutAndReportsTheRest) {
    Stream s;
    s.connect();
    s.link->chunks.push_back(std::string(40, '\\')); // twenty one-byte blocks
    const uint8_t* block = nullptr;
    int32_t length = 0;
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
    EXPECT_EQ(s.stream->inputState(), kInputPending);
    int32_t ready = 0;
    EXPECT_EQ(s.stream->readyCount(&ready), 0);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(s.readAll(), std::string(4, '\\'));
    EXPECT_EQ(s.stream->inputState(), 0);
}

TEST(EscapedStream, AtMostTwoMessagesWaitForTheirAcknowledgement) {
    Stream s;
    s.connect();
    // A stray acknowledgement with nothing in flight must not make room for a third message.
    s.link->chunks.push_back("\\c");
    s.readAll();
    ASSERT_EQ(s.put("one"), 0);
    ASSERT_NE(s.handed, nullptr);
    ASSERT_EQ(s.put("two"), 0);
    ASSERT_NE(s.handed, nullptr);
    EXPECT_EQ(s.stream->outputPending(), kOutputPending);
    ASSERT_EQ(s.put("three"), 0);
    EXPECT_EQ(s.handed, nullptr) << "a third message went out unacknowledged";
    EXPECT_EQ(s.link->sent, "one\\Ctwo\\C");

    // The acknowledgement arrives as input; then the waiting message goes and a buffer comes.
    s.link->chunks.push_back("\\c");
    s.readAll();
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    ASSERT_EQ(s.stream->nextOutput(&buffer, &size), 0);
    EXPECT_NE(buffer, nullptr);
    EXPECT_EQ(s.link->sent, "one\\Ctwo\\Cthree\\C");
    s.link->chunks.push_back("\\c\\c\\c\\c");
    s.readAll();
    EXPECT_EQ(s.stream->outputPending(), 0);
}

TEST(EscapedStream, UnreadInputHoldsBackTheNextBuffer) {
    Stream s;
    s.connect();
    ASSERT_EQ(s.put("one"), 0);
    s.link->chunks.push_back(std::string(40, '\\'));
    const uint8_t* block = nullptr;
    int32_t length = 0;
    ASSERT_EQ(s.stream->nextInput(&block, &length), 0);
    ASSERT_EQ(s.put("two"), 0);
    EXPECT_EQ(s.handed, nullptr);
    EXPECT_EQ(s.link->sent, "one\\C");
}

TEST(EscapedStream, ThePeersCloseMarkEndsTheLinkAfterTheDataBeforeIt) {
    Stream s;
    s.connect();
    s.link->chunks.push_back("last\\\x04");
    int32_t last = 0;
    EXPECT_EQ(s.readAll(&last), "last");
    EXPECT_EQ(last, kPeerClosed);
    EXPECT_EQ(s.stream->inputState(), kPeerClosed);
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    EXPECT_EQ(s.stream->nextOutput(&buffer, &size), kPeerClosed);
    EXPECT_EQ(buffer, nullptr);
    int32_t ready = 0;
    EXPECT_EQ(s.stream->readyCount(&ready), kPeerClosed);
    EXPECT_EQ(ready, 1);
}

TEST(EscapedStream, TransportFailuresEndTheLinkWithTheRightError) {
    struct Case {
        const char* name;
        int32_t read;
        int32_t answer;
    };
    const Case cases[] = {
        {"nothing to read now", kTransferStopped, kAborted},
        {"peer gone", kTransferPeerGone, kPeerClosed},
        {"transport failed", kTransferFailed, kLinkDied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        s.connect();
        s.link->readWhenEmpty = c.read;
        const uint8_t* block = nullptr;
        int32_t length = 0;
        EXPECT_EQ(s.stream->nextInput(&block, &length), c.answer);
        EXPECT_EQ(s.stream->nextInput(&block, &length), c.answer);
    }
}

TEST(EscapedStream, AFailedWriteOfDataOrAcknowledgementEndsTheLink) {
    struct Case {
        const char* name;
        int32_t writeAnswer;
        int32_t answer;
        // What is read when the acknowledgement of the first message cannot go: a peer that has
        // gone still left everything it sent to be read, up to its end.
        const char* readAfterFailedAck;
    };
    const Case cases[] = {
        {"peer gone", kTransferPeerGone, kPeerClosed, "keptlast"},
        {"failure", kTransferFailed, kLinkDied, "kept"},
        {"stopped", kTransferStopped, kLinkDied, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            Stream s;
            s.connect();
            s.link->writesBeforeFailure = 0;
            s.link->writeAnswer = c.writeAnswer;
            EXPECT_EQ(s.put("data"), c.answer);
            EXPECT_EQ(s.handed, nullptr);
            EXPECT_EQ(s.put("more"), c.answer);
        }
        {
            // The data before the unacknowledged end mark still arrives; then the link ends.
            Stream s;
            s.connect();
            s.link->writesBeforeFailure = 0;
            s.link->writeAnswer = c.writeAnswer;
            s.link->chunks = {"kept\\P", "last\\P"};
            s.link->readWhenEmpty = kTransferPeerGone;
            int32_t last = 0;
            EXPECT_EQ(s.readAll(&last), c.readAfterFailedAck);
            EXPECT_EQ(last, c.answer);
        }
    }
}

TEST(EscapedStream, ClosingSendsTheCloseMarkOnlyWhenConnected) {
    for (bool connected : {true, false}) {
        SCOPED_TRACE(connected ? "connected" : "never connected");
        std::string log;
        int32_t destroyed = 0;
        Stream s;
        if (connected) s.connect();
        s.link->sentLog = &log;
        s.link->destroyed = &destroyed;
        DeviceStream::close(s.stream);
        s.stream = nullptr;
        EXPECT_EQ(log, connected ? bytes({0x5C, 0x04}) : "");
        EXPECT_EQ(destroyed, 1);
    }
}

TEST(EscapedStream, PutOutputRefusesABufferItDidNotHandOut) {
    Stream s;
    s.connect();
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    ASSERT_EQ(s.stream->nextOutput(&buffer, &size), 0);
    uint8_t other[8];
    uint8_t* wrong = other;
    int32_t filled = 4;
    EXPECT_EQ(s.stream->putOutput(&wrong, &filled), kLinkDied);
    filled = size + 1;
    EXPECT_EQ(s.stream->putOutput(&buffer, &filled), kLinkDied);
    EXPECT_EQ(s.link->sent, "");
}

TEST(EscapedStream, ATransportBufferTooSmallForAMessageCannotMakeAStream) {
    DeviceMemory memory = deviceMemory(nullptr, nullptr);
    FakeDevice device(memory);
    device.bufferSize = 11;
    int32_t destroyed = 0;
    FakeLink* link = memory.make<FakeLink>();
    link->destroyed = &destroyed;
    int32_t error = 0;
    EXPECT_EQ(DeviceStream::create(memory, device, link, QKMODE_LISTEN, error), nullptr);
    EXPECT_EQ(error, -1);
    EXPECT_EQ(destroyed, 1);
}

// The entry point over a transport whose device the test reaches through this pointer.
FakeDevice* fakeDevice = nullptr;
bool fakeStarts = true;
TransportDevice* makeFakeDevice(const DeviceMemory& memory) {
    if (!fakeStarts) return nullptr;
    return fakeDevice = memory.make<FakeDevice>(memory);
}
int32_t fakeMain(void* handle, uint32_t selector, void* a, void* b) {
    return deviceMain(makeFakeDevice, handle, selector, a, b);
}

TEST(DeviceEntry, UnpacksTheOpenBlockAndServesTheSelectors) {
    void* device = nullptr;
    ASSERT_EQ(fakeMain(&device, DEVICE_INIT, nullptr, nullptr), 0);
    ASSERT_NE(device, nullptr);
    static const char block[] = "FileMap\0"
                                "6\0"
                                "name\0"
                                "host\0"
                                "secret\0"
                                "256";
    DeviceStream* stream = nullptr;
    ASSERT_EQ(fakeMain(device, DEVICE_MAKE, const_cast<char*>(block), &stream), 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(fakeDevice->lastTexts[0], "FileMap");
    EXPECT_EQ(fakeDevice->lastArguments.mode, 6u);
    EXPECT_EQ(fakeDevice->lastTexts[1], "name");
    EXPECT_EQ(fakeDevice->lastTexts[2], "host");
    EXPECT_EQ(fakeDevice->lastTexts[3], "secret");
    EXPECT_EQ(fakeDevice->lastArguments.options, 256u);
    EXPECT_EQ(stream->role.end, 'C'); // Listen wins over Connect

    int32_t value = 0;
    int32_t size = sizeof value;
    EXPECT_EQ(fakeMain(stream, WORLD_INFO + 4, &value, &size), 0);
    EXPECT_EQ(value, 4096);
    EXPECT_EQ(fakeMain(stream, DEVICE_INFO + 1, &value, &size), -1);
    EXPECT_EQ(fakeMain(stream, 99, nullptr, nullptr), -1);
    int32_t waiting = -1;
    EXPECT_EQ(fakeMain(stream, DEVICE_HASMSG, &waiting, nullptr), 0);
    EXPECT_EQ(waiting, 0);
    int32_t code = 0;
    int32_t parameter = 0;
    EXPECT_EQ(fakeMain(stream, DEVICE_READMSG, &code, &parameter), QKERR_NO_MESSAGE);
    // A message the transport refuses is 17; one it fails to send is 1.
    const int32_t messageAnswers[][2] = {{1, 0}, {0, QKERR_MESSAGE_REFUSED}, {-1, 1}};
    for (const auto& answer : messageAnswers) {
        fakeDevice->lastLink->messageAnswer = answer[0];
        EXPECT_EQ(fakeMain(stream, DEVICE_WRITEMSG, &code, &parameter), answer[1]);
    }
    fakeDevice->lastLink->chunks.push_back("ang ");
    EXPECT_EQ(fakeMain(stream, DEVICE_CONNECT, nullptr, nullptr), 0);
    EXPECT_EQ(fakeMain(stream, DEVICE_CLOSE, nullptr, nullptr), 0);
    EXPECT_EQ(fakeMain(device, DEVICE_DEINIT, nullptr, nullptr), 0);
}

TEST(DeviceEntry, ReportsTransportsThatCannotStartOrMake) {
    void* device = nullptr;
    fakeStarts = false;
    EXPECT_EQ(fakeMain(&device, DEVICE_INIT, nullptr, nullptr), QKERR_NO_ENVIRONMENT);
    EXPECT_EQ(device, nullptr);
    fakeStarts = true;
    ASSERT_EQ(fakeMain(&device, DEVICE_INIT, nullptr, nullptr), 0);
    for (int32_t answer : {QKERR_NO_PROTOCOL, QKERR_NO_MODE, QKERR_NAME_IN_USE}) {
        fakeDevice->makeAnswer = answer;
        DeviceStream* stream = nullptr;
        EXPECT_EQ(fakeMain(device, DEVICE_MAKE,
                           const_cast<char*>("\0"
                                             "0\0\0\0\0"
                                             "0"),
                           &stream),
                  answer);
        EXPECT_EQ(stream, nullptr);
    }
    EXPECT_EQ(fakeMain(device, DEVICE_DEINIT, nullptr, nullptr), 0);
}

} // namespace
} // namespace devices
