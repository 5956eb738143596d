#pragma once

// An open file over a POSIX descriptor. The byte streams of the document read and write through
// it but never open or close it: whoever opens a File owns it and closes it.
//
// Every failure throws platform::FileException; only the destructor and Abort stay quiet, for the
// paths that are already unwinding from another failure.

#include <cstdint>
#include <string>

namespace platform {

class File {
public:
    enum class Mode {
        Read,      // an existing file, read only
        Create,    // created or emptied, read and write
        CreateNew, // created, read and write; fails (EEXIST) when the path exists
    };

    File() = default;
    File(const std::string& path, Mode mode) { Open(path, mode); }
    ~File() { Abort(); }

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    void Open(const std::string& path, Mode mode);
    bool IsOpen() const { return m_fd >= 0; }
    const std::string& GetFilePath() const { return m_path; }
    // For the calls this class does not wrap; the File keeps the descriptor.
    int GetDescriptor() const { return m_fd; }

    // Closes and reports a failure of the close itself (a delayed write error).
    void Close();
    // Closes without reporting anything; a file that is not open is left alone.
    void Abort() noexcept;

    // Reads up to `count` bytes at the current position; fewer only at the end of the file, 0
    // there.
    int64_t Read(void* data, int64_t count);
    // Writes all `count` bytes at the current position, or throws.
    void Write(const void* data, int64_t count);

    // Moves to `offset` bytes from the start and returns it.
    int64_t Seek(int64_t offset);
    int64_t GetPosition() const;
    int64_t GetLength() const;
    // Cuts or extends (with zero bytes) the file; the current position does not move.
    void SetLength(int64_t length);
    // Hands written data to the device, so that a save that returned has reached the disk.
    void Flush();

private:
    void RequireOpen(const char* operation) const;
    [[noreturn]] void ThrowErrno(const char* operation) const;

    int m_fd = -1;
    std::string m_path;
};

// The part of a path after its last "/" (the whole path when it has none).
std::string FileNameOf(const std::string& path);
// The part before its last "/": "." when it has none, "/" for a name at the root.
std::string FolderOf(const std::string& path);

} // namespace platform
