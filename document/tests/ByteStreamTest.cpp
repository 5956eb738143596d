#include "document/CountStream.h"
#include "document/ExportStream.h"
#include "document/FileInStream.h"
#include "document/FileOutStream.h"
#include "document/MemoryStream.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

using platform::File;
using platform::FileException;
using Cause = FileException::Cause;
using platform::testing::CauseOf;

std::vector<uint8_t> Pattern(int32_t size) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (int32_t i = 0; i < size; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + i / 256);
    return bytes;
}

class FileStreamTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::vector<uint8_t>& bytes) {
        const std::string path = m_dir.File("in.bin");
        File file(path, File::Mode::Create);
        file.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        return path;
    }
    std::vector<uint8_t> ReadFile(const std::string& path) {
        File file(path, File::Mode::Read);
        std::vector<uint8_t> bytes(static_cast<size_t>(file.GetLength()));
        file.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
        return bytes;
    }

    platform::testing::TempDir m_dir;
};

TEST(CountStream, FlushEndsSegmentsAndKeepsTheLargest) {
    CountStream stream;
    for (int32_t segment : {10, 30, 20}) {
        stream.Write(nullptr, segment);
        EXPECT_EQ(stream.Flush(), segment);
    }
    EXPECT_EQ(stream.GetSize(), 60);
    EXPECT_EQ(stream.GetLargest(), 30);
}

TEST(CountStream, PatchingInsideTheSegmentDoesNotGrowIt) {
    CountStream stream;
    stream.Write(nullptr, 8);
    stream.Flush();
    stream.Write(nullptr, 12);
    stream.SetPosition(10);
    stream.Write(nullptr, 4);
    stream.SetPosition(20);
    EXPECT_EQ(stream.GetSize(), 20);
    EXPECT_EQ(stream.GetLargest(), 12);

    EXPECT_EQ(CauseOf([&] { stream.SetPosition(19); }), Cause::BadSeek)
        << "the segmented writer cannot move back before its block either";
}

TEST(CountStream, RefusesToGrowPastWhatTheFormatAddresses) {
    CountStream stream;
    stream.Write(nullptr, std::numeric_limits<int32_t>::max() - 1);
    stream.Write(nullptr, 1);
    EXPECT_EQ(CauseOf([&] { stream.Write(nullptr, 1); }), Cause::TooLarge);
    EXPECT_EQ(stream.GetPosition(), std::numeric_limits<int32_t>::max());
}

TEST(MemoryStream, WritesAndReadsTheCallersBlock) {
    uint8_t block[8] = {};
    MemoryStream stream(block, 8);
    const uint8_t bytes[] = {0x78, 0x05, 0x00, 0x00, 0xFF};
    stream.Write(bytes, 5);
    EXPECT_EQ(stream.GetPosition(), 5);
    EXPECT_EQ(block[4], 0xFF);

    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadLong(), 1400);
    EXPECT_EQ(stream.ReadByte(), 0xFF);
    EXPECT_EQ(stream.GetSize(), 8);
}

TEST(MemoryStream, StaysInsideItsBlock) {
    uint8_t block[4] = {1, 2, 3, 4};
    MemoryStream stream(block, 4);
    stream.SetPosition(2);
    uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(CauseOf([&] { stream.Read(out, 4); }), Cause::EndOfFile);
    EXPECT_EQ(out[0], 9) << "nothing is copied from a read that fails";
    EXPECT_EQ(stream.GetPosition(), 2);
    EXPECT_EQ(CauseOf([&] { stream.Write(out, 3); }), Cause::TooLarge);
    EXPECT_EQ(block[2], 3);
    EXPECT_EQ(CauseOf([&] { stream.SetPosition(5); }), Cause::EndOfFile);
    EXPECT_EQ(CauseOf([&] { stream.SetPosition(-1); }), Cause::BadSeek);
    EXPECT_EQ(CauseOf([&] { stream.Read(out, -1); }), Cause::BadFormat);
    stream.SetPosition(4); // the end itself is a valid position

    const uint8_t constant[2] = {};
    MemoryStream readOnly(static_cast<const void*>(constant), 2);
    EXPECT_EQ(CauseOf([&] { readOnly.WriteByte(1); }), Cause::TooLarge);
}

