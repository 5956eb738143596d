// Every structure, each holding another structure, laid out in text and in an equation and drawn
// through the real layer into a picture to look at.

#include "mathbox/UprightNames.h"
#include "mathbox/tests/BoxFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using boxtest::BoxTest;
using boxtest::Make;
using boxtest::Math;
using boxtest::One;

using Maker = std::function<OwnedComponent(CompArray inner)>;

CompArray Inner(int which) {
    switch (which % 4) {
    case 0:
        return One(Make<FracComp>(Math("a"), Math("b+1")));
    case 1: {
        CompArray base = Math("x");
        base.Add(Make<ExpoComp>(Math("2")));
        return base;
    }
    case 2:
        return One(Make<SqrtComp>(Math("y"), Math("")));
    default:
        return One(Make<ParenComp>(Math("u-v")));
    }
}

// Each outer structure with a structure inside each of its lists.
const std::vector<std::pair<const char*, Maker>>& Outers() {
    static const std::vector<std::pair<const char*, Maker>> outers = {
        {"fraction", [](CompArray in) { return Make<FracComp>(std::move(in), Inner(2)); }},
        {"power", [](CompArray in) { return Make<ExpoComp>(std::move(in)); }},
        {"subscript", [](CompArray in) { return Make<SubsComp>(std::move(in)); }},
        {"absolute value", [](CompArray in) { return Make<AbsVComp>(std::move(in)); }},
        {"brackets", [](CompArray in) { return Make<BracketComp>(std::move(in)); }},
        {"parentheses", [](CompArray in) { return Make<ParenComp>(std::move(in)); }},
        {"overbar", [](CompArray in) { return Make<OverComp>(std::move(in)); }},
        {"root", [](CompArray in) { return Make<SqrtComp>(std::move(in), Math("3")); }},
        {"integral",
         [](CompArray in) {
             return Make<InteComp>(std::move(in), Math("x"), Inner(1), Math("0"));
         }},
        {"sum", [](CompArray in) { return Make<SumComp>(Math("n"), std::move(in)); }},
        {"product", [](CompArray in) { return Make<ProdComp>(Inner(0), std::move(in)); }},
        {"limit", [](CompArray in) { return Make<LimitComp>(std::move(in)); }},
    };
    return outers;
}

bool UprightLim(std::string_view name) {
    return name == "lim";
}

class BoxPictureTest : public BoxTest {
protected:
    // The limit's word is set upright as a built-in name.
    Installed<UprightNameTest> names{gUprightNames, UprightLim};

    // Lays a row of every structure out in a paragraph of `style` and draws it; answers the
    // paragraph's frame.
    Rect DrawRow(int32_t style, int32_t top, int first) {
        para = layouttest::MakePara(style);
        doc.Add(para.get());
        CompList& list = *para->GetList(1);
        int which = first;
        for (const auto& [name, make] : Outers()) {
            list.InsertArrayAt(Math(" "), list.GetCount() + 1);
            list.Append(make(Inner(which++)).release());
            if (which % 4 == 0) list.Append(new MissComp);
        }
        layouttest::LayOut(*para, top);
        para->DrawInRect(Rect(0, 0, view.image.width(), view.image.height()));
        const Rect frame = para->GetFrame();
        rows.push_back(std::move(para));
        return frame;
    }

    std::vector<layouttest::OwnedPara> rows;
};

