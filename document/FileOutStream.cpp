#include "document/FileOutStream.h"

#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {
constexpr const char* kName = "file output stream";
// The first block: large enough for a short document, small enough to waste nothing much.
constexpr int32_t kFirstBlock = 64 * 1024;
} // namespace

FileOutStream::FileOutStream(platform::File& file, int32_t limit, int32_t expected)
    : m_file(file), m_limit(std::max(limit, 0)),
      m_firstBlock(static_cast<int32_t>(std::min<int64_t>(
          std::max<int64_t>(kFirstBlock, expected + int64_t{expected} / 8), m_limit))) {
    m_file.Seek(0);
}

FileOutStream::~FileOutStream() {
    try {
        Flush();
    } catch (...) {
        // Nowhere to report from here; see the class comment.
    }
}

int32_t FileOutStream::Write(const void* data, int32_t count) {
    RequireCount(kName, count);
    if (count > m_limit - m_count ||
        int64_t{GetPosition()} + count > std::numeric_limits<int32_t>::max())
        ThrowNoRoom(kName, GetPosition(), count);
    if (count > m_capacity - m_count) Grow(m_count + count);
    if (count > 0) std::memcpy(m_block.get() + m_count, data, static_cast<size_t>(count));
    m_count += count;
    m_filled = std::max(m_filled, m_count);
    return count;
}

void FileOutStream::Grow(int32_t needed) {
    // Doubling keeps the copies of a growing block to about its final size in all. Fresh
    // memory costs a page fault per page touched, so a block allocated once, at about its final
    // size, is cheaper still.
    const int64_t preferred = m_capacity == 0 ? m_firstBlock : int64_t{m_capacity} * 2;
    const auto capacity =
        static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(preferred, needed), m_limit));
    // Short of memory, a block of just what is needed may still be had.
    int32_t size = capacity;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!block) {
        size = needed;
        block = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(size));
    }
    if (m_filled > 0) std::memcpy(block.get(), m_block.get(), static_cast<size_t>(m_filled));
    m_block = std::move(block);
    m_capacity = size;
}

void FileOutStream::SetPosition(int32_t position) {
    if (position < m_bufferStart || position > m_bufferStart + m_filled)
        ThrowBadSeek(kName, position);
    m_count = position - m_bufferStart;
}

int32_t FileOutStream::GetSize() {
    return static_cast<int32_t>(m_file.GetLength());
}

int32_t FileOutStream::Flush() {
    const int32_t segment = m_filled;
    if (segment > 0) {
        m_file.Write(m_block.get(), segment);
        m_bufferStart += segment;
        m_count = 0;
        m_filled = 0;
    }
    return segment;
}

void FileOutStream::Restart() {
    m_file.SetLength(0);
    m_file.Seek(0);
    m_bufferStart = 0;
    m_count = 0;
    m_filled = 0;
}
