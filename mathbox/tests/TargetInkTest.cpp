// What drawing leaves on the page, whatever the target: no glyph erases its neighbours' ink,
// a redraw of the changed part of a line gives the pixels of a full redraw, and the frames of
// empty slots show on the window only.

#include "mathbox/DerivativeBoxes.h"
#include "mathbox/GridKinds.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/UprightNames.h"
#include "mathbox/tests/BoxFixture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace {

using boxtest::BoxTest;
using boxtest::Make;
using boxtest::Math;
using boxtest::One;

void Fill(GridBox& grid, const std::vector<std::string>& cells) {
    size_t k = 0;
    for (int32_t r = 1; r <= grid.GetRowCount(); ++r)
        for (int32_t c = 1; c <= grid.GetColumnCount(); ++c)
            if (k < cells.size()) grid.GetCell(c, r)->InsertArrayAt(Math(cells[k++]), 1);
}

bool UprightSin(std::string_view name) {
    return name == "sin";
}

// Pixels that differ between two images of one size.
int Differences(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differing;
}

// Pixels of `part` whose ink `whole` lost: lighter in the whole than in the part drawn alone.
int LostInk(const QImage& whole, const QImage& part) {
    int lost = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            lost += qGray(whole.pixel(x, y)) > qGray(part.pixel(x, y)) + 8 ? 1 : 0;
    return lost;
}

bool IsFrameGray(QRgb pixel) {
    return pixel == qRgb(0x80, 0x80, 0x80);
}

// Pixels of frame strokes: the frame's gray, next to another such pixel (an antialiased edge
// may hit that gray now and then, but not along a line).
int FrameGrayPixels(const QImage& image) {
    int gray = 0;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x)
            gray +=
                IsFrameGray(image.pixel(x, y)) &&
                        (IsFrameGray(image.pixel(x - 1, y)) || IsFrameGray(image.pixel(x + 1, y)) ||
                         IsFrameGray(image.pixel(x, y - 1)) || IsFrameGray(image.pixel(x, y + 1)))
                    ? 1
                    : 0;
    return gray;
}

class TargetInkTest : public BoxTest {
protected:
    TargetInkTest() {
        port.EndDraw();
        view = drawtest::ImageView(480, 240);
        port.BeginWindowDraw(view);
    }

