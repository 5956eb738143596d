#include "document/OutBuffer.h"

#include "document/ByteStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every write as one block.
class RecordingStream : public ByteStream {
public:
    int32_t Write(const void* data, int32_t count) override {
        writes.emplace_back(static_cast<const char*>(data), count);
        return count;
    }
    int32_t GetSize() override { return 0; }

    std::vector<std::string> writes;
};

} // namespace

TEST(OutBuffer, WritesWholeBlocksAndTheRestAtFlush) {
    RecordingStream stream;
    OutBuffer out(stream);
    for (int i = 0; i < 1025; ++i)
        out.PutChar(static_cast<uint8_t>('a' + i % 26));
    ASSERT_EQ(stream.writes.size(), 1u);
    EXPECT_EQ(stream.writes[0].size(), 1024u);
    EXPECT_EQ(out.Flush(), 1);
    ASSERT_EQ(stream.writes.size(), 2u);
    EXPECT_EQ(stream.writes[1], std::string(1, 'a' + 1024 % 26));
    EXPECT_EQ(out.GetCount(), 0);
}

TEST(OutBuffer, NewlineIsACarriageReturnAlone) {
    RecordingStream stream;
    OutBuffer out(stream);
    out.PutString("x=1");
    out.PutNewline();
    out.Flush();
    ASSERT_EQ(stream.writes.size(), 1u);
    EXPECT_EQ(stream.writes[0], "x=1\r");
}

TEST(OutBuffer, StringsSpanningTheBlockBoundaryStayInOrder) {
    RecordingStream stream;
    OutBuffer out(stream);
    const std::string text(3000, 'q');
    out.PutString(std::string(1000, 'p').c_str());
    out.PutString(text.c_str());
    out.Flush();
    std::string all;
    for (const std::string& w : stream.writes)
        all += w;
    EXPECT_EQ(all, std::string(1000, 'p') + text);
    EXPECT_EQ(stream.writes.size(), 4u); // 1024, 1024, 1024, 928
}
