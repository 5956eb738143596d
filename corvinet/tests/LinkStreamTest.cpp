// The byte layer over a loopback buffer and over a scripted device.

#include "LinkStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <numeric>
#include <string>
#include <vector>

namespace corvinet {
namespace {

// A device whose input blocks and answers the test scripts; it records what was sent.
struct ScriptedDevice {
    struct Input {
        std::string bytes;
        int32_t answer = 0;     // DEVICE_GETINBLOCK's answer
        int32_t inputState = 0; // DEVICE_INPUTSTATE's answer after this block
    };
    std::deque<Input> inputs;
    std::string sent;
    uint8_t buffers[2][64] = {};
    int next = 0;
    int buffersWithheld = 0; // DEVICE_PUTOUTBUF hands out no buffer this many times
    int32_t ready = 0;
    std::string current; // the block handed out last

    static int32_t main(void* handle, uint32_t selector, void* a, void* b) {
        auto* self = static_cast<ScriptedDevice*>(handle);
        switch (selector) {
        case DEVICE_GETOUTBUF:
        case DEVICE_PUTOUTBUF: {
            auto** buffer = static_cast<uint8_t**>(a);
            auto* size = static_cast<int32_t*>(b);
            if (selector == DEVICE_PUTOUTBUF)
                self->sent.append(reinterpret_cast<char*>(*buffer), static_cast<size_t>(*size));
            if (self->buffersWithheld > 0) {
                --self->buffersWithheld;
                *buffer = nullptr;
                *size = 0;
                return 0;
            }
            *buffer = self->buffers[self->next ^= 1];
            *size = sizeof self->buffers[0];
            return 0;
        }
        case DEVICE_READYCOUNT:
            *static_cast<int32_t*>(b) = self->ready;
            return 0;
        case DEVICE_GETINBLOCK: {
            if (self->inputs.empty()) return QKERR_ABORTED;
            Input input = self->inputs.front();
            if (input.answer != 0) {
                self->inputs.pop_front();
                return input.answer;
            }
            self->current = input.bytes;
            *static_cast<const uint8_t**>(a) =
                reinterpret_cast<const uint8_t*>(self->current.data());
            *static_cast<int32_t*>(b) = static_cast<int32_t>(self->current.size());
            return 0;
        }
        case DEVICE_INPUTSTATE: {
            int32_t state = self->inputs.front().inputState;
            self->inputs.pop_front();
            return state;
        }
        default:
            return -1;
        }
    }
};

class LinkStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory = heapAllocator();
        link.memory = memory;
        link.chain = BlockChain::create(pool);
        ASSERT_NE(link.chain, nullptr);
    }
    void TearDown() override {
        for (LinkStream* s : {&stream, &other})
            s->close();
        memory.put(link.loopbackBuffer);
        link.chain->release();
    }
    void makeLoopback() {
        link.loopbackBuffer = static_cast<uint8_t*>(memory.get(DeviceLink::kLoopbackBufferSize));
        link.start = link.cursor = link.loopbackBuffer;
        link.limit = link.loopbackBuffer + DeviceLink::kLoopbackBufferSize;
        stream.open(&link);
    }
    void makeDevice() {
        link.device = ScriptedDevice::main;
        link.deviceStream = reinterpret_cast<DeviceStream*>(&device);
        uint8_t* buffer = nullptr;
        int32_t size = 0;
        ScriptedDevice::main(&device, DEVICE_GETOUTBUF, &buffer, &size);
        link.start = link.cursor = buffer;
        link.limit = buffer + size;
        stream.open(&link);
    }
    std::string read(LinkStream& s, size_t count) {
        std::string out(count, '\0');
        out.resize(s.getBytes(out.data(), count));
        return out;
    }

    AllocatorPair memory;
    StreamPool pool{heapAllocator()};
    DeviceLink link;
    ScriptedDevice device;
    LinkStream stream;
    LinkStream other;
};

TEST_F(LinkStreamTest, LoopbackReadsBackWhatItWrote) {
    makeLoopback();
    uint8_t byte = 0;
    EXPECT_EQ(stream.getByte(byte), QKERR_ABORTED) << "nothing written yet";
    EXPECT_EQ(stream.peekByte(), LinkStream::kNothingReady);

    ASSERT_EQ(stream.putBytes("hello", 5), 0);
    ASSERT_EQ(stream.putByte('!'), 0);
    EXPECT_EQ(link.bytesWritten(), 6);
    EXPECT_EQ(stream.peekByte(), 'h') << "a peek flushes the loopback buffer";
    EXPECT_EQ(read(stream, 6), "hello!");
    EXPECT_EQ(stream.getByte(byte), QKERR_ABORTED);
}