    // The paragraph drawn whole on the window, as the view draws it.
    QImage OnWindow() {
        view.image.fill(Qt::white);
        para->DrawInRect(Whole());
        return view.image.copy();
    }
    // The paragraph drawn whole on an image the caller owns (as printing and exports do).
    QImage OnImage() {
        QImage image(view.image.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        port.BeginDCDraw(nullptr, image);
        para->DrawInRect(Whole());
        port.EndDraw();
        return image;
    }
    Rect Whole() const { return Rect(0, 0, view.image.width(), view.image.height()); }

    GridKinds grids;
    Installed<UprightNameTest> names{gUprightNames, UprightSin};
};

// Formulas where a glyph's font cell reaches over a neighbour's ink: a descender above a
// fraction's bar, the rows of a grid, the conditions of a piecewise definition.
TEST_F(TargetInkTest, TheWindowShowsTheSameInkAsEveryOtherTarget) {
    const std::vector<std::pair<const char*, std::function<OwnedComponent()>>> formulas = {
        {"y over sin", [] { return Make<FracComp>(Math("y"), Math("sin x")); }},
        {"3 x 3 matrix",
         [] {
             auto* m = new MatrixBox(3, 3);
             Fill(*m, {"a", "b", "c", "d", "e", "f", "g", "h", "k"});
             return OwnedComponent(m);
         }},
        {"piecewise",
         [] {
             auto* p = new PiecewiseBox(2);
             Fill(*p, {"x", "x>0", "-x", "x<0"});
             return OwnedComponent(p);
         }},
    };
    for (const auto& [name, make] : formulas) {
        SCOPED_TRACE(name);
        InPara(make(), boxtest::kEquation);
        const QImage window = OnWindow();
        const QImage image = OnImage();
        EXPECT_GT(drawtest::InkIn(window, para->GetFrame()), 100);
        EXPECT_EQ(Differences(window, image), 0);
    }
}

// Each run drawn alone against the whole line: nothing drawn later, blanks included, takes
// away ink an earlier run put down (an italic f overhangs the blank after it).
TEST_F(TargetInkTest, NoRunErasesTheInkOfAnother) {
    InPara(Make<FracComp>(Math("y"), Math("g")), boxtest::kText, "f f  j(x) ");
    CompList& list = *para->GetList(1);
    list.InsertArrayAt(Math(" f y"), list.GetCount() + 1);
    layouttest::LayOut(*para);
    const QImage whole = OnWindow();
    int runs = 0;
    for (Layout* run : list.GetRuns()) {
        view.image.fill(Qt::white);
        run->Draw();
        EXPECT_EQ(LostInk(whole, view.image), 0) << "run " << runs;
        ++runs;
    }
    EXPECT_GT(runs, 6);
}

// Typing into a line redraws only the lines that changed, each erased first: the pixels are
// those of a full redraw, though text is drawn without a background of its own.
TEST_F(TargetInkTest, RedrawingTheChangedPartEqualsAFullRedraw) {
    InPara(Make<FracComp>(Math("y"), Math("sin x")), boxtest::kText, "af fy=");
    CompList& list = *para->GetList(1);
    OnWindow();
    for (const char* typed : {"f", "j", " ", "-"}) {
        SCOPED_TRACE(typed);
        view.invalidated.clear();
        list.InsertArrayAt(Math(typed), 3);
        layouttest::LayOut(*para);
        para->InvalidateChangedLines(nullptr);
        ASSERT_FALSE(view.invalidated.empty());
        for (const Rect& changed : view.invalidated) {
            // As the view's own partial redraw does.
            port.SetClipRect(changed);
            port.EraseRect(changed);
            para->DrawInRect(changed);
            port.ClearClip();
        }
        const QImage partial = view.image.copy();
        EXPECT_EQ(Differences(partial, OnWindow()), 0);
    }
}

// The frames of empty optional slots are an editing aid: on the window they show, on an image
// or a recorded picture they do not, and the slots keep their room everywhere.
TEST_F(TargetInkTest, EmptySlotFramesShowOnTheWindowOnly) {
    const std::vector<std::pair<const char*, std::function<OwnedComponent()>>> boxes = {
        {"root index", [] { return Make<SqrtComp>(Math("x+1"), Math("")); }},
        {"integral bounds",
         [] { return Make<InteComp>(Math("f"), Math("x"), Math(""), Math("")); }},
        {"sum bound", [] { return Make<SumComp>(Math(""), Math("k=1")); }},
        {"derivative order",
         [] {
             auto* d = new TotalDerivativeBox();
             d->GetList(1)->InsertArrayAt(Math("x"), 1);
             d->GetList(3)->InsertArrayAt(Math("f"), 1);
             return OwnedComponent(d);
         }},
    };
    for (const auto& [name, make] : boxes) {
        SCOPED_TRACE(name);
        TextComp* box = InPara(make(), boxtest::kEquation);
        const Rect frame = box->GetFrame();
        EXPECT_GT(FrameGrayPixels(OnWindow()), 10);
        EXPECT_EQ(box->GetFrame(), frame);
        EXPECT_EQ(FrameGrayPixels(OnImage()), 0);

        port.BeginMetafile(nullptr, para->GetFrame());
        para->DrawInRect(para->GetFrame());
        const std::optional<PictureBytes> picture = port.EndMetafile();
        ASSERT_TRUE(picture.has_value());
        view.image.fill(Qt::white);
        port.PlayMetafile(*picture, para->GetFrame());
        EXPECT_EQ(FrameGrayPixels(view.image), 0);
        EXPECT_GT(drawtest::InkIn(view.image, para->GetFrame()), 50);
    }
}

} // namespace
