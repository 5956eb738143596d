#include "CharacterEscapes.h"

#include <gtest/gtest.h>

#include <string>

namespace corvinet {
namespace {

std::string escaped(uint32_t c, int newline = -1) {
    unsigned char out[8];
    const unsigned char* end = writeEscaped(c, out, newline);
    EXPECT_EQ(end - out, escapedSize(c, newline));
    return std::string(reinterpret_cast<const char*>(out), reinterpret_cast<const char*>(end));
}

TEST(CharacterEscapes, WritesEveryClassOfCharacter) {
    struct Case {
        const char* name;
        uint32_t c;
        const char* text;
    } cases[] = {
        {"printable", 'A', "A"},
        {"blank", ' ', " "},
        {"tilde", '~', "~"},
        {"backslash", '\\', "\\\\"},
        {"control", 0x0A, "\\012"},
        {"delete", 0x7F, "\\177"},
        {"latin", 0xE9, "\\351"},
        {"top byte", 0xFF, "\\377"},
        {"greek", 0x3B1, "\\:03B1"},
        {"minus", 0x2212, "\\:2212"},
        {"kept to 16 bits", 0x10041, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(escaped(c.c), c.text);
    }
    EXPECT_EQ(escaped('\n', '\n'), "\\n");
}

struct Decoded {
    int value;
    int bytes; // consumed
};

Decoded decode(const std::string& text) {
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* p = begin;
    const int value = decodeCharacter(p, begin + text.size());
    return {value, static_cast<int>(p - begin)};
}

TEST(CharacterEscapes, DecodesEveryEscape) {
    struct Case {
        const char* name;
        std::string text;
        int value;
        int bytes;
    } cases[] = {
        {"plain", "ab", 'a', 1},
        {"high byte as itself", "\xE9", 0xE9, 1},
        {"newline letter", "\\n", 10, 2},
        {"tab", "\\t", 9, 2},
        {"return", "\\r", 13, 2},
        {"bell", "\\a", 7, 2},
        {"backspace", "\\b", 8, 2},
        {"form feed", "\\f", 12, 2},
        {"vertical tab", "\\v", 11, 2},
        {"quote", "\\\"", '"', 2},
        {"apostrophe", "\\'", '\'', 2},
        {"question", "\\?", '?', 2},
        {"backslash", "\\\\", '\\', 2},
        {"escaped line feed", "\\\n", '\n', 2},
        {"escaped return", "\\\r", '\r', 2},
        {"one octal digit", "\\7x", 7, 2},
        {"three octal digits", "\\3512", 0xE9, 4},
        {"four hex digits", "\\:2212", 0x2212, 6},
        {"lower-case hex", "\\:03b1", 0x3B1, 6},
        {"two hex digits", "\\.41", 0x41, 4},
        {"x with many digits", "\\x12345", 0x2345, 7},
        {"named", "\\[Alpha]z", kNamedCharacter, 8},
        {"unknown letter", "\\q", kBadCharacter, 0},
        {"short hex", "\\:22", kBadCharacter, 0},
        {"bad hex digit", "\\:22G2", kBadCharacter, 0},
        {"x without digits", "\\xg", kBadCharacter, 0},
        {"unclosed name", "\\[Alpha", kBadCharacter, 0},
        {"lone backslash", "\\", kBadCharacter, 0},
        {"empty", "", kBadCharacter, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.text);
        EXPECT_EQ(d.value, c.value);
        EXPECT_EQ(d.bytes, c.bytes);
    }
}

TEST(CharacterEscapes, EveryCharacterSurvivesEscapeAndDecode) {
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        const std::string text = escaped(c);
        const Decoded d = decode(text);
        ASSERT_EQ(d.value, static_cast<int>(c)) << c;
        ASSERT_EQ(d.bytes, static_cast<int>(text.size())) << c;
    }
}

TEST(CharacterEscapes, OldFormRoundTripsAndNeverWritesZero) {
    struct Case {
        uint32_t c;
        std::string bytes;
    } cases[] = {
        {0, "\xFF"},
        {'a', "a"},
        {0xF7, "\xF7"},
        {0xF8, "\xF8\xF8"},
        {0xFF, "\xF8\xFF"},
        {0x100, "\xFA\x01"},
        {0x3B1, std::string("\xFB\x03\xB1", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.c);
        unsigned char out[4];
        const unsigned char* end = writeOldForm(c.c, out);
        EXPECT_EQ(
            std::string(reinterpret_cast<const char*>(out), reinterpret_cast<const char*>(end)),
            c.bytes);
        EXPECT_EQ(end - out, oldFormSize(c.c));
        const unsigned char* p = out;
        EXPECT_EQ(decodeOldForm(p, end), static_cast<int>(c.c));
        EXPECT_EQ(p, end);
    }
    // A character cut off by the end of the text is not read past it.
    const unsigned char cut[] = {0xFB, 0x03};
    const unsigned char* p = cut;
    EXPECT_EQ(decodeOldForm(p, cut + 2), kBadCharacter);
    EXPECT_EQ(p, cut);
}

} // namespace
} // namespace corvinet
