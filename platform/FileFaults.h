#pragma once

// A seam for tests to make file operations fail on purpose: a save must leave the old file
// exactly as it was whichever step fails, and only a failure injected at each step shows that.
// Nothing is installed in the program, and then every check is one load of a null pointer.

#include "platform/Installed.h"

#include <string>

namespace platform {

enum class FilePoint {
    Write,  // every File::Write
    Flush,  // every File::Flush (the sync to the device)
    Rename, // the step that puts a saved file in place of the old one
};

class FileFaults {
public:
    virtual ~FileFaults() = default;
    // Throws the failure to inject at this point, or returns to let the operation go on.
    virtual void Check(FilePoint point, const std::string& path) = 0;
};

extern ServiceSlot<FileFaults> gFileFaults;

inline void CheckFileFault(FilePoint point, const std::string& path) {
    if (FileFaults* faults = gFileFaults.Get()) faults->Check(point, path);
}

} // namespace platform
