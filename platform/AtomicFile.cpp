#include "platform/AtomicFile.h"

#include "platform/Exceptions.h"
#include "platform/FileFaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace platform {

ServiceSlot<FileFaults> gFileFaults;

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path

// A suffix that differs between processes, between saves and between tries.
std::string RandomSuffix() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned long long mix = static_cast<unsigned long long>(now) * 0x9E3779B97F4A7C15ull ^
                                   (static_cast<unsigned long long>(::getpid()) << 20) ^
                                   counter.fetch_add(1);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", mix);
    return std::string(text, 12);
}

void SyncFolder(const std::string& folder) {
    int fd;
    do {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw FileException::FromErrno(errno, "sync the folder of", folder);
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    if (result != 0 && error != EINVAL && error != EROFS)
        throw FileException::FromErrno(error, "sync the folder of", folder);
}

} // namespace

std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) throw FileException::FromErrno(errno, "follow the link", current);
        target.resize(static_cast<size_t>(length));
        current = !target.empty() && target[0] == '/' ? target : FolderOf(current) + "/" + target;
    }
    throw FileException::FromErrno(ELOOP, "follow the link", path);
}

AtomicFile::AtomicFile(const std::string& target) : m_target(ResolveLinks(target)) {
    const std::string folder = FolderOf(m_target);
    const std::string name = FileNameOf(m_target);
    if (name.empty()) throw FileException::FromErrno(EISDIR, "save", target);

    struct stat old;
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) throw FileException::FromErrno(EISDIR, "save", target);

    for (int attempt = 0;; ++attempt) {
        m_temporary = folder + "/." + name + "." + RandomSuffix() + "~";
        try {
            m_file.Open(m_temporary, File::Mode::CreateNew);
            break;
        } catch (const FileException& e) {
            if (e.GetOsError() != EEXIST || attempt == 100) {
                // The message names the target: the temporary file is our own business.
                throw FileException(e.GetCause(), e.GetOsError(),
                                    "cannot save '" + target + "': " + e.what());
            }
        }
    }
    // A new file gets the process's usual bits (0666 less the umask, as the open gave it); a
    // replaced one keeps its own, and its owner where we may set it.
    if (exists) {
        if (::fchmod(m_file.GetDescriptor(), old.st_mode & 07777) != 0) {
            const int error = errno;
            Abort();
            throw FileException::FromErrno(error, "keep the permissions of", m_target);
        }
        [[maybe_unused]] const int ignored =
            ::fchown(m_file.GetDescriptor(), old.st_uid, old.st_gid);
    }
}

AtomicFile::~AtomicFile() {
    Abort();
}

void AtomicFile::Commit() {
    try {
        m_file.Flush();
        m_file.Close();
        CheckFileFault(FilePoint::Rename, m_target);
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
            throw FileException::FromErrno(errno, "replace", m_target);
    } catch (...) {
        Abort();
        throw;
    }
    m_done = true;
    // The new file is in place; a failure to make the rename durable is still a failed save,
    // though there is no old file left to go back to.
    SyncFolder(FolderOf(m_target));
}

void AtomicFile::Abort() noexcept {
    if (m_done) return;
    m_done = true;
    m_file.Abort();
    ::unlink(m_temporary.c_str());
}

} // namespace platform
