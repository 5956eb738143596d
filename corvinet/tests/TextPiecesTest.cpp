// Text tokens read in pieces into the caller's buffer, at each width.

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

class TextPieces : public LoopbackTest {
protected:
    void SetUp() override {
        LoopbackTest::SetUp();
        const char16_t text[] = {u'a', 0x3B1, u'b'};
        ASSERT_TRUE(QKPutUnicodeString(link, text, 3));
        ASSERT_TRUE(QKPutSymbol(link, "next"));
        ASSERT_TRUE(QKFlush(link));
    }
    void expectNextTokenIntact() {
        EXPECT_TRUE(QKCheckSymbol(link, "next"));
        EXPECT_EQ(QKError(link), 0);
    }
};

TEST_F(TextPieces, SevenBitPiecesNeverSplitAnEscape) {
    char alpha[8] = {};
    char* out = alpha;
    const int32_t escape = QKConvertCharacter(0x3B1, &out);
    ASSERT_EQ(escape, 6);

    struct Piece {
        int32_t capacity;
        std::string bytes;
        int32_t left;
    };
    const Piece pieces[] = {
        {6, "a", 2}, // the escape does not fit after the a
        {5, "", 2},  // nor alone in five bytes
        {6, std::string(alpha, 6), 1},
        {64, "b", 0},
    };
    for (const Piece& piece : pieces) {
        SCOPED_TRACE(piece.capacity);
        char buffer[64];
        int32_t left = -1, bytes = -1, characters = -1;
        ASSERT_TRUE(QKGet7BitCharacters(link, &left, buffer, piece.capacity, &bytes, &characters));
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(bytes)), piece.bytes);
        EXPECT_EQ(characters, piece.bytes.empty() ? 0 : 1);
        EXPECT_EQ(left, piece.left);
    }
    expectNextTokenIntact();
}

TEST_F(TextPieces, EightAndSixteenBitPieces) {
    unsigned char bytes[4] = {};
    int32_t left = -1, copied = -1;
    ASSERT_TRUE(QKGet8BitCharacters(link, &left, bytes, 2, &copied, '?'));
    EXPECT_EQ(copied, 2);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 2), "a?");
    // The rest of the token at another width is out of sequence.
    char16_t wide[4] = {};
    EXPECT_FALSE(QKGet16BitCharacters(link, &left, wide, 4, &copied));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
    ASSERT_TRUE(QKClearError(link));
    ASSERT_TRUE(QKGet8BitCharacters(link, &left, bytes, 4, &copied, '?'));
    EXPECT_EQ(copied, 1);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(bytes[0], 'b');
    expectNextTokenIntact();
}

TEST_F(TextPieces, SixteenBitWholeAndNumbersAsText) {
    char16_t wide[8] = {};
    int32_t left = -1, copied = -1;
    ASSERT_TRUE(QKGet16BitCharacters(link, &left, wide, 8, &copied));
    EXPECT_EQ(copied, 3);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(std::u16string(wide, 3), u"a\u03B1b");
    expectNextTokenIntact();

    ASSERT_TRUE(QKPutInteger(link, -42));
    ASSERT_TRUE(QKFlush(link));
    char digits[8] = {};
    int32_t characters = 0;
    ASSERT_TRUE(QKGet7BitCharacters(link, &left, digits, 8, &copied, &characters));
    EXPECT_EQ(std::string(digits, static_cast<std::size_t>(copied)), "-42");
    EXPECT_EQ(left, 0);
}

TEST_F(TextPieces, FunctionIsNoText) {
    ASSERT_TRUE(QKPutFunction(link, "f", 0));
    ASSERT_TRUE(QKFlush(link));
    ASSERT_EQ(QKGetNext(link), QKTOK_STRING);
    ASSERT_EQ(QKGetNext(link), QKTOK_SYMBOL);
    ASSERT_EQ(QKGetNext(link), QKTOK_FUNCTION);
    char buffer[8];
    int32_t left = 0, copied = 0, characters = 0;
    EXPECT_FALSE(QKGet7BitCharacters(link, &left, buffer, 8, &copied, &characters));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
}

} // namespace
} // namespace corvinet::testing
