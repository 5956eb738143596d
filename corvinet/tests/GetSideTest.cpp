// The get side on bytes fed straight into a loopback link: the order rules of the getters, and
// damaged or hostile input.

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

class GetSide : public LoopbackTest {};

TEST_F(GetSide, TypeDoesNotConsumeAndArgCountMovesToTheHead) {
    feed("\"\x44"
         "A~\x41"
         "s\n");
    EXPECT_EQ(QKGetType(link), QKTOK_STRING);
    EXPECT_EQ(QKGetType(link), QKTOK_STRING);
    const char* s = nullptr;
    ASSERT_TRUE(QKGetString(link, &s));
    EXPECT_STREQ(s, "s");
    QKDisownString(link, s);

    feed("F\x41#\x44"
         "A~\x41"
         "f\xE4\x01\x00\x00\x00\n"s);
    EXPECT_EQ(QKGetType(link), QKTOK_FUNCTION);
    int32_t n = 0;
    ASSERT_TRUE(QKGetArgCount(link, &n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(QKGetType(link), QKTOK_SYMBOL);
    EXPECT_EQ(QKGetArgCount(link, &n), 0);
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
}

TEST_F(GetSide, NextSkipsTheRestOfAToken) {
    feed("\"\x46"
         "A~\x43"
         "abc\n#\x44"
         "A~\x41"
         "x\n");
    EXPECT_EQ(QKGetNext(link), QKTOK_STRING);
    char first[2];
    int32_t copied = 0;
    ASSERT_TRUE(QKGetRawData(link, reinterpret_cast<unsigned char*>(first), 2, &copied));
    EXPECT_EQ(copied, 2);
    EXPECT_EQ(QKGetNext(link), QKTOK_SYMBOL);
    EXPECT_TRUE(QKCheckSymbol(link, "x"));
}

TEST_F(GetSide, NumbersFromEveryForm) {
    int32_t i = 0;
    feed("+\x45"
         "B~\x42"
         "42\n");
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, 42);

    const double half = 2.5;
    feed("\xF6"s + std::string(reinterpret_cast<const char*>(&half), 8) + "\n");
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, 2);

    feed("I3 -17\n");
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, -17);

    // A packed run of three integers reads as three integer tokens.
    feed("P\x43\xE4\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\n"s);
    for (int32_t expected = 1; expected <= 3; ++expected) {
        EXPECT_EQ(QKGetNext(link), QKTOK_INTEGER);
        ASSERT_TRUE(QKGetInteger(link, &i));
        EXPECT_EQ(i, expected);
    }
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(GetSide, NumberThatDoesNotFitCanBeReadAgain) {
    QKPutDouble(link, 3.0e10);
    int32_t i = 0;
    EXPECT_EQ(QKGetInteger(link, &i), 0);
    EXPECT_EQ(QKError(link), QKERR_NUMBER_OVERFLOW);
    ASSERT_TRUE(QKClearError(link));
    double d = 0;
    ASSERT_TRUE(QKGetDouble(link, &d));
    EXPECT_EQ(d, 3.0e10);
}

