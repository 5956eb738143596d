#pragma once

// Helpers for tests of files and streams.

#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace platform::testing {

// A private folder for one test's files, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessary-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The cause of the FileException that `operation` throws; a test failure when it throws none.
template <typename Operation>
FileException::Cause CauseOf(Operation&& operation) {
    try {
        operation();
    } catch (const FileException& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "no FileException";
    return FileException::Cause::Generic;
}

} // namespace platform::testing
