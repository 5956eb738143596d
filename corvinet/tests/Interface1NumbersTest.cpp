#include "Link.h"
#include "NumberConverter.h"
#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace corvinet {
namespace {

TEST(Interface1Numbers, BuildUsesItsOwnCodes) {
    const NumberConverter& conv = buildNumberConverter();
    EXPECT_EQ(&conv, &interface1NumberConverter());
    EXPECT_STREQ(conv.numericsId(), "Sep 13 1996, 13:46:34");
    const CodeMask expected{0, 0x00000002, 0x000E000E, 0};
    EXPECT_EQ(conv.acceptedCodes(), expected);
    for (uint8_t c : {code::kShort1, code::kInt1, code::kLong1, code::kFloat1, code::kDouble1,
                      code::kLongDouble1})
        EXPECT_TRUE(acceptsCode(conv.acceptedCodes(), c)) << int(c);

    struct Size {
        uint8_t code;
        int size;
    } sizes[] = {{code::kByte, 1},        {code::kShort1, 2},    {code::kInt1, 4},
                 {code::kLong1, 4},       {code::kFloat1, 4},    {code::kDouble1, 8},
                 {code::kLongDouble1, 8}, {code::kExtended, 10}, {code::kInteger, 0}};
    for (const Size& s : sizes)
        EXPECT_EQ(conv.sizeOf(s.code), s.size) << int(s.code);
}

TEST(Interface1Numbers, ConversionsOfTheirOwn) {
    const NumberConverter& conv = buildNumberConverter();
    int32_t out = 0;
    int32_t count = 1;
    const double half = 2.5;
    EXPECT_EQ(conv.convertValues(code::kDouble1, &half, code::kLong1, &out, count), 0);
    EXPECT_EQ(out, 2);
    const double big = 3.0e10;
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kDouble1, &big, code::kLong1, &out, count), 7);

    const int32_t value = 123456;
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kInt1, &value, code::kLong1, &out, count), 0);
    EXPECT_EQ(out, 123456);

    // 0xD8 has a size here but no conversions.
    unsigned char extended[10] = {};
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kExtended, extended, code::kDouble1, &out, count), -1);

    std::size_t used = 0;
    int32_t parsed = 0;
    EXPECT_EQ(conv.fromText('+', "2147483648", 10, code::kLong1, &parsed, used), 7);
    char text[32];
    std::size_t length = 0;
    const double third = 1.0 / 3;
    EXPECT_EQ(conv.toText(code::kLongDouble1, &third, text, length), 0);
    EXPECT_EQ(std::string(text, length), ".33333333333333331");
}

} // namespace
} // namespace corvinet

namespace corvinet {
namespace {

// A loopback link of the interface-1 build, toward a peer that takes its codes in binary or,
// with `features`, one that takes none.
class Interface1Link : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QKNewParameters(block, 1, 7), 7);
        QKSetDeviceParameter(block, "");
        env = QKBegin(block);
        ASSERT_NE(env, nullptr);
    }
    void TearDown() override {
        if (link) QKClose(link);
        QKEnd(env);
    }
    void open(const char* features) {
        int32_t error = 0;
        link = features ? QKLoopbackOpen0(env, features, &error) : QKLoopbackOpen(env, &error);
        ASSERT_NE(link, nullptr) << error;
    }
    std::string wire() {
        QKFlush(link);
        std::string bytes;
        for (uint8_t b; link->stream.available() > 0 && link->stream.getByte(b) == 0;)
            bytes.push_back(static_cast<char>(b));
        return bytes;
    }

    QKParameters block{};
    QKENV env = nullptr;
    QKLINK link = nullptr;
};

TEST_F(Interface1Link, ShortIntegerTravelsAsTheIntCode) {
    open(nullptr);
    ASSERT_TRUE(QKPutShortInteger(link, 5));
    EXPECT_EQ(wire(), std::string("\xC2\x05\x00\x00\x00\n", 6));

    QKClose(link);
    link = nullptr;
    open("Corvinet 3 -formats 1,2,3,7");
    ASSERT_TRUE(QKPutShortInteger(link, 5));
    EXPECT_EQ(wire(), "+\x44"
                      "B~\x41"
                      "5\n");
}

TEST_F(Interface1Link, NumbersRoundTripWithTheirOwnCodes) {
    open(nullptr);
    QKPutInteger(link, -7);
    QKPutLongInteger(link, 123456789);
    QKPutFloat(link, 0.5);
    QKPutLongDouble(link, 2.25L);
    QKPutDouble(link, 2.5);
    QKPutDouble(link, 3.0e10);

    int16_t s = 0;
    ASSERT_TRUE(QKGetShortInteger(link, &s));
    EXPECT_EQ(s, -7);
    int32_t l = 0;
    ASSERT_TRUE(QKGetLongInteger(link, &l));
    EXPECT_EQ(l, 123456789);
    float f = 0;
    ASSERT_TRUE(QKGetFloat(link, &f));
    EXPECT_EQ(f, 0.5f);
    long double ld = 0;
    ASSERT_TRUE(QKGetLongDouble(link, &ld));
    EXPECT_EQ(ld, 2.25L);
    ASSERT_TRUE(QKGetLongInteger(link, &l));
    EXPECT_EQ(l, 2);
    EXPECT_EQ(QKGetLongInteger(link, &l), 0);
    EXPECT_EQ(QKError(link), QKERR_NUMBER_OVERFLOW);
}

TEST_F(Interface1Link, ArraysUseTheBuildsCodes) {
    open(nullptr);
    const long double values[] = {0.5L, -2.25L};
    const int32_t two[] = {2};
    ASSERT_TRUE(QKPutLongDoubleArray(link, values, two, nullptr, 1));
    const int16_t shorts[] = {3, -4};
    ASSERT_TRUE(QKPutShortIntegerArray(link, shorts, two, nullptr, 1));
    ASSERT_TRUE(QKFlush(link));

    int32_t* dims = nullptr;
    char** heads = nullptr;
    int32_t depth = 0;
    QKARRAYSTATE state = nullptr;
    ASSERT_TRUE(QKGetArrayType(link, &state, &depth));
    long double back[2] = {};
    ASSERT_TRUE(QKGetLongDoubleArrayData(link, state, back, 2));
    EXPECT_EQ(back[0], 0.5L);
    EXPECT_EQ(back[1], -2.25L);

    int16_t* s = nullptr;
    ASSERT_TRUE(QKGetShortIntegerArray(link, &s, &dims, &heads, &depth));
    EXPECT_EQ(s[1], -4);
    QKDisownShortIntegerArray(link, s, dims, heads, depth);
}

} // namespace
} // namespace corvinet