TEST_F(BoxPictureTest, EveryStructureNestedTwoDeep) {
    port.EndDraw();
    view = drawtest::ImageView(1400, 520);
    port.BeginWindowDraw(view);
    int32_t top = 40;
    for (int32_t style : {boxtest::kText, boxtest::kEquation}) {
        for (int first = 0; first < 2; ++first) {
            const Rect frame = DrawRow(style, top, first);
            // Everything drawn lies inside the image and some of it is ink.
            int inked = 0;
            for (int y = std::max(frame.top, 0); y < std::min(frame.bottom, 520); ++y)
                for (int x = std::max(frame.left, 0); x < std::min(frame.right, 1400); ++x)
                    inked += drawtest::IsWhite(view.image, x, y) ? 0 : 1;
            EXPECT_GT(inked, 500) << style << " " << first;
            top = frame.bottom + 40;
        }
    }
    port.EndDraw();
    EXPECT_TRUE(view.image.save(QString::fromStdString(drawtest::OutputPath("math-boxes.png"))));

    // Drawn again on an image, as printing and exports draw: the same ink, without the frames
    // of the empty slots, which show on the window only.
    QImage image(view.image.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    port.BeginDCDraw(nullptr, image);
    for (const auto& row : rows)
        row->DrawInRect(Rect(0, 0, image.width(), image.height()));
    port.EndDraw();
    int frames = 0;
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (view.image.pixel(x, y) == image.pixel(x, y)) continue;
            if (view.image.pixel(x, y) == qRgb(0x80, 0x80, 0x80))
                ++frames;
            else
                ++differing;
        }
    EXPECT_GT(frames, 20);
    EXPECT_EQ(differing, 0);
    port.BeginWindowDraw(view);
}

} // namespace

namespace {

class BoxStrokeTest : public BoxTest {
protected:
    void Draw() {
        view.image.fill(Qt::white);
        para->DrawInRect(Rect(0, 0, view.image.width(), view.image.height()));
    }
    bool Ink(int32_t x, int32_t y) { return !drawtest::IsWhite(view.image, x, y); }
};

TEST_F(BoxStrokeTest, FractionBarIsInsetByHalfAUnitAtBothEnds) {
    auto* frac = InPara<FracComp>(Make<FracComp>(Math("1"), Math("x+y")), boxtest::kEquation);
    Draw();
    const int32_t u = Unit(frac->GetSizeLevel());
    int32_t axis = 0;
    {
        SizeGuard size(frac->GetSizeLevel());
        axis = port.GetMathAxis();
    }
    const Point o = frac->GetOrigin();
    const int32_t y = o.y + axis - u / 2;
    const int32_t right = frac->GetBounds().right;
    EXPECT_FALSE(Ink(o.x + u / 2 - 1, y));
    EXPECT_TRUE(Ink(o.x + u / 2, y));
    EXPECT_TRUE(Ink(o.x + right - u / 2 - 1, y));
    EXPECT_FALSE(Ink(o.x + right - u / 2 + 1, y));
}

TEST_F(BoxStrokeTest, PlaceholderIsACrossedBox) {
    auto* miss = InPara(Make<MissComp>(), boxtest::kText);
    Draw();
    const Rect f = miss->GetFrame();
    const int32_t midX = (f.left + f.right) / 2;
    const int32_t midY = (f.top + f.bottom) / 2;
    EXPECT_TRUE(Ink(f.left, f.top));
    EXPECT_TRUE(Ink(midX, f.top));
    EXPECT_TRUE(Ink(f.left, midY));
    EXPECT_TRUE(Ink(f.right, midY));
    EXPECT_TRUE(Ink(midX, f.bottom));
    // Both diagonals cross in the middle; the box is empty elsewhere inside.
    EXPECT_TRUE(Ink(midX, midY) || Ink(midX, midY + 1) || Ink(midX + 1, midY));
    EXPECT_FALSE(Ink(midX, f.top + 2));
}

TEST_F(BoxStrokeTest, OverbarSpansTheContent) {
    auto* over = InPara<OverComp>(Make<OverComp>(Math("z+w")), boxtest::kText);
    Draw();
    const Point o = over->GetOrigin();
    const int32_t y = o.y + over->GetBarOffset();
    const int32_t width = over->GetBounds().Width();
    EXPECT_TRUE(Ink(o.x, y));
    EXPECT_TRUE(Ink(o.x + width - 2, y));
    EXPECT_FALSE(Ink(o.x + width / 2, y - 1));
    EXPECT_FALSE(Ink(o.x + width / 2, y + 1));
}

} // namespace
