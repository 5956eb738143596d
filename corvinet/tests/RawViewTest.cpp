// The raw view of the get side (type bytes, argument counts and data as they lie on the wire)
// beside the mapped view, and how a reader goes on after meeting an array in either view.

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

// A symbol that follows each case, to show the reader ends up where it should.
const std::string kEnd = "#\x46"
                         "A~\x43"
                         "end\n";

// A 2 x 3 array named Matrix of 4-byte integers 1 to 6, in the array form with its leaves as
// one packed run.
const std::string kShape = "F\x42#\x49"
                           "A~\x46"
                           "Matrix\n"
                           "F\x43#\x47"
                           "A~\x44"
                           "List\n.";
const std::string kMatrix = "A\x46"
                            "D" +
                            std::string(1, static_cast<char>(0x40 + kShape.size())) + kShape +
                            "\nP\x46\xE4"
                            "\x01\0\0\0\x02\0\0\0\x03\0\0\0\x04\0\0\0\x05\0\0\0\x06\0\0\0\n"s;

class RawView : public LoopbackTest {
protected:
    void expectEnd() {
        EXPECT_TRUE(QKCheckSymbol(link, "end")) << QKErrorMessage(link);
        EXPECT_EQ(QKError(link), 0) << QKErrorMessage(link);
    }

    // The rest of the current token's bytes through QKGetRawData, in small pieces.
    std::string rawData() {
        int32_t left = -1;
        EXPECT_TRUE(QKRawBytesToGet(link, &left)) << QKErrorMessage(link);
        std::string bytes;
        while (left > 0) {
            unsigned char piece[3];
            int32_t copied = 0;
            if (!QKGetRawData(link, piece, sizeof piece, &copied) || copied == 0) break;
            bytes.append(reinterpret_cast<const char*>(piece), static_cast<std::size_t>(copied));
            left -= copied;
        }
        return bytes;
    }

    int32_t owed() {
        int32_t n = -1;
        QKExpressionsToGet(link, &n);
        return n;
    }
};

TEST_F(RawView, TokensAsTheyLieOnTheWire) {
    const double half = 0.5;
    const std::string halfBytes(reinterpret_cast<const char*>(&half), sizeof half);
    struct Case {
        const char* name;
        std::string bytes;
        int raw;
        int mapped;
        std::string data; // what QKRawBytesToGet / QKGetRawData deliver
    } cases[] = {
        {"string in the 16-bit encoding",
         "\"\x47"
         "C~\x42\x00"
         "a\x03\xB1\n"s,
         '"', QKTOK_STRING,
         "C~\x42\x00"
         "a\x03\xB1"s},
        {"integer text",
         "+\x45"
         "B~\x42"
         "42\n",
         '+', QKTOK_INTEGER,
         "B~\x42"
         "42"},
        {"plain string", "S2 ab\n", 'S', QKTOK_STRING, "ab"},
        {"plain symbol", "Y\x41x\n", 'Y', QKTOK_SYMBOL, "x"},
        {"plain integer", "I3 -17\n", 'I', QKTOK_INTEGER, "-17"},
        {"plain real", "R3 2.5\r", 'R', QKTOK_REAL, "2.5"},
        {"binary double", "\xF6"s + halfBytes + ",", 0xF6, QKTOK_REAL, halfBytes},
        {"binary number inside a packed run", "P\x41\xE2\x07\x00\n"s, 0xE2, QKTOK_INTEGER,
         "\x07\x00"s},
        {"pass-through byte",
         "5\x42"
         "ab\n",
         '5', '5', "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes + kEnd);
        EXPECT_EQ(QKGetRawType(link), c.raw);
        EXPECT_EQ(QKGetType(link), c.mapped);
        EXPECT_EQ(QKGetRawType(link), c.raw);
        EXPECT_EQ(rawData(), c.data);
        expectEnd();

        // QKGetNextRaw reports the same and skips the token whole.
        feed(c.bytes + kEnd);
        EXPECT_EQ(QKGetNextRaw(link), c.raw);
        EXPECT_EQ(QKGetNextRaw(link), '#');
        expectEnd();
    }
}

// Counted as 7-bit text, a number is number text in the raw view too, and its bytes are that
// text.
TEST_F(RawView, NumberCountedAsTextIsNumberText) {
    const int32_t value = -1234;
    struct Case {
        const char* name;
        std::string bytes;
        int raw;
    } cases[] = {
        {"binary integer",
         "\xE4"s + std::string(reinterpret_cast<const char*>(&value), sizeof value) + "\n", 0xE4},
        {"plain real", "R4 -2.5\n", 'R'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes + kEnd);
        EXPECT_EQ(QKGetRawType(link), c.raw);
        int32_t n = 0;
        ASSERT_TRUE(QKBytesToGet(link, &n));
        const int text = c.raw == 'R' ? '*' : '+';
        EXPECT_EQ(QKGetRawType(link), text);
        EXPECT_EQ(QKGetType(link), text);
        EXPECT_EQ(rawData(), c.raw == 'R' ? "-2.5" : "-1234");
        expectEnd();
    }
}

TEST_F(RawView, FunctionCountIsTheSameInBothViews) {
    feed("F\x42#\x44"
         "A~\x41"
         "f" +
         kEnd + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'F');
    int32_t n = 0;
    EXPECT_FALSE(QKRawBytesToGet(link, &n));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
    QKClearError(link);
    ASSERT_TRUE(QKGetRawArgCount(link, &n));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(owed(), 3);
    EXPECT_EQ(QKGetRawType(link), '#');
}

// Read raw, an array is `A` with its leaf count, then `D` whose data is the shape block, then
// the leaves; the owed count takes `D` as the head and the leaves as the arguments.
TEST_F(RawView, ArrayWalkedAsItLiesOnTheWire) {
    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'A');
    EXPECT_EQ(QKGetType(link), QKTOK_FUNCTION);
    int32_t n = 0;
    ASSERT_TRUE(QKGetRawArgCount(link, &n));
    EXPECT_EQ(n, 6);
    EXPECT_EQ(owed(), 7);
    EXPECT_EQ(QKGetRawType(link), 'D');
    EXPECT_EQ(rawData(), kShape);
    EXPECT_EQ(owed(), 6);
    for (int32_t expected = 1; expected <= 6; ++expected) {
        EXPECT_EQ(QKGetNextRaw(link), 0xE4);
        int32_t i = 0;
        ASSERT_TRUE(QKGetInteger(link, &i)) << QKErrorMessage(link);
        EXPECT_EQ(i, expected);
    }
    EXPECT_EQ(owed(), 0);
    expectEnd();

    // QKGetNextRaw past an array goes on to its `D` token, and past that to the first leaf.
    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetNextRaw(link), 'A');
    EXPECT_EQ(QKGetNextRaw(link), 'D');
    EXPECT_EQ(QKGetNextRaw(link), 0xE4);
    ASSERT_TRUE(QKTakeLast(link, 0));
    expectEnd();
}

