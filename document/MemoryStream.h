#pragma once

// A stream over a caller's block of memory, which it neither owns nor grows: the clipboard
// writes its private format into a block sized by a counting pass and reads it back from there.
// Reading past the block is end of file; writing past it is refused.

#include "document/ByteStream.h"

class MemoryStream : public ByteStream {
public:
    MemoryStream(void* block, int32_t size);
    // Read only: every write is refused.
    MemoryStream(const void* block, int32_t size);

    int32_t Write(const void* data, int32_t count) override;
    void Read(void* data, int32_t count) override;
    int32_t GetPosition() override { return m_position; }
    void SetPosition(int32_t position) override;
    int32_t GetSize() override { return m_size; }

private:
    const uint8_t* m_block;
    uint8_t* m_writable; // the same block, or null for a read-only stream
    int32_t m_position = 0;
    int32_t m_size;
};
