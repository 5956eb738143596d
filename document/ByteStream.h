#pragma once

// The small abstract byte sink and source under the document stream, the text output buffer,
// the exporters and the clipboard. Positions and counts are signed 32-bit, as the file format's
// offsets are; a stream never moves before its start.
//
// Failures are platform::FileException: EndOfFile for a read or seek past the data, TooLarge for
// a write that a stream has no room for, and the file's own errors passed through unchanged.

#include <cstdint>

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Appends or overwrites `count` bytes at the current position; returns the count written.
    virtual int32_t Write(const void* data, int32_t count);
    // Reads exactly `count` bytes at the current position.
    virtual void Read(void* data, int32_t count);
    virtual int32_t GetPosition();
    virtual void SetPosition(int32_t position);
    virtual int32_t GetSize() = 0;
    // Ends a segment or hands buffered bytes on; what it returns is the stream's own business.
    virtual int32_t Flush();

    void WriteByte(uint8_t value) { Write(&value, 1); }
    uint8_t ReadByte();
    // Four bytes, little-endian whatever the machine.
    int32_t ReadLong();

protected:
    // The failures every concrete stream shares; each message names the stream and the offset.
    [[noreturn]] static void ThrowEndOfFile(const char* stream, int64_t position, int64_t count,
                                            int64_t size);
    [[noreturn]] static void ThrowNoRoom(const char* stream, int64_t position, int64_t count);
    [[noreturn]] static void ThrowBadSeek(const char* stream, int64_t position);
    // Counts come from callers that may have read them from a damaged file.
    static void RequireCount(const char* stream, int32_t count);
};
