#include "expr/LinkString.h"

#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The characters of 7-bit link text.
std::u16string Characters(const std::string& link) {
    std::u16string out;
    const char* text = link.data();
    for (int32_t c; (c = QKNextCharacter(&text, link.data() + link.size())) >= 0;)
        out.push_back(static_cast<char16_t>(c));
    return out;
}

// Link text holding the given characters.
std::string LinkText(std::u16string_view characters) {
    std::string out;
    for (const char16_t c : characters) {
        char buffer[8];
        char* at = buffer;
        QKConvertCharacter(c, &at);
        out.append(buffer, at);
    }
    return out;
}

struct Received {
    const char* name;
    std::u16string link;
    std::string plain;
    std::string escaped;
};

const Received kReceived[] = {
    {"line feed and return", u"a\nb\rc", "a\rb\rc", "a\rb\rc"},
    {"tab", u"a\tb", "a b", "a b"},
    {"private backslash forms", u"\uF7C0\uF7C1\uF7CB\uF7CC", "\\)\\!\\+\\/", "\\)\\!\\+\\/"},
    {"private code without a form", u"x\uF7C4y", "x\\y", "x\\y"},
    {"private code past the forms", u"\uF7D5", "\\", "\\"},
    // The internal code of e-acute is the math font's capital pi, and the kernel's e-acute has
    // no code of its own: the escaped form keeps it.
    {"Latin letter", u"caf\u00E9\u03A0", "caf*\xE9", "caf\\:00e9\\:03a0"},
    {"character no code stands for", u"\u4E00!", "*!", "\\:4e00!"},
    {"Greek capital gamma of the math font", u"\u0393", "\xFB", "\\:0393"},
    {"curly quotes", u"\u201Cx\u2019", "\x93x\x92", "\\:201cx\\:2019"},
    {"empty", u"", "", ""},
};

TEST(LinkString, ConvertsReceivedStrings) {
    for (const Received& row : kReceived) {
        SCOPED_TRACE(row.name);
        const std::string link = LinkText(row.link);
        EXPECT_EQ(ConvertLinkString(link), row.plain);
        EXPECT_EQ(ConvertLinkStringEscaped(link), row.escaped);
    }
}

TEST(LinkString, SymbolsHaveNoPrivateForms) {
    EXPECT_EQ(ConvertLinkSymbol(LinkText(u"a\uF7C4")), "a*");
    // Alpha comes back as the byte the math font draws it with.
    EXPECT_EQ(ConvertLinkSymbol(LinkText(u"\u03B1")), "\xA8");
}

// Each escape takes six bytes for one character: a long answer must come through whole.
TEST(LinkString, EscapedResultIsSizedForItsText) {
    const std::u16string many(5000, u'\u00E9');
    const std::string escaped = ConvertLinkStringEscaped(LinkText(many));
    ASSERT_EQ(escaped.size(), 5000u * 6);
    EXPECT_EQ(escaped.substr(escaped.size() - 6), "\\:00e9");
}

TEST(LinkString, SendsProgramTextAsUnicode) {
    EXPECT_EQ(ConvertToLinkString(""), "");
    EXPECT_EQ(Characters(ConvertToLinkString("x+1")), u"x+1");
    EXPECT_EQ(Characters(ConvertToLinkString("\x93q\x94")), u"\u201Cq\u201D");
    EXPECT_EQ(Characters(ConvertToLinkString("\xE9")), u"\u03A0");
    // Heads of the symbol table are in internal codes: alpha goes out as the Greek letter.
    EXPECT_EQ(Characters(ConvertInternalToLinkSymbol("\xAC")), u"\u03B1");
    EXPECT_EQ(Characters(ConvertInternalToLinkSymbol("\x9E")), u"\u0393");
    // Math text goes through the Mac OS Roman table.
    EXPECT_EQ(Characters(ConvertMathToLinkString("a")), u"a");
}

// Texts longer than any fixed buffer convert whole, both ways.
TEST(LinkString, LongTextsConvertWhole) {
    const std::string text(10000, '\xE9');
    const std::string link = ConvertToLinkString(text);
    EXPECT_EQ(Characters(link).size(), 10000u);
    EXPECT_EQ(ConvertLinkString(link), text);
}

// Characters the kernel has no code for (a-umlaut, o-umlaut, e-grave, e-circumflex, u-acute,
// AE) once went out as NUL, which also cut the text when it came back.
TEST(LinkString, CharactersWithoutKernelCodesTravelAndComeBack) {
    for (const char c : std::string("\xE4\xF6\xE8\xEA\xFA\xC6")) {
        const std::string text = std::string("a") + c + "b";
        const std::string link = ConvertToLinkString(text);
        EXPECT_EQ(Characters(link).find(u'\0'), std::u16string::npos) << int(uint8_t(c));
        EXPECT_EQ(ConvertLinkString(link), text) << int(uint8_t(c));
    }
}

// Every printable byte goes out and comes back as itself, except the few that share a
// character with another (two bytes the code page leaves undefined, and the soft hyphen).
// Control bytes carry the math font's signs.
TEST(LinkString, EveryByteRoundTrips) {
    std::vector<int> changed;
    for (int b = 0x20; b < 256; ++b) {
        const std::string text(1, static_cast<char>(b));
        if (ConvertLinkString(ConvertToLinkString(text)) != text) changed.push_back(b);
    }
    EXPECT_EQ(changed, (std::vector<int>{0x81, 0x90, 0xAD}));
}

TEST(LinkString, UnknownCharactersFindTheStar) {
    EXPECT_EQ(FindInternalCode(u'\u4E00'), '*');
    EXPECT_EQ(FindInternalCode(u'\u03B1'), 0xAC);
    EXPECT_EQ(FindInternalCode(u'\u2202'), 0xF3); // the table's partial sign, not a stand-in
    EXPECT_EQ(FindInternalCode(0), 0);
}

} // namespace
