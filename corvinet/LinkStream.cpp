#include "LinkStream.h"

#include <algorithm>
#include <cstring>

namespace corvinet {

// ---- StreamPool ---------------------------------------------------------------------------------

StreamBlock* StreamPool::take(uint32_t capacity) {
    capacity = std::max(capacity, kBlockSize);
    StreamBlock* block = nullptr;
    if (capacity == kBlockSize && m_spare) {
        block = m_spare;
        m_spare = nullptr;
    } else {
        void* memory = m_memory.get(sizeof(StreamBlock) + capacity);
        if (!memory) return nullptr;
        block = static_cast<StreamBlock*>(memory);
    }
    *block = StreamBlock{};
    block->capacity = capacity;
    return block;
}

void StreamPool::give(StreamBlock* block) {
    if (!block) return;
    if (!m_spare && block->capacity == kBlockSize)
        m_spare = block;
    else
        m_memory.put(block);
}

void StreamPool::dropSpares() {
    m_memory.put(m_spare);
    m_spare = nullptr;
}

// ---- BlockChain ---------------------------------------------------------------------------------

BlockChain* BlockChain::create(StreamPool& pool) {
    StreamBlock* first = pool.take();
    if (!first) return nullptr;
    BlockChain* chain = pool.memory().make<BlockChain>(BlockChain(pool, first));
    if (!chain) pool.give(first);
    return chain;
}

void BlockChain::release() {
    if (--m_refs > 0) return;
    for (StreamBlock* block = m_head; block;) {
        StreamBlock* next = block->next;
        m_pool.give(block);
        block = next;
    }
    m_pool.memory().destroy(this);
}

std::size_t BlockChain::append(const uint8_t* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        if (m_tail->length == m_tail->capacity) {
            StreamBlock* block = m_pool.take();
            if (!block) break;
            block->start = m_tail->start + m_tail->length;
            m_tail->next = block;
            m_tail = block;
        }
        std::size_t piece = std::min<std::size_t>(length - done, m_tail->capacity - m_tail->length);
        std::memcpy(m_tail->data() + m_tail->length, bytes + done, piece);
        m_tail->length += static_cast<uint32_t>(piece);
        done += piece;
    }
    return done;
}

void BlockChain::releaseFromHead() {
    while (m_head != m_tail && m_head->pins <= 0) {
        StreamBlock* next = m_head->next;
        m_pool.give(m_head);
        m_head = next;
    }
}

// ---- DeviceLink ---------------------------------------------------------------------------------

LinkError DeviceLink::flush() {
    int32_t filled = pending();
    if (filled == 0) return 0;
    flushed += filled;
    if (!device) {
        if (chain->append(start, static_cast<std::size_t>(filled)) !=
            static_cast<std::size_t>(filled))
            return QKERR_OUT_OF_MEMORY;
        cursor = start;
        return 0;
    }
    uint8_t* buffer = start;
    int32_t size = filled;
    if (int answer = device(deviceStream, DEVICE_PUTOUTBUF, &buffer, &size)) return answer;
    // All of the device's buffers are in flight: its peer's acknowledgements arrive as input.
    while (!buffer) {
        if (const LinkError error = refill()) return error;
        size = 0;
        if (int answer = device(deviceStream, DEVICE_GETOUTBUF, &buffer, &size)) return answer;
    }
    start = cursor = buffer;
    limit = buffer + std::max(size, 0);
    return 0;
}

LinkError DeviceLink::refill() {
    if (!device) return pending() == 0 ? QKERR_ABORTED : flush();
    for (bool appended = false;;) {
        const uint8_t* block = nullptr;
        int32_t length = 0;
        int answer = device(deviceStream, DEVICE_GETINBLOCK, &block, &length);
        if (answer == QKERR_PEER_CLOSED || answer == QKERR_ABORTED) return answer;
        if (answer != 0) return QKERR_LINK_DIED;
        if (length > 0 && block) {
            if (chain->append(block, static_cast<std::size_t>(length)) !=
                static_cast<std::size_t>(length))
                return QKERR_OUT_OF_MEMORY;
            appended = true;
        }
        switch (device(deviceStream, DEVICE_INPUTSTATE, nullptr, nullptr)) {
        case 0:
            return 0;
        case QKERR_INPUT_PENDING:
            continue;
        case QKERR_PEER_CLOSED:
            // The peer's last data often comes in the same read as its close: the data is read
            // first, and the next refill, finding nothing more, reports the close.
            return appended ? 0 : QKERR_PEER_CLOSED;
        default:
            return QKERR_DESTROYED;
        }
    }
}

