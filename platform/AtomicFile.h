#pragma once

// Saves a file so that it is never seen half-written: the bytes go to a new file beside the
// target, which is synced to the device, given the old file's permission bits and renamed over
// the target; then the folder is synced so that the rename itself survives a crash. Until
// Commit returns, the target is exactly as it was, and an AtomicFile that ends without a commit
// (a failure, an exception passing) removes its temporary file.
//
// A target that is a symbolic link is saved through to the file it names, so the link stays a
// link. The temporary file is ".<name>.<random>~" in the target's folder (a rename never crosses
// file systems); the folder must be writable.
//
// A save that never ended (its process killed) leaves its temporary file behind. Each one holds
// an exclusive lock on its temporary file for as long as it lives, which the system drops with
// the process; a commit removes the temporary files of the same target whose lock it can take,
// so a save still running elsewhere keeps its own.

#include "platform/File.h"

#include <string>

namespace platform {

class AtomicFile {
public:
    // Creates the temporary file, empty and open for reading and writing; throws
    // FileException when it cannot.
    explicit AtomicFile(const std::string& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary file, to write the new contents into.
    File& GetFile() { return m_file; }
    // The file that Commit replaces: the target with every symbolic link followed.
    const std::string& GetTargetPath() const { return m_target; }
    const std::string& GetTemporaryPath() const { return m_temporary; }

    // Syncs, closes and renames the temporary file over the target, then syncs the folder.
    // After a failure the target is untouched and the temporary file is gone.
    void Commit();
    // Drops the temporary file; the target stays as it is. Safe to call more than once.
    void Abort() noexcept;

private:
    // Removes the temporary files of the target that no living save holds.
    void RemoveStaleTemporaries() const noexcept;

    std::string m_target;
    std::string m_temporary;
    File m_file;
    // A second descriptor of the temporary file that keeps its lock after the file is closed,
    // until it is renamed or removed.
    int m_lock = -1;
    bool m_done = false;
};

// The file a path ends at when every symbolic link on the way is followed, also when that file
// does not exist yet. Throws FileException (BadPath) for a loop of links.
std::string ResolveLinks(const std::string& path);

} // namespace platform
