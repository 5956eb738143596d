#pragma once

// Writes a file through the caller's block, so that a save costs one system call per segment
// instead of one per value. Everything since the last Flush stays in the block, which is what
// lets the document stream move back and patch a length or a count; the save flushes only
// between top-level records, so every patch lands in the block.
//
// The file and the block are the caller's. The destructor flushes what is left but cannot report
// a failure: a save calls Flush itself before it lets the stream go, and sees the error there.

#include "document/ByteStream.h"

namespace platform {
class File;
}

class FileOutStream : public ByteStream {
public:
    // Moves the file to its start.
    FileOutStream(platform::File& file, void* block, int32_t capacity);
    ~FileOutStream() override;

    // A write that does not fit in what is left of the block is refused (TooLarge).
    int32_t Write(const void* data, int32_t count) override;
    int32_t GetPosition() override { return m_bufferStart + m_count; }
    // Moves only within the block: back to patch, forward up to what was written.
    void SetPosition(int32_t position) override;
    int32_t GetSize() override;
    // Writes the block's bytes to the file and starts an empty block after them.
    int32_t Flush() override;

private:
    platform::File& m_file;
    uint8_t* m_block;
    int32_t m_bufferStart = 0; // file offset of m_block[0]
    int32_t m_count = 0;       // write position within the block
    int32_t m_filled = 0;      // bytes written into the block, at least m_count
    int32_t m_capacity;
};
