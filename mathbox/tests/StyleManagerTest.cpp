#include "mathbox/StyleManager.h"

#include "document/GlyphSource.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/TextFontPrefs.h"
#include "mathbox/CharTable.h"
#include "mathbox/FontFiles.h"
#include "mathbox/MathGlyphMap.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

using drawtest::DrawTest;

TEST_F(DrawTest, TheEightFacesFollowThePreferencesAndTheProgramFonts) {
    struct Face {
        const char* name;
        bool bold;
        bool italic;
    };
    const Face expected[8] = {
        {"Tessary Roman", false, false}, {"Tessary Roman", false, true},
        {"Tessary Roman", true, false},  {"Tessary Math", false, false},
        {"Courier", false, false},       {"Tessary Roman", false, false},
        {"Tessary Roman", true, false},  {"Tessary Roman", false, false},
    };
    StyleManager& styles = services.Styles();
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        FontFace* face = styles.GetFace(i);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->GetName().View(), expected[i].name);
        EXPECT_EQ(face->IsBold(), expected[i].bold);
        EXPECT_EQ(face->IsItalic(), expected[i].italic);
        EXPECT_EQ(face->GetKind(), i);
    }
    EXPECT_EQ(styles.GetFace(-1), nullptr);
    EXPECT_EQ(styles.GetFace(8), nullptr);
    EXPECT_EQ(gMathFace.Get(), styles.GetFace(3));
    EXPECT_EQ(gTextFace.Get(), styles.GetFace(0));
    EXPECT_EQ(gGlyphSource.Get(), &styles);
    EXPECT_EQ(gStyleManager.Get(), &styles);
    EXPECT_EQ(gDrawPort.Get(), &port);
}

TEST_F(DrawTest, FunctionNamesAreDrawnInTheUprightRomanOfTheirKind) {
    StyleManager& styles = services.Styles();
    const struct {
        int32_t kind;
        int32_t face;
    } cases[] = {{0, 5}, {4, 5}, {2, 6}, {1, 7}, {3, 7}, {7, 7}, {-1, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(styles.FaceForKind(c.kind), styles.GetFace(c.face)) << c.kind;
}

TEST_F(DrawTest, GlyphsAreSharedAndOutliveRenamingTheirFace) {
    StyleManager& styles = services.Styles();
    TextComp* glyph = gGlyphSource->GetGlyph(1, 'x');
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->Clone().get(), glyph);
    glyph->Destroy(); // shared: nothing happens
    EXPECT_EQ(glyph->GetTypeTag(), tags::Char);
    EXPECT_EQ(glyph->GetCharCode(), 'x');
    EXPECT_EQ(glyph->GetStyleId(), 1);
    EXPECT_EQ(gGlyphSource->GetGlyph(8, 'x'), nullptr);
    for (int32_t face = 0; face < 8; ++face) {
        for (int code = 0; code < 256; ++code) {
            const TextComp* each = gGlyphSource->GetGlyph(face, static_cast<uint8_t>(code));
            GlyphKey key{-1, 0};
            ASSERT_TRUE(each->GetGlyphKey(key));
            EXPECT_TRUE(key.face == face && key.code == code) << face << " " << code;
        }
    }

    char bytes[4] = {};
    MemoryStream stream(bytes, sizeof bytes);
    OutBuffer out(stream);
    glyph->WriteText(out);
    out.Flush();
    EXPECT_EQ(std::string(bytes), "x");

    TextFontPrefs renamed;
    renamed.textFont = "Serif Text";
    renamed.italicFont = "Slanted";
    renamed.boldFont = "Heavy";
    renamed.codeFont = "Typewriter";
    styles.SetFaceNames(renamed);
    EXPECT_EQ(styles.GetFace(0)->GetName().View(), "Serif Text");
    EXPECT_EQ(styles.GetFace(1)->GetName().View(), "Slanted");
    EXPECT_EQ(styles.GetFace(2)->GetName().View(), "Heavy");
    EXPECT_EQ(styles.GetFace(4)->GetName().View(), "Courier"); // keeps its start-up name
    EXPECT_EQ(gGlyphSource->GetGlyph(1, 'x'), glyph);
}

TEST(PointSizes, FollowTheSizeIndexAndStopAtEightPoints) {
    const int32_t expected[] = {28, 24, 20, 18, 16, 14, 12, 10, 9, 8, 8, 8};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(PointSizeOfSizeIndex(static_cast<uint8_t>(i)), expected[i]) << i;
    EXPECT_EQ(PointSizeOfSizeIndex(255), 8);
}

// The font's pixel size is trunc(points x dpi / 72): 12 points are 16 pixels at 96 dpi and 50
// at 300; a size index past 9 gets the 8-point font of slot 9.
TEST_F(DrawTest, FontsAreSizedInPixelsOfTheDeviceTheyAreMadeFor) {
    FontFace* roman = services.Styles().GetFace(0);
    const struct {
        uint8_t index;
        int32_t dpi;
        int pixels;
    } cases[] = {{6, 96, 16}, {6, 300, 50}, {0, 96, 37},   {0, 300, 116},
                 {9, 96, 10}, {10, 96, 10}, {200, 300, 33}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.index) << " at " << c.dpi);
        auto font = roman->GetFont(c.index, c.dpi);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->Raw().pixelSize(), c.pixels);
    }
    // Slot 9 serves every index from 9 up: the same font object while the resolution holds.
    EXPECT_EQ(roman->GetFont(9, 96), roman->GetFont(250, 96));
}