// ---- LinkStream ---------------------------------------------------------------------------------

void LinkStream::open(DeviceLink* device) {
    close();
    m_device = device;
    device->chain->retain();
    moveTo(device->chain->head(), 0);
}

LinkError LinkStream::duplicateFrom(const LinkStream& other) {
    close();
    m_device = other.m_device;
    m_device->chain->retain();
    uint32_t offset = static_cast<uint32_t>(
        (other.m_inLookahead ? other.m_chainCursor : other.m_cursor) - other.m_block->data());
    moveTo(other.m_block, offset);
    m_dataStart = other.m_dataStart;
    if (!other.m_inLookahead) return 0;
    return pushBack(other.m_cursor, static_cast<std::size_t>(other.m_end - other.m_cursor));
}

void LinkStream::close() {
    if (!m_device) return;
    const AllocatorPair memory = m_device->memory;
    memory.put(m_lookahead);
    m_lookahead = nullptr;
    m_lookaheadCapacity = 0;
    m_inLookahead = false;
    BlockChain* chain = m_device->chain;
    --m_block->pins;
    chain->releaseFromHead();
    chain->release();
    m_block = nullptr;
    m_cursor = m_end = nullptr;
    m_device = nullptr;
}

void LinkStream::moveTo(StreamBlock* block, uint32_t offset) {
    ++block->pins;
    if (m_block) --m_block->pins;
    m_block = block;
    m_cursor = block->data() + offset;
    m_end = block->data() + block->length;
    m_device->chain->releaseFromHead();
}

int64_t LinkStream::chainOffset() const {
    if (!m_block) return 0;
    const uint8_t* at = m_inLookahead ? m_chainCursor : m_cursor;
    return m_block->start + (at - m_block->data());
}

void LinkStream::leaveLookahead() {
    m_inLookahead = false;
    m_cursor = m_chainCursor;
    m_end = m_block->data() + m_block->length;
}

bool LinkStream::advance() {
    if (m_inLookahead) {
        if (m_cursor != m_end) return true;
        leaveLookahead();
    }
    m_end = m_block->data() + m_block->length;
    while (m_cursor == m_end && m_block->next)
        moveTo(m_block->next, 0);
    return m_cursor != m_end;
}

LinkError LinkStream::getByteSlow(uint8_t& byte) {
    for (;;) {
        if (advance()) {
            byte = *m_cursor++;
            return 0;
        }
        if (const LinkError error =
                m_device->pending() > 0 ? m_device->flush() : m_device->refill())
            return fail(error);
    }
}

int LinkStream::peekByte() {
    for (;;) {
        if (advance()) return *m_cursor;
        if (m_device->device) {
            int32_t ready = 0;
            int answer =
                m_device->device(m_device->deviceStream, DEVICE_READYCOUNT, nullptr, &ready);
            if (answer != 0) {
                m_lastError = answer == QKERR_PEER_CLOSED ? answer : QKERR_LINK_DIED;
                return kFailed;
            }
            if (!ready) return kNothingReady;
        } else if (m_device->pending() == 0) {
            return kNothingReady;
        }
        if (const LinkError error = m_device->refill()) {
            m_lastError = error;
            return kFailed;
        }
    }
}

std::size_t LinkStream::getBytesSlow(void* out, std::size_t count) {
    auto* to = static_cast<uint8_t*>(out);
    std::size_t done = 0;
    while (done < count) {
        if (m_cursor == m_end) {
            uint8_t byte;
            if (getByteSlow(byte) != 0) break;
            to[done++] = byte;
            continue;
        }
        std::size_t piece = std::min<std::size_t>(count - done, m_end - m_cursor);
        std::memcpy(to + done, m_cursor, piece);
        m_cursor += piece;
        done += piece;
    }
    return done;
}