TEST_F(LinkStreamTest, LargeTransfersCrossBlocksWhole) {
    makeLoopback();
    std::vector<uint8_t> data(100000);
    std::iota(data.begin(), data.end(), 0);
    ASSERT_EQ(stream.putBytes(data.data(), data.size()), 0);
    ASSERT_EQ(stream.flush(), 0);
    EXPECT_EQ(stream.available(), data.size());
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(stream.getBytes(back.data(), back.size()), back.size());
    EXPECT_EQ(back, data);
    EXPECT_EQ(stream.tell(), 100000);
}

TEST_F(LinkStreamTest, ReadBlocksAreReleasedBehindTheReader) {
    makeLoopback();
    std::string data(3 * StreamPool::kBlockSize, 'x');
    ASSERT_EQ(stream.putBytes(data.data(), data.size()), 0);
    ASSERT_EQ(stream.flush(), 0);
    StreamBlock* first = link.chain->head();
    read(stream, 2 * StreamPool::kBlockSize + 1);
    EXPECT_NE(link.chain->head(), first);
    EXPECT_EQ(link.chain->head()->start, 2 * int64_t{StreamPool::kBlockSize});
}

TEST_F(LinkStreamTest, DuplicateKeepsDataTheOtherHasNotRead) {
    makeLoopback();
    std::string data(2 * StreamPool::kBlockSize + 10, 'a');
    data.back() = 'z';
    ASSERT_EQ(stream.putBytes(data.data(), data.size()), 0);
    ASSERT_EQ(stream.flush(), 0);
    ASSERT_EQ(other.duplicateFrom(stream), 0);
    EXPECT_EQ(read(stream, data.size()), data);
    stream.close();
    EXPECT_EQ(read(other, data.size()), data) << "the duplicate still reads from the start";
}

void* noMemory(std::size_t) {
    return nullptr;
}

TEST_F(LinkStreamTest, DuplicateReportsALookAheadItCouldNotCopy) {
    makeLoopback();
    ASSERT_EQ(stream.putBytes("tail", 4), 0);
    ASSERT_EQ(stream.pushBack("ahead", 5), 0);
    ASSERT_EQ(other.duplicateFrom(stream), 0);
    EXPECT_EQ(read(other, 9), "aheadtail");

    link.memory.allocate = noMemory;
    EXPECT_EQ(other.duplicateFrom(stream), QKERR_OUT_OF_MEMORY)
        << "a duplicate that silently lost the unread look-ahead would read other bytes";
    link.memory = memory;
    EXPECT_EQ(read(stream, 9), "aheadtail") << "the original keeps its look-ahead";
}

TEST_F(LinkStreamTest, LookAheadIsReadFirstAndNests) {
    makeLoopback();
    ASSERT_EQ(stream.putBytes("tail", 4), 0);
    ASSERT_EQ(stream.pushBack("mid", 3), 0);
    uint8_t byte = 0;
    ASSERT_EQ(stream.getByte(byte), 0);
    EXPECT_EQ(byte, 'm');
    ASSERT_EQ(stream.pushBack("AB", 2), 0);
    EXPECT_EQ(stream.tell(), 0) << "look-ahead bytes are not stream positions";
    EXPECT_EQ(read(stream, 7), "ABidtai");
    EXPECT_EQ(stream.tell(), 3);
}

TEST_F(LinkStreamTest, MarkReturnsToSavedPositionWithItsLookAhead) {
    makeLoopback();
    ASSERT_EQ(stream.putBytes("0123456789", 10), 0);
    EXPECT_EQ(read(stream, 2), "01");
    ASSERT_EQ(stream.pushBack("xy", 2), 0);
    StreamMark mark;
    ASSERT_EQ(stream.saveMark(mark), 0);
    EXPECT_EQ(read(stream, 5), "xy234");
    ASSERT_EQ(stream.seekMark(mark), 0);
    EXPECT_EQ(read(stream, 10), "xy23456789");
    stream.releaseMark(mark);
}

