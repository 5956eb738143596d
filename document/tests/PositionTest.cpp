// Caret steps and selection ranges through a small document with a box, a grid and a partial
// derivative: every position kind, every step, and `Assign` for every pair of kinds.

#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "document/tests/SequenceFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

using namespace seqfakes;

namespace {

// Paragraph 1: "a", a box holding "x", a 2 x 2 matrix whose first cell holds "p", "b".
// Paragraph 2: "c", a partial derivative of two variables (the first "u") over "f", "d".
class PositionTest : public ::testing::Test {
protected:
    PositionTest() {
        std::tie(box, grid, derivative) = AppendBoxGridDerivative(seq, "a", "x");
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        fakes::AppendChars(*derivative->GetDifferential(1)->GetList(1), "u");
        fakes::AppendChars(*derivative->GetList(5), "f");
        seq.PlaceAll(false);

        L1 = seq.GetAt(1)->GetList(1);
        L2 = seq.GetAt(2)->GetList(1);
        names = {{L1, "L1"},
                 {L2, "L2"},
                 {box->GetList(1), "box"},
                 {grid->GetCell(1, 1), "c11"},
                 {grid->GetCell(2, 1), "c21"},
                 {grid->GetCell(1, 2), "c12"},
                 {grid->GetCell(2, 2), "c22"},
                 {Var(1), "var1"},
                 {Var(2), "var2"},
                 {Order(1), "order1"},
                 {derivative->GetList(5), "fn"},
                 {grid, "G"},
                 {derivative, "D"}};
    }

    CompList* Var(int32_t k) const { return derivative->GetDifferential(k)->GetList(1); }
    CompList* Cell(int32_t column, int32_t row) const { return grid->GetCell(column, row); }
    CompList* Order(int32_t k) const { return derivative->GetDifferential(k)->GetList(2); }

    static DocPos At(CompList* list, int32_t index) { return ListPos(list, index); }
    DocPos Rows(int32_t index) const { return GridPos(grid, index, false); }
    DocPos Cols(int32_t index) const { return GridPos(grid, index, true); }
    DocPos Vars(int32_t index) const { return VarPos(derivative, index); }

    std::string Name(const DocPos& p) const { return PositionName(p, names); }

