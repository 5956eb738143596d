#pragma once

// Helpers for tests of files and streams.

#include "platform/Exceptions.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::testing {

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
