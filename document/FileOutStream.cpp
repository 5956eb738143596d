#include "document/FileOutStream.h"

#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
constexpr const char* kName = "file output stream";
}

FileOutStream::FileOutStream(platform::File& file, void* block, int32_t capacity)
    : m_file(file), m_block(static_cast<uint8_t*>(block)), m_capacity(std::max(capacity, 0)) {
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
    if (count > m_capacity - m_count ||
        int64_t{GetPosition()} + count > std::numeric_limits<int32_t>::max())
        ThrowNoRoom(kName, GetPosition(), count);
    if (count > 0) std::memcpy(m_block + m_count, data, static_cast<size_t>(count));
    m_count += count;
    m_filled = std::max(m_filled, m_count);
    return count;
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
        m_file.Write(m_block, segment);
        m_bufferStart += segment;
        m_count = 0;
        m_filled = 0;
    }
    return segment;
}
