#pragma once

// Kills a process in the middle of a save, again and again, to show that the file on disk is
// always either the whole old contents or the whole new ones, and that what a killed save left
// behind goes with the next save.

#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace platform::testing {

namespace killedsave {

using Clock = std::chrono::steady_clock;

// A child running `save`, which tells the parent through a pipe the moment the save begins.
template <typename Save>
pid_t StartSaving(Save& save, Clock::time_point& started) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        const char go = 1;
        if (::write(ready[1], &go, 1) != 1) ::_exit(2);
        try {
            save();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char go = 0;
    // The read returns once the child is about to save (or has died, which the caller sees).
    while (child > 0 && ::read(ready[0], &go, 1) < 0 && errno == EINTR) {
    }
    started = Clock::now();
    ::close(ready[0]);
    return child;
}

// How long a whole save takes in a child, from its start to its end.
template <typename Save>
int64_t SaveMicroseconds(Save& save) {
    Clock::time_point started;
    const pid_t child = StartSaving(save, started);
    if (child < 0) return 0;
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count();
}

} // namespace killedsave

// Puts `old` into the file at `path`, runs `save` (which writes the new contents, `replacement`,
// there) in a child process, and kills the child at a random moment of its save: the moments
// are spread from the save's start, as the child reports it, to a quarter past a whole save's
// length, measured again every 25 runs, so that some kills find the save ended. After each kill
// the file must hold `old` or `replacement` whole. At least 60 kills, and until both were seen
// (at most 300): a save that never ends, or kills that never reach its end, fail. Then one more
// save in this process must leave nothing in the folder beside the file: the temporary files of
// the killed saves are gone. The test records how often each was seen ("old", "new").
template <typename Save>
void ExpectKilledSavesLeaveOldOrNew(const std::string& path, const std::string& old,
                                    const std::string& replacement, unsigned seed, Save&& save) {
    const std::filesystem::path file(path);
    std::mt19937 random(seed);
    int sawOld = 0;
    int sawNew = 0;
    int64_t whole = 0;
    for (int run = 0; run < 300 && (run < 60 || sawOld == 0 || sawNew == 0); ++run) {
        if (run % 25 == 0) {
            WriteWhole(path, old);
            whole = std::max(whole, killedsave::SaveMicroseconds(save));
            ASSERT_EQ(ReadWhole(path), replacement) << "a save that is not killed ends";
        }
        WriteWhole(path, old);
        killedsave::Clock::time_point started;
        const pid_t child = killedsave::StartSaving(save, started);
        ASSERT_GT(child, 0);
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<int64_t>(0, whole + whole / 4)(random));
        std::this_thread::sleep_until(started + delay);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        const std::string now = ReadWhole(path);
        ASSERT_TRUE(now == old || now == replacement) << "run " << run << ": " << now.size();
        (now == old ? sawOld : sawNew) += 1;
    }
    ::testing::Test::RecordProperty("old", sawOld);
    ::testing::Test::RecordProperty("new", sawNew);
    EXPECT_GT(sawOld, 0) << "no kill came before the save ended";
    EXPECT_GT(sawNew, 0) << "no save was seen to end";

    save();
    EXPECT_EQ(Entries(file.parent_path().string()),
              std::vector<std::string>{file.filename().string()})
        << "the killed saves' temporary files stay";
}

} // namespace platform::testing