// The array in hand is undecided until a call goes past it: a mapped one turns it into nested
// functions, and the raw view then sees those functions too.
TEST_F(RawView, MappedCallsTurnTheArrayIntoFunctions) {
    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'A');
    int32_t n = 0;
    ASSERT_TRUE(QKGetArgCount(link, &n));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(QKGetRawType(link), '#');
    EXPECT_TRUE(QKCheckSymbol(link, "Matrix"));
    EXPECT_EQ(QKGetRawType(link), 'F');
    ASSERT_TRUE(QKGetRawArgCount(link, &n));
    EXPECT_EQ(n, 3);
    ASSERT_TRUE(QKNewPacket(link));
    expectEnd();

    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'A');
    EXPECT_EQ(QKGetNext(link), QKTOK_SYMBOL);
    EXPECT_TRUE(QKCheckSymbol(link, "Matrix"));
    ASSERT_TRUE(QKNewPacket(link));
    expectEnd();

    // Whole-array getters read it after a raw look at its type.
    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'A');
    int32_t* data = nullptr;
    int32_t* dims = nullptr;
    char** heads = nullptr;
    int32_t depth = 0;
    ASSERT_TRUE(QKGetIntegerArray(link, &data, &dims, &heads, &depth)) << QKErrorMessage(link);
    ASSERT_EQ(depth, 2);
    EXPECT_EQ(dims[0] * dims[1], 6);
    EXPECT_EQ(data[5], 6);
    QKDisownIntegerArray(link, data, dims, heads, depth);
    expectEnd();
}

