#pragma once

// Failures of files, streams and memory travel as these exceptions, thrown by value and caught by
// reference. Whoever saves or loads a document catches `platform::Exception` and reports it; the
// layers in between pass them on untouched.

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace platform {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// A file or stream operation that failed: the cause says what kind of failure it was, the OS error
// (an errno value, -1 when the failure is not the operating system's) says why, and the message
// names the file or the stream offset involved.
class FileException : public Exception {
public:
    enum class Cause {
        Generic,          // an OS failure with no better class
        NotFound,         // no such file or folder
        BadPath,          // the path is malformed, too long or names a folder
        AccessDenied,     // permissions, a read-only file system
        TooManyOpenFiles, // the process or the system is out of descriptors
        DiskFull,         // no space or quota left
        BadSeek,          // a position before the start, or one the stream cannot move to
        HardIO,           // the device reported an I/O error
        EndOfFile,        // a read or seek past the end of the data
        BadFormat,        // the bytes are there but do not form a valid record (a damaged file)
        TooLarge,         // beyond what the format or the stream can hold
    };

    FileException(Cause cause, int osError, std::string message)
        : Exception(std::move(message)), m_cause(cause), m_osError(osError) {}

    // `operation` and `path` become the message: "cannot <operation> '<path>': <reason>".
    static FileException FromErrno(int error, const char* operation, const std::string& path);

    Cause GetCause() const { return m_cause; }
    int GetOsError() const { return m_osError; }

private:
    Cause m_cause;
    int m_osError;
};

// Memory that could not be had, for a block whose size the caller chose (the save's output block,
// a picture's bits). Ordinary allocations still throw std::bad_alloc.
class MemoryException : public Exception {
public:
    explicit MemoryException(std::string message) : Exception(std::move(message)) {}
};

} // namespace platform
