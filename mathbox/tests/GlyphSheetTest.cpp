// Pictures for a person to look at: every math-face slot at three sizes and built-up
// delimiters of several heights, written to the build's test output folder.

#include "mathbox/MathGlyphMap.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;

// A 16 by 16 table of the math face's 256 slots, each in its own cell with a thin baseline.
TEST_F(DrawTest, WritesEveryMathSlotAtThreeSizes) {
    for (int base : {0, 5, 9}) {
        SCOPED_TRACE(base);
        const int cell = base == 0 ? 64 : base == 5 ? 40 : 26;
        ImageView view(16 * cell, 16 * cell);
        view.baseSize = base;
        port.BeginWindowDraw(view);
        port.SetFace(3);
        int inkedSlots = 0;
        for (int code = 0; code < 256; ++code) {
            const int x = (code % 16) * cell;
            const int y = (code / 16) * cell;
            port.FrameRegionGray(Region(Rect(x, y, x + cell + 1, y + cell + 1)));
            const int baseline = y + cell * 2 / 3;
            const Rect box = port.MeasureChar(static_cast<uint8_t>(code));
            EXPECT_LE(box.top, 0) << code;
            EXPECT_GE(box.bottom, 0) << code;
            port.MoveTo(Point(x + (cell - box.right) / 2, baseline));
            const QImage before = view.image.copy(x + 1, y + 1, cell - 1, cell - 1);
            port.DrawChar(static_cast<uint8_t>(code));
            if (view.image.copy(x + 1, y + 1, cell - 1, cell - 1) != before) ++inkedSlots;
            // The glyph drawn is the one the extent table was measured on: its solid ink lies
            // within the measured reach, give or take a pixel. The control slots keep the
            // fixed reach of a blank, and the pieces of built-up delimiters the reach the
            // delimiter arithmetic was made for, which their glyphs do not have.
            const bool designRow = code < 32 || (code >= 145 && code <= 148);
            int inkTop = cell;
            int inkBottom = -1;
            for (int dy = 1; dy < cell; ++dy)
                for (int dx = 1; dx < cell; ++dx)
                    if (qGray(view.image.pixel(x + dx, y + dy)) < 128) {
                        inkTop = std::min(inkTop, dy);
                        inkBottom = std::max(inkBottom, dy);
                    }
            if (inkBottom < 0 || designRow) continue;
            EXPECT_GE(y + inkTop, baseline + box.top - 1) << code;
            EXPECT_LE(y + inkBottom, baseline + box.bottom) << code;
        }
        port.EndDraw();
        // Every slot but the blanks (space, tab and the spaced tilde) shows something.
        EXPECT_GE(inkedSlots, 252);
        const QString name = QString::fromStdString(
            drawtest::OutputPath("math-slots-size" + std::to_string(base) + ".png"));
        EXPECT_TRUE(view.image.save(name));
    }
}

TEST_F(DrawTest, WritesBuiltUpDelimitersOfSeveralHeights) {
    const int heights[] = {30, 45, 60, 90, 140, 220};
    ImageView view(760, 260);
    port.BeginWindowDraw(view);
    port.SetBaseSize(5);
    int x = 10;
    for (int height : heights) {
        const int baseline = 130;
        const int top = -height / 2;
        const int bottom = height / 2;
        // The requested box, in light gray behind the pieces.
        port.FrameRegionGray(Region(Rect(x, baseline + top, x + 120, baseline + bottom)));
        const uint8_t delimiters[] = {'(', ')', '{', '}'};
        for (int i = 0; i < 4; ++i) {
            port.MoveTo(Point(x + 4 + i * 28, baseline));
            port.DrawBigDelimiter(delimiters[i], top, bottom);
        }
        x += 125;
    }
    port.EndDraw();
    EXPECT_TRUE(
        view.image.save(QString::fromStdString(drawtest::OutputPath("built-up-delimiters.png"))));
}

// Signs the math face draws by their mathematical meaning, not as their text glyphs.
TEST(MathGlyphMapTest, SignsMeanWhatMathematicsReadsThemAs) {
    const struct {
        uint8_t code;
        char32_t glyph;
    } signs[] = {{'-', 0x2212}, {'*', 0x2217}, {'\'', 0x2032}, {'+', '+'}, {'=', '='}};
    for (const auto& sign : signs)
        EXPECT_EQ(MathGlyphCodes[sign.code], sign.glyph) << sign.code;
}

// A minus is as wide as a plus and crosses it on the math axis; the text faces keep their
// hyphen, shorter and lower.
TEST_F(DrawTest, TheMathMinusMatchesThePlus) {
    ImageView view(200, 80);
    port.BeginWindowDraw(view);
    port.SetFace(3);
    EXPECT_EQ(port.CharWidth('-'), port.CharWidth('+'));
    const auto middleRow = [&](uint8_t code, int x) {
        port.MoveTo(Point(x, 50));
        port.DrawChar(code);
        int top = 80;
        int bottom = -1;
        for (int y = 0; y < 80; ++y)
            for (int dx = 0; dx < 30; ++dx)
                if (qGray(view.image.pixel(x + dx, y)) < 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return (top + bottom) / 2;
    };
    EXPECT_NEAR(middleRow('-', 10), middleRow('+', 60), 1);
    port.SetFace(0);
    EXPECT_LT(port.CharWidth('-'), port.CharWidth('+'));
    port.EndDraw();
}

} // namespace
