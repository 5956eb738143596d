// Built-up delimiters as they are drawn: seamless at every height and resolution, within the
// box they were asked for, and a sheet of them beside the math font's own large variants.

#include "document/tests/Fakes.h"
#include "mathbox/FontFiles.h"
#include "mathbox/LayoutStyleTable.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/StyleManager.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <string>
#include <vector>

namespace {

using drawtest::DrawTest;

QImage AtDpi(int width, int height, int dpi) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

int Gray(const QImage& image, int x, int y) {
    return qGray(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
}

struct Faults {
    int gapRows = 0;     // rows of the requested height without visible ink
    int strayPixels = 0; // ink outside the requested box grown by a pixel
    int firstGap = -1;
};

// Ink of a delimiter drawn at `pen` for the requested rows top..bottom (exclusive) and the
// columns pen.x..pen.x + width (exclusive).
Faults Inspect(const QImage& image, Point pen, int32_t top, int32_t bottom, int32_t width) {
    Faults faults;
    for (int y = 0; y < image.height(); ++y) {
        const bool inRows = y >= pen.y + top && y < pen.y + bottom;
        const bool nearRows = y >= pen.y + top - 1 && y < pen.y + bottom + 1;
        int darkest = 255;
        for (int x = 0; x < image.width(); ++x) {
            const int gray = Gray(image, x, y);
            const bool nearColumns = x >= pen.x - 1 && x < pen.x + width + 1;
            if (gray < 250 && !(nearRows && nearColumns)) ++faults.strayPixels;
            if (nearColumns) darkest = std::min(darkest, gray);
        }
        if (inRows && darkest >= 192) {
            if (faults.firstGap < 0) faults.firstGap = y - pen.y;
            ++faults.gapRows;
        }
    }
    return faults;
}

// Every height from two to twenty times the font size, on a 96-dpi and a 300-dpi image: every
// row of the requested height shows ink, and nothing lies more than a pixel outside the
// requested box.
TEST_F(DrawTest, BuiltUpDelimitersAreSeamlessAndStayInTheirBox) {
    // The smallest and the paragraph's type on the window, the paragraph's on a page.
    const struct {
        int dpi;
        int base;
    } targets[] = {{96, 9}, {96, 5}, {300, 5}};
    for (const auto& [dpi, base] : targets) {
        const int32_t em = PointSizeOfSizeIndex(static_cast<uint8_t>(base)) * dpi / 72;
        for (int k = 2; k <= 20; ++k) {
            QImage image = AtDpi(3 * em, (k + 2) * em, dpi);
            port.BeginDCDraw(nullptr, image);
            port.SetBaseSize(base);
            const int32_t width = port.GetBigDelimiterWidth();
            const int32_t top = -k * em / 2;
            const int32_t bottom = top + k * em;
            const Point pen(em, em - top);
            for (uint8_t delimiter : {'(', ')', '{', '}'}) {
                SCOPED_TRACE(testing::Message()
                             << dpi << " dpi, size " << base << ", " << k << " em, " << delimiter);
                image.fill(Qt::white);
                port.MoveTo(pen);
                port.DrawBigDelimiter(delimiter, top, bottom);
                const Faults faults = Inspect(image, pen, top, bottom, width);
                EXPECT_EQ(faults.gapRows, 0) << "first at " << faults.firstGap;
                EXPECT_EQ(faults.strayPixels, 0);
                if (faults.gapRows != 0 || faults.strayPixels != 0) {
                    // The faulty drawing, for a person to look at.
                    image.save(QString::fromStdString(drawtest::OutputPath(
                        "delimiter-fault-" + std::to_string(dpi) + "-" + std::to_string(base) +
                        "-" + std::to_string(k) + "-" + std::to_string(delimiter) + ".png")));
                }
            }
            port.EndDraw();
        }
    }
}

// The math font's own sizes of a delimiter: its ordinary glyph and the larger variants its
// mathematics table lists, in growing order.
std::vector<quint32> FontVariants(const QRawFont& font, char32_t delimiter) {
    const QByteArray math = font.fontTable("MATH");
    const auto u16 = [&](int at) -> int {
        if (at < 0 || at + 2 > math.size()) return 0;
        return (static_cast<uint8_t>(math[at]) << 8) | static_cast<uint8_t>(math[at + 1]);
    };
    const quint32 glyph = font.glyphIndexesForString(QString::fromUcs4(&delimiter, 1)).value(0, 0);
    std::vector<quint32> variants = {glyph};
    const int table = u16(8);
    if (math.isEmpty() || table == 0) return variants;
    const int coverage = table + u16(table + 2);
    const int count = u16(table + 6);
    // The glyph's index in the coverage table (format 1: a list, format 2: ranges).
    int index = -1;
    if (u16(coverage) == 1) {
        for (int i = 0; i < u16(coverage + 2); ++i)
            if (static_cast<quint32>(u16(coverage + 4 + 2 * i)) == glyph) index = i;
    } else if (u16(coverage) == 2) {
        for (int r = 0; r < u16(coverage + 2); ++r) {
            const int at = coverage + 4 + 6 * r;
            if (glyph >= static_cast<quint32>(u16(at)) &&
                glyph <= static_cast<quint32>(u16(at + 2)))
                index = u16(at + 4) + static_cast<int>(glyph) - u16(at);
        }
    }
    if (index < 0 || index >= count) return variants;
    const int construction = table + u16(table + 10 + 2 * index);
    for (int v = 0; v < u16(construction + 2); ++v) {
        const auto variant = static_cast<quint32>(u16(construction + 4 + 4 * v));
        if (variant != glyph) variants.push_back(variant);
    }
    return variants;
}

// Content of a given reach above and below its baseline.
class Tall final : public fakes::Box {
public:
    Tall(int32_t top, int32_t bottom) : m_top(top), m_bottom(bottom) {}
    void Layout() override {
        m_bounds = Rect(0, m_top, 4, m_bottom);
        m_needsLayout = false;
    }

private:
    int32_t m_top;
    int32_t m_bottom;
};

class DelimiterSheetTest : public DrawTest {
protected:
    LayoutServices layout;
};

// Eight heights of parentheses, brackets and bars as their boxes draw them around content of
// the height, and braces, beside the math font's own larger sizes of the same delimiters.
TEST_F(DelimiterSheetTest, WritesDelimitersBesideTheFontsOwnSizes) {
    const int heights[] = {2, 3, 4, 6, 8, 11, 15, 20};
    const int32_t em = PointSizeOfSizeIndex(5) * 96 / 72;
    drawtest::ImageView view(1700, 24 * em + 5 * em);
    port.BeginWindowDraw(view);
    port.SetBaseSize(5);
    const int32_t axis = 11 * em;
    int32_t x = 10;
    for (int k : heights) {
        const int32_t top = -k * em / 2;
        const int32_t bottom = top + k * em;
        for (int kind = 0; kind < 3; ++kind) {
            CompArray contents;
            contents.Add(OwnedComponent(new Tall(top, bottom)));
            OwnedComponent box = kind == 0   ? OwnedComponent(new ParenComp(std::move(contents)))
                                 : kind == 1 ? OwnedComponent(new BracketComp(std::move(contents)))
                                             : OwnedComponent(new AbsVComp(std::move(contents)));
            box->Layout();
            box->SetOrigin(Point(x - box->GetBounds().left, axis));
            box->Draw();
            x += box->GetBounds().Width() + 4;
        }
        port.MoveTo(Point(x, axis));
        port.DrawBigDelimiter('{', top, bottom);
        port.MoveTo(Point(x + em, axis));
        port.DrawBigDelimiter('}', top, bottom);
        x += 2 * em + 20;
    }
    EXPECT_LT(x, view.image.width());
    port.EndDraw();

    // The font's own: each delimiter's ordinary glyph and its larger variants.
    const QRawFont font(ProgramFontData(ProgramFont::Math), em, QFont::PreferNoHinting);
    ASSERT_TRUE(font.isValid());
    QPainter painter(&view.image);
    painter.setRenderHint(QPainter::Antialiasing);
    x = 10;
    const int32_t y = 23 * em;
    for (char32_t delimiter : {U'(', U')', U'{', U'}', U'[', U'|'}) {
        const std::vector<quint32> variants = FontVariants(font, delimiter);
        EXPECT_GE(variants.size(), 4u) << static_cast<char>(delimiter);
        for (quint32 glyph : variants) {
            const QPainterPath path = font.pathForGlyph(glyph);
            painter.fillPath(path.translated(x - path.boundingRect().left(),
                                             y - path.boundingRect().center().y()),
                             Qt::black);
            x += static_cast<int>(path.boundingRect().width()) + 6;
        }
        x += 20;
    }
    painter.end();
    EXPECT_TRUE(view.image.save(
        QString::fromStdString(drawtest::OutputPath("delimiters-beside-the-font.png"))));
}

} // namespace
