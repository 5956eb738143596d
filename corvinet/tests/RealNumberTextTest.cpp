// Real-number text between the program's form (precision mark, `*^` exponent) and the wire's.

#include "RealNumberText.h"

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

struct RealCase {
    const char16_t* program;
    const char16_t* wire;
};

TEST(RealNumberText, ProgramTextToWire) {
    const RealCase cases[] = {
        {u"1.5", u"1.5"},          {u"1.5`20*^3", u"1.5e3"},
        {u"1.5*^-3", u"1.5e-3"},   {u"-2.`", u"-2."},
        {u"2.5e7 rest", u"2.5e7"}, {u"7.25 rest", u"7.25"},
        {u"3.0*^", u"3.0"},        {u"", u""},
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(std::string(c.program, c.program + std::u16string_view(c.program).size()));
        EXPECT_EQ(wireRealText(c.program), c.wire);
    }
}

TEST(RealNumberText, WireTextToProgram) {
    const RealCase cases[] = {
        {u"1.5*^3", u"1.5e3"}, {u"1.5`20*^3", u"1.5`20e3"}, {u"1.5`20*^3", u"1.5e3`20"},
        {u".1*^-3", u".1E-3"}, {u"12.5", u"12.5"},          {u"INF", u"INF"},
    };
    for (const RealCase& c : cases) {
        SCOPED_TRACE(std::string(c.wire, c.wire + std::u16string_view(c.wire).size()));
        EXPECT_EQ(programRealText(c.wire), c.program);
    }
}

class RealStrings : public LoopbackTest {};

TEST_F(RealStrings, PutInWireFormAndGetBackInProgramForm) {
    const auto* text = reinterpret_cast<const unsigned char*>("1.5`20*^3");
    ASSERT_TRUE(QKPutRealByteString0(link, text));
    EXPECT_EQ(wire(), "*\x48"
                      "B~\x45"
                      "1.5e3\n");
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "1.5`20*^3");

    ASSERT_TRUE(QKPutRealByteString0(link, text));
    ASSERT_TRUE(QKPutRealUnicodeString0(link, u"-2*^-4"));
    ASSERT_TRUE(QKPutDouble(link, 100.0));
    ASSERT_TRUE(QKPutString(link, "1e5"));
    ASSERT_TRUE(QKFlush(link));

    const char* program = nullptr;
    ASSERT_TRUE(QKGetString0(link, &program));
    EXPECT_STREQ(program, "1.5*^3");
    QKDisownString(link, program);

    EXPECT_EQ(QKGetType(link), QKTOK_REAL);
    const char16_t* wide = nullptr;
    int32_t length = 0;
    ASSERT_TRUE(QKGetUnicodeString0(link, &wide, &length));
    EXPECT_EQ(std::u16string(wide, static_cast<std::size_t>(length)), u"-2*^-4");
    QKDisownUnicodeString(link, wide, length);

    const unsigned char* bytes = nullptr;
    ASSERT_TRUE(QKGetByteString0(link, &bytes, &length, '?'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)),
              ".1*^3");
    QKDisownByteString(link, bytes, length);

    // Only real-number tokens are rewritten.
    ASSERT_TRUE(QKGetString0(link, &program));
    EXPECT_STREQ(program, "1e5");
    QKDisownString(link, program);
}

TEST_F(RealStrings, NullTextIsRefused) {
    EXPECT_FALSE(QKPutRealByteString0(link, nullptr));
    EXPECT_EQ(QKError(link), QKERR_PUT_SEQUENCE);
}

} // namespace
} // namespace corvinet::testing
