// Grid boxes on the fake drawing port (size unit 4, axis 0, characters 10 wide and 8 above the
// baseline, an empty list's placeholder 8 x 12): list numbering and caret moves, geometry,
// rows and columns in and out, stored bytes and damaged records, LaTeX, text and keys.

#include "document/DocRange.h"
#include "document/LatexWriter.h"
#include "document/ListParser.h"
#include "document/OutBuffer.h"
#include "document/tests/Fakes.h"
#include "document/tests/StreamBytes.h"
#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/GridKinds.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/TableBox.h"
#include "mathbox/tests/BoxText.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

using streambytes::Builder;
using streambytes::Bytes;

namespace {

using boxtest::TextOf;

std::string LatexOf(TextComp& comp) {
    return boxtest::PlainLatexOf(comp);
}

using boxtest::Owned;

template <typename Box, typename... Args>
Owned<Box> Make(Args... args) {
    return Owned<Box>(new Box(args...));
}

// Fills cell (c, r) with its letters, "a" at (1,1), "b" at (2,1), ... row by row.
void Letter(GridBox& grid) {
    char next = 'a';
    for (int32_t r = 1; r <= grid.GetRowCount(); ++r)
        for (int32_t c = 1; c <= grid.GetColumnCount(); ++c)
            fakes::AppendChars(*grid.GetCell(c, r), std::string(1, next++));
}

std::string Cells(const GridBox& grid) {
    std::string s;
    for (int32_t r = 1; r <= grid.GetRowCount(); ++r) {
        if (r > 1) s += '/';
        for (int32_t c = 1; c <= grid.GetColumnCount(); ++c) {
            const Str255 t = grid.GetCell(c, r)->GetText();
            s += t.GetLength() > 0 ? t.ToCString() : "_";
        }
    }
    return s;
}

class GridBoxTest : public ::testing::Test {
protected:
    fakes::GlyphSource glyphs;
    fakes::DrawPort port;
    fakes::RunFactory runs;
    GridKinds kinds;
};

TEST_F(GridBoxTest, ListsRunAlongRowsAndTheCaretLeavesAtTheEnds) {
    auto grid = Make<MatrixBox>(2, 3);
    EXPECT_EQ(grid->GetListCount(), 6);
    EXPECT_EQ(grid->GetList(3), grid->GetCell(1, 2));
    EXPECT_EQ(grid->GetList(4), grid->GetCell(2, 2));
    EXPECT_EQ(grid->GetList(7), nullptr);
    for (int32_t i = 1; i <= 6; ++i) {
        EXPECT_EQ(grid->IndexOfList(grid->GetList(i)), i);
        EXPECT_EQ(grid->GetList(i)->GetOwner(), grid.get());
    }

    // Right from outside through every cell and out; left the same path backwards.
    std::vector<CompList*> right;
    for (CompList* at = grid->ListRightOf(nullptr); at != nullptr; at = grid->ListRightOf(at))
        right.push_back(at);
    std::vector<CompList*> left;
    for (CompList* at = grid->ListLeftOf(nullptr); at != nullptr; at = grid->ListLeftOf(at))
        left.insert(left.begin(), at);
    const std::vector<CompList*> rowOrder = {grid->GetList(1), grid->GetList(2), grid->GetList(3),
                                             grid->GetList(4), grid->GetList(5), grid->GetList(6)};
    EXPECT_EQ(right, rowOrder);
    EXPECT_EQ(left, rowOrder);

    EXPECT_EQ(grid->ListAbove(grid->GetCell(2, 2)), grid->GetCell(2, 1));
    EXPECT_EQ(grid->ListAbove(grid->GetCell(2, 1)), nullptr);
    EXPECT_EQ(grid->ListBelow(grid->GetCell(1, 2)), grid->GetCell(1, 3));
    EXPECT_EQ(grid->ListBelow(grid->GetCell(1, 3)), nullptr);
    CompList stranger;
    EXPECT_EQ(grid->ListRightOf(&stranger), nullptr);
    EXPECT_TRUE(grid->GetCaretAfterInsert().IsEqual([&] {
        DocPos p;
        p.SetAt(grid->GetCell(1, 1), 1);
        return p;
    }()));
}

TEST_F(GridBoxTest, EmptyGridHasNoListsAndLaysOutAsItsPadding) {
    auto grid = Make<MatrixBox>(0, 0);
    EXPECT_EQ(grid->GetListCount(), 0);
    EXPECT_EQ(grid->GetList(1), nullptr);
    EXPECT_EQ(grid->ListRightOf(nullptr), nullptr);
    EXPECT_EQ(grid->ListLeftOf(nullptr), nullptr);
    grid->Layout();
    EXPECT_EQ(grid->GetBounds(), Rect(0, -4, 8, 4));
    grid->SetOrigin(Point(10, 10));
    EXPECT_EQ(grid->FindAt(Point(12, 10)), grid.get());
    EXPECT_EQ(TextOf(*grid), "[]");
    EXPECT_EQ(LatexOf(*grid), "\\left[ \\begin{array}{}\\end{array}\\right] ");
    auto table = Make<TableBox>(0, 0);
    EXPECT_EQ(TextOf(*table), "");
    EXPECT_EQ(LatexOf(*table), "\\begin{tabular}{|} \\hline \\hline \\end{tabular}");
    auto set = Make<EquationSetBox>(0);
    EXPECT_EQ(TextOf(*set), "{  }");
    auto split = Make<PiecewiseBox>(0);
    EXPECT_EQ(TextOf(*split), "{}");
}

TEST_F(GridBoxTest, GeometryOfOneByOneGrids) {
    // u = 4, g = 8; the empty cell is 8 wide, 10 above and 2 below its baseline.
    struct Case {
        const char* name;
        std::function<Owned<GridBox>()> make;
        Rect bounds;
        Rect cell; // placed at (100, 50)
    };
    const Case cases[] = {
        // p = u: W = 16, H = 8 + 12 = 20.
        {"matrix", [] { return Owned<GridBox>(new MatrixBox(1, 1)); }, Rect(0, -14, 24, 14),
         Rect(108, 44, 116, 56)},
        // p = u, header rule 1: H = 21 loses its odd pixel when halved.
        {"table", [] { return Owned<GridBox>(new TableBox(1, 1)); }, Rect(0, -14, 24, 14),
         Rect(108, 44, 116, 56)},
        // p = the brace's width, 10.
        {"equation set", [] { return Owned<GridBox>(new EquationSetBox(1)); }, Rect(0, -20, 36, 20),
         Rect(114, 44, 122, 56)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto grid = c.make();
        grid->Layout();
        EXPECT_EQ(grid->GetBounds(), c.bounds);
        grid->SetOrigin(Point(100, 50));
        EXPECT_EQ(grid->GetCell(1, 1)->GetGlobalBounds(), c.cell);
        EXPECT_EQ(grid->GetRowRect(1), Rect(100, 44, 100 + c.bounds.right, 56));
        EXPECT_EQ(grid->GetRowRect(2), Rect(100, 56, 100 + c.bounds.right, 64))
            << "a band of 2u below the last row";
    }
}

TEST_F(GridBoxTest, GeometryOfTwoByTwoGrids) {
    auto grid = Make<MatrixBox>(2, 2);
    fakes::AppendChars(*grid->GetCell(1, 1), "a");
    fakes::AppendChars(*grid->GetCell(2, 1), "bb");
    fakes::AppendChars(*grid->GetCell(1, 2), "ccc");
    grid->Layout();
    // Columns 30 and 20 wide; rows -8..2 and -10..2; W = 38 + 28, H = 16 + 10 + 12.
    EXPECT_EQ(grid->GetBounds(), Rect(0, -23, 74, 23));
    EXPECT_EQ(grid->GetRowTop(2), -10);
    grid->SetOrigin(Point(0, 0));
    // Every cell of a column spans its width, every cell of a row its height.
    EXPECT_EQ(grid->GetCell(1, 1)->GetGlobalBounds(), Rect(8, -15, 38, -5));
    EXPECT_EQ(grid->GetCell(2, 1)->GetGlobalBounds(), Rect(46, -15, 66, -5));
    EXPECT_EQ(grid->GetCell(1, 2)->GetGlobalBounds(), Rect(8, 3, 38, 15));
    EXPECT_EQ(grid->GetCell(2, 2)->GetGlobalBounds(), Rect(46, 3, 66, 15));
    EXPECT_EQ(grid->GetColumnRect(2), Rect(46, -23, 66, 23));
    EXPECT_EQ(grid->GetColumnRect(3), Rect(66, -23, 74, 23));

    struct Hit {
        const char* name;
        Point point;
        CompList* list; // null: the grid's own place in its parent
    };
    const Hit hits[] = {
        {"inside the first cell", Point(10, -10), grid->GetCell(1, 1)},
        {"the last column", Point(65, 14), grid->GetCell(2, 2)},
        {"the gap between the columns", Point(40, -10), nullptr},
        {"the gap between the rows", Point(10, 0), nullptr},
    };
    for (const Hit& h : hits) {
        SCOPED_TRACE(h.name);
        const DocPos pos = grid->PosFromPoint(h.point, false);
        EXPECT_EQ(pos.target, h.list);
        EXPECT_EQ(grid->FindAt(h.point), h.list == nullptr ? grid.get() : grid->FindAt(h.point));
    }
}

TEST_F(GridBoxTest, RowsAndColumnsGoInAndOut) {
    auto grid = Make<MatrixBox>(2, 3);
    Letter(*grid);
    EXPECT_EQ(Cells(*grid), "ab/cd/ef");
    grid->InsertRowAt(4);
    grid->InsertColumnAt(2);
    EXPECT_EQ(Cells(*grid), "a_b/c_d/e_f/___");
    EXPECT_EQ(grid->GetListCount(), 12);
    EXPECT_EQ(grid->GetCell(2, 4)->GetOwner(), grid.get());
    EXPECT_THROW(grid->InsertRowAt(6), std::out_of_range);

    const Owned<TextComp> before(grid->Clone().release());
    OwnedComponent rows = grid->RemoveRows(2, 3);
    EXPECT_EQ(Cells(*grid), "a_b/___");
    EXPECT_EQ(Cells(static_cast<GridBox&>(*rows)), "c_d/e_f");
    EXPECT_EQ(static_cast<GridBox&>(*rows).GetCell(1, 1)->GetOwner(), rows.get());
    grid->InsertRowsFrom(std::move(rows), 2);
    EXPECT_TRUE(grid->IsEqual(*before)) << Cells(*grid);
    EXPECT_EQ(grid->GetCell(1, 2)->GetOwner(), grid.get());

    OwnedComponent columns = grid->RemoveColumns(1, 2);
    EXPECT_EQ(Cells(*grid), "b/d/f/_");
    grid->InsertColumnsFrom(std::move(columns), 1);
    EXPECT_TRUE(grid->IsEqual(*before));

    // A grid of another kind or shape does not fit and leaves both whole.
    auto table = Make<TableBox>(3, 1);
    OwnedComponent alien(table->Clone().release());
    EXPECT_THROW(grid->InsertRowsFrom(std::move(alien), 1), std::invalid_argument);
    OwnedComponent narrow = grid->CopyRows(1, 1);
    static_cast<GridBox&>(*narrow).RemoveColumns(1, 1);
    EXPECT_THROW(grid->InsertRowsFrom(std::move(narrow), 1), std::invalid_argument);
    EXPECT_TRUE(grid->IsEqual(*before));

    // Removing every row or every column empties the grid; the removed part comes back whole.
    OwnedComponent all = grid->RemoveRows(1, 4);
    EXPECT_EQ(grid->GetColumnCount(), 0);
    EXPECT_EQ(grid->GetRowCount(), 0);
    grid->InsertRowsFrom(std::move(all), 1);
    EXPECT_TRUE(grid->IsEqual(*before));
    OwnedComponent allColumns = grid->RemoveColumns(1, 3);
    EXPECT_EQ(grid->GetRowCount(), 0);
    grid->InsertColumnsFrom(std::move(allColumns), 1);
    EXPECT_TRUE(grid->IsEqual(*before));

    // Equal needs the same shape, not only as many cells.
    EXPECT_FALSE(Make<MatrixBox>(2, 3)->IsEqual(*Make<MatrixBox>(3, 2)));
}

TEST_F(GridBoxTest, GoldenRecords) {
    struct Case {
        const char* name;
        std::function<OwnedComponent()> make;
        Bytes expected;
    };
    auto empty2x2 = [](const char* tag) {
        return Builder().Tag(tag).I32(26).I16(2).I16(2).I32(0).I32(0).I16(2).I32(0).I32(0).Get();
    };
    const Case cases[] = {
        {"empty matrix", [] { return OwnedComponent(new MatrixBox()); },
         Builder().Tag("Matr").I32(6).I16(0).Get()},
        {"empty table", [] { return OwnedComponent(new TableBox()); },
         Builder().Tag("Tabl").I32(6).I16(0).Get()},
        {"empty equation set", [] { return OwnedComponent(new EquationSetBox()); },
         Builder().Tag("eqSt").I32(6).I16(0).Get()},
        {"empty piecewise", [] { return OwnedComponent(new PiecewiseBox()); },
         Builder().Tag("splF").I32(6).I16(0).Get()},
        {"matrix 2 x 2", [] { return OwnedComponent(new MatrixBox(2, 2)); }, empty2x2("Matr")},
        {"table 2 x 2", [] { return OwnedComponent(new TableBox(2, 2)); }, empty2x2("Tabl")},
        {"piecewise of 2 rows", [] { return OwnedComponent(new PiecewiseBox(2)); },
         empty2x2("splF")},
        {"equation set of 2 rows", [] { return OwnedComponent(new EquationSetBox(2)); },
         Builder().Tag("eqSt").I32(16).I16(1).I16(2).I32(0).I32(0).Get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedComponent box = c.make();
        const Bytes bytes = streambytes::Save([&](DocStream& s) { s.WriteRecord(*box); });
        EXPECT_EQ(bytes, c.expected);
        OwnedComponent back;
        streambytes::Load(bytes, [&](DocStream& s) { back = s.ReadComponent(); });
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->IsEqual(*box));
    }

    // Filled cells: each a chunk of one character block of face 0.
    auto letters = Make<EquationSetBox>(2);
    Letter(*letters);
    auto block = [](const char* text) {
        return Builder().I32(1).Record("chBk", Builder().I16(0).U8(1).Text(text));
    };
    EXPECT_EQ(streambytes::Save([&](DocStream& s) { s.WriteRecord(*letters); }),
              Builder()
                  .Record("eqSt", Builder().I16(1).I16(2).Append(block("a")).Append(block("b")))
                  .Get());

    // Cells with content come back equal.
    auto filled = Make<PiecewiseBox>(2);
    Letter(*filled);
    const Bytes bytes = streambytes::Save([&](DocStream& s) { s.WriteRecord(*filled); });
    OwnedComponent back;
    streambytes::Load(bytes, [&](DocStream& s) { back = s.ReadComponent(); });
    EXPECT_TRUE(back->IsEqual(*filled));
    EXPECT_EQ(Cells(static_cast<GridBox&>(*back)), "ab/cd");
}

TEST_F(GridBoxTest, DamagedRecords) {
    // Columns of 1 and 2 cells: every stored cell is kept and the short column padded.
    const Bytes uneven =
        Builder().Tag("Matr").I32(22).I16(2).I16(1).I32(0).I16(2).I32(0).I32(0).Get();
    OwnedComponent read;
    streambytes::Load(uneven, [&](DocStream& s) { read = s.ReadComponent(); });
    auto& grid = static_cast<GridBox&>(*read);
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetColumn(1).GetCount(), 2);
    EXPECT_EQ(grid.GetListCount(), 4);
    EXPECT_EQ(grid.GetCell(1, 2)->GetOwner(), &grid);

    // Columns with no cells at all make an empty grid.
    const Bytes hollow = Builder().Tag("Tabl").I32(10).I16(2).I16(0).I16(0).Get();
    streambytes::Load(hollow, [&](DocStream& s) { read = s.ReadComponent(); });
    EXPECT_EQ(static_cast<GridBox&>(*read).GetColumnCount(), 0);

    const struct {
        const char* name;
        Bytes bytes;
    } damaged[] = {
        {"negative column count", Builder().Tag("Matr").I32(6).I16(-1).Get()},
        {"negative cell count", Builder().Tag("Matr").I32(8).I16(1).I16(-3).Get()},
        {"more columns than bytes", Builder().Tag("eqSt").I32(8).I16(400).I16(0).Get()},
        {"more cells than bytes", Builder().Tag("splF").I32(12).I16(1).I16(30000).I32(0).Get()},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        try {
            streambytes::Load(d.bytes, [&](DocStream& s) { read = s.ReadComponent(); });
            ADD_FAILURE() << "read a damaged record";
        } catch (const platform::FileException& e) {
            EXPECT_EQ(e.GetCause(), platform::FileException::Cause::BadFormat);
        }
    }
}

TEST_F(GridBoxTest, LatexAndText) {
    auto matrix = Make<MatrixBox>(2, 2);
    Letter(*matrix);
    auto table = Make<TableBox>(2, 2);
    Letter(*table);
    auto column = Make<TableBox>(1, 2);
    Letter(*column);
    auto set = Make<EquationSetBox>(2);
    Letter(*set);
    auto one = Make<EquationSetBox>(1);
    Letter(*one);
    auto split = Make<PiecewiseBox>(2);
    fakes::AppendChars(*split->GetCell(1, 1), "a");
    fakes::AppendChars(*split->GetCell(2, 1), "x>0");
    fakes::AppendChars(*split->GetCell(1, 2), "b");
    fakes::AppendChars(*split->GetCell(2, 2), "otherwise");
    auto capital = Make<PiecewiseBox>(1);
    fakes::AppendChars(*capital->GetCell(1, 1), "b");
    fakes::AppendChars(*capital->GetCell(2, 1), "Otherwise");
    auto withBox = Make<PiecewiseBox>(1);
    fakes::AppendChars(*withBox->GetCell(2, 1), "other");
    withBox->GetCell(2, 1)->Append(new fakes::Box());
    fakes::AppendChars(*withBox->GetCell(2, 1), "wise");

    const struct {
        const char* name;
        TextComp& box;
        const char* text;
        const char* latex;
    } cases[] = {
        {"matrix", *matrix, "[[a,b],[c,d]]",
         "\\left[ \\begin{array}{cc}a & b \\\\ c & d\\end{array}\\right] "},
        {"table", *table, "a\tb\rc\td",
         "\\begin{tabular}{|c|c|} \\hline $a$ & $b$ \\\\ \\hline $c$ & $d$ \\\\ \\hline "
         "\\end{tabular}"},
        {"table of one column", *column, "a\rb",
         "\\begin{tabular}{|c|} \\hline $a$ \\\\ \\hline $b$ \\\\ \\hline \\end{tabular}"},
        {"equation set", *set, "{ a,b }",
         "\\left\\{ \\begin{array}{c}a \\\\ b\\end{array} \\right\\} "},
        {"equation set of one row", *one, "{ a }",
         "\\left\\{ \\begin{array}{c}a\\end{array} \\right\\} "},
        {"piecewise", *split, "{a if x>0 , b otherwise}",
         "\\left\\{ \\begin{array}{ll}a & x>0 \\\\ b & otherwise\\end{array} \\right. "},
        {"piecewise with a capital", *capital, "{b if Otherwise}", nullptr},
        {"otherwise beside a box", *withBox, "{ otherwise}", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextOf(c.box), c.text);
        if (c.latex != nullptr) {
            EXPECT_EQ(LatexOf(c.box), c.latex);
        }
    }
    boxtest::StringLatex rows(false);
    set->WriteLatexRows(rows);
    EXPECT_EQ(rows.out, "a \\\\ b");
}

TEST_F(GridBoxTest, MatrixDropsItsBracketsAloneInAnAbsoluteValue) {
    fakes::Box bars(tags::AbsValue);
    auto* matrix = new MatrixBox(1, 1);
    bars.GetList(1)->Append(matrix);
    matrix->Layout();
    EXPECT_FALSE(matrix->HasBrackets());
    EXPECT_EQ(LatexOf(*matrix).find("\\left["), std::string::npos);
    EXPECT_EQ(matrix->GetBounds().right, 16) << "no padding without brackets";
    fakes::AppendChars(*bars.GetList(1), "x");
    matrix->Layout();
    EXPECT_TRUE(matrix->HasBrackets());
    OwnedComponent out = bars.GetList(1)->RemoveAt(1);
    EXPECT_TRUE(static_cast<MatrixBox&>(*out).HasBrackets());
}

TEST_F(GridBoxTest, TableCollapsesInsideAPlot) {
    class Plot final : public fakes::Box {
    public:
        bool IsPlot() const override { return true; }
    };
    Plot plot;
    auto* table = new TableBox(2, 2);
    Letter(*table);
    plot.GetList(1)->Append(table);
    table->Layout();
    EXPECT_TRUE(table->IsCollapsed());
    EXPECT_EQ(table->GetBounds(), Rect(0, -8, 60, 2));
    EXPECT_EQ(LatexOf(*table), "-data-");
    EXPECT_EQ(TextOf(*table), "a\tb\rc\td") << "the kernel still gets the cells";
}

TEST_F(GridBoxTest, KeysOnCellsAndBoundaries) {
    auto matrix = Make<MatrixBox>(2, 2);
    auto set = Make<EquationSetBox>(2);
    auto split = Make<PiecewiseBox>(2);
    auto in = [](GridBox& g) {
        DocPos p;
        p.SetAt(g.GetCell(1, 1), 1);
        return p;
    };
    auto on = [](GridBox& g, int32_t index, bool columns) {
        DocPos p;
        p.SetOnGrid(&g, index, columns);
        return p;
    };
    const struct {
        const char* name;
        GridBox& grid;
        DocPos pos;
        int32_t key;
        int32_t flag1;
        int32_t flag2;
        int32_t code;
    } cases[] = {
        {"backspace on the first boundary", *matrix, on(*matrix, 1, false), 8, 0, 0, 905},
        {"backspace on a later boundary", *matrix, on(*matrix, 2, true), 8, 0, 0, 807},
        {"backspace in a cell", *matrix, in(*matrix), 8, 0, 0, 805},
        {"tab in a cell", *matrix, in(*matrix), 9, 0, 0, 907},
        {"shift tab in a cell", *matrix, in(*matrix), 9, 1, 0, 908},
        {"tab on rows", *matrix, on(*matrix, 1, false), 9, 0, 0, 2000},
        {"tab on columns", *matrix, on(*matrix, 1, true), 9, 0, 0, 902},
        {"ctrl tab on columns", *matrix, on(*matrix, 1, true), 9, 0, 1, 1004},
        {"return on columns", *matrix, on(*matrix, 1, true), 13, 0, 0, 2000},
        {"ctrl return on rows", *matrix, on(*matrix, 1, false), 13, 0, 1, 1005},
        {"return in a cell", *matrix, in(*matrix), 13, 0, 0, 906},
        {"shift return in a cell", *matrix, in(*matrix), 13, 1, 0, 909},
        {"tab in an equation", *set, in(*set), 9, 0, 0, 906},
        {"tab in a piecewise cell", *split, in(*split), 9, 0, 0, 907},
        {"tab on a set's boundary", *set, on(*set, 1, false), 9, 0, 1, 2000},
        {"ctrl return on a set's boundary", *set, on(*set, 2, false), 13, 0, 1, 1005},
        {"shift return in a piecewise cell", *split, in(*split), 13, 1, 0, 909},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.grid.HandleKey(c.pos, c.key, c.flag1, c.flag2), c.code) << c.name;
    }
    EXPECT_TRUE(matrix->IsCommandEnabled(1004, on(*matrix, 1, true)));
    EXPECT_FALSE(matrix->IsCommandEnabled(1004, on(*matrix, 1, false)));
    EXPECT_TRUE(matrix->IsCommandEnabled(1005, on(*matrix, 1, false)));
    EXPECT_TRUE(set->IsCommandEnabled(1005, in(*set)));
}

} // namespace

