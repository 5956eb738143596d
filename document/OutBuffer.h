#pragma once

// Buffered text output to a byte stream, for the exporters and kernel input. Bytes reach the
// stream only in blocks of 1024 and at `Flush`; the owner flushes at the end of its output,
// nothing flushes on destruction. The stream is not owned.

#include <cstdint>

class ByteStream;

class OutBuffer {
public:
    static constexpr int32_t kSize = 1024;

    explicit OutBuffer(ByteStream& stream) : m_stream(stream) {}
    OutBuffer(const OutBuffer&) = delete;
    OutBuffer& operator=(const OutBuffer&) = delete;

    void PutChar(uint8_t byte) {
        if (m_count == kSize) Flush();
        m_buffer[m_count++] = byte;
    }
    void PutString(const char* text) {
        while (*text != '\0')
            PutChar(static_cast<uint8_t>(*text++));
    }
    // A carriage return alone, no line feed.
    void PutNewline() { PutChar(13); }
    // Writes the held bytes and empties the buffer; returns what the stream's write returned.
    int32_t Flush();

    int32_t GetCount() const { return m_count; }

private:
    ByteStream& m_stream;
    uint8_t m_buffer[kSize];
    int32_t m_count = 0;
};
