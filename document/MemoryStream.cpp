#include "document/MemoryStream.h"

#include <cstring>

namespace {
constexpr const char* kName = "memory stream";
}

MemoryStream::MemoryStream(void* block, int32_t size)
    : m_block(static_cast<const uint8_t*>(block)), m_writable(static_cast<uint8_t*>(block)),
      m_size(size > 0 ? size : 0) {}

MemoryStream::MemoryStream(const void* block, int32_t size)
    : m_block(static_cast<const uint8_t*>(block)), m_writable(nullptr),
      m_size(size > 0 ? size : 0) {}

int32_t MemoryStream::Write(const void* data, int32_t count) {
    RequireCount(kName, count);
    if (!m_writable || count > m_size - m_position) ThrowNoRoom(kName, m_position, count);
    if (count > 0) std::memcpy(m_writable + m_position, data, static_cast<size_t>(count));
    m_position += count;
    return count;
}

void MemoryStream::Read(void* data, int32_t count) {
    RequireCount(kName, count);
    if (count > m_size - m_position) ThrowEndOfFile(kName, m_position, count, m_size);
    if (count > 0) std::memcpy(data, m_block + m_position, static_cast<size_t>(count));
    m_position += count;
}

void MemoryStream::SetPosition(int32_t position) {
    if (position < 0) ThrowBadSeek(kName, position);
    if (position > m_size) ThrowEndOfFile(kName, position, 0, m_size);
    m_position = position;
}
