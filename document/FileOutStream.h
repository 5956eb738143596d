#pragma once

// Writes a file through a block of its own, so that a save costs one system call per segment
// instead of one per value. Everything since the last Flush stays in the block, which is what
// lets the document stream move back and patch a length or a count; the save flushes only
// between top-level records, so every patch lands in the block.
//
// The block grows as the bytes come, up to a limit given at construction: the save writes a
// whole document through one block when it may take that much memory, and otherwise one
// segment at a time through a block as large as the largest segment.
//
// The file is the caller's. The destructor flushes what is left but cannot report a failure: a
// save calls Flush itself before it lets the stream go, and sees the error there.

#include "document/ByteStream.h"

#include <memory>

namespace platform {
class File;
}

class FileOutStream : public ByteStream {
public:
    // Moves the file to its start. The block never grows past `limit` bytes. A writer that
    // knows about how much it will write says so in `expected`, and the block is allocated at
    // once with room for that and a little more.
    FileOutStream(platform::File& file, int32_t limit, int32_t expected = 0);
    ~FileOutStream() override;

    // A write that would grow the block past its limit is refused (TooLarge); one whose block
    // cannot be allocated fails with std::bad_alloc. Either leaves the stream as it was.
    int32_t Write(const void* data, int32_t count) override;
    int32_t GetPosition() override { return m_bufferStart + m_count; }
    // Moves only within the block: back to patch, forward up to what was written.
    void SetPosition(int32_t position) override;
    int32_t GetSize() override;
    // Writes the block's bytes to the file and starts an empty block after them.
    int32_t Flush() override;
    // Forgets whatever is in the file and the block and starts again at the file's start, for a
    // writer that gave up half-way and tries another way.
    void Restart();

private:
    void Grow(int32_t needed);

    platform::File& m_file;
    std::unique_ptr<uint8_t[]> m_block;
    int32_t m_capacity = 0;    // bytes allocated for the block
    int32_t m_limit;           // the most the block may grow to
    int32_t m_firstBlock;      // what the block starts at
    int32_t m_bufferStart = 0; // file offset of m_block[0]
    int32_t m_count = 0;       // write position within the block
    int32_t m_filled = 0;      // bytes written into the block, at least m_count
};
