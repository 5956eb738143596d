#pragma once

// Reads a file through a 64 KiB buffer, so that the document stream's many small values do not
// each cost a system call, and a whole document costs a few dozen. The file is the caller's: the
// stream neither opens nor closes it, and takes its length once, at construction.

#include "document/ByteStream.h"

#include <memory>

namespace platform {
class File;
}

class FileInStream : public ByteStream {
public:
    static constexpr int32_t kBufferSize = 64 * 1024;

    // Moves the file to its start and fills the buffer. A file larger than the format's 2 GiB
    // is refused (TooLarge).
    explicit FileInStream(platform::File& file);

    // A read that would pass the end of the file raises EndOfFile before copying anything.
    void Read(void* data, int32_t count) override;
    int32_t GetPosition() override { return m_bufferStart + m_position; }
    void SetPosition(int32_t position) override;
    int32_t GetSize() override { return m_fileLength; }

private:
    void Refill();

    platform::File& m_file;
    std::unique_ptr<uint8_t[]> m_buffer;
    int32_t m_bufferStart = 0; // file offset of m_buffer[0]
    int32_t m_position = 0;    // read position within the buffer
    int32_t m_filled = 0;      // valid bytes in the buffer
    int32_t m_fileLength = 0;
};
