#include "platform/File.h"

#include "platform/Exceptions.h"
#include "platform/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::File;
using platform::FileException;
using Cause = FileException::Cause;
using platform::testing::CauseOf;

class FileTest : public ::testing::Test {
protected:
    platform::testing::TempDir m_dir;
};

TEST_F(FileTest, WritesSeeksAndReadsBack) {
    File file(m_dir.File("a.bin"), File::Mode::Create);
    file.Write("hello world", 11);
    file.Flush();
    EXPECT_EQ(file.GetLength(), 11);
    EXPECT_EQ(file.GetPosition(), 11);

    EXPECT_EQ(file.Seek(6), 6);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 16), 5) << "a read stops short only at the end";
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(file.Read(buffer, 16), 0);
    file.Close();
    EXPECT_FALSE(file.IsOpen());

    File again(m_dir.File("a.bin"), File::Mode::Read);
    EXPECT_EQ(again.GetLength(), 11);
    EXPECT_EQ(again.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST_F(FileTest, SetLengthCutsAndExtendsWithoutMovingThePosition) {
    File file(m_dir.File("b.bin"), File::Mode::Create);
    file.Write("abcdef", 6);
    file.SetLength(3);
    EXPECT_EQ(file.GetLength(), 3);
    EXPECT_EQ(file.GetPosition(), 6);

    file.SetLength(8192);
    EXPECT_EQ(file.GetLength(), 8192);
    file.Seek(4);
    char byte = 'x';
    file.Read(&byte, 1);
    EXPECT_EQ(byte, '\0') << "extension fills with zero bytes";
}

TEST_F(FileTest, CreateEmptiesAnExistingFile) {
    File(m_dir.File("c.bin"), File::Mode::Create).Write("old", 3);
    File file(m_dir.File("c.bin"), File::Mode::Create);
    EXPECT_EQ(file.GetLength(), 0);
}

TEST_F(FileTest, FailuresCarryTheirCause) {
    EXPECT_EQ(CauseOf([&] { File(m_dir.File("missing"), File::Mode::Read); }), Cause::NotFound);
    EXPECT_EQ(CauseOf([&] { File(m_dir.File("no/such/folder"), File::Mode::Create); }),
              Cause::NotFound);
    EXPECT_EQ(CauseOf([&] { File(m_dir.File(""), File::Mode::Read); }), Cause::BadPath)
        << "a folder is no file";

    File closed;
    char byte;
    EXPECT_EQ(CauseOf([&] { closed.Read(&byte, 1); }), Cause::Generic);
    EXPECT_EQ(CauseOf([&] { closed.Write(&byte, 1); }), Cause::Generic);

    File file(m_dir.File("d.bin"), File::Mode::Create);
    EXPECT_EQ(CauseOf([&] { file.Seek(-1); }), Cause::BadSeek);
    EXPECT_EQ(CauseOf([&] { file.SetLength(-1); }), Cause::BadSeek);
}

TEST_F(FileTest, MessageNamesTheFile) {
    try {
        File(m_dir.File("missing.tsy"), File::Mode::Read);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_NE(std::string(e.what()).find("missing.tsy"), std::string::npos) << e.what();
    }
}

TEST_F(FileTest, MovingHandsTheDescriptorOver) {
    File first(m_dir.File("e.bin"), File::Mode::Create);
    File second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    second.Write("x", 1);

    File third;
    third = std::move(second);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(third.GetLength(), 1);
    EXPECT_EQ(third.GetFilePath(), m_dir.File("e.bin"));
    third.Close();
    third.Close(); // closing twice is harmless
}

} // namespace
