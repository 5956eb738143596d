// The exported text codec as programs call it.

#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(CharacterFunctions, ConvertByteString) {
    const unsigned char source[] = {0x41, 0x5C, 0x0A, 0xE9};
    char buffer[16];
    char* out = buffer;
    EXPECT_EQ(QKConvertByteString(source, 4, &out, buffer + sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, out), "A\\\\\\012\\351");
    EXPECT_EQ(out - buffer, 11);

    char* counted = buffer;
    EXPECT_EQ(QKConvertByteString(source, 4, &counted, nullptr), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(counted), 11u);

    // Three bytes left and the next character needs four: it and the rest stay unconverted.
    out = buffer;
    EXPECT_EQ(QKConvertByteString(source, 4, &out, buffer + 6), 2);
    EXPECT_EQ(std::string(buffer, out), "A\\\\");

    const unsigned char line[] = {'a', '\n'};
    out = buffer;
    EXPECT_EQ(QKConvertByteStringNL(line, 2, &out, buffer + sizeof buffer, '\n'), 0);
    EXPECT_EQ(std::string(buffer, out), "a\\n");
}

TEST(CharacterFunctions, ConvertUnicodeAndDoubleByteStrings) {
    const char16_t wide[] = {0x3B1, 0xFF};
    char buffer[16];
    char* out = buffer;
    EXPECT_EQ(QKConvertUnicodeString(wide, 2, &out, buffer + sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, out), "\\:03B1\\377");

    const unsigned char pairs[] = {0x22, 0x12, 0x00, 0x41};
    out = buffer;
    EXPECT_EQ(QKConvertDoubleByteString(pairs, 2, &out, buffer + sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer, out), "\\:2212A");

    EXPECT_EQ(QKConvertCharacter(0x3B1, nullptr), 6);
    out = buffer;
    EXPECT_EQ(QKConvertCharacter('\\', &out), 2);
    EXPECT_EQ(QKConvertNewLine(&out), 2);
    EXPECT_EQ(std::string(buffer, out), "\\\\\\n");
}

TEST(CharacterFunctions, ScanningEscapedText) {
    const char* minus = "\\:2212x";
    const char* p = minus;
    EXPECT_EQ(QKNextCharacter(&p, minus + 7), 0x2212);
    EXPECT_EQ(p - minus, 6);
    const char* dot = "\\.41";
    p = dot;
    EXPECT_EQ(QKNextCharacter(&p, nullptr), 0x41);
    const char* named = "\\[Name]";
    EXPECT_EQ(QKStringCharacter(named, named + 7), -2);
    // Zero-terminated text is looked at six bytes at a time: a long name is cut off.
    EXPECT_EQ(QKStringCharacter(named, nullptr), -1);
    EXPECT_EQ(QKStringCharacter("", nullptr), -1);

    const char* text = "a\\nb";
    p = text;
    EXPECT_EQ(QKCharacterOffset(&p, nullptr, -1), ~3);
    EXPECT_EQ(*p, 0);
    p = text;
    EXPECT_EQ(QKCharacterOffset(&p, nullptr, 2), 0);
    EXPECT_EQ(*p, 'b');
    p = "a\\q";
    EXPECT_EQ(QKCharacterOffset(&p, nullptr, -1), -1);

    int32_t offset = 1;
    EXPECT_EQ(QKNextCharacter0(text, &offset, -1), '\n');
    EXPECT_EQ(offset, 3);

    // The walk a program does over a link string.
    QKStringPosition position;
    QKStringFirstPosFun("x\\:03B1", &position);
    std::u16string walked;
    while (QKStringCharacter(position.cursor, position.end) >= 0)
        walked.push_back(static_cast<char16_t>(QKNextCharacter(&position.cursor, position.end)));
    EXPECT_EQ(walked, u"x\u03B1");
}

TEST(CharacterFunctions, OldForm) {
    struct Case {
        int32_t c;
        std::string bytes;
    } cases[] = {{0, "\xFF"}, {0x3B1, "\xFB\x03\xB1"}, {0x100, "\xFA\x01"}, {0xF9, "\xF8\xF9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.c);
        unsigned char buffer[4];
        unsigned char* out = buffer;
        EXPECT_EQ(QKOldPutCharToString(c.c, &out), static_cast<int32_t>(c.bytes.size()));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), reinterpret_cast<char*>(out)),
                  c.bytes);
        EXPECT_EQ(QKOldPutCharToString(c.c, nullptr), static_cast<int32_t>(c.bytes.size()));
    }

    const char16_t wide[] = {'a', 0, 0x3B1, 0x100, 0xF9};
    unsigned char text[16] = {};
    unsigned char* out = text;
    EXPECT_EQ(QKOldConvertUnicodeString(wide, 5, &out, text + sizeof text - 1), 0);
    *out = 0;
    QKOldStringPosition position;
    std::u16string walked;
    for (QKOldStringFirstPosFun(text, &position); position.kind != 0;
         QKOldStringNextPosFun(&position))
        walked.push_back(static_cast<char16_t>(QKOldStringCharFun(&position)));
    EXPECT_EQ(walked, std::u16string(wide, 5));

    // Two bytes free, a three-byte character next: it stays unconverted.
    out = text;
    EXPECT_EQ(QKOldConvertUnicodeString(wide + 2, 1, &out, text + 2), 1);
    EXPECT_EQ(out, text);
}

} // namespace
