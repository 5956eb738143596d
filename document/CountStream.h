#pragma once

// Measures what a writer would produce without storing it: a block can be sized before anything
// is written into it (the clipboard's copy), and a dry run writes nowhere. It also reports the
// largest segment (Flush ends a segment; a segmented save flushes after the header and after
// every paragraph), which is the least block a segmented save can be written through.
//
// Like the file output stream, it refuses to move back before the last Flush, so a pass that
// counts without error also fits a segmented writer's block.

#include "document/ByteStream.h"

class CountStream : public ByteStream {
public:
    int32_t Write(const void* data, int32_t count) override;
    int32_t GetPosition() override { return m_committed + m_current; }
    void SetPosition(int32_t position) override;
    // Ends the current segment, then answers the whole size.
    int32_t GetSize() override;
    // Ends the current segment and returns its size.
    int32_t Flush() override;

    int32_t GetLargest() const { return m_largest; }

private:
    int32_t m_current = 0;   // bytes since the last Flush
    int32_t m_largest = 0;   // the largest segment ended so far
    int32_t m_committed = 0; // bytes before the current segment
};
