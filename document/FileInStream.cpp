#include "document/FileInStream.h"

#include "platform/File.h"

#include <cstring>
#include <limits>

namespace {
constexpr const char* kName = "file input stream";
}

FileInStream::FileInStream(platform::File& file)
    : m_file(file), m_buffer(std::make_unique_for_overwrite<uint8_t[]>(kBufferSize)) {
    const int64_t length = m_file.GetLength();
    if (length > std::numeric_limits<int32_t>::max()) ThrowNoRoom(kName, 0, length);
    m_fileLength = static_cast<int32_t>(length);
    m_file.Seek(0);
    Refill();
}

void FileInStream::Refill() {
    m_bufferStart += m_filled;
    m_filled = static_cast<int32_t>(m_file.Read(m_buffer.get(), kBufferSize));
    m_position = 0;
}

void FileInStream::Read(void* data, int32_t count) {
    RequireCount(kName, count);
    if (int64_t{GetPosition()} + count > m_fileLength)
        ThrowEndOfFile(kName, GetPosition(), count, m_fileLength);
    auto* out = static_cast<uint8_t*>(data);
    while (count > m_filled - m_position) {
        const int32_t held = m_filled - m_position;
        std::memcpy(out, m_buffer.get() + m_position, static_cast<size_t>(held));
        out += held;
        count -= held;
        Refill();
        // The file shrank under us since its length was taken: stop rather than spin.
        if (m_filled == 0) ThrowEndOfFile(kName, GetPosition(), count, GetPosition());
    }
    if (count > 0) std::memcpy(out, m_buffer.get() + m_position, static_cast<size_t>(count));
    m_position += count;
}

void FileInStream::SetPosition(int32_t position) {
    if (position >= m_bufferStart && position < m_bufferStart + m_filled) {
        m_position = position - m_bufferStart;
        return;
    }
    if (position < 0) ThrowBadSeek(kName, position);
    if (position > m_fileLength) ThrowEndOfFile(kName, position, 0, m_fileLength);
    m_file.Seek(position);
    m_bufferStart = position;
    m_filled = 0;
    Refill();
}
