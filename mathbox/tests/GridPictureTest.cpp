// Grids and derivatives through the real fonts and drawing layer at 96 dpi: their geometry
// against the layout's own measures, and a picture of every structure to look at.

#include "document/GlyphSource.h"
#include "document/tests/Fakes.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/GridKinds.h"
#include "mathbox/LayoutStyleTable.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/TableBox.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;

template <typename Box>
using Owned = std::unique_ptr<Box, ComponentDestroyer>;

void Fill(GridBox& grid, const std::vector<std::string>& cells) {
    size_t k = 0;
    for (int32_t r = 1; r <= grid.GetRowCount(); ++r)
        for (int32_t c = 1; c <= grid.GetColumnCount(); ++c)
            if (k < cells.size()) fakes::AppendChars(*grid.GetCell(c, r), cells[k++], kMathFace);
}

class GridPictureTest : public DrawTest {
protected:
    GridPictureTest() { port.BeginWindowDraw(view); }
    ~GridPictureTest() override { port.EndDraw(); }

    LayoutServices layout;
    GridKinds kinds;
    ImageView view{760, 260};
};

TEST_F(GridPictureTest, GeometryAtNinetySixDots) {
    ASSERT_EQ(port.GetResolutionX(), 96);
    int32_t u = 0;
    int32_t axis = 0;
    {
        SizeGuard size(int8_t{0});
        u = port.GetSpacing();
        axis = port.GetMathAxis();
    }
    ASSERT_GT(u, 0);

    // A 1 x 1 matrix of an empty cell: padding u, gap 2u, centred on the axis.
    Owned<MatrixBox> one(new MatrixBox(1, 1));
    one->Layout();
    const Rect empty = one->GetCell(1, 1)->GetFrame();
    ASSERT_GT(empty.Width(), 0) << "an empty cell shows its placeholder";
    const int32_t height = 2 * u + empty.bottom - empty.top;
    EXPECT_EQ(one->GetBounds(),
              Rect(0, axis - height / 2 - u, empty.right + 4 * u, axis + height / 2 + u));
    one->SetOrigin(Point(100, 100));
    const Rect cell = one->GetCell(1, 1)->GetGlobalBounds();
    EXPECT_EQ(cell.left, 100 + 2 * u);
    EXPECT_EQ(cell.top, 100 + one->GetBounds().top + 2 * u);

    // A 2 x 2 matrix: every column as wide as its widest cell, rows as high as their tallest.
    Owned<MatrixBox> two(new MatrixBox(2, 2));
    Fill(*two, {"a", "bbb", "x+1", "y"});
    two->Layout();
    two->SetOrigin(Point(0, 0));
    const Rect c11 = two->GetCell(1, 1)->GetGlobalBounds();
    const Rect c12 = two->GetCell(1, 2)->GetGlobalBounds();
    const Rect c21 = two->GetCell(2, 1)->GetGlobalBounds();
    const Rect c22 = two->GetCell(2, 2)->GetGlobalBounds();
    EXPECT_EQ(c11.Width(), c12.Width());
    EXPECT_EQ(c21.Width(), c22.Width());
    EXPECT_EQ(c11.top, c21.top);
    EXPECT_EQ(c12.bottom, c22.bottom);
    EXPECT_EQ(c21.left - c11.right, 2 * u);
    EXPECT_EQ(c12.top - c11.bottom, 2 * u);
    EXPECT_EQ(two->GetBounds().right, c22.right + 2 * u);
    EXPECT_EQ(two->GetBounds().bottom, c22.bottom + 2 * u);

    // A total derivative: the bar's width holds the wider of numerator and denominator.
    Owned<TotalDerivativeBox> d(new TotalDerivativeBox());
    fakes::AppendChars(*d->GetList(1), "x", kMathFace);
    fakes::AppendChars(*d->GetList(3), "f", kMathFace);
    d->Layout();
    d->SetOrigin(Point(0, 0));
    const Rect denominator = d->GetDifferentialFrame(1);
    const Rect function = d->GetList(3)->GetGlobalBounds();
    EXPECT_EQ(d->GetBounds().right, 2 * u + denominator.Width());
    EXPECT_GT(denominator.top, axis) << "the differential stands below the bar";
    EXPECT_LT(function.bottom, axis) << "the function stands above it";
    // The denominator hangs half a unit below the axis and keeps a unit below it.
    EXPECT_EQ(d->GetBounds().bottom, denominator.bottom - u / 2 + u);
    EXPECT_EQ(denominator.top, axis + u / 2);
}

TEST_F(GridPictureTest, EveryStructure) {
    std::vector<Owned<TextComp>> boxes;
    auto add = [&](TextComp* box) { boxes.emplace_back(box); };

    auto* matrix = new MatrixBox(3, 2);
    Fill(*matrix, {"a", "b", "c", "x+1", "y", "z"});
    add(matrix);
    auto* table = new TableBox(2, 3);
    Fill(*table, {"x", "y", "1", "2", "3", "4"});
    add(table);
    auto* set = new EquationSetBox(2);
    Fill(*set, {"x+y=1", "x-y=3"});
    add(set);
    auto* split = new PiecewiseBox(2);
    Fill(*split, {"x", "x>0", "-x", "otherwise"});
    add(split);
    auto* total = new TotalDerivativeBox();
    fakes::AppendChars(*total->GetList(1), "x", kMathFace);
    fakes::AppendChars(*total->GetList(2), "2", kMathFace);
    fakes::AppendChars(*total->GetList(3), "f", kMathFace);
    add(total);
    auto* partial = new PartialDerivativeBox();
    partial->InsertDifferentialAt(2, OwnedDifferential(new PartialDifferentialBox()));
    fakes::AppendChars(*partial->GetList(1), "x", kMathFace);
    fakes::AppendChars(*partial->GetList(3), "y", kMathFace);
    fakes::AppendChars(*partial->GetList(5), "g", kMathFace);
    add(partial);

    int32_t x = 20;
    std::vector<Rect> frames;
    for (auto& box : boxes) {
        box->Layout();
        box->SetOrigin(Point(x - box->GetBounds().left, 130));
        box->Draw();
        frames.push_back(box->GetFrame());
        x = box->GetFrame().right + 24;
    }
    ASSERT_TRUE(view.image.save(QString::fromStdString(drawtest::OutputPath("grids.png"))));
    EXPECT_LT(x, view.image.width());
    for (size_t k = 0; k < frames.size(); ++k) {
        EXPECT_GT(drawtest::InkIn(view.image, frames[k]), 30) << k;
        EXPECT_GT(frames[k].top, 0) << k;
        EXPECT_LT(frames[k].bottom, view.image.height()) << k;
    }
    // The matrix's brackets stand at its left and right edges, the table's frame all round.
    const Rect m = frames[0];
    EXPECT_GT(drawtest::InkIn(view.image, Rect(m.left, m.top, m.left + 8, m.bottom)), 10);
    EXPECT_GT(drawtest::InkIn(view.image, Rect(m.right - 8, m.top, m.right, m.bottom)), 10);
    const Rect t = frames[1];
    EXPECT_GE(drawtest::InkIn(view.image, Rect(t.left, t.top, t.right, t.top + 1)), t.Width() - 1);
}

} // namespace
