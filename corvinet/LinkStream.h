#pragma once

// The byte layer between the token engines and the device plug-ins.
//
// Input: a link reads from a chain of blocks to which device input is appended. A link and its
// duplicates share one chain, each with its own read position, and so do marks; a block stays
// in memory while a reader or mark is positioned in it or before it. Output: a link writes into
// the output buffer that its device hands out; a loopback link (no device) writes into a buffer
// of its own whose contents are appended to its own chain on flush, so it reads back what it
// wrote.
//
// Errors are link error codes: QKERR_LINK_DIED, QKERR_OUT_OF_MEMORY, QKERR_PEER_CLOSED (the other
// side closed), QKERR_ABORTED (nothing to read), QKERR_DESTROYED (an unexpected device state), or
// the device's own answer to a send. The stream reports them; the link stores the first one.

#include "EnvMemory.h"
#include "LinkError.h"
#include "corvinet/device.h"

#include <cstdint>
#include <cstring>

namespace corvinet {

// One block of stream data; the data follows the record in the same allocation.
struct StreamBlock {
    StreamBlock* next = nullptr;
    int64_t start = 0;     // stream offset of the first data byte
    uint32_t length = 0;   // bytes of data
    uint32_t capacity = 0; // bytes of room for data
    int32_t pins = 0;      // readers and marks positioned in this block

    uint8_t* data() { return reinterpret_cast<uint8_t*>(this + 1); }
};

// The recycling pool of one link environment: blocks of the default size come back to one spare.
class StreamPool {
public:
    static constexpr uint32_t kBlockSize = 4096;

    explicit StreamPool(AllocatorPair memory) : m_memory(memory) {}
    ~StreamPool() { dropSpares(); }
    StreamPool(const StreamPool&) = delete;
    StreamPool& operator=(const StreamPool&) = delete;

    // A block for at least `capacity` bytes (the default size when smaller); null without memory.
    StreamBlock* take(uint32_t capacity = kBlockSize);
    void give(StreamBlock* block);
    // Frees the spare; the allocator cache calls it before its last retry.
    void dropSpares();

    const AllocatorPair& memory() const { return m_memory; }

private:
    AllocatorPair m_memory;
    StreamBlock* m_spare = nullptr;
};

// The input chain of a link and its duplicates. Counted: every reader and mark holds one
// reference; the last release returns every block and the chain itself to the pool.
class BlockChain {
public:
    // A chain with one empty block, so that every reader always has a current block; null when
    // memory runs out.
    static BlockChain* create(StreamPool& pool);

    void retain() { ++m_refs; }
    void release();

    // Appends `length` bytes; the count appended, short when memory ran out.
    std::size_t append(const uint8_t* bytes, std::size_t length);

    StreamBlock* head() const { return m_head; }
    StreamBlock* tail() const { return m_tail; }
    // Returns leading blocks that no reader or mark is positioned in (never the tail).
    void releaseFromHead();

private:
    explicit BlockChain(StreamPool& pool, StreamBlock* first)
        : m_pool(pool), m_head(first), m_tail(first) {}

    StreamPool& m_pool;
    int32_t m_refs = 1;
    StreamBlock* m_head;
    StreamBlock* m_tail;
};

// The device side of a link, shared by a link and its duplicates (counted by `refs`).
struct DeviceLink {
    // Current output buffer: bytes go to [cursor, limit); [start, cursor) is pending.
    uint8_t* start = nullptr;
    uint8_t* cursor = nullptr;
    uint8_t* limit = nullptr;
    int64_t flushed = 0;             // bytes handed on since establish, pending ones not included
    DeviceMainProc device = nullptr; // none for a loopback link
    DeviceStream* deviceStream = nullptr;
    int32_t refs = 1;
    // An urgent message kept for a link without a device.
    int32_t messageCode = 0;
    int32_t messageParameter = 0;
    BlockChain* chain = nullptr; // input; one reference held by the record
    uint8_t* loopbackBuffer = nullptr;
    AllocatorPair memory;

    static constexpr int32_t kLoopbackBufferSize = 2048;

    int32_t pending() const { return static_cast<int32_t>(cursor - start); }
    int64_t bytesWritten() const { return flushed + pending(); }

    // Hands the pending bytes on: to the device, or, without one, to the own chain.
    LinkError flush();
    // Brings input from the device into the chain; without a device, flushes pending loopback
    // output or answers QKERR_ABORTED when there is none.
    LinkError refill();
};

// A saved read position (for marks): it pins its block, so the data after it stays.
struct StreamMark {
    StreamBlock* block = nullptr;
    uint32_t offset = 0;
    uint8_t* lookahead = nullptr; // a copy of unread look-ahead bytes, or none
    uint32_t lookaheadLength = 0;
};

// The read and write side of one link. Not copyable: a duplicate is made with duplicateFrom.
class LinkStream {
public:
    static constexpr int kNothingReady = -1;
    static constexpr int kFailed = -2;

    LinkStream() = default;
    ~LinkStream() { close(); }
    LinkStream(const LinkStream&) = delete;
    LinkStream& operator=(const LinkStream&) = delete;