TEST_F(DrawTest, AFontHeldAcrossAReleaseStaysUsable) {
    FontFace* math = services.Styles().GetFace(3);
    auto held = math->GetFont(6, 96);
    services.Styles().ReleaseFonts();
    ASSERT_TRUE(held->IsValid());
    EXPECT_GT(held->Advance('x'), 0);
    EXPECT_NE(math->GetFont(6, 96), held);
}

TEST(ProgramFonts, EveryFileOfTheFontPackagesLoads) {
    for (ProgramFont font : {ProgramFont::Roman, ProgramFont::RomanBold, ProgramFont::RomanItalic,
                             ProgramFont::Math, ProgramFont::Mono, ProgramFont::Label}) {
        SCOPED_TRACE(ProgramFontFile(font));
        EXPECT_FALSE(ProgramFontData(font).isEmpty());
    }
    // The program's names resolve to exactly the packaged designs, never to a look-alike.
    const struct {
        const char* name;
        bool bold;
        bool italic;
        const char* family;
        const char* style;
    } cases[] = {
        {"Tessary Roman", false, false, "Latin Modern Roman", "10 Regular"},
        {"Tessary Roman", true, false, "Latin Modern Roman", "10 Bold"},
        {"Tessary Roman", false, true, "Latin Modern Roman", "10 Italic"},
        {"Tessary Math", false, false, "Latin Modern Math", "Regular"},
        {"Courier", false, false, "Latin Modern Mono", "10 Regular"},
        {"Arial", false, false, "DejaVu Sans", "Book"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QRawFont raw = MakeRawFont(c.name, c.bold, c.italic, 16);
        ASSERT_TRUE(raw.isValid());
        EXPECT_EQ(raw.familyName(), QString::fromLatin1(c.family));
        EXPECT_EQ(raw.styleName(), QString::fromLatin1(c.style));
    }
    EXPECT_FALSE(MakeRawFont("Tessary Roman", false, false, 0).isValid());
}

// The byte whose math-face character index is `index`.
int MathByteOfIndex(uint8_t index) {
    for (int b = 0; b < 256; ++b)
        if (MathCharIndex[b] == index) return b;
    return -1;
}

TEST(MathGlyphMap, SlotsReachTheMathFontsRealCharacters) {
    const struct {
        int byte;
        char32_t code;
    } cases[] = {
        {'a', 0x1D44E},
        {'z', 0x1D467},
        {'h', 0x210E},
        {'A', 0x1D434},
        {'Z', 0x1D44D},
        {'0', '0'},
        {'9', '9'},
        {'+', '+'},
        {'(', '('},
        {'=', '='},
        {' ', ' '},
        {147, 0x239B},
        {169, 0x239C},
        {145, 0x239D},
        {148, 0x239E},
        {153, 0x239F},
        {146, 0x23A0},
        {163, 0x23A7},
        {149, 0x23A8},
        {167, 0x23A9},
        {182, 0x23AB},
        {174, 0x23AC},
        {223, 0x23AD},
        {184, 0x039B},
        {190, 0x2211},
        {189, 0x222B},
        {1, 0x03A8},
        {4, 0x2208},
        // Through the character table's names: internal code 0x9E is a capital gamma.
        {MathByteOfIndex(0x9E), 0x0393},
        {MathByteOfIndex(138), 0x2131},
        {MathByteOfIndex(139), 0x2112},
        {MathByteOfIndex(180), 0x2115},
        {MathByteOfIndex(187), 0x2124},
        {MathByteOfIndex(228), 0x211D},
        {MathByteOfIndex(229), 0x2102},
        {MathByteOfIndex(232), 0x211A},
        {MathByteOfIndex(172), 0x1D6FC},
        {MathByteOfIndex(178), 0x2264},
        // Slots that stand for nothing.
        {0, kNeutralGlyph},
        {3, kNeutralGlyph},
        {127, kNeutralGlyph},
    };
    for (const auto& c : cases) {
        ASSERT_GE(c.byte, 0);
        EXPECT_EQ(MathGlyphCodes[c.byte], c.code) << "byte " << c.byte;
    }
}

TEST(MathGlyphMap, BigOperatorsMapByRole) {
    EXPECT_EQ(BigOperatorCode(184), char32_t{0x220F});
    EXPECT_EQ(BigOperatorCode(190), char32_t{0x2211});
    EXPECT_EQ(BigOperatorCode(189), char32_t{0x222B});
    EXPECT_EQ(BigOperatorCode('x'), MathGlyphCodes['x']);
    EXPECT_EQ(MathGlyphCodes[184], char32_t{0x039B}); // in a line it stays a capital lambda
}

// A slot that named a character the math font lacks would draw the font's empty glyph.
TEST(MathGlyphMap, EverySlotHasAGlyphInTheMathFont) {
    const QRawFont math = MakeRawFont("Tessary Math", false, false, 20);
    ASSERT_TRUE(math.isValid());
    for (int b = 0; b < 256; ++b) {
        const char32_t code = MathGlyphCodes[b];
        EXPECT_NE(math.glyphIndexesForString(QString::fromUcs4(&code, 1)).value(0), 0u)
            << "byte " << b << " U+" << std::hex << uint32_t(code);
    }
    for (char32_t code : {char32_t{0x220F}, kBraceExtension})
        EXPECT_NE(math.glyphIndexesForString(QString::fromUcs4(&code, 1)).value(0), 0u);
}

} // namespace
