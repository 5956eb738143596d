#pragma once

// Writes an export file straight through, growing the file in whole steps ahead of the data so
// that its length is not changed at every write, and cutting it to the bytes written at the end.
// The position only moves forward.
//
// The file is the caller's. Flush cuts the file to what was written and reports a failure; the
// destructor does the same quietly, for the paths that are already unwinding.

#include "document/ByteStream.h"

namespace platform {
class File;
}

class ExportStream : public ByteStream {
public:
    // Sets the file's length to `initialLength` and moves it to its start. `step` must be
    // positive.
    ExportStream(platform::File& file, int32_t initialLength, int32_t step);
    ~ExportStream() override;

    int32_t Write(const void* data, int32_t count) override;
    int32_t GetPosition() override { return m_written; }
    void SetPosition(int32_t) override {}
    int32_t GetSize() override;
    int32_t Flush() override;

private:
    platform::File& m_file;
    int32_t m_written = 0;   // bytes written, which is also the position
    int32_t m_allocated = 0; // the file's length as set so far
    int32_t m_step;
};
