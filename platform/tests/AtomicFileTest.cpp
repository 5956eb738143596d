#include "platform/AtomicFile.h"

#include "platform/Exceptions.h"
#include "platform/tests/FaultPlan.h"
#include "platform/tests/FileTestSupport.h"
#include "platform/tests/KilledSave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::AtomicFile;
using platform::FilePoint;
using platform::testing::Entries;
using platform::testing::ReadWhole;
using platform::testing::WriteWhole;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Saves `bytes` in pieces, as the document's writer does, so that each piece is a write.
void Save(const std::string& path, const std::string& bytes, size_t piece = 7) {
    AtomicFile file(path);
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t count = std::min(piece, bytes.size() - at);
        file.GetFile().Write(bytes.data() + at, static_cast<int64_t>(count));
    }
    file.Commit();
}

class AtomicFileTest : public ::testing::Test {
protected:
    std::string Folder() const { return m_dir.Path(); }
    platform::testing::TempDir m_dir;
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithTheOldPermissions) {
    const std::string path = m_dir.File("doc.tsy");
    const mode_t mask = ::umask(022);
    ::umask(mask);

    Save(path, "first");
    EXPECT_EQ(ReadWhole(path), "first");
    EXPECT_EQ(ModeOf(path), 0666 & ~mask) << "a new file gets the usual bits";

    ::chmod(path.c_str(), 0640);
    Save(path, "second, longer");
    EXPECT_EQ(ReadWhole(path), "second, longer");
    EXPECT_EQ(ModeOf(path), 0640u) << "a replaced file keeps its bits";
    EXPECT_EQ(Entries(Folder()), std::vector<std::string>{"doc.tsy"}) << "no temporary left";
}

TEST_F(AtomicFileTest, SavesThroughSymbolicLinks) {
    fs::create_directory(m_dir.File("real"));
    const std::string target = m_dir.File("real/doc.tsy");
    WriteWhole(target, "old");
    struct Case {
        const char* name;
        std::string link;
        std::string pointsTo;
    };
    const Case cases[] = {
        {"absolute", m_dir.File("abs.tsy"), target},
        {"relative", m_dir.File("rel.tsy"), "real/doc.tsy"},
        {"chain", m_dir.File("chain.tsy"), "abs.tsy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::create_symlink(c.pointsTo, c.link);
        Save(c.link, std::string("new via ") + c.name);
        EXPECT_TRUE(fs::is_symlink(c.link)) << "the link stays a link";
        EXPECT_EQ(ReadWhole(target), std::string("new via ") + c.name);
    }
    EXPECT_EQ(Entries(m_dir.File("real")), std::vector<std::string>{"doc.tsy"});

    fs::create_symlink("real/missing.tsy", m_dir.File("dangling.tsy"));
    Save(m_dir.File("dangling.tsy"), "made");
    EXPECT_EQ(ReadWhole(m_dir.File("real/missing.tsy")), "made")
        << "a dangling link's file is made";

    fs::create_symlink("loop-b", m_dir.File("loop-a"));
    fs::create_symlink("loop-a", m_dir.File("loop-b"));
    EXPECT_EQ(platform::testing::CauseOf([&] { AtomicFile file(m_dir.File("loop-a")); }),
              platform::FileException::Cause::BadPath);
}

TEST_F(AtomicFileTest, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary) {
    const std::string path = m_dir.File("doc.tsy");
    const std::string old = "the old contents, which must survive";
    const std::string replacement(100, 'n');
    WriteWhole(path, old);
    ::chmod(path.c_str(), 0604);

    const int points = platform::testing::FailEachPoint(
        [&] {
            Save(m_dir.File("probe.tsy"), replacement);
            fs::remove(m_dir.File("probe.tsy"));
        },
        [&] {
            EXPECT_THROW(Save(path, replacement), platform::FileException);
            EXPECT_EQ(ReadWhole(path), old);
            EXPECT_EQ(ModeOf(path), 0604u);
            EXPECT_EQ(Entries(Folder()), std::vector<std::string>{"doc.tsy"});
        });
    EXPECT_GT(points, 15) << "every piece is a write, then the sync and the rename";
}

TEST_F(AtomicFileTest, EndingWithoutACommitDropsTheNewBytes) {
    const std::string path = m_dir.File("doc.tsy");
    WriteWhole(path, "old");
    {
        AtomicFile file(path);
        file.GetFile().Write("new", 3);
        EXPECT_TRUE(fs::exists(file.GetTemporaryPath()));
    }
    EXPECT_EQ(ReadWhole(path), "old");
    EXPECT_EQ(Entries(Folder()), std::vector<std::string>{"doc.tsy"});

    EXPECT_THROW(AtomicFile(m_dir.File("no/such/folder/doc.tsy")), platform::FileException);
    EXPECT_THROW(AtomicFile file(Folder()), platform::FileException) << "a folder is no target";
}

// What a save that never ended left beside the document goes with the next save of it; a save
// still running keeps its temporary file, and files that only look alike stay.
TEST_F(AtomicFileTest, ASaveRemovesTheTemporaryFilesOfSavesThatNeverEnded) {
    const std::string path = m_dir.File("doc.tsy");
    const std::vector<std::string> stays = {
        ".doc.tsy.0123456789ab",    ".doc.tsy.0123456789abc~", ".doc.tsy.0123456789ag~",
        ".other.tsy.0123456789ab~", "doc.tsy.0123456789ab~",
    };
    for (const std::string& name : stays)
        WriteWhole(m_dir.File(name), "someone's");
    WriteWhole(m_dir.File(".doc.tsy.0123456789ab~"), "half a save");
    WriteWhole(m_dir.File(".doc.tsy.cdef01234567~"), "half another");
    AtomicFile running(path);
    const std::string live = fs::path(running.GetTemporaryPath()).filename().string();

    Save(path, "new");
    EXPECT_EQ(ReadWhole(path), "new");
    std::vector<std::string> expected = stays;
    expected.push_back("doc.tsy");
    expected.push_back(live);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(Folder()), expected);

    running.Abort();
    Save(path, "newer");
    EXPECT_EQ(ReadWhole(path), "newer");
}

// A process killed at any moment of a save leaves either the whole old or the whole new file.
TEST_F(AtomicFileTest, AKilledSaveLeavesTheOldOrTheNewFileWhole) {
    const std::string path = m_dir.File("big.tsy");
    std::string old(1 << 20, 'o');
    std::string replacement(3 << 18, 'r');
    old.back() = '.';
    replacement.back() = '!';
    platform::testing::ExpectKilledSavesLeaveOldOrNew(path, old, replacement, 11,
                                                      [&] { Save(path, replacement, 16 << 10); });
}

} // namespace
