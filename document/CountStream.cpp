#include "document/CountStream.h"

#include <cstdint>
#include <limits>

namespace {
constexpr const char* kName = "counting stream";
}

int32_t CountStream::Write(const void*, int32_t count) {
    RequireCount(kName, count);
    const int64_t end = int64_t{GetPosition()} + count;
    if (end > std::numeric_limits<int32_t>::max()) ThrowNoRoom(kName, GetPosition(), count);
    m_current += count;
    return count;
}

void CountStream::SetPosition(int32_t position) {
    if (position < m_committed) ThrowBadSeek(kName, position);
    m_current = position - m_committed;
}

int32_t CountStream::GetSize() {
    Flush();
    return m_committed + m_current;
}

int32_t CountStream::Flush() {
    const int32_t segment = m_current;
    if (segment > m_largest) m_largest = segment;
    m_committed += segment;
    m_current = 0;
    return segment;
}
