#include "platform/AtomicFile.h"

#include "platform/Exceptions.h"
#include "platform/FileFaults.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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
constexpr size_t kSuffixLength = 12;

// A suffix that differs between processes, between saves and between tries.
std::string RandomSuffix() {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned long long mix = static_cast<unsigned long long>(now) * 0x9E3779B97F4A7C15ull ^
                                   (static_cast<unsigned long long>(::getpid()) << 20) ^
                                   counter.fetch_add(1);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", mix);
    return std::string(text, kSuffixLength);
}

// Whether `entry` is a temporary file of a save of the file named `name`.
bool IsTemporaryOf(const std::string& entry, const std::string& name) {
    const std::string head = "." + name + ".";
    if (entry.size() != head.size() + kSuffixLength + 1 ||
        entry.compare(0, head.size(), head) != 0 || entry.back() != '~')
        return false;
    for (size_t i = head.size(); i < head.size() + kSuffixLength; ++i) {
        const char c = entry[i];
        if ((c < '0' || c > '9') && (c < 'a' || c > 'f')) return false;
    }
    return true;
}

// Whether the path still names the file open as `fd`.
bool NamesOpenFile(const std::string& path, int fd) {
    struct stat byName;
    struct stat byDescriptor;
    return ::lstat(path.c_str(), &byName) == 0 && ::fstat(fd, &byDescriptor) == 0 &&
           byName.st_dev == byDescriptor.st_dev && byName.st_ino == byDescriptor.st_ino;
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
        } catch (const FileException& e) {
            if (e.GetOsError() != EEXIST || attempt == 100) {
                // The message names the target: the temporary file is our own business.
                throw FileException(e.GetCause(), e.GetOsError(),
                                    "cannot save '" + target + "': " + e.what());
            }
            continue;
        }
        // Locked, it is no stale file to another save of the target. One that removed it in
        // the moment before the lock leaves a name that no longer leads here: try another.
        // Where the folder takes no locks, no other save removes the file either.
        m_lock = ::fcntl(m_file.GetDescriptor(), F_DUPFD_CLOEXEC, 0);
        const bool contended =
            m_lock >= 0 && ::flock(m_lock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!contended && NamesOpenFile(m_temporary, m_file.GetDescriptor())) break;
        Abort();
        m_done = false;
        if (attempt == 100) throw FileException::FromErrno(EEXIST, "save", target);
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
    ::close(m_lock);
    m_lock = -1;
    RemoveStaleTemporaries();
    // The new file is in place; a failure to make the rename durable is still a failed save,
    // though there is no old file left to go back to.
    SyncFolder(FolderOf(m_target));
}

void AtomicFile::Abort() noexcept {
    if (m_done) return;
    m_done = true;
    m_file.Abort();
    ::unlink(m_temporary.c_str());
    if (m_lock >= 0) ::close(m_lock);
    m_lock = -1;
}

void AtomicFile::RemoveStaleTemporaries() const noexcept {
    const std::string folder = FolderOf(m_target);
    const std::string name = FileNameOf(m_target);
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) return;
    while (const dirent* entry = ::readdir(entries)) {
        if (!IsTemporaryOf(entry->d_name, name)) continue;
        const std::string path = folder + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        // A lock we can take is one no living save holds.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && NamesOpenFile(path, fd))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(entries);
}

} // namespace platform
