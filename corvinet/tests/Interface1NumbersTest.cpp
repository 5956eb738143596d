#include "NumberConverter.h"

#include <gtest/gtest.h>

#include <cstring>

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
