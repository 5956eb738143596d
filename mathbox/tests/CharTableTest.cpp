#include "mathbox/CharTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The classes as a whole, stated independently of the per-row data: a typing slip in any row
// shows up here.
TEST(CharTable, ClassesOfAllIndexes) {
    const std::set<int> spaces = {9, 32, 127};
    const std::set<int> relations = {4,   60,  61,  62,  128, 129, 130, 131,
                                     132, 133, 137, 173, 178, 179, 197, 217};
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const bool letter = (i >= 'A' && i <= 'Z') || (i >= 'a' && i <= 'z');
        const CharClass expected = letter               ? CC_LETTER
                                   : spaces.count(i)    ? CC_SPACE
                                   : relations.count(i) ? CC_RELATION
                                                        : CC_OTHER;
        EXPECT_EQ(CharTable[i].charClass, expected);
    }
}

TEST(CharTable, InvariantsOfEveryRecord) {
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const CharInfo& info = CharTable[i];
        ASSERT_NE(info.textForm, nullptr);
        ASSERT_NE(info.mathForm, nullptr);
        // Rows of the built-in symbol table run from 1 to 296.
        EXPECT_GE(info.symbolIndex, 0);
        EXPECT_LE(info.symbolIndex, 296);
        if (i < 128) {
            EXPECT_EQ(info.altCode, i);
        }
    }
}