TEST_F(FileStreamTest, ReadsAcrossBufferBoundariesInOrder) {
    const auto bytes = Pattern(3 * FileInStream::kBufferSize + 100);
    File file(WriteFile(bytes), File::Mode::Read);
    FileInStream stream(file);
    EXPECT_EQ(stream.GetSize(), static_cast<int32_t>(bytes.size()));

    // Reads of odd sizes straddle every boundary; one spans a whole buffer and more.
    std::vector<uint8_t> got(bytes.size());
    constexpr int32_t kBuffer = FileInStream::kBufferSize;
    const int32_t sizes[] = {1, kBuffer - 3, 8, kBuffer + 904, 3, kBuffer - 813};
    int32_t at = 0;
    for (int32_t size : sizes) {
        SCOPED_TRACE(at);
        stream.Read(got.data() + at, size);
        at += size;
        EXPECT_EQ(stream.GetPosition(), at);
    }
    ASSERT_EQ(at, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(got, bytes);
}

TEST_F(FileStreamTest, ReadPastTheEndFailsBeforeCopying) {
    const auto bytes = Pattern(10);
    File file(WriteFile(bytes), File::Mode::Read);
    FileInStream stream(file);
    stream.SetPosition(8);
    uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(CauseOf([&] { stream.Read(out, 4); }), Cause::EndOfFile);
    EXPECT_EQ(out[0], 0xEE);
    EXPECT_EQ(stream.GetPosition(), 8);
    stream.Read(out, 2);
    EXPECT_EQ(out[1], bytes[9]);
}

TEST_F(FileStreamTest, SeeksInsideAndOutsideTheBuffer) {
    const auto bytes = Pattern(2 * FileInStream::kBufferSize);
    File file(WriteFile(bytes), File::Mode::Read);
    FileInStream stream(file);

    struct Case {
        const char* name;
        int32_t position;
    };
    const Case cases[] = {
        {"inside the first buffer", 100},
        {"into the second buffer", FileInStream::kBufferSize + 17},
        {"back into the first", 3},
        {"last byte", 2 * FileInStream::kBufferSize - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        stream.SetPosition(c.position);
        EXPECT_EQ(stream.GetPosition(), c.position);
        EXPECT_EQ(stream.ReadByte(), bytes[static_cast<size_t>(c.position)]);
    }

    const int32_t length = stream.GetSize();
    stream.SetPosition(length);
    EXPECT_EQ(CauseOf([&] { stream.ReadByte(); }), Cause::EndOfFile);
    EXPECT_EQ(CauseOf([&] { stream.SetPosition(length + 1); }), Cause::EndOfFile);
    EXPECT_EQ(CauseOf([&] { stream.SetPosition(-1); }), Cause::BadSeek);
}

TEST_F(FileStreamTest, FileThatShrinksUnderTheReaderEndsInsteadOfLooping) {
    const auto bytes = Pattern(3 * FileInStream::kBufferSize);
    const std::string path = WriteFile(bytes);
    File file(path, File::Mode::Read);
    FileInStream stream(file);
    File(path, File::Mode::Create); // another writer empties the file

    std::vector<uint8_t> out(bytes.size());
    EXPECT_EQ(CauseOf([&] { stream.Read(out.data(), static_cast<int32_t>(out.size())); }),
              Cause::EndOfFile);
}

TEST_F(FileStreamTest, FileBeyondTheFormatsReachIsRefused) {
    const std::string path = m_dir.File("huge.tsy");
    File(path, File::Mode::Create).SetLength(int64_t{3} << 30); // sparse: takes no disk
    File file(path, File::Mode::Read);
    EXPECT_EQ(CauseOf([&] { FileInStream stream(file); }), Cause::TooLarge);
}

TEST_F(FileStreamTest, EmptyFileReadsAsEndOfFile) {
    File file(WriteFile({}), File::Mode::Read);
    FileInStream stream(file);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(CauseOf([&] { stream.ReadLong(); }), Cause::EndOfFile);
}

TEST_F(FileStreamTest, OutputStreamPatchesInsideItsBlockAndFlushesSegments) {
    const std::string path = m_dir.File("out.bin");
    File file(path, File::Mode::Create);
    {
        FileOutStream stream(file, 16);
        const uint8_t head[] = {1, 2, 3, 4, 5, 6};
        stream.Write(head, 6);
        stream.SetPosition(1);
        stream.WriteByte(0xAA);
        stream.SetPosition(6);
        EXPECT_EQ(stream.Flush(), 6);
        EXPECT_EQ(stream.GetSize(), 6);

        stream.Write(head, 3);
        EXPECT_EQ(stream.GetPosition(), 9);
        EXPECT_EQ(CauseOf([&] { stream.SetPosition(5); }), Cause::BadSeek)
            << "flushed bytes cannot be patched";
        EXPECT_EQ(CauseOf([&] { stream.SetPosition(10); }), Cause::BadSeek)
            << "no gap can open after what was written";
        const std::vector<uint8_t> big(14);
        EXPECT_EQ(CauseOf([&] { stream.Write(big.data(), 14); }), Cause::TooLarge);
    } // the destructor writes out the last segment
    EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 0xAA, 3, 4, 5, 6, 1, 2, 3}));
}

