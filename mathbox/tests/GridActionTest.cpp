// Row, column and variable insertion and removal as undoable edits on the real grid and
// derivative boxes: do, undo, redo and undo again, with the document's saved bytes compared at
// every step.

#include "mathbox/DerivativeBoxes.h"
#include "mathbox/GridKinds.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/TableBox.h"
#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/UndoSlot.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace seqfakes;

namespace {

// One equation: a 2 x 2 matrix holding "p" in cell (1, 1), then a partial derivative in "u"
// and "v" of "f".
class GridActionTest : public ::testing::Test {
public:
    GridActionTest() {
        auto para = Para("", ParaStyle::kPlainEquation);
        grid = new MatrixBox(2, 2);
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        para->GetList(1)->Append(grid);
        derivative = new PartialDerivativeBox();
        derivative->InsertDifferentialAt(2, OwnedDifferential(new PartialDifferentialBox()));
        fakes::AppendChars(derivative->GetDifferentialBox(1)->Variable(), "u");
        fakes::AppendChars(derivative->GetDifferentialBox(2)->Variable(), "v");
        fakes::AppendChars(derivative->Function(), "f");
        para->GetList(1)->Append(derivative);
        seq.Append(std::move(para));
        seq.PlaceAll(false);
    }

    streambytes::Bytes Saved() const {
        return streambytes::Save([&](DocStream& s) { seq.Write(s, false); });
    }
    static DocRange Range(const DocPos& a, const DocPos& b) {
        DocRange r;
        r.Assign(a, b);
        return r;
    }
    std::string Shape() const {
        return std::to_string(grid->GetColumnCount()) + "x" + std::to_string(grid->GetRowCount()) +
               " " + std::to_string(derivative->GetDifferentialCount());
    }

    Services services;
    GridKinds kinds;
    Document document;
    CompSequence seq{&document};
    actiontest::FakeView view{seq};
    UndoSlot slot{view};
    MatrixBox* grid = nullptr;
    PartialDerivativeBox* derivative = nullptr;
};

TEST_F(GridActionTest, DoUndoRedoRestoreTheBytes) {
    using Make = std::function<OwnedAction(EditView&, const DocRange&)>;
    const struct {
        const char* name;
        std::function<DocRange(GridActionTest&)> selection;
        Make make;
        const char* shape; // after do
    } cases[] = {
        {"a row after the last",
         [](GridActionTest& t) {
             auto p = GridPos(t.grid, 3, false);
             return Range(p, p);
         },
         [](EditView& v, const DocRange& s) {
             return OwnedAction(MakeAction<InsertRowAction>(v, s));
         },
         "2x3 2"},
        {"a column between the columns",
         [](GridActionTest& t) {
             auto p = GridPos(t.grid, 2, true);
             return Range(p, p);
         },
         [](EditView& v, const DocRange& s) {
             return OwnedAction(MakeAction<InsertColumnAction>(v, s));
         },
         "3x2 2"},
        {"a variable before the first",
         [](GridActionTest& t) {
             auto p = VarPos(t.derivative, 1);
             return Range(p, p);
         },
         [](EditView& v, const DocRange& s) {
             return OwnedAction(MakeAction<InsertDerivativeAction>(v, s));
         },
         "2x2 3"},
        {"the first row removed",
         [](GridActionTest& t) {
             return Range(GridPos(t.grid, 1, false), GridPos(t.grid, 2, false));
         },
         [](EditView& v, const DocRange& s) { return OwnedAction(MakeAction<DeleteAction>(v, s)); },
         "2x1 2"},
        {"the second column removed",
         [](GridActionTest& t) {
             return Range(GridPos(t.grid, 2, true), GridPos(t.grid, 3, true));
         },
         [](EditView& v, const DocRange& s) { return OwnedAction(MakeAction<DeleteAction>(v, s)); },
         "1x2 2"},
        {"the first variable removed",
         [](GridActionTest& t) { return Range(VarPos(t.derivative, 1), VarPos(t.derivative, 2)); },
         [](EditView& v, const DocRange& s) { return OwnedAction(MakeAction<DeleteAction>(v, s)); },
         "2x2 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Shape(), "2x2 2");
        const auto before = Saved();
        const DocRange sel = c.selection(*this);
        view.selection = sel;
        ASSERT_TRUE(slot.DoAction(c.make(view, sel)));
        EXPECT_EQ(Shape(), c.shape);
        const auto afterDo = Saved();
        EXPECT_NE(afterDo, before);
        slot.UndoCommand();
        EXPECT_EQ(Saved(), before) << "undone";
        slot.UndoCommand();
        EXPECT_EQ(Saved(), afterDo) << "redone";
        slot.UndoCommand();
        EXPECT_EQ(Saved(), before) << "undone again";
        for (int32_t i = 1; i <= grid->GetListCount(); ++i)
            EXPECT_EQ(grid->GetList(i)->GetOwner(), grid);
        for (int32_t i = 1; i <= derivative->GetListCount(); ++i)
            EXPECT_EQ(derivative->GetList(i)->GetOwner(), derivative);
    }
}

// Deleting every row or every column leaves a grid with none; undoing must put the user's
// cells back into that emptied grid, and redo must empty it again.
TEST(EmptiedGridActionTest, DeletingEveryRowOrColumnUndoes) {
    const struct {
        const char* name;
        std::function<GridBox*()> make;
        bool columns;
    } cases[] = {
        {"every column of a matrix", [] { return new MatrixBox(2, 3); }, true},
        {"every row of a matrix", [] { return new MatrixBox(2, 3); }, false},
        {"every column of a table", [] { return new TableBox(2, 3); }, true},
        {"every row of a table", [] { return new TableBox(2, 3); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Services services;
        GridKinds kinds;
        Document document;
        CompSequence seq{&document};
        auto para = Para("", ParaStyle::kPlainEquation);
        GridBox* grid = c.make();
        for (int32_t r = 1; r <= 3; ++r)
            for (int32_t col = 1; col <= 2; ++col)
                fakes::AppendChars(*grid->GetCell(col, r), std::string(1, char('a' + 2 * r + col)));
        para->GetList(1)->Append(grid);
        seq.Append(std::move(para));
        seq.PlaceAll(false);
        actiontest::FakeView view{seq};
        UndoSlot slot{view};
        auto saved = [&] { return streambytes::Save([&](DocStream& s) { seq.Write(s, false); }); };

        const auto before = saved();
        DocRange sel;
        sel.Assign(GridPos(grid, 1, c.columns), GridPos(grid, c.columns ? 3 : 4, c.columns));
        view.selection = sel;
        ASSERT_TRUE(slot.DoAction(OwnedAction(MakeAction<DeleteAction>(view, sel))));
        EXPECT_EQ(grid->GetColumnCount(), 0);
        EXPECT_EQ(grid->GetRowCount(), 0);
        const auto afterDo = saved();
        EXPECT_NE(afterDo, before);
        slot.UndoCommand();
        EXPECT_EQ(saved(), before) << "undone";
        EXPECT_EQ(grid->GetColumnCount(), 2);
        EXPECT_EQ(grid->GetRowCount(), 3);
        slot.UndoCommand();
        EXPECT_EQ(saved(), afterDo) << "redone";
        slot.UndoCommand();
        EXPECT_EQ(saved(), before) << "undone again";
        ASSERT_EQ(grid->GetListCount(), 6);
        for (int32_t i = 1; i <= grid->GetListCount(); ++i)
            EXPECT_EQ(grid->GetList(i)->GetOwner(), grid);
    }
}

} // namespace