TEST(CharTable, SelectedRecords) {
    struct Case {
        const char* name;
        int index;
        CharClass charClass;
        std::string textForm;
        std::string mathForm;
        int symbolIndex;
        int altCode;
    };
    const Case cases[] = {
        {"control code", 0, CC_OTHER, "", "", 0, 0},
        {"Psi", 1, CC_OTHER, "", "\\Psi ", 85, 1},
        {"nabla", 2, CC_OTHER, "", "\\nabla ", 0, 2},
        {"element of", 4, CC_RELATION, "", "\\in ", 0, 4},
        {"eta", 5, CC_OTHER, "", "\\eta ", 40, 5},
        {"lambda", 6, CC_OTHER, "", "\\lambda ", 56, 6},
        {"tab", 9, CC_SPACE, " ", " ", 0, 9},
        {"blank", 32, CC_SPACE, " ", " ", 0, 32},
        {"factorial", '!', CC_OTHER, "!", "!", 42, '!'},
        {"hash", '#', CC_OTHER, "\\#", "\\#", 0, '#'},
        {"dollar", '$', CC_OTHER, "\\$", "\\$", 0, '$'},
        {"percent", '%', CC_OTHER, "\\%", "\\%", 0, '%'},
        {"ampersand", '&', CC_OTHER, "\\&", "\\&", 0, '&'},
        {"open paren", '(', CC_OTHER, "(", "(", 1, '('},
        {"times", '*', CC_OTHER, "*", "*", 295, '*'},
        {"digit", '7', CC_OTHER, "7", "7", 0, '7'},
        {"less", '<', CC_RELATION, "<", "<", 57, '<'},
        {"equal", '=', CC_RELATION, "=", "=", 38, '='},
        {"greater", '>', CC_RELATION, ">", ">", 47, '>'},
        {"question", '?', CC_OTHER, "?", "?", 109, '?'},
        {"letter", 'x', CC_LETTER, "x", "x", 0, 'x'},
        {"backslash", '\\', CC_OTHER, "$\\backslash$", "\\backslash ", 0, '\\'},
        {"caret", '^', CC_OTHER, "\\^{ }", "\\mbox{\\^{ }}", 127, '^'},
        {"underscore", '_', CC_OTHER, "\\_", "\\_", 0, '_'},
        {"open brace", '{', CC_OTHER, "\\{", "\\{", 9, '{'},
        {"close brace", '}', CC_OTHER, "\\}", "\\}", 10, '}'},
        {"tilde", '~', CC_OTHER, "\\~{ }", "\\~{ }", 0, '~'},
        {"delete", 127, CC_SPACE, "", "", 0, 127},
        {"A umlaut / superset", 128, CC_RELATION, "\\\"{A}", "\\supseteq ", 0, 128},
        {"superset", 129, CC_RELATION, "\\.{A}", "\\supset ", 0, 230},
        {"question marks", 141, CC_OTHER, "??", "\\delta ", 29, 241},
        {"degree", 161, CC_OTHER, "\xA1", "^{\\circ}", 0, 161},
        {"cents", 162, CC_OTHER, "\\cents ", "\xA2", 0, 233},
        {"unequal", 173, CC_RELATION, "\xAD", "\\neq ", 108, 173},
        {"infinity", 176, CC_OTHER, "$\\infty$", "\\infty ", 53, 176},
        {"less or equal", 178, CC_RELATION, "\\leq ", "\\leq ", 58, 178},
        {"pi", 185, CC_OTHER, "\\pi ", "\\pi ", 76, 185},
        {"approx", 197, CC_RELATION, "\xC5", "\\approx ", 0, 237},
        {"en dash", 208, CC_OTHER, "--", "--", 0, 194},
        {"divide", 214, CC_OTHER, "\xD6", "\\div ", 6, 214},
        {"partial", 243, CC_OTHER, "\\partial", "\\partial", 0, 243},
        {"last", 255, CC_OTHER, "\xFF", "", 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CharInfo& info = CharTable[c.index];
        EXPECT_EQ(info.charClass, c.charClass);
        EXPECT_EQ(info.textForm, c.textForm);
        EXPECT_EQ(info.mathForm, c.mathForm);
        EXPECT_EQ(info.symbolIndex, c.symbolIndex);
        EXPECT_EQ(info.altCode, c.altCode);
    }
}

TEST(CharIndexMaps, LowBytesMapToThemselves) {
    for (int b = 0; b < 127; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(TextCharIndex[b], b);
        EXPECT_EQ(MathCharIndex[b], b);
    }
}

TEST(CharIndexMaps, SelectedBytes) {
    struct Case {
        const char* name;
        uint8_t byte;
        uint8_t textIndex;
        uint8_t mathIndex;
    };
    const Case cases[] = {
        {"delete", 0x7F, 0xAD, 0x1B},      {"A umlaut", 0xC4, 0x80, 0x80},
        {"A ring", 0xC5, 0x81, 0x81},      {"C cedilla", 0xC7, 0x82, 0x82},
        {"A grave", 0xC0, 0xCB, 0xCB},     {"A acute", 0xC1, 0xE7, 0xE7},
        {"a ring", 0xE5, 0x8C, 0x8C},      {"math font's own glyph", 0x8D, 0xB9, 0x18},
        {"euro", 0x80, 0xB0, 0x1A},        {"e acute", 0xE9, 0x8E, 0x8E},
        {"y diaeresis", 0xFF, 0xD8, 0xD8}, {"D with stroke", 0xD0, 0x01, 0x19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextCharIndex[c.byte], c.textIndex);
        EXPECT_EQ(MathCharIndex[c.byte], c.mathIndex);
    }
}

TEST(CharInfoFor, ChoosesTheMapByFontKind) {
    // Byte 0x8D is pi in a text font and a formless control index in the math font.
    EXPECT_EQ(&CharInfoFor(0x8D, 0), &CharTable[0xB9]);
    EXPECT_EQ(&CharInfoFor(0x8D, kMathFontKind), &CharTable[0x18]);
    EXPECT_STREQ(CharInfoFor(0x8D, 0).mathForm, "\\pi ");
    EXPECT_STREQ(CharInfoFor(0x8D, kMathFontKind).mathForm, "");
    // Every kind but the math font's reads through the text map.
    for (int32_t kind : {0, 1, 2, 4, 7})
        EXPECT_EQ(&CharInfoFor(0xC4, kind), &CharTable[0x80]) << kind;
}

} // namespace