TEST_F(LinkStreamTest, SeekMovesWithinKeptData) {
    makeLoopback();
    ASSERT_EQ(stream.putBytes("ab0123", 6), 0);
    EXPECT_EQ(read(stream, 2), "ab");
    stream.markDataStart();
    EXPECT_EQ(read(stream, 3), "012");
    ASSERT_EQ(stream.seek(1), 0);
    EXPECT_EQ(read(stream, 3), "123");
    EXPECT_EQ(stream.seek(100), QKERR_INCONSISTENT_DATA);
}

TEST_F(LinkStreamTest, RefillTakesEveryBlockTheDeviceHolds) {
    makeDevice();
    device.inputs = {{"ab", 0, QKERR_INPUT_PENDING}, {"cd", 0, 0}, {"ef", 0, 0}};
    ASSERT_EQ(stream.refill(), 0);
    EXPECT_EQ(stream.available(), 4u) << "the second block came within the same refill";
    EXPECT_EQ(read(stream, 6), "abcdef");
}

TEST_F(LinkStreamTest, DeviceAnswersBecomeLinkErrors) {
    struct Case {
        const char* name;
        ScriptedDevice::Input input;
        int expected;
    };
    const Case cases[] = {
        {"peer closed", {"", QKERR_PEER_CLOSED, 0}, QKERR_PEER_CLOSED},
        {"nothing to read", {"", QKERR_ABORTED, 0}, QKERR_ABORTED},
        {"other failure", {"", 3, 0}, QKERR_LINK_DIED},
        {"closed with no data", {"", 0, QKERR_PEER_CLOSED}, QKERR_PEER_CLOSED},
        {"odd input state", {"x", 0, 7}, QKERR_DESTROYED},
    };
    makeDevice();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.inputs = {c.input};
        EXPECT_EQ(stream.refill(), c.expected);
    }
}

TEST_F(LinkStreamTest, DataThatCameWithThePeersCloseIsReadBeforeTheClose) {
    makeDevice();
    // The device answers 11 once its buffered input is read: after the last block, and to every
    // later request.
    device.inputs = {{"la", 0, QKERR_INPUT_PENDING},
                     {"st", 0, QKERR_PEER_CLOSED},
                     {"", QKERR_PEER_CLOSED, 0},
                     {"", QKERR_PEER_CLOSED, 0}};
    ASSERT_EQ(stream.refill(), 0);
    EXPECT_EQ(read(stream, 8), "last") << "the bytes before the close were lost";
    EXPECT_EQ(stream.lastError(), QKERR_PEER_CLOSED);
    EXPECT_EQ(stream.refill(), QKERR_PEER_CLOSED);
}

TEST_F(LinkStreamTest, FlushWithoutFreeBufferReadsInputUntilOneComes) {
    makeDevice();
    device.buffersWithheld = 2;
    device.inputs = {{"ack1", 0, 0}, {"ack2", 0, 0}};
    ASSERT_EQ(stream.putBytes("data", 4), 0);
    ASSERT_EQ(stream.flush(), 0);
    EXPECT_EQ(device.sent, "data");
    EXPECT_TRUE(device.inputs.empty());
    EXPECT_EQ(read(stream, 8), "ack1ack2");
}

TEST_F(LinkStreamTest, DeviceWritesGoOutBufferByBuffer) {
    makeDevice();
    std::string data(150, 'q');
    ASSERT_EQ(stream.putBytes(data.data(), data.size()), 0);
    EXPECT_EQ(device.sent.size(), 128u) << "two full buffers went out";
    ASSERT_EQ(stream.flush(), 0);
    EXPECT_EQ(device.sent, data);
    EXPECT_EQ(link.bytesWritten(), 150);
}

TEST_F(LinkStreamTest, ReadFlushesPendingOutputBeforeWaitingForInput) {
    makeDevice();
    device.inputs = {{"answer", 0, 0}};
    ASSERT_EQ(stream.putBytes("question", 8), 0);
    EXPECT_EQ(read(stream, 6), "answer");
    EXPECT_EQ(device.sent, "question");
}

TEST_F(LinkStreamTest, PeekAsksTheDeviceWithoutWaiting) {
    makeDevice();
    EXPECT_EQ(stream.peekByte(), LinkStream::kNothingReady);
    device.ready = 1;
    device.inputs = {{"z", 0, 0}};
    EXPECT_EQ(stream.peekByte(), 'z');
    EXPECT_EQ(stream.available(), 1u);
}

} // namespace
} // namespace corvinet