// Getters that do not fit an array leave it in hand and undecided.
TEST_F(RawView, WrongGettersLeaveTheArrayInHand) {
    feed(kMatrix + kEnd);
    EXPECT_EQ(QKGetRawType(link), 'A');
    char buffer[4];
    int32_t n = 0;
    const char* text = nullptr;
    int32_t i = 0;
    EXPECT_FALSE(QKGetData(link, buffer, sizeof buffer, &n));
    QKClearError(link);
    EXPECT_FALSE(QKRawBytesToGet(link, &n));
    QKClearError(link);
    EXPECT_FALSE(QKBytesToGet(link, &n));
    QKClearError(link);
    EXPECT_FALSE(QKGetString(link, &text));
    QKClearError(link);
    EXPECT_FALSE(QKGetInteger(link, &i));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
    QKClearError(link);
    EXPECT_EQ(QKGetRawType(link), 'A');
    ASSERT_TRUE(QKGetRawArgCount(link, &n));
    EXPECT_EQ(n, 6);

    // Once walked raw, the mapped view sees the `D` token as it is and refuses its count.
    EXPECT_EQ(QKGetType(link), 'D');
    EXPECT_FALSE(QKGetArgCount(link, &n));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
    QKClearError(link);
    ASSERT_TRUE(QKNewPacket(link));
    expectEnd();
}

// A token that a getter left in hand (a number that did not fit, an array's head made from its
// shape) still gives its wire bytes to the raw view, and no getter reads it whole after that.
TEST_F(RawView, HeldTokensGiveTheirWireBytes) {
    const int32_t big = 70000;
    const std::string bigBytes(reinterpret_cast<const char*>(&big), sizeof big);
    struct Case {
        const char* name;
        std::string bytes;
        std::string data;
    } cases[] = {
        {"binary integer", "\xE4"s + bigBytes + "\n", bigBytes},
        {"integer text",
         "+\x48"
         "B~\x45"
         "70000\n",
         "B~\x45"
         "70000"},
        {"integer text with a decimal count", "+9 A~5 70000\n", "A~5 70000"},
        {"plain integer", "I5 70000\n", "70000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes + kEnd);
        int16_t s = 0;
        EXPECT_FALSE(QKGetShortInteger(link, &s));
        EXPECT_EQ(QKError(link), QKERR_NUMBER_OVERFLOW);
        QKClearError(link);
        EXPECT_EQ(rawData(), c.data);
        expectEnd();

        // Part of it taken raw, it can no longer be read whole.
        feed(c.bytes + kEnd);
        EXPECT_FALSE(QKGetShortInteger(link, &s));
        QKClearError(link);
        unsigned char first = 0;
        int32_t copied = 0;
        ASSERT_TRUE(QKGetRawData(link, &first, 1, &copied));
        EXPECT_EQ(first, static_cast<unsigned char>(c.data[0]));
        int32_t i = 0;
        EXPECT_FALSE(QKGetInteger(link, &i));
        EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
        QKClearError(link);
        ASSERT_TRUE(QKNewPacket(link));
        expectEnd();
    }

    feed(kMatrix + kEnd);
    int32_t n = 0;
    ASSERT_TRUE(QKGetArgCount(link, &n));
    EXPECT_EQ(QKGetRawType(link), '#');
    EXPECT_EQ(rawData(), "A~\x46"
                         "Matrix");
    EXPECT_EQ(QKGetNextRaw(link), 'F');
    ASSERT_TRUE(QKNewPacket(link));
    expectEnd();
}

// An array read raw still has to be one: `D` right after `A`, then exactly its leaves, all
// numbers; a `D` anywhere else is damaged data.
TEST_F(RawView, DamagedArraysReadRaw) {
    struct Case {
        const char* name;
        std::string bytes;
        int error;
    } cases[] = {
        {"array without its shape block", "A\x41\xE4\x01\x00\x00\x00\n"s, QKERR_INCONSISTENT_DATA},
        {"leaf that is not a number",
         "A\x41"
         "D\x41.\n#\x44"
         "A~\x41"
         "x\n",
         QKERR_INCONSISTENT_DATA},
        {"array as a leaf",
         "A\x41"
         "D\x41.\nA\x40",
         QKERR_INCONSISTENT_DATA},
        {"shape block outside an array", "D\x41.\n", QKERR_INCONSISTENT_DATA},
        {"fewer leaves than the count",
         "A\x43"
         "D\x41.\n\xE4\x01\x00\x00\x00\n]"s,
         QKERR_END_OF_PACKET},
        {"shape block that never arrives",
         "A\x41"
         "D2000000000 F",
         QKERR_ABORTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes);
        for (int i = 0; i < 8 && QKError(link) == 0; ++i) {
            const int token = QKGetNextRaw(link);
            int32_t n = 0;
            if (token == 'A' || token == 'F') {
                QKGetRawArgCount(link, &n);
            } else if (token != 0 && QKRawBytesToGet(link, &n)) {
                char piece[16];
                QKGetRawData(link, reinterpret_cast<unsigned char*>(piece), sizeof piece, &n);
            }
        }
        EXPECT_EQ(QKError(link), c.error) << QKErrorMessage(link);
    }
}

} // namespace
} // namespace corvinet::testing