// The block grows as the bytes come, keeping what it holds, so that a patch near the start
// still lands; a restart forgets both the block and what was already written.
TEST_F(FileStreamTest, OutputBlockGrowsToTheWholeFileAndRestartsEmpty) {
    const std::string path = m_dir.File("grown.bin");
    File file(path, File::Mode::Create);
    const std::vector<uint8_t> bytes = Pattern(300'000);
    {
        FileOutStream stream(file, 1 << 20);
        const std::vector<uint8_t> dropped(1000, 0xEE);
        for (int i = 0; i < 400; ++i)
            stream.Write(dropped.data(), 1000);
        EXPECT_EQ(stream.Flush(), 400'000);
        stream.Restart();
        EXPECT_EQ(stream.GetPosition(), 0);
        for (size_t at = 0; at < bytes.size(); at += 1000)
            stream.Write(bytes.data() + at, 1000);
        stream.SetPosition(3);
        stream.WriteByte(0xAA);
        stream.SetPosition(300'000);
        EXPECT_EQ(stream.Flush(), 300'000);
    }
    std::vector<uint8_t> expected = bytes;
    expected[3] = 0xAA;
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(FileStreamTest, ExportGrowsInWholeStepsAndEndsAtItsSize) {
    struct Case {
        const char* name;
        std::vector<int32_t> writes;
        int32_t lengthWhileWriting;
    };
    const Case cases[] = {
        {"within the initial length", {100, 200}, 4096},
        {"one write past it", {5000}, 8192},
        {"a write of several steps", {10000}, 12288},
        {"many small writes", std::vector<int32_t>(9, 1024), 12288},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.File("export.tex");
        File file(path, File::Mode::Create);
        int32_t total = 0;
        std::vector<uint8_t> expected;
        {
            ExportStream stream(file, 4096, 4096);
            for (int32_t size : c.writes) {
                const auto bytes = Pattern(size);
                stream.Write(bytes.data(), size);
                expected.insert(expected.end(), bytes.begin(), bytes.end());
                total += size;
            }
            EXPECT_EQ(stream.GetPosition(), total);
            EXPECT_EQ(file.GetLength(), c.lengthWhileWriting);
        }
        EXPECT_EQ(file.GetLength(), total);
        EXPECT_EQ(ReadFile(path), expected);
    }
}

TEST_F(FileStreamTest, ExportFlushCutsTheFileAndWritingGoesOn) {
    File file(m_dir.File("export.htm"), File::Mode::Create);
    ExportStream stream(file, 4096, 4096);
    stream.Write("abc", 3);
    EXPECT_EQ(stream.Flush(), 3);
    EXPECT_EQ(file.GetLength(), 3);
    stream.Write("de", 2);
    stream.Flush();
    EXPECT_EQ(file.GetLength(), 5);
}

} // namespace
