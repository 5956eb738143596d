#include "NumberConverter.h"

#include "NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace corvinet {
namespace {

const NumberConverter& conv = interface2NumberConverter();

std::string realText(double v, int digits = 17) {
    char out[kMaxNumberText];
    return std::string(out, formatReal(v, digits, out));
}

TEST(NumberText, RealsAreWrittenAsTheWireSpellsThem) {
    struct Case {
        const char* name;
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {"exponent above the digits", 100.0, 17, ".1e3"},
        {"integral", 12.0, 17, "12"},
        {"fraction", 1.5, 17, "1.5"},
        {"small", 0.001, 17, ".001"},
        {"negative fraction", -0.25, 17, "-.25"},
        {"zero", 0.0, 17, "0.0"},
        {"negative zero", -0.0, 17, "0.0"},
        {"tiny", 0x1p-24, 17, ".59604644775390625e-7"},
        {"seventeen digits", 0.1, 17, ".10000000000000001"},
        {"float digits", static_cast<double>(0.1f), 9, ".100000001"},
        {"infinity", std::numeric_limits<double>::infinity(), 17, "INF"},
        {"negative infinity", -std::numeric_limits<double>::infinity(), 17, "-INF"},
        {"nan", std::numeric_limits<double>::quiet_NaN(), 17, "NAN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(realText(c.value, c.digits), c.text);
    }
}

TEST(NumberText, RealTextsReadBack) {
    for (double v :
         {100.0, 12.0, 1.5, 0.001, -0.25, 1.5e-7, 0.1, 6.02214076e23, -1e-300,
          std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()}) {
        SCOPED_TRACE(v);
        const std::string text = realText(v);
        double back = 0;
        std::size_t used = 0;
        ASSERT_EQ(parseReal(text.data(), text.size(), back, used), 0);
        EXPECT_EQ(back, v);
        EXPECT_EQ(used, text.size());
    }
}

template <class T>
int fromText(unsigned char type, const std::string& text, uint8_t code, T& out) {
    std::size_t used = 0;
    return conv.fromText(type, text.data(), text.size(), code, &out, used);
}

TEST(NumberConverter, IntegerTextsAreRangeCheckedAtAnyLength) {
    struct Case {
        const char* name;
        const char* text;
        uint8_t code;
        int rc;
        int64_t value;
    } cases[] = {
        {"byte", "99", code::kByte, 0, 99},
        {"byte top", "255", code::kByte, 0, 255},
        {"byte above", "256", code::kByte, 7, 0},
        {"byte negative", "-1", code::kByte, 7, 0},
        {"byte -129", "-129", code::kByte, 7, 0},
        {"short", "-32768", code::kShort, 0, -32768},
        {"short above", "32768", code::kShort, 7, 0},
        {"int", "2147483647", code::kInteger, 0, 2147483647},
        {"int below", "-2147483649", code::kInteger, 7, 0},
        {"int huge", "99999999999999999999999999", code::kInteger, 7, 0},
        {"blanks and sign", "  +42", code::kInteger, 0, 42},
        {"stops at other", "42abc", code::kInteger, 0, 42},
        {"no digits", "abc", code::kInteger, 2, 0},
        {"sign only", "-", code::kInteger, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t value = 0;
        int rc = 0;
        if (c.code == code::kByte) {
            uint8_t v = 0;
            rc = fromText('+', c.text, c.code, v);
            value = v;
        } else if (c.code == code::kShort) {
            int16_t v = 0;
            rc = fromText('+', c.text, c.code, v);
            value = v;
        } else {
            int32_t v = 0;
            rc = fromText('+', c.text, c.code, v);
            value = v;
        }
        EXPECT_EQ(rc, c.rc);
        if (c.rc == 0) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(NumberConverter, RealTexts) {
    double d = 0;
    EXPECT_EQ(fromText('*', "Infinity", code::kDouble, d), 0);
    EXPECT_TRUE(std::isinf(d) && d > 0);
    EXPECT_EQ(fromText('*', "-inf", code::kDouble, d), 0);
    EXPECT_TRUE(std::isinf(d) && d < 0);
    EXPECT_EQ(fromText('*', "NaN", code::kDouble, d), 0);
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    EXPECT_EQ(bits, 0xFFF8000000000000ull);
    EXPECT_EQ(fromText('*', "", code::kDouble, d), 0);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(fromText('*', ".1e3", code::kDouble, d), 0);
    EXPECT_EQ(d, 100.0);
    EXPECT_EQ(fromText('*', "1e400", code::kDouble, d), 7);
    EXPECT_EQ(fromText('*', "1e-400", code::kDouble, d), 0);
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(fromText('*', "word", code::kDouble, d), 2);
    float f = 0;
    EXPECT_EQ(fromText('*', "1e39", code::kFloat, f), 7);
    EXPECT_EQ(fromText('*', "inf", code::kFloat, f), 0);
    EXPECT_TRUE(std::isinf(f));
    // A real text asked for as an integer is rounded, ties to even.
    int32_t i = 0;
    EXPECT_EQ(fromText('*', "2.5", code::kInteger, i), 0);
    EXPECT_EQ(i, 2);
    EXPECT_EQ(fromText('*', "3e10", code::kInteger, i), 7);
}

TEST(NumberConverter, CodeToCodeRoundsAndChecksRanges) {
    struct Case {
        const char* name;
        double in;
        uint8_t to;
        int rc;
        int64_t out;
    } cases[] = {
        {"tie down to even", 2.5, code::kInteger, 0, 2},
        {"tie up to even", 3.5, code::kInteger, 0, 4},
        {"negative half", -0.5, code::kInteger, 0, 0},
        {"byte too big", 300.0, code::kByte, 7, 0},
        {"byte top", 255.0, code::kByte, 0, 255},
        {"short", -32768.4, code::kShort, 0, -32768},
        {"int above", 2147483647.5, code::kInteger, 7, 0},
        {"nan", std::nan(""), code::kInteger, 7, 0},
        {"infinity", INFINITY, code::kShort, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char out[8] = {};
        int32_t count = 1;
        EXPECT_EQ(conv.convertValues(code::kDouble, &c.in, c.to, out, count), c.rc);
        EXPECT_EQ(count, c.rc == 0 ? 1 : 0);
        if (c.rc != 0) continue;
        int64_t value = c.to == code::kByte ? out[0]
                        : c.to == code::kShort
                            ? int16_t(out[0] | out[1] << 8)
                            : int32_t(out[0] | out[1] << 8 | out[2] << 16 | uint32_t(out[3]) << 24);
        EXPECT_EQ(value, c.out);
    }

    const int16_t minusOne = -1;
    uint8_t byte = 0;
    int32_t count = 1;
    EXPECT_EQ(conv.convertValues(code::kShort, &minusOne, code::kByte, &byte, count), 7);
    const uint8_t twoHundred = 200;
    int16_t widened = 0;
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kByte, &twoHundred, code::kShort, &widened, count), 0);
    EXPECT_EQ(widened, 200);

    // The count that comes back says how many values made it before the failing one.
    const double values[] = {1.0, 2.0, 1e10, 4.0};
    int32_t ints[4] = {};
    count = 4;
    EXPECT_EQ(conv.convertValues(code::kDouble, values, code::kInteger, ints, count), 7);
    EXPECT_EQ(count, 2);
}

TEST(NumberConverter, DoubleToFloat) {
    float f = 0;
    int32_t count = 1;
    const double big = 1e39;
    EXPECT_EQ(conv.convertValues(code::kDouble, &big, code::kFloat, &f, count), 7);
    const double limit = 3.4028235e38;
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kDouble, &limit, code::kFloat, &f, count), 0);
    EXPECT_EQ(f, std::numeric_limits<float>::max());
    const double inf = INFINITY;
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kDouble, &inf, code::kFloat, &f, count), 7);
    const double nan = std::nan("");
    count = 1;
    EXPECT_EQ(conv.convertValues(code::kDouble, &nan, code::kFloat, &f, count), 0);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    EXPECT_EQ(bits, 0xFFC00000u);
}

