#include "platform/File.h"

#include "platform/Exceptions.h"
#include "platform/FileFaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Abort();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

void File::Open(const std::string& path, Mode mode) {
    Abort();
    const int flags = mode == Mode::Read     ? O_RDONLY
                      : mode == Mode::Create ? O_RDWR | O_CREAT | O_TRUNC
                                             : O_RDWR | O_CREAT | O_EXCL;
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw FileException::FromErrno(errno, "open", path);
    m_fd = fd;
    m_path = path;

    // A folder opens for reading on Linux and fails only at the first read; refuse it here.
    struct stat info;
    if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        Abort();
        throw FileException::FromErrno(EISDIR, "open", path);
    }
}

void File::Close() {
    if (m_fd < 0) return;
    // The descriptor is gone after close() whatever it returns; never retry it.
    const int result = ::close(std::exchange(m_fd, -1));
    if (result != 0 && errno != EINTR) throw FileException::FromErrno(errno, "close", m_path);
}

void File::Abort() noexcept {
    if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

int64_t File::Read(void* data, int64_t count) {
    RequireOpen("read");
    auto* out = static_cast<char*>(data);
    int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, out + done, static_cast<size_t>(count - done));
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("read");
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

void File::Write(const void* data, int64_t count) {
    RequireOpen("write");
    CheckFileFault(FilePoint::Write, m_path);
    const auto* in = static_cast<const char*>(data);
    int64_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_fd, in + done, static_cast<size_t>(count - done));
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("write");
        }
        // A regular file that accepts nothing is full even when the kernel says no more.
        if (put == 0) throw FileException::FromErrno(ENOSPC, "write", m_path);
        done += put;
    }
}

int64_t File::Seek(int64_t offset) {
    RequireOpen("seek");
    if (offset < 0)
        throw FileException(FileException::Cause::BadSeek, -1,
                            "cannot seek '" + m_path + "' before its start");
    const off_t at = ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET);
    if (at < 0) ThrowErrno("seek");
    return at;
}

int64_t File::GetPosition() const {
    RequireOpen("seek");
    const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
    if (at < 0) ThrowErrno("seek");
    return at;
}

int64_t File::GetLength() const {
    RequireOpen("measure");
    struct stat info;
    if (::fstat(m_fd, &info) != 0) ThrowErrno("measure");
    return info.st_size;
}

void File::SetLength(int64_t length) {
    RequireOpen("resize");
    if (length < 0)
        throw FileException(FileException::Cause::BadSeek, -1,
                            "cannot give '" + m_path + "' a negative length");
    int result;
    do {
        result = ::ftruncate(m_fd, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0) ThrowErrno("resize");
}

void File::Flush() {
    RequireOpen("flush");
    CheckFileFault(FilePoint::Flush, m_path);
    int result;
    do {
        result = ::fdatasync(m_fd);
    } while (result != 0 && errno == EINTR);
    // Pipes, terminals and some special files cannot be synced; there is nothing to hand on.
    if (result != 0 && errno != EINVAL && errno != EROFS) ThrowErrno("flush");
}

void File::RequireOpen(const char* operation) const {
    if (m_fd < 0)
        throw FileException(FileException::Cause::Generic, -1,
                            std::string("cannot ") + operation + " a file that is not open");
}

void File::ThrowErrno(const char* operation) const {
    throw FileException::FromErrno(errno, operation, m_path);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace platform