    Services services;
    CompSequence seq;
    fakes::Box* box = nullptr;
    Grid* grid = nullptr;
    Derivative* derivative = nullptr;
    CompList* L1 = nullptr;
    CompList* L2 = nullptr;
    std::map<const void*, std::string> names;
};

TEST_F(PositionTest, ParagraphAndQueriesFollowTheContainer) {
    EXPECT_EQ(At(grid->GetCell(2, 2), 1).paragraph, seq.GetAt(1));
    EXPECT_EQ(Cols(1).paragraph, seq.GetAt(1));
    EXPECT_EQ(Vars(2).paragraph, seq.GetAt(2));
    EXPECT_EQ(Cols(1).GetList(), L1) << "a boundary's list holds its box";
    EXPECT_EQ(Vars(1).GetSequence(), &seq);
    // Only a list position has a component after it: boundary numbers are no list indexes.
    EXPECT_EQ(At(L1, 3).GetComponent(), grid);
    EXPECT_EQ(Cols(1).GetComponent(), nullptr);
    EXPECT_EQ(Vars(2).GetComponent(), nullptr);
    EXPECT_EQ(At(L1, 5).GetComponent(), nullptr);

    EXPECT_TRUE(At(L1, 1).IsInParagraphList());
    EXPECT_FALSE(At(Var(1), 1).IsInParagraphList());
    EXPECT_FALSE(Cols(2).IsEqual(Rows(2)));
    EXPECT_FALSE(Cols(2).IsSameContainer(Rows(2)));
    EXPECT_TRUE(Cols(2).IsSameContainer(Cols(3)));
    EXPECT_TRUE(At(L1, 5).IsBefore(At(L2, 1)));
    EXPECT_FALSE(At(L2, 1).IsBefore(At(L1, 5)));

    EXPECT_EQ(At(Var(1), 1).FindEnclosing(tags::Null), derivative);
    EXPECT_EQ(At(L1, 1).FindEnclosing(tags::Null), seq.GetAt(1));
    EXPECT_EQ(At(grid->GetCell(1, 1), 1).FindEnclosing(tags::Paragraph), seq.GetAt(1));
    EXPECT_EQ(At(grid->GetCell(1, 1), 1).FindEnclosing(tags::Fraction), nullptr);

    EXPECT_EQ(At(L1, 3).TopLevelIndex(true), 3);
    EXPECT_EQ(At(grid->GetCell(1, 1), 1).TopLevelIndex(true), 3);
    EXPECT_EQ(At(grid->GetCell(1, 1), 1).TopLevelIndex(false), 4);
    EXPECT_EQ(Vars(1).TopLevelIndex(true), 2);

    DocPos copy = Rows(2);
    copy.Retreat();
    copy.Retreat();
    EXPECT_EQ(copy.index, 1) << "never below 1";
    DocPos empty;
    DocPos copied = empty;
    EXPECT_EQ(copied.index, -1);

    EXPECT_EQ(At(L1, 1).LoadCursor(), PositionCursor::IBeam);
    EXPECT_EQ(Cols(1).LoadCursor(), PositionCursor::ResizeVertical);
    EXPECT_EQ(Rows(1).LoadCursor(), PositionCursor::ResizeHorizontal);
    EXPECT_EQ(Vars(1).LoadCursor(), PositionCursor::ResizeVertical);
    EXPECT_EQ(empty.LoadCursor(), PositionCursor::None);
}

TEST_F(PositionTest, StepsTable) {
    using Step = DocPos (DocPos::*)() const;
    struct Case {
        const char* op;
        Step step;
        DocPos from;
        DocPos to;
    };
    CompList* c11 = Cell(1, 1);
    CompList* c21 = Cell(2, 1);
    CompList* c12 = Cell(1, 2);
    CompList* c22 = Cell(2, 2);
    const Case cases[] = {
        {"next over", &DocPos::NextOver, At(L1, 1), At(L1, 2)},
        {"next over", &DocPos::NextOver, At(L1, 2), At(L1, 3)},
        {"next over", &DocPos::NextOver, At(L1, 5), At(L2, 1)},
        {"next over", &DocPos::NextOver, At(L2, 4), At(L2, 4)},
        {"next over", &DocPos::NextOver, At(box->GetList(1), 2), At(L1, 3)},
        {"next over", &DocPos::NextOver, Cols(1), Cols(2)},
        {"next over", &DocPos::NextOver, Cols(3), At(L1, 4)},
        {"next over", &DocPos::NextOver, Rows(2), Rows(2)},
        {"next over", &DocPos::NextOver, Vars(2), Vars(3)},
        {"next over", &DocPos::NextOver, Vars(3), At(L2, 3)},
        {"prev over", &DocPos::PrevOver, At(L1, 1), At(L1, 1)},
        {"prev over", &DocPos::PrevOver, At(L1, 0), At(L1, 1)},
        {"prev over", &DocPos::PrevOver, At(L2, 1), At(L1, 5)},
        {"prev over", &DocPos::PrevOver, At(c21, 1), At(c11, 2)},
        {"prev over", &DocPos::PrevOver, At(c11, 1), At(L1, 3)},
        {"prev over", &DocPos::PrevOver, Cols(1), At(L1, 3)},
        {"prev over", &DocPos::PrevOver, Cols(3), Cols(2)},
        {"prev over", &DocPos::PrevOver, Rows(2), Rows(2)},
        {"prev over", &DocPos::PrevOver, Vars(1), At(L2, 2)},
        {"next into", &DocPos::NextInto, At(L1, 2), At(box->GetList(1), 1)},
        {"next into", &DocPos::NextInto, At(L1, 3), At(c11, 1)},
        {"next into", &DocPos::NextInto, At(c11, 2), At(c21, 1)},
        {"next into", &DocPos::NextInto, At(c21, 1), At(c12, 1)},
        {"next into", &DocPos::NextInto, At(c22, 1), At(L1, 4)},
        {"next into", &DocPos::NextInto, At(L1, 5), At(L2, 1)},
        {"next into", &DocPos::NextInto, Cols(2), Cols(3)},
        {"next into", &DocPos::NextInto, Rows(2), At(L1, 4)},
        {"next into", &DocPos::NextInto, Vars(1), At(Var(1), 1)},
        {"next into", &DocPos::NextInto, Vars(3), At(L2, 3)},
        {"next into", &DocPos::NextInto, At(L2, 2), At(Var(1), 1)},
        {"prev into", &DocPos::PrevInto, At(L1, 4), At(c22, 1)},
        {"prev into", &DocPos::PrevInto, At(L1, 3), At(box->GetList(1), 2)},
        {"prev into", &DocPos::PrevInto, At(c11, 1), At(L1, 3)},
        {"prev into", &DocPos::PrevInto, Cols(2), Cols(1)},
        {"prev into", &DocPos::PrevInto, Rows(2), At(L1, 3)},
        {"prev into", &DocPos::PrevInto, Vars(2), At(Var(1), 2)},
        {"prev into", &DocPos::PrevInto, Vars(1), At(L2, 2)},
        {"prev into", &DocPos::PrevInto, At(L2, 3), At(derivative->GetList(5), 2)},
        {"line up", &DocPos::LineUp, At(c12, 1), At(c11, 2)},
        {"line up", &DocPos::LineUp, At(c11, 1), At(L1, 3)},
        {"line up", &DocPos::LineUp, Rows(2), Rows(1)},
        {"line up", &DocPos::LineUp, Rows(1), At(L1, 3)},
        {"line up", &DocPos::LineUp, Cols(2), At(L1, 3)},
        {"line up", &DocPos::LineUp, Vars(2), At(L2, 2)},
        {"line up", &DocPos::LineUp, At(L2, 2), At(L1, 2)},
        {"line up", &DocPos::LineUp, At(L1, 2), At(L1, 2)},
        {"line down", &DocPos::LineDown, At(c11, 1), At(c12, 1)},
        {"line down", &DocPos::LineDown, At(c12, 1), At(L1, 4)},
        {"line down", &DocPos::LineDown, Rows(2), Rows(3)},
        {"line down", &DocPos::LineDown, Rows(3), At(L1, 4)},
        {"line down", &DocPos::LineDown, Vars(1), At(L2, 3)},
        {"line down", &DocPos::LineDown, At(L1, 3), At(L2, 3)},
        {"line down", &DocPos::LineDown, At(L2, 3), At(L2, 3)},
    };
    for (const Case& c : cases) {
        const DocPos got = (c.from.*c.step)();
        EXPECT_TRUE(got.IsEqual(c.to)) << c.op << " from " << Name(c.from) << ": got " << Name(got)
                                       << ", expected " << Name(c.to);
    }
}

TEST_F(PositionTest, AssignTableIsSymmetric) {
    struct Case {
        const char* name;
        DocPos a;
        DocPos b;
        DocPos start;
        DocPos end;
    };
    CompList* c11 = Cell(1, 1);
    CompList* c12 = Cell(1, 2);
    CompList* c22 = Cell(2, 2);
    const Case cases[] = {
        {"caret", At(L1, 2), At(L1, 2), At(L1, 2), At(L1, 2)},
        {"one list", At(L1, 3), At(L1, 1), At(L1, 1), At(L1, 3)},
        {"leading index", At(L1, 0), At(L1, 3), At(L1, 1), At(L1, 3)},
        {"label", At(L1, 0), At(L1, 1), At(L1, 0), At(L1, 1)},
        {"across paragraphs", At(L1, 2), At(L2, 2), At(L1, 2), At(L2, 2)},
        {"across paragraphs from boxes", At(box->GetList(1), 1), At(Var(1), 1), At(L1, 2),
         At(L2, 3)},
        {"list and a box in it", At(L1, 1), At(box->GetList(1), 1), At(L1, 1), At(L1, 3)},
        {"box and a later gap", At(box->GetList(1), 1), At(L1, 4), At(L1, 2), At(L1, 4)},
        {"list and a cell", At(L1, 5), At(c11, 1), At(L1, 3), At(L1, 5)},
        {"cells of one column", At(c11, 1), At(c12, 1), Cols(1), Cols(2)},
        {"cells of two columns", At(c11, 1), At(c22, 1), Rows(1), Rows(3)},
        {"cell and a column boundary", At(c22, 1), Cols(1), Cols(1), Cols(3)},
        {"cell and a row boundary", At(c11, 1), Rows(3), Rows(1), Rows(3)},
        {"row and column boundary", Cols(2), Rows(2), At(L1, 3), At(L1, 3)},
        {"two column boundaries", Cols(3), Cols(1), Cols(1), Cols(3)},
        {"function and a variable", At(derivative->GetList(5), 1), At(Var(1), 1), At(L2, 2),
         At(L2, 3)},
        {"two variables", At(Var(1), 1), At(Order(2), 1), Vars(1), Vars(3)},
        {"variable boundary and a variable", Vars(1), At(Var(2), 1), Vars(1), Vars(3)},
        {"variable boundaries", Vars(3), Vars(2), Vars(2), Vars(3)},
        {"variable and its order", At(Var(1), 1), At(Order(1), 1), Vars(1), Vars(2)},
    };
    for (const Case& c : cases) {
        for (bool swap : {false, true}) {
            DocRange r;
            r.Assign(swap ? c.b : c.a, swap ? c.a : c.b);
            EXPECT_TRUE(r.start.IsEqual(c.start) && r.end.IsEqual(c.end))
                << c.name << (swap ? " (swapped)" : "") << ": got " << Name(r.start) << " .. "
                << Name(r.end) << ", expected " << Name(c.start) << " .. " << Name(c.end);
        }
    }
}

TEST_F(PositionTest, AssignOfEquationSetCellsInOneColumnSelectsRows) {
    auto* set = new Grid(tags::EquationSet, 1, 3);
    L2->Append(set);
    DocRange r;
    r.Assign(At(set->GetCell(1, 3), 1), At(set->GetCell(1, 2), 1));
    EXPECT_EQ(r.start.kind, DocPos::kOnGrid);
    EXPECT_EQ(r.start.columns, 0);
    EXPECT_EQ(r.start.index, 2);
    EXPECT_EQ(r.end.index, 4);

    DocRange none;
    none.Assign(DocPos(), At(L1, 1));
    EXPECT_EQ(none.start.kind, DocPos::kNone);
    EXPECT_EQ(none.end.kind, DocPos::kNone);
}

TEST_F(PositionTest, RangeQueries) {
    DocRange r;
    r.Assign(At(L1, 2), At(L1, 3));
    EXPECT_EQ(r.GetSingleComponent(), box);
    EXPECT_TRUE(r.Contains(At(box->GetList(1), 1)));
    EXPECT_FALSE(r.Contains(At(L1, 2))) << "the start itself is not inside";
    EXPECT_FALSE(r.Contains(At(L1, 4)));
    r.Assign(At(L1, 1), At(L2, 2));
    EXPECT_TRUE(r.Contains(At(L1, 5)));
    EXPECT_TRUE(r.Contains(At(L2, 1)));
    EXPECT_FALSE(r.InOneParagraph());
    EXPECT_TRUE(r.AllParagraphsHaveStyle(ParaStyle::kParagraph));
    EXPECT_EQ(r.CollectParagraphLists(), (std::vector<CompList*>{L1, L2}));
    seq.GetAt(2)->SetStyle(ParaStyle::kSection);
    EXPECT_FALSE(r.AllParagraphsHaveStyle(ParaStyle::kParagraph));
    // The start paragraph's face for ordinary characters (the fake styles' is the text face).
    EXPECT_EQ(r.GetTextStyle(), 0);

    // Restyling over two paragraphs: from the start to its paragraph's end, then up to the end.
    r.ApplyStyle(1);
    EXPECT_EQ(L1->GetAt(1)->GetStyleId(), 1);
    EXPECT_EQ(L1->GetAt(4)->GetStyleId(), 1);
    EXPECT_EQ(L2->GetAt(1)->GetStyleId(), 1);
    EXPECT_EQ(L2->GetAt(3)->GetStyleId(), 0);
}

TEST_F(PositionTest, KeysBecomeCommands) {
    struct Case {
        const char* name;
        DocPos a;
        DocPos b;
        int32_t key;
        bool ctrl;
        int32_t expected;
    };
    const Case cases[] = {
        {"typing at a caret", At(L1, 2), At(L1, 2), 'x', false, editcode::kInsertCharacter},
        {"backspace over a selection", At(L1, 1), At(L1, 2), 8, false, editcode::kDeleteBefore},
        {"tab over paragraph text", At(L1, 1), At(L1, 2), 9, false, editcode::kInsertTab},
        {"return over paragraph text", At(L1, 1), At(L1, 2), 13, true,
         editcode::kSplitParagraphFlagged},
        {"backspace on columns", Cols(1), Cols(2), 8, false, editcode::kDeleteBefore},
        {"tab on columns", Cols(1), Cols(2), 9, false, editcode::kBoundaryNext},
        {"tab on columns to the end", Cols(2), Cols(3), 9, false, editcode::kBoundaryBeyond},
        {"ctrl tab on columns", Cols(1), Cols(2), 9, true, editcode::kInsertColumn},
        {"return on rows", Rows(1), Rows(2), 13, false, editcode::kBoundaryNext},
        {"ctrl return on rows", Rows(1), Rows(2), 13, true, editcode::kInsertRow},
        {"return on columns", Cols(1), Cols(2), 13, false, editcode::kNoEdit},
        {"tab on variables", Vars(1), Vars(3), 9, false, editcode::kBoundaryBeyond},
        {"ctrl tab on variables", Vars(1), Vars(2), 9, true, editcode::kInsertVariable},
        {"letter on variables", Vars(1), Vars(2), 'x', false, editcode::kNoEdit},
    };
    for (const Case& c : cases) {
        DocRange r;
        r.Assign(c.a, c.b);
        EXPECT_EQ(r.KeyToCommand(c.key, false, c.ctrl), c.expected) << c.name;
    }
    EXPECT_EQ(DocRange().KeyToCommand('x', false, false), editcode::kNoEdit);
}

TEST_F(PositionTest, TrimBlanksAndStyles) {
    fakes::AppendChars(*L2, "  gh  ");
    DocRange r;
    r.Set(L2, 4, 10); // "  gh  " after "c", the derivative and "d"
    r.TrimBlanks();
    EXPECT_EQ(r.start.index, 6);
    EXPECT_EQ(r.end.index, 8);

    DocRange blanks;
    blanks.Set(L2, 4, 6);
    blanks.TrimBlanks();
    EXPECT_FALSE(blanks.HasExtent());
    EXPECT_EQ(blanks.start.index, 5) << "a caret where the trimmed start stopped";

    r.ApplyStyle(2);
    EXPECT_EQ(L2->GetAt(6)->GetStyleId(), 2);
    EXPECT_EQ(L2->GetAt(8)->GetStyleId(), 0);
    EXPECT_EQ(r.GetTextStyle(), 2);

    DocRange column;
    column.Assign(Cols(1), Cols(2));
    column.ApplyStyle(1);
    EXPECT_EQ(grid->GetCell(1, 1)->GetAt(1)->GetStyleId(), 1);
}

TEST_F(PositionTest, BoundsOfBoundariesAndSelections) {
    DocRange gap;
    gap.Assign(Rows(2), Rows(2));
    EXPECT_EQ(gap.GetBounds(), Rect(0, 18, 20, 19)) << "a band two pixels above the row";
    gap.Assign(Cols(2), Cols(2));
    EXPECT_EQ(gap.GetBounds(), Rect(18, 0, 19, 20));
    DocRange rows;
    rows.Assign(Rows(1), Rows(3));
    EXPECT_EQ(rows.GetBounds(), Rect(0, 10, 20, 30));
    DocRange vars;
    vars.Assign(Vars(1), Vars(3));
    EXPECT_EQ(vars.GetBounds(), Rect(10, 20, 30, 30));

    // A selection over two paragraphs spans the column from the first caret to the last.
    DocRange across;
    across.Assign(At(L1, 2), At(L2, 2));
    const Rect bounds = across.GetBounds();
    EXPECT_EQ(bounds.left, services.port.leftMargin);
    EXPECT_EQ(bounds.right, services.port.columnWidth);
    EXPECT_EQ(bounds.top, seq.GetAt(1)->GetFrame().top);
    EXPECT_EQ(bounds.bottom, seq.GetAt(2)->GetFrame().bottom);
    // The highlight runs from the first caret to the line's end, and from the line's start to
    // the last caret.
    const int32_t firstLine = seq.GetAt(1)->GetFrame().top + 5;
    const int32_t lastLine = seq.GetAt(2)->GetFrame().top + 5;
    EXPECT_TRUE(across.ContainsPoint(Point(100, firstLine)));
    EXPECT_FALSE(across.ContainsPoint(Point(25, firstLine)));
    EXPECT_TRUE(across.ContainsPoint(Point(25, lastLine)));
    EXPECT_FALSE(across.ContainsPoint(Point(100, lastLine)));
}

} // namespace
