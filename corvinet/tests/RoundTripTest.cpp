// Every token type put on a loopback link and got back, toward peers that read different
// element encodings and number codes.

#include "WireFixture.h"

#include <cmath>
#include <cstring>
#include <string>

namespace corvinet::testing {
namespace {

struct Peer {
    const char* name;
    const char* features; // null: this library's own
};

const Peer kPeers[] = {
    {"own features", nullptr},
    {"7-bit text only", "Corvinet 3 -formats 1"},
    {"8-bit text only", "Corvinet 3 -formats 2"},
    {"16-bit text only", "Corvinet 3 -formats 3"},
    {"plain form only", "Corvinet 3 -formats 7"},
    {"no binary numbers, no compact counts", "Corvinet 3 -formats 1,2,3,7 -tokens '' -decoders 0"},
};

std::u16string characters(const char* text) {
    std::u16string out;
    for (int c; (c = QKNextCharacter(&text, text + std::strlen(text))) >= 0;)
        out.push_back(static_cast<char16_t>(c));
    return out;
}

class RoundTrip : public LoopbackTest, public ::testing::WithParamInterface<Peer> {
protected:
    void SetUp() override {
        LoopbackTest::SetUp();
        open(GetParam().features);
    }
};

TEST_P(RoundTrip, EveryTokenType) {
    const unsigned char bytes[] = {'a', 0, 0xE9, '\\', 0xFF};
    const char16_t wide[] = {u'x', 0x3B1, 0x2212, 0};

    ASSERT_TRUE(QKPutFunction(link, "EvaluatePacket", 1));
    ASSERT_TRUE(QKPutFunction(link, "TYSimplify", 9));
    ASSERT_TRUE(QKPutString(link, "tab\\tand \\:03B1 and \\\\"));
    ASSERT_TRUE(QKPutSymbol(link, "x$1"));
    ASSERT_TRUE(QKPutByteString(link, bytes, 5));
    ASSERT_TRUE(QKPutUnicodeString(link, wide, 4));
    ASSERT_TRUE(QKPutInteger(link, -2147483647 - 1));
    ASSERT_TRUE(QKPutDouble(link, -0.1));
    ASSERT_TRUE(QKPutLongDouble(link, 2.5L));
    const uint8_t byte = 200;
    ASSERT_TRUE(QKPutBinaryNumber(link, &byte, 0xA1));
    ASSERT_TRUE(QKPutFunction(link, "List", 0));
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));

    int32_t n = -1;
    const char* s = nullptr;
    ASSERT_EQ(QKGetType(link), QKTOK_FUNCTION);
    ASSERT_TRUE(QKGetFunction(link, &s, &n));
    EXPECT_STREQ(s, "EvaluatePacket");
    EXPECT_EQ(n, 1);
    QKDisownSymbol(link, s);
    EXPECT_TRUE(QKCheckFunction(link, "TYSimplify", &n));
    EXPECT_EQ(n, 9);
    int32_t owed = 0;
    QKExpressionsToGet(link, &owed);
    EXPECT_EQ(owed, 9);

    ASSERT_EQ(QKGetNext(link), QKTOK_STRING);
    ASSERT_TRUE(QKGetString(link, &s));
    // 7-bit text may come back spelled otherwise; its characters are the same.
    EXPECT_EQ(characters(s), characters("tab\\tand \\:03B1 and \\\\"));
    QKDisownString(link, s);

    ASSERT_EQ(QKGetNext(link), QKTOK_SYMBOL);
    ASSERT_TRUE(QKCheckSymbol(link, "x$1"));

    const unsigned char* b = nullptr;
    int32_t length = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_STRING);
    ASSERT_TRUE(QKGetByteString(link, &b, &length, '?'));
    ASSERT_EQ(length, 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b), 5),
              std::string(reinterpret_cast<const char*>(bytes), 5));
    QKDisownByteString(link, b, length);

    const char16_t* w = nullptr;
    ASSERT_EQ(QKGetNext(link), QKTOK_STRING);
    ASSERT_TRUE(QKGetUnicodeString(link, &w, &length));
    ASSERT_EQ(length, 4);
    EXPECT_EQ(std::u16string(w, 4), std::u16string(wide, 4));
    QKDisownUnicodeString(link, w, length);

    int32_t i = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_INTEGER);
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, -2147483647 - 1);

    double d = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_REAL);
    ASSERT_TRUE(QKGetDouble(link, &d));
    EXPECT_EQ(d, -0.1);

    long double ld = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_REAL);
    ASSERT_TRUE(QKGetLongDouble(link, &ld));
    EXPECT_EQ(ld, 2.5L);

    uint8_t back = 0;
    ASSERT_EQ(QKGetNext(link), QKTOK_INTEGER);
    ASSERT_TRUE(QKGetBinaryNumber(link, &back, 0xA1));
    EXPECT_EQ(back, 200);

    EXPECT_TRUE(QKCheckFunctionWithArgCount(link, "List", &(n = 0)));
    QKExpressionsToGet(link, &owed);
    EXPECT_EQ(owed, 0);
    EXPECT_EQ(QKError(link), 0) << QKErrorMessage(link);
    EXPECT_FALSE(QKReady(link));
    EXPECT_EQ(QKError(link), 0);
}

TEST_P(RoundTrip, NestedExpressionsTokenByToken) {
    // f[g[1, "s"], h[], 2.5] as a packet, then a second packet.
    QKPutFunction(link, "f", 3);
    QKPutFunction(link, "g", 2);
    QKPutInteger(link, 1);
    QKPutString(link, "s");
    QKPutFunction(link, "h", 0);
    QKPutDouble(link, 2.5);
    QKEndPacket(link);
    QKPutSymbol(link, "next");
    QKEndPacket(link);
    ASSERT_EQ(QKError(link), 0);

    const int tokens[] = {QKTOK_FUNCTION, QKTOK_SYMBOL, QKTOK_FUNCTION, QKTOK_SYMBOL,
                          QKTOK_INTEGER,  QKTOK_STRING, QKTOK_FUNCTION, QKTOK_SYMBOL,
                          QKTOK_REAL,     QKTOK_SYMBOL};
    for (int expected : tokens) {
        const int got = QKGetNext(link);
        ASSERT_EQ(got, expected) << QKErrorMessage(link);
        if (got == QKTOK_FUNCTION) {
            int32_t n;
            ASSERT_TRUE(QKGetArgCount(link, &n));
        }
    }
    EXPECT_EQ(QKError(link), 0);
}

INSTANTIATE_TEST_SUITE_P(Peers, RoundTrip, ::testing::ValuesIn(kPeers), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
});

} // namespace
} // namespace corvinet::testing