TEST(NumberConverter, ExtendedValuesRoundTripThroughDouble) {
    for (double v : {0.0, 1.0, -2.5, 1e300, -1e-310, std::numeric_limits<double>::denorm_min(),
                     static_cast<double>(INFINITY)}) {
        SCOPED_TRACE(v);
        unsigned char bytes[10];
        encodeExtended(v, bytes);
        EXPECT_EQ(decodeExtended(bytes), v);
        EXPECT_EQ(decodeLongDouble(bytes), static_cast<long double>(v));
    }
    unsigned char nan[10];
    encodeExtended(std::nan(""), nan);
    EXPECT_EQ(nan[9], 0xFF);
    EXPECT_EQ(nan[8], 0xFF);
    EXPECT_EQ(nan[7], 0xC0);
    EXPECT_TRUE(std::isnan(decodeExtended(nan)));
}

TEST(NumberConverter, RawOperation) {
    // Capability query.
    uint32_t words[4] = {};
    char id[16];
    int32_t count = sizeof id;
    EXPECT_EQ(conv.convert(0, id, words, &count), 0);
    EXPECT_EQ(words[0], 0u);
    EXPECT_EQ(words[1], 0x00000002u);
    EXPECT_EQ(words[2], 0x01000000u);
    EXPECT_EQ(words[3], 0x00500014u);
    EXPECT_STREQ(id, "setter");
    EXPECT_EQ(count, 6);

    // Sizes.
    const uint8_t codes[] = {code::kByte,  code::kShort,  code::kInteger,
                             code::kFloat, code::kDouble, code::kExtended,
                             0x99};
    const int sizes[] = {1, 2, 4, 4, 8, 10, 0};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(conv.convert(codes[i], nullptr, nullptr, nullptr), sizes[i]);

    // A number to text, right-aligned with its offset in the first byte.
    unsigned char buffer[32];
    const int32_t value = -1234;
    count = sizeof buffer;
    EXPECT_EQ(conv.convert(code::kInteger | '+' << 8, buffer, const_cast<int32_t*>(&value), &count),
              0);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(buffer[0], 32 - 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + buffer[0]), 5), "-1234");

    // Text to a number reports the characters used.
    char text[] = "  77 rest";
    int16_t s = 0;
    count = sizeof text - 1;
    EXPECT_EQ(conv.convert('+' | code::kShort << 8, &s, text, &count), 0);
    EXPECT_EQ(s, 77);
    EXPECT_EQ(count, 4);

    // Interface-1 codes are taken as their interface-2 kin.
    const int16_t fromOne = 12;
    int32_t widened = 0;
    count = 1;
    EXPECT_EQ(conv.convert(code::kShort1 | code::kInteger << 8, &widened,
                           const_cast<int16_t*>(&fromOne), &count),
              0);
    EXPECT_EQ(widened, 12);
}

} // namespace
} // namespace corvinet