TEST_F(GetSide, TextOfNumbersAndEncodings) {
    QKPutInteger(link, -1234);
    const char* s = nullptr;
    ASSERT_TRUE(QKGetString(link, &s));
    EXPECT_STREQ(s, "-1234");
    QKDisownString(link, s);

    QKPutInteger(link, 1234567);
    int32_t n = 0;
    ASSERT_TRUE(QKBytesToGet(link, &n));
    EXPECT_EQ(n, 7);
    char digits[8] = {};
    int32_t copied = 0;
    ASSERT_TRUE(QKGetData(link, digits, 7, &copied));
    EXPECT_STREQ(digits, "1234567");

    feed("\"\x47"
         "C~\x42\x00"
         "A\x03\xB1\n"s);
    ASSERT_TRUE(QKBytesToGet(link, &n));
    EXPECT_EQ(n, 7);
    char text[8] = {};
    ASSERT_TRUE(QKGetData(link, text, 3, &copied));
    ASSERT_TRUE(QKGetData(link, text + 3, 4, &copied));
    EXPECT_STREQ(text, "A\\:03B1");

    // Terminators may be a comma or a carriage return.
    feed("#\x44"
         "A~\x41"
         "a,#\x44"
         "A~\x41"
         "b\r");
    EXPECT_TRUE(QKCheckSymbol(link, "a"));
    EXPECT_TRUE(QKCheckSymbol(link, "b"));
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(GetSide, NewPacketSkipsWhatIsOwed) {
    QKPutFunction(link, "ReturnPacket", 1);
    QKPutFunction(link, "f", 3);
    QKPutInteger(link, 1);
    QKPutString(link, "skipped");
    QKPutFunction(link, "g", 1);
    QKPutSymbol(link, "y");
    QKEndPacket(link);
    QKPutFunction(link, "TextPacket", 1);
    QKPutString(link, "hello");
    QKEndPacket(link);

    int32_t n = 0;
    EXPECT_TRUE(QKCheckFunction(link, "ReturnPacket", &n));
    EXPECT_TRUE(QKCheckFunction(link, "f", &n));
    EXPECT_EQ(QKGetNext(link), QKTOK_INTEGER);
    ASSERT_TRUE(QKNewPacket(link));
    EXPECT_TRUE(QKCheckFunction(link, "TextPacket", &n));
    EXPECT_TRUE(QKCheckString(link, "hello"));
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(GetSide, TakeLastKeepsTheLastExpressionsOfThePacket) {
    QKPutFunction(link, "f", 3);
    QKPutInteger(link, 1);
    QKPutFunction(link, "g", 1);
    QKPutSymbol(link, "y");
    QKPutString(link, "last");
    QKEndPacket(link);
    QKPutSymbol(link, "next");
    QKEndPacket(link);

    int32_t n = 0;
    EXPECT_TRUE(QKCheckFunction(link, "f", &n));
    ASSERT_TRUE(QKTakeLast(link, 1));
    EXPECT_TRUE(QKCheckString(link, "last"));

    // A negative count is refused before it reads on into the next packet.
    EXPECT_FALSE(QKTakeLast(link, -1));
    EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
    ASSERT_TRUE(QKClearError(link));
    EXPECT_TRUE(QKCheckSymbol(link, "next"));
}

TEST_F(GetSide, FirstErrorSticks) {
    feed("\x01");
    EXPECT_EQ(QKGetNext(link), 0);
    EXPECT_EQ(QKError(link), QKERR_INCONSISTENT_DATA);
    EXPECT_EQ(QKSetError(link, 0), 0);
    EXPECT_EQ(QKGetNext(link), 0);
    EXPECT_EQ(QKError(link), QKERR_INCONSISTENT_DATA);
}

// Input that breaks the wire format: a clear error, no read past the token, no allocation sized
// by the peer.
TEST_F(GetSide, DamagedInput) {
    struct Case {
        const char* name;
        std::string bytes;
        int error;
    } cases[] = {
        {"byte outside the table", "Q", QKERR_INCONSISTENT_DATA},
        {"zero type byte", "\0"s, QKERR_DESTROYED},
        {"end of packet inside an expression",
         "F\x42#\x44"
         "A~\x41"
         "f\n]",
         QKERR_END_OF_PACKET},
        {"newline where an argument is owed",
         "F\x41#\x44"
         "A~\x41"
         "f\n\n",
         QKERR_END_OF_PACKET},
        {"count beyond 32 bits", "\"99999999999 A~", QKERR_INCONSISTENT_DATA},
        {"count not ended by a blank", "F12x", QKERR_INCONSISTENT_DATA},
        {"length shorter than the text header",
         "\"\x42"
         "A~\n",
         QKERR_INCONSISTENT_DATA},
        {"B count disagreeing with the length",
         "\"\x45"
         "B~\x41"
         "ab\n",
         QKERR_INCONSISTENT_DATA},
        {"C length of an odd byte count",
         "\"\x46"
         "C~ \x00\x41\x42\n"s,
         QKERR_INCONSISTENT_DATA},
        {"A count above the bytes",
         "\"\x44"
         "A~\x45"
         "a\n",
         QKERR_INCONSISTENT_DATA},
        {"unknown element encoding",
         "\"\x44"
         "Z~\x41"
         "a\n",
         QKERR_INCONSISTENT_DATA},
        {"missing terminator",
         "#\x44"
         "A~\x41"
         "ax",
         QKERR_INCONSISTENT_DATA},
        {"huge length that never arrives", "\"2000000000 B~ abc", QKERR_ABORTED},
        {"packed run of a type that is not a number", "P\x42+", QKERR_INCONSISTENT_DATA},
        {"binary number of unknown size", "\xC8\x00\n"s, QKERR_INCONSISTENT_DATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes);
        const char* s = nullptr;
        for (int i = 0; i < 8 && QKError(link) == 0; ++i) {
            if (QKGetNext(link) == QKTOK_FUNCTION) {
                int32_t n;
                QKGetArgCount(link, &n);
            } else if (QKGetString(link, &s)) {
                QKDisownString(link, s);
            }
        }
        EXPECT_EQ(QKError(link), c.error) << QKErrorMessage(link);
    }
}

// A code whose size works out to 0 bytes (bit 0x08 set, bit 0x10 clear) is a number with no bytes,
// not damage: the token is read whole and the next one follows.
TEST_F(GetSide, ZeroByteNumbersAreTokens) {
    for (const std::string& number : {"\xC8\n"s, "P\x42\xC8\n"s}) {
        SCOPED_TRACE(number.size());
        open(nullptr);
        feed(number + "#\x44"
                      "A~\x41"
                      "x\n");
        int tokens = 0;
        while (QKGetNextRaw(link) == 0xC8)
            ++tokens;
        EXPECT_EQ(tokens, number.size() == 2 ? 1 : 2);
        EXPECT_EQ(QKGetRawType(link), QKTOK_SYMBOL);
        const char* name = nullptr;
        ASSERT_TRUE(QKGetSymbol(link, &name)) << QKError(link);
        EXPECT_STREQ(name, "x");
        QKDisownSymbol(link, name);
    }
}

TEST_F(GetSide, ReadyAnswersWithoutWaiting) {
    EXPECT_FALSE(QKReady(link));
    EXPECT_EQ(QKError(link), 0);
    QKPutInteger(link, 1);
    QKEndPacket(link);
    QKFlush(link);
    EXPECT_TRUE(QKReady(link));
    int32_t i;
    ASSERT_TRUE(QKGetInteger(link, &i));
    // Only the packet's end is left: a separator, so nothing is ready.
    EXPECT_FALSE(QKReady(link));
    EXPECT_EQ(QKError(link), 0);
}

// Whole tokens that lie in memory are read in one move, others byte by byte; wherever a block
// boundary of the stream falls inside a packet, the getters must answer alike and owe alike.
TEST_F(GetSide, EveryBlockBoundaryInsideAPacketReadsAlike) {
    auto putPacket = [](QKLINK l) {
        QKPutFunction(l, "f", 5);
        QKPutFunction(l, "g", 2);
        QKPutInteger(l, -7);
        QKPutString(l, "text");
        QKPutSymbol(l, "Sym");
        const int32_t list[] = {1, 2, 3, 4, 5};
        QKPutIntegerList(l, list, 5);
        const int32_t dims[] = {2, 3};
        const double leaves[] = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5};
        QKPutDoubleArray(l, leaves, dims, nullptr, 2);
        QKPutDouble(l, 2.5);
        QKEndPacket(l);
        QKFlush(l);
    };
    auto readPacket = [](QKLINK l) {
        std::string trace;
        auto owed = [&] {
            int32_t n = -1;
            QKExpressionsToGet(l, &n);
            trace += " owed " + std::to_string(n) + ";";
        };
        int32_t n = 0;
        trace += QKCheckFunction(l, "f", &n) ? "f" + std::to_string(n) : "no f";
        owed();
        const char* head = nullptr;
        if (QKGetFunction(l, &head, &n)) {
            trace += std::string(head) + std::to_string(n);
            QKDisownSymbol(l, head);
        }
        owed();
        int32_t i = 0;
        trace += QKGetInteger(l, &i) ? std::to_string(i) : "no integer";
        owed();
        const char* text = nullptr;
        if (QKGetString(l, &text)) {
            trace += text;
            QKDisownString(l, text);
        }
        owed();
        trace += QKCheckSymbol(l, "Sym") ? "Sym" : "no symbol";
        owed();
        int32_t* list = nullptr;
        if (QKGetIntegerList(l, &list, &n)) {
            for (int32_t k = 0; k < n; ++k)
                trace += " " + std::to_string(list[k]);
            QKDisownIntegerList(l, list, n);
        }
        owed();
        double* leaves = nullptr;
        int32_t* dims = nullptr;
        char** heads = nullptr;
        int32_t depth = 0;
        if (QKGetDoubleArray(l, &leaves, &dims, &heads, &depth)) {
            for (int32_t k = 0; k < dims[0] * dims[1]; ++k)
                trace += " " + std::to_string(leaves[k]);
            QKDisownDoubleArray(l, leaves, dims, heads, depth);
        }
        owed();
        double real = 0;
        trace += QKGetDouble(l, &real) ? std::to_string(real) : "no real";
        owed();
        trace += " error " + std::to_string(QKError(l));
        return trace;
    };

    putPacket(link);
    const std::string expected = readPacket(link);
    EXPECT_NE(expected.find("f5 owed 5;g2 owed 6;-7 owed 5;"), std::string::npos) << expected;
    EXPECT_NE(expected.find(" error 0"), std::string::npos) << expected;
    const auto block = static_cast<int>(StreamPool::kBlockSize);
    for (int padding = block - 140; padding <= block + 4; ++padding) {
        SCOPED_TRACE(padding);
        open(nullptr);
        feed(std::string(static_cast<std::size_t>(padding), '\n')); // separators between packets
        putPacket(link);
        EXPECT_EQ(readPacket(link), expected);
    }
}

} // namespace
} // namespace corvinet::testing