std::size_t LinkStream::available() {
    if (!m_device->device && m_device->pending() > 0 && m_device->flush() != 0) return 0;
    std::size_t count = 0;
    const uint8_t* at = m_cursor;
    if (m_inLookahead) {
        count = static_cast<std::size_t>(m_end - m_cursor);
        at = m_chainCursor;
    }
    count += m_block->length - static_cast<std::size_t>(at - m_block->data());
    for (StreamBlock* block = m_block->next; block; block = block->next)
        count += block->length;
    return count;
}

LinkError LinkStream::pushBack(const void* bytes, std::size_t count) {
    if (count == 0) return 0;
    std::size_t unread = m_inLookahead ? static_cast<std::size_t>(m_end - m_cursor) : 0;
    std::size_t total = count + unread;
    uint8_t* buffer = m_lookahead;
    if (total > m_lookaheadCapacity || m_inLookahead) {
        // A fresh buffer when the old one still holds the unread bytes that go after the new.
        std::size_t capacity = std::max<std::size_t>(total, 64);
        buffer = static_cast<uint8_t*>(m_device->memory.get(capacity));
        if (!buffer) return QKERR_OUT_OF_MEMORY;
        if (unread) std::memcpy(buffer + count, m_cursor, unread);
        m_device->memory.put(m_lookahead);
        m_lookahead = buffer;
        m_lookaheadCapacity = capacity;
    }
    std::memcpy(buffer, bytes, count);
    if (!m_inLookahead) {
        m_chainCursor = m_cursor;
        m_inLookahead = true;
    }
    m_cursor = buffer;
    m_end = buffer + total;
    return 0;
}

LinkError LinkStream::putByteSlow(uint8_t byte) {
    if (const LinkError error = m_device->flush()) return error;
    if (m_device->cursor == m_device->limit) return QKERR_LINK_DIED;
    *m_device->cursor++ = byte;
    return 0;
}

LinkError LinkStream::putBytesSlow(const void* bytes, std::size_t count) {
    auto* from = static_cast<const uint8_t*>(bytes);
    DeviceLink& d = *m_device;
    while (count > 0) {
        if (d.cursor == d.limit) {
            if (const LinkError error = d.flush()) return error;
            if (d.cursor == d.limit) return QKERR_LINK_DIED;
        }
        std::size_t piece = std::min<std::size_t>(count, d.limit - d.cursor);
        std::memcpy(d.cursor, from, piece);
        d.cursor += piece;
        from += piece;
        count -= piece;
    }
    return 0;
}

LinkError LinkStream::seek(int64_t offset) {
    int64_t target = offset + m_dataStart;
    StreamBlock* block = m_device->chain->head();
    if (target < block->start) return QKERR_INCONSISTENT_DATA;
    while (block && target > block->start + block->length)
        block = block->next;
    if (!block) return QKERR_INCONSISTENT_DATA;
    if (m_inLookahead) leaveLookahead();
    moveTo(block, static_cast<uint32_t>(target - block->start));
    return 0;
}

LinkError LinkStream::saveMark(StreamMark& mark) {
    mark = StreamMark{};
    if (m_inLookahead && m_cursor != m_end) {
        auto length = static_cast<uint32_t>(m_end - m_cursor);
        mark.lookahead = static_cast<uint8_t*>(m_device->memory.get(length));
        if (!mark.lookahead) return QKERR_OUT_OF_MEMORY;
        std::memcpy(mark.lookahead, m_cursor, length);
        mark.lookaheadLength = length;
    }
    mark.block = m_block;
    mark.offset =
        static_cast<uint32_t>((m_inLookahead ? m_chainCursor : m_cursor) - m_block->data());
    ++m_block->pins;
    m_device->chain->retain();
    return 0;
}

LinkError LinkStream::seekMark(const StreamMark& mark) {
    if (m_inLookahead) leaveLookahead();
    moveTo(mark.block, mark.offset);
    return pushBack(mark.lookahead, mark.lookaheadLength);
}

void LinkStream::releaseMark(StreamMark& mark) {
    if (!mark.block) return;
    m_device->memory.put(mark.lookahead);
    --mark.block->pins;
    m_device->chain->releaseFromHead();
    m_device->chain->release();
    mark = StreamMark{};
}

} // namespace corvinet
