// The boxes' geometry through the real layer at 96 dpi, at 14 and 10 points: vertical figures
// exactly by the layout rules, widths from the font as relations.

#include "mathbox/tests/BoxFixture.h"

#include <gtest/gtest.h>

namespace {

using boxtest::BoxTest;
using boxtest::kEquation;
using boxtest::kText;
using boxtest::Make;
using boxtest::Math;

struct Size {
    int32_t base;   // the view's base size
    int32_t points; // what the box's level comes to in the paragraph
    int32_t unit;
    int32_t axis;
};

class BoxGeometryTest : public BoxTest, public ::testing::WithParamInterface<Size> {
protected:
    void SetUp() override {
        port.EndDraw();
        view.baseSize = GetParam().base;
        port.BeginWindowDraw(view);
    }
    // Checks the size the box is laid out at, and answers its unit.
    void ExpectSize(const TextComp& box) {
        SizeGuard size(static_cast<const MathComp&>(box).GetSizeLevel());
        ASSERT_EQ(port.GetResolutionY(), 96);
        ASSERT_EQ(port.GetPointSize(), GetParam().points);
        EXPECT_EQ(port.GetSpacing(), GetParam().unit);
        EXPECT_EQ(port.GetMathAxis(), GetParam().axis);
    }
    Rect PlaceholderAt(uint8_t level) {
        SizeGuard size(level);
        return port.GetPlaceholderBox();
    }
};

TEST_P(BoxGeometryTest, StackedFractionInAnEquation) {
    // The denominator is the wider part: u of margin on both of its sides.
    auto* frac = InPara<FracComp>(Make<FracComp>(Math("1"), Math("x+y")), kEquation);
    ExpectSize(*frac);
    const int32_t u = GetParam().unit;
    const int32_t axis = GetParam().axis;
    const Rect n = frac->GetList(1)->GetBounds();
    const Rect d = frac->GetList(2)->GetBounds();
    const Rect b = frac->GetBounds();
    EXPECT_EQ(b.top, axis - 2 * u - (n.bottom - n.top));
    EXPECT_EQ(b.bottom, axis + 2 * u - u / 2 + (d.bottom - d.top));
    EXPECT_EQ(b.right, d.right + 2 * u);
    const Point o = frac->GetOrigin();
    EXPECT_EQ(frac->GetList(1)->GetOrigin().y, o.y + axis - u - n.bottom);
    EXPECT_EQ(frac->GetList(2)->GetOrigin().y, o.y + axis + 2 * u - u / 2 - d.top);
    EXPECT_EQ(frac->GetList(2)->GetOrigin().x, o.x + u);

    // A wider numerator sets the width alone.
    auto* wide = InPara<FracComp>(Make<FracComp>(Math("x+y+z"), Math("2")), kEquation);
    EXPECT_EQ(wide->GetBounds().right, wide->GetList(1)->GetBounds().right);
}

TEST_P(BoxGeometryTest, InlineFractionInText) {
    auto* frac = InPara<FracComp>(Make<FracComp>(Math("a"), Math("b")), kText);
    ExpectSize(*frac);
    const int32_t u = GetParam().unit;
    const Rect n = frac->GetList(1)->GetBounds();
    const Rect d = frac->GetList(2)->GetBounds();
    const Rect b = frac->GetBounds();
    EXPECT_EQ(b.top, std::min(n.top, d.top));
    EXPECT_EQ(b.bottom, std::max(n.bottom, d.bottom));
    EXPECT_EQ(frac->GetList(1)->GetOrigin().y, frac->GetOrigin().y);
    EXPECT_EQ(frac->GetList(2)->GetOrigin().y, frac->GetOrigin().y);
    // The slash and u of space lie between the parts.
    const int32_t gap = frac->GetList(2)->GetOrigin().x - frac->GetOrigin().x - n.right;
    EXPECT_GT(gap, u);
    EXPECT_EQ(b.right, n.right + gap + d.right);
}

TEST_P(BoxGeometryTest, SuperscriptRaiseFollowsItsBase) {
    for (const char* base : {"", "x", "b"}) {
        SCOPED_TRACE(base);
        auto* expo = InPara<ExpoComp>(Make<ExpoComp>(Math("2")), kText, base);
        ExpectSize(*expo);
        const uint8_t level = expo->GetSizeLevel();
        EXPECT_EQ(expo->GetList(1)->GetSizeLevel(), level + 2);
        const Rect l = expo->GetList(1)->GetBounds();
        int32_t ref = PlaceholderAt(level).top;
        if (*base != '\0') {
            SizeGuard size(level);
            port.SetFace(3);
            ref = std::min(ref, port.MeasureText(Str255(base)).top);
        }
        const int32_t t = l.top;
        const int32_t floorThird = t / 3 - (t % 3 != 0 ? 1 : 0);
        const int32_t raise = (floorThird - t) / 2 + ref;
        EXPECT_EQ(expo->GetRaise(), raise);
        EXPECT_EQ(expo->GetBounds(), Rect(0, l.top + raise, l.right - l.left, 0));
        EXPECT_EQ(expo->GetList(1)->GetOrigin().y, expo->GetOrigin().y + raise);
    }
}

TEST_P(BoxGeometryTest, SubscriptDropsByHalfItsAscent) {
    auto* subs = InPara<SubsComp>(Make<SubsComp>(Math("i")), kText, "a");
    ExpectSize(*subs);
    const Rect l = subs->GetList(1)->GetBounds();
    EXPECT_EQ(subs->GetLower(), -(l.top / 2));
    EXPECT_EQ(subs->GetBounds().top, PlaceholderAt(subs->GetSizeLevel()).top);
    EXPECT_EQ(subs->GetBounds().bottom, subs->GetLower() + l.bottom);
    EXPECT_EQ(subs->GetList(1)->GetOrigin().y, subs->GetOrigin().y + subs->GetLower());
}

TEST_P(BoxGeometryTest, OverbarAndPlaceholder) {
    auto* over = InPara<OverComp>(Make<OverComp>(Math("z")), kText);
    ExpectSize(*over);
    const Rect l = over->GetList(1)->GetBounds();
    EXPECT_EQ(over->GetBarOffset(), l.top - 2 * GetParam().unit);
    EXPECT_EQ(over->GetBounds().top, over->GetBarOffset() - 2);
    EXPECT_EQ(over->GetBounds().bottom, l.bottom);

    // Seven tenths of the point size above the baseline, a fifth below, twice half an em wide.
    auto* miss = InPara(Make<MissComp>(), kText);
    const int32_t p = GetParam().points;
    EXPECT_EQ(miss->GetBounds(),
              Rect(0, (-7 * p / 10) * 96 / 72, 2 * (96 * (p / 2) / 72), (p / 5) * 96 / 72));
}

TEST_P(BoxGeometryTest, ParenthesesTakeTheGlyphOrBuildUp) {
    auto* small = InPara<ParenComp>(Make<ParenComp>(Math("x")), kText);
    ExpectSize(*small);
    EXPECT_FALSE(small->IsBig());
    Rect paren;
    {
        SizeGuard size(small->GetSizeLevel());
        port.SetFace(3);
        paren = port.MeasureChar('(');
    }
    const Rect l = small->GetList(1)->GetBounds();
    EXPECT_EQ(small->GetDelimiterWidth(), paren.right);
    EXPECT_EQ(small->GetBounds().top, std::min(l.top, paren.top));
    EXPECT_EQ(small->GetBounds().bottom, std::max(l.bottom, paren.bottom));
    EXPECT_EQ(small->GetBounds().Width(), l.Width() + 2 * paren.right);
    EXPECT_EQ(small->GetList(1)->GetOrigin().x, small->GetOrigin().x + paren.right);

    // A stacked fraction of fractions inside is taller than one and a half em: the pieces are
    // built up at the fixed big width.
    auto* tall =
        InPara<ParenComp>(Make<ParenComp>(Make<FracComp>(
                              boxtest::One(Make<FracComp>(Math("1"), Math("2"))), Math("3"))),
                          kEquation);
    EXPECT_TRUE(tall->IsBig());
    {
        SizeGuard size(tall->GetSizeLevel());
        EXPECT_EQ(tall->GetDelimiterWidth(), port.GetBigDelimiterWidth());
    }
    EXPECT_EQ(tall->GetBounds().top, tall->GetList(1)->GetBounds().top);
    EXPECT_EQ(tall->GetBounds().bottom, tall->GetList(1)->GetBounds().bottom);
}

TEST_P(BoxGeometryTest, RadicalWithAndWithoutIndex) {
    for (const char* index : {"", "3"}) {
        SCOPED_TRACE(index);
        auto* root = InPara<SqrtComp>(Make<SqrtComp>(Math("x+1"), Math(index)), kText);
        ExpectSize(*root);
        const int32_t u = GetParam().unit;
        const Rect r = root->GetList(1)->GetBounds();
        const Rect i = root->GetList(2)->GetBounds();
        const int32_t h = r.bottom - r.top;
        const int32_t iw = std::max(i.right, u);
        EXPECT_EQ(root->GetList(2)->GetSizeLevel(), root->GetSizeLevel() + 2);
        EXPECT_EQ(root->GetBounds(),
                  Rect(0, std::min(r.bottom - h / 2 - (i.bottom - i.top), r.top - 2 * u),
                       iw + 3 * u / 2 + h / 3 + r.right, r.bottom));
        const Point o = root->GetOrigin();
        EXPECT_EQ(root->GetList(2)->GetOrigin().y, o.y + r.bottom - h / 2 - i.bottom);
        EXPECT_EQ(root->GetList(1)->GetOrigin().x, o.x + iw + h / 3 + u);
    }
}

TEST_P(BoxGeometryTest, IntegralBoundsBesideTheSign) {
    // A sum with its limits as the upper bound of a text integral reaches below the lower
    // bound's top: the bounds are pushed apart.
    const struct {
        int32_t style;
        bool tallUpper;
    } cases[] = {{kText, false}, {kEquation, false}, {kText, true}};
    for (const auto& c : cases) {
        const int32_t style = c.style;
        SCOPED_TRACE(testing::Message() << style << (c.tallUpper ? " tall" : ""));
        CompArray upper =
            c.tallUpper ? boxtest::One(Make<SumComp>(Math("n"), Math("i=1"))) : Math("b");
        auto* integral = InPara<InteComp>(
            Make<InteComp>(Math("f"), Math("x"), std::move(upper), Math("a")), style);
        const uint8_t level = integral->GetSizeLevel();
        const Rect up = integral->GetList(4)->GetBounds();
        const Rect lo = integral->GetList(3)->GetBounds();
        EXPECT_EQ(integral->GetList(3)->GetSizeLevel(), level + (style == kText ? 3 : 2));
        Rect sign;
        int32_t u = 0;
        {
            SizeGuard size(level);
            port.SetFace(3);
            u = port.GetSpacing();
            sign = style == kText ? port.MeasureChar(189) : port.MeasureBigSymbol(189);
        }
        int32_t a = style == kText ? sign.top - up.top : sign.top - up.top / 2;
        int32_t b = style == kText ? sign.bottom : sign.bottom - lo.top / 2;
        const int32_t overlap = (a + up.bottom) - (b + lo.top);
        EXPECT_EQ(overlap > 0, c.tallUpper);
        if (overlap > 0) {
            a = a - u / 2 - overlap / 2;
            b = b + overlap / 2;
        }
        EXPECT_EQ(integral->GetUpperBaseline(), a);
        EXPECT_EQ(integral->GetLowerBaseline(), b);
        const Point o = integral->GetOrigin();
        EXPECT_EQ(integral->GetList(4)->GetOrigin().y, o.y + a);
        EXPECT_EQ(integral->GetList(3)->GetOrigin().y, o.y + b);
        EXPECT_EQ(integral->GetList(1)->GetOrigin().y, o.y);
        // The lower bound starts left of the upper one by the sign's slant.
        EXPECT_LT(integral->GetList(3)->GetOrigin().x, integral->GetList(4)->GetOrigin().x);
        EXPECT_GT(integral->GetList(2)->GetOrigin().x, integral->GetList(1)->GetOrigin().x);
        const Rect f = integral->GetList(1)->GetBounds();
        EXPECT_EQ(integral->GetBounds().top, std::min(f.top, a + up.top));
        EXPECT_EQ(integral->GetBounds().bottom, std::max(f.bottom, b + lo.bottom));
    }
}

TEST_P(BoxGeometryTest, SumWithLimitsAboveAndBelow) {
    auto* sum = InPara<SumComp>(Make<SumComp>(Math("n"), Math("i=1")), kText);
    ExpectSize(*sum);
    const int32_t u = GetParam().unit;
    const Rect lo = sum->GetList(1)->GetBounds();
    const Rect up = sum->GetList(2)->GetBounds();
    const Rect sym = sum->GetSymbolBox();
    EXPECT_EQ(sum->GetList(1)->GetSizeLevel(), sum->GetSizeLevel() + 3);
    EXPECT_EQ(sum->GetBounds(),
              Rect(0, sym.top - u - (up.bottom - up.top), std::max({sym.right, up.right, lo.right}),
                   sym.bottom + u + (lo.bottom - lo.top)));
    const Point o = sum->GetOrigin();
    EXPECT_EQ(sum->GetList(2)->GetOrigin().y, o.y + sym.top - u - up.bottom);
    EXPECT_EQ(sum->GetList(1)->GetOrigin().y, o.y + sym.bottom + u - lo.top);
}

TEST_P(BoxGeometryTest, SignsAreMeasuredInTheMathFaceWhateverTheContent) {
    // Text in a roman face leaves that face current after the content's layout; the signs are
    // still measured in the face they are drawn in.
    CompArray roman;
    for (char c : std::string_view("word"))
        roman.Add(OwnedComponent(gGlyphSource->GetGlyph(0, static_cast<uint8_t>(c))));
    const auto measured = [&](int32_t face, uint8_t code, uint8_t level) {
        SizeGuard size(level);
        port.SetFace(face);
        return port.MeasureChar(code);
    };
    auto* paren = InPara<ParenComp>(Make<ParenComp>(std::move(roman)), kText);
    const Rect mathParen = measured(3, '(', paren->GetSizeLevel());
    ASSERT_NE(measured(0, '(', paren->GetSizeLevel()), mathParen)
        << "the faces must differ for this test to tell";
    EXPECT_EQ(paren->GetDelimiterWidth(), mathParen.right);
    EXPECT_EQ(paren->GetBounds().top, std::min(paren->GetList(1)->GetBounds().top, mathParen.top));

    CompArray integrand;
    for (char c : std::string_view("Wf"))
        integrand.Add(OwnedComponent(gGlyphSource->GetGlyph(0, static_cast<uint8_t>(c))));
    auto* integral = InPara<InteComp>(Make<InteComp>(std::move(integrand), Math("x")), kText);
    const Rect mathSign = measured(3, 189, integral->GetSizeLevel());
    ASSERT_NE(measured(0, 189, integral->GetSizeLevel()), mathSign);
    EXPECT_EQ(integral->GetUpperBaseline(), mathSign.top - integral->GetList(4)->GetBounds().top);
}

INSTANTIATE_TEST_SUITE_P(At96Dpi, BoxGeometryTest,
                         ::testing::Values(Size{5, 14, 2, -4}, Size{7, 10, 1, -2}),
                         [](const auto& info) { return std::to_string(info.param.points) + "pt"; });

} // namespace