namespace {

using boxtest::NameParser;

class ConversionTest : public GridBoxTest {
protected:
    NameParser parser;
    Installed<ListParser> parsing{gListParser, &parser};
    MathBoxKinds boxes;
};

TEST_F(ConversionTest, BoxToTreeToBoxIsTheIdentity) {
    const struct {
        const char* name;
        std::function<OwnedComponent()> make;
    } cases[] = {
        {"matrix of 3 columns and 2 rows",
         [] {
             auto* m = new MatrixBox(3, 2);
             Letter(*m);
             return OwnedComponent(m);
         }},
        {"table of 2 columns and 3 rows",
         [] {
             auto* t = new TableBox(2, 3);
             Letter(*t);
             return OwnedComponent(t);
         }},
        {"equation set",
         [] {
             auto* s = new EquationSetBox(3);
             Letter(*s);
             return OwnedComponent(s);
         }},
        {"piecewise definition",
         [] {
             auto* p = new PiecewiseBox(2);
             Letter(*p);
             return OwnedComponent(p);
         }},
        {"total derivative",
         [] {
             auto* d = new TotalDerivativeBox();
             fakes::AppendChars(*d->GetList(1), "x");
             fakes::AppendChars(*d->GetList(2), "2");
             fakes::AppendChars(*d->GetList(3), "f");
             return OwnedComponent(d);
         }},
        {"partial derivative in two variables",
         [] {
             auto* d = new PartialDerivativeBox();
             d->InsertDifferentialAt(2, OwnedDifferential(new PartialDifferentialBox()));
             fakes::AppendChars(*d->GetList(1), "x");
             fakes::AppendChars(*d->GetList(3), "y");
             fakes::AppendChars(*d->GetList(4), "n");
             fakes::AppendChars(*d->GetList(5), "g");
             return OwnedComponent(d);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList line;
        const boxtest::RoundTrip trip = boxtest::ThroughTree(line, c.make());
        ASSERT_NO_FATAL_FAILURE(boxtest::ExpectSameInPlace(trip, line));
        if (const auto* grid = dynamic_cast<const GridBox*>(trip.box)) {
            // Cell (1, 2) and every other stays where it was.
            const auto& back = dynamic_cast<const GridBox&>(*trip.back);
            EXPECT_EQ(Cells(back), Cells(*grid));
            EXPECT_EQ(back.GetColumnCount(), grid->GetColumnCount());
        }
    }
}

TEST_F(ConversionTest, MatricesConvertByRowsAndTablesByColumns) {
    auto matrix = Make<MatrixBox>(2, 3);
    Letter(*matrix);
    CompList line;
    MatrixBox* m = matrix.release();
    line.Append(m);
    std::unique_ptr<ExprNode> tree(m->ToExpression());
    Str255 text;
    tree->WriteText(text);
    EXPECT_EQ(text.View(), "[[a,b],[c,d],[e,f]]") << "a list of rows";

    auto* table = new TableBox(2, 3);
    Letter(*table);
    line.Append(table);
    std::unique_ptr<ExprNode> columns(table->ToExpression());
    auto* grid = dynamic_cast<CompositeNode*>(columns.get());
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(grid->FirstChild(), nullptr);
    EXPECT_EQ(grid->FirstChild()->Source().component, table);
    EXPECT_EQ(grid->FirstChild()->Source().kind, NodeSource::kWhole);
    EXPECT_EQ(grid->FirstChild()->Source().wholeFlag, 1) << "a column";
    EXPECT_EQ(grid->ChildCount(), 2);
}

} // namespace
