#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

TEST(Cp1252, EveryByteSurvivesUnicodeAndBack) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(platform::ToCp1252(platform::FromCp1252(all)), all);
}

TEST(Cp1252, KnownCharacters) {
    struct Case {
        uint8_t byte;
        char16_t unicode;
    };
    const Case cases[] = {
        {'A', u'A'},       {0x80, u'\u20AC'}, {0x85, u'\u2026'},
        {0x8A, u'\u0160'}, {0x96, u'\u2013'}, {0x9F, u'\u0178'},
        {0xA0, u'\u00A0'}, {0xE9, u'\u00E9'}, {0xFF, u'\u00FF'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(platform::Cp1252ToUnicode(c.byte), c.unicode);
        EXPECT_EQ(platform::UnicodeToCp1252(c.unicode), c.byte);
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageAreReplacedOneForOne) {
    // Greek alpha, an emoji (a surrogate pair in UTF-16) and CJK have no byte.
    const QString text = QString::fromUtf8("a\xCE\xB1"
                                           "b\xF0\x9F\x98\x80"
                                           "c\xE4\xB8\xAD");
    EXPECT_EQ(platform::ToCp1252(text), "a?b?c?");
    EXPECT_EQ(platform::ToCp1252(text, '_'), "a_b_c_");
    EXPECT_FALSE(platform::UnicodeToCp1252(0x3B1).has_value());
}

} // namespace
