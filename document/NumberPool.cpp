#include "document/NumberPool.h"

#include "document/DocStream.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

int32_t NumberPool::Take() {
    if (!m_free.empty()) {
        const int32_t n = m_free.back();
        m_free.pop_back();
        return n;
    }
    return TakeNew();
}

int32_t NumberPool::TakeNew() {
    if (m_highest == std::numeric_limits<int32_t>::max())
        throw std::overflow_error("number pool: no numbers left");
    return ++m_highest;
}

void NumberPool::Release(int32_t n) {
    m_free.push_back(n);
}

void NumberPool::Withdraw(int32_t n) {
    m_free.erase(std::remove(m_free.begin(), m_free.end(), n), m_free.end());
}

int32_t NumberPool::Reserve(int32_t n) {
    if (n > m_highest) m_highest = n;
    return n;
}

int32_t NumberPool::GetStreamSize() const {
    return static_cast<int32_t>(8 + 4 * m_free.size());
}

void NumberPool::Write(DocStream& stream) const {
    stream.WriteLong(m_highest);
    stream.WriteLong(static_cast<int32_t>(m_free.size()));
    for (int32_t n : m_free)
        stream.WriteLong(n);
}

void NumberPool::Read(DocStream& stream) {
    const int32_t highest = stream.ReadLong();
    const int32_t count = stream.ReadLong();
    if (count < 0) stream.Fail();
    stream.RequireBytes(4 * static_cast<int64_t>(count));
    std::vector<int32_t> free;
    free.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        free.push_back(stream.ReadLong());
    // A negative highest number can only be damage; fresh numbers must stay positive.
    m_highest = std::max(highest, 0);
    m_free = std::move(free);
}
