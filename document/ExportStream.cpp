#include "document/ExportStream.h"

#include "platform/File.h"

#include <limits>
#include <stdexcept>

namespace {
constexpr const char* kName = "export stream";
}

ExportStream::ExportStream(platform::File& file, int32_t initialLength, int32_t step)
    : m_file(file), m_step(step) {
    if (step < 1 || initialLength < 0)
        throw std::invalid_argument("export stream needs a positive step and length");
    m_file.SetLength(initialLength);
    m_allocated = initialLength;
    m_file.Seek(0);
}

ExportStream::~ExportStream() {
    try {
        Flush();
    } catch (...) {
        // Nowhere to report from here; see the class comment.
    }
}

int32_t ExportStream::Write(const void* data, int32_t count) {
    RequireCount(kName, count);
    const int64_t end = int64_t{m_written} + count;
    if (end > std::numeric_limits<int32_t>::max()) ThrowNoRoom(kName, m_written, count);
    if (end > m_allocated) {
        // Whole steps: as many as the shortfall holds, and one more when that is still short.
        int64_t allocated = m_allocated + (end - m_allocated) / m_step * m_step;
        if (allocated < end) allocated += m_step;
        if (allocated > std::numeric_limits<int32_t>::max()) allocated = end;
        // Changing the length leaves the file's position where it is.
        m_file.SetLength(allocated);
        m_allocated = static_cast<int32_t>(allocated);
    }
    m_file.Write(data, count);
    m_written = static_cast<int32_t>(end);
    return count;
}

int32_t ExportStream::GetSize() {
    return static_cast<int32_t>(m_file.GetLength());
}

int32_t ExportStream::Flush() {
    if (m_allocated != m_written) {
        m_file.SetLength(m_written);
        m_allocated = m_written;
    }
    return m_written;
}
