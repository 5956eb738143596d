#include "document/OutBuffer.h"

#include "document/ByteStream.h"

int32_t OutBuffer::Flush() {
    const int32_t written = m_stream.Write(m_buffer, m_count);
    m_flushed += m_count;
    m_count = 0;
    return written;
}