    // Starts reading at the beginning of the device link's chain; the link keeps `device`.
    void open(DeviceLink* device);
    // Starts reading where `other` reads, on the same chain and device link, with a copy of its
    // unread look-ahead. 0, or QKERR_OUT_OF_MEMORY when that copy fails.
    LinkError duplicateFrom(const LinkStream& other);
    void close();
    DeviceLink* deviceLink() const { return m_device; }

    // ---- Reading ------------------------------------------------------------------------------
    // One byte, waiting for the device when needed. 0, or the error.
    LinkError getByte(uint8_t& byte) {
        if (m_cursor != m_end) {
            byte = *m_cursor++;
            return 0;
        }
        return getByteSlow(byte);
    }
    // The next byte without consuming it and without waiting: the byte, kNothingReady, or
    // kFailed with the error in lastError().
    int peekByte();
    // Up to `count` bytes, waiting as getByte does; the count read (short: see lastError()).
    std::size_t getBytes(void* out, std::size_t count) {
        // (count - 1 wraps for 0, which the slow path answers without touching memory)
        if (count - 1 >= static_cast<std::size_t>(m_end - m_cursor))
            return getBytesSlow(out, count);
        std::memcpy(out, m_cursor, count);
        m_cursor += count;
        return count;
    }
    // The bytes that lie ready in memory at the read position, for a reader that takes a whole
    // token at once: where they start, with `count` how many (0 at the end of the current
    // block; nothing is asked of the device).
    const uint8_t* readable(std::size_t& count) const {
        count = static_cast<std::size_t>(m_end - m_cursor);
        return m_cursor;
    }
    // Moves the read position past `count` of the bytes that readable() showed.
    void consume(std::size_t count) { m_cursor += count; }
    // Bytes readable now without asking the device (pending loopback output is flushed first).
    std::size_t available();
    // The error of the last failed read.
    LinkError lastError() const { return m_lastError; }

    // Inserts bytes to be read before everything else (look-ahead). 0, or QKERR_OUT_OF_MEMORY.
    LinkError pushBack(const void* bytes, std::size_t count);

    // ---- Writing ------------------------------------------------------------------------------
    LinkError putByte(uint8_t byte) {
        DeviceLink& d = *m_device;
        if (d.cursor != d.limit) {
            *d.cursor++ = byte;
            return 0;
        }
        return putByteSlow(byte);
    }
    LinkError putBytes(const void* bytes, std::size_t count) {
        DeviceLink& d = *m_device;
        if (count - 1 >= static_cast<std::size_t>(d.limit - d.cursor))
            return putBytesSlow(bytes, count);
        std::memcpy(d.cursor, bytes, count);
        d.cursor += count;
        return 0;
    }
    // Room for `count` bytes at once at the write position, for a writer that puts a whole token
    // at once; null when the output buffer has less (write through putBytes then). commit()
    // moves the write position to the end of what was written there.
    uint8_t* writable(std::size_t count) {
        DeviceLink& d = *m_device;
        return static_cast<std::size_t>(d.limit - d.cursor) >= count ? d.cursor : nullptr;
    }
    void commit(uint8_t* end) { m_device->cursor = end; }
    LinkError flush() { return m_device->flush(); }
    LinkError refill() { return m_device->refill(); }

    // ---- Position -----------------------------------------------------------------------------
    // Where data after the negotiation begins: offsets below count from here.
    void markDataStart() { m_dataStart = chainOffset(); }
    int64_t tell() const { return chainOffset() - m_dataStart; }
    // Moves the read position to `offset` (dropping look-ahead); 0, or QKERR_INCONSISTENT_DATA when
    // the data there is gone or has not arrived.
    LinkError seek(int64_t offset);

    // ---- Marks --------------------------------------------------------------------------------
    // Saves the read position into `mark` (QKERR_OUT_OF_MEMORY when the look-ahead copy fails).
    LinkError saveMark(StreamMark& mark);
    // Returns to a saved position; the mark stays valid.
    LinkError seekMark(const StreamMark& mark);
    void releaseMark(StreamMark& mark);

private:
    LinkError getByteSlow(uint8_t& byte);
    std::size_t getBytesSlow(void* out, std::size_t count);
    LinkError putByteSlow(uint8_t byte);
    LinkError putBytesSlow(const void* bytes, std::size_t count);
    // Makes data available at the cursor from what the chain already holds; false at its end.
    bool advance();
    void leaveLookahead();
    void moveTo(StreamBlock* block, uint32_t offset);
    int64_t chainOffset() const;
    LinkError fail(LinkError error) {
        m_lastError = error;
        return error;
    }

    DeviceLink* m_device = nullptr;
    StreamBlock* m_block = nullptr; // pinned block of the chain position
    const uint8_t* m_cursor = nullptr;
    const uint8_t* m_end = nullptr;
    // While look-ahead bytes are read, the chain position waits here.
    bool m_inLookahead = false;
    const uint8_t* m_chainCursor = nullptr;
    uint8_t* m_lookahead = nullptr;
    std::size_t m_lookaheadCapacity = 0;
    int64_t m_dataStart = 0;
    LinkError m_lastError;
};

} // namespace corvinet
