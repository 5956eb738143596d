#pragma once

// Buffered text output to a byte stream, for the exporters and kernel input. Bytes reach the
// stream only in blocks of 1024 and at `Flush`; the owner flushes at the end of its output,
// nothing flushes on destruction. The stream is not owned.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class ByteStream;

// A byte of the text form that stands for what a face draws rather than for a character of the
// program's character set: a character of the math face, or the sign a big operator draws. The
// byte alone does not say which, so a buffer may note where each stands (`NoteSymbols`) for a
// reader that turns the text into the characters shown.
struct TextSymbol {
    enum class Kind : uint8_t { MathFace, BigOperator };
    int64_t offset = 0; // counted from the buffer's first byte
    Kind kind = Kind::MathFace;
};

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
    // Bytes in as large pieces as the buffer takes; the stream sees the same blocks as with
    // one `PutChar` per byte.
    void PutBytes(std::string_view bytes) {
        while (!bytes.empty()) {
            if (m_count == kSize) Flush();
            const size_t room = static_cast<size_t>(kSize - m_count);
            const size_t piece = bytes.size() < room ? bytes.size() : room;
            std::memcpy(m_buffer + m_count, bytes.data(), piece);
            m_count += static_cast<int32_t>(piece);
            bytes.remove_prefix(piece);
        }
    }
    void PutString(const char* text) { PutBytes(text); }
    // Writes the byte of a symbol (see `TextSymbol`), noting where it stands when asked to.
    void PutSymbol(uint8_t code, TextSymbol::Kind kind) {
        if (m_symbols != nullptr) m_symbols->push_back({m_flushed + m_count, kind});
        PutChar(code);
    }
    // Where `PutSymbol` writes from now on goes to `symbols`, in order; null notes nothing.
    void NoteSymbols(std::vector<TextSymbol>* symbols) { m_symbols = symbols; }
    // A carriage return alone, no line feed.
    void PutNewline() { PutChar(13); }
    // Writes the held bytes and empties the buffer; returns what the stream's write returned.
    int32_t Flush();

    int32_t GetCount() const { return m_count; }

private:
    ByteStream& m_stream;
    uint8_t m_buffer[kSize];
    int32_t m_count = 0;
    int64_t m_flushed = 0; // bytes handed to the stream so far
    std::vector<TextSymbol>* m_symbols = nullptr;
};
