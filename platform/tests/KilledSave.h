#pragma once

// Kills a process in the middle of a save, again and again, to show that the file on disk is
// always either the whole old contents or the whole new ones.

#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace platform::testing {

// A hundred times: puts `old` into the file at `path`, runs `save` (which writes the new
// contents, `replacement`, there) in a child process, and kills the child at a random moment up
// to `maxDelay` microseconds in. After each kill the file must hold `old` or `replacement`
// whole; whatever else the child left in the folder is removed before the next run. The test
// records how often each was seen ("old", "new").
template <typename Save>
void ExpectKilledSavesLeaveOldOrNew(const std::string& path, const std::string& old,
                                    const std::string& replacement, int64_t maxDelay, unsigned seed,
                                    Save&& save) {
    const std::filesystem::path file(path);
    std::mt19937 random(seed);
    int sawOld = 0;
    int sawNew = 0;
    for (int run = 0; run < 100; ++run) {
        WriteWhole(path, old);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                save();
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::usleep(
            static_cast<useconds_t>(std::uniform_int_distribution<int64_t>(0, maxDelay)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const std::string now = ReadWhole(path);
        ASSERT_TRUE(now == old || now == replacement) << "run " << run << ": " << now.size();
        (now == old ? sawOld : sawNew) += 1;
        for (const std::string& name : Entries(file.parent_path().string()))
            if (name != file.filename().string())
                std::filesystem::remove(file.parent_path() / name);
    }
    ::testing::Test::RecordProperty("old", sawOld);
    ::testing::Test::RecordProperty("new", sawNew);
}

} // namespace platform::testing
