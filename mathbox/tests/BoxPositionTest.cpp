// Positions, ranges and moved material on the real grid and derivative boxes: caret paths
// through a 2 x 3 matrix and a partial derivative of two variables, selections of rows,
// columns and variables, and rows, columns and variables taken out and put back as an edit
// and its undo would.

#include "document/Material.h"
#include "document/tests/SequenceFakes.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/GridKinds.h"
#include "mathbox/MatrixBox.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace seqfakes;

namespace {

// Paragraph 1: "a", a 2 x 3 matrix holding "p" in cell (1, 1), "b".
// Paragraph 2: "c", a partial derivative in "u" and "v" of "f", "d".
class BoxPositionTest : public ::testing::Test {
protected:
    BoxPositionTest() {
        auto first = Para("a");
        grid = new MatrixBox(2, 3);
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        first->GetList(1)->Append(grid);
        fakes::AppendChars(*first->GetList(1), "b");
        auto second = Para("c");
        derivative = new PartialDerivativeBox();
        derivative->InsertDifferentialAt(2, OwnedDifferential(new PartialDifferentialBox()));
        fakes::AppendChars(derivative->GetDifferentialBox(1)->Variable(), "u");
        fakes::AppendChars(derivative->GetDifferentialBox(2)->Variable(), "v");
        fakes::AppendChars(derivative->Function(), "f");
        second->GetList(1)->Append(derivative);
        fakes::AppendChars(*second->GetList(1), "d");
        seq.Append(std::move(first));
        seq.Append(std::move(second));
        L1 = seq.GetAt(1)->GetList(1);
        L2 = seq.GetAt(2)->GetList(1);
        names = {{L1, "L1"}, {L2, "L2"}, {&derivative->Function(), "fn"}};
        for (int32_t r = 1; r <= 3; ++r)
            for (int32_t c = 1; c <= 2; ++c)
                names[grid->GetCell(c, r)] = "c" + std::to_string(c) + std::to_string(r);
        for (int32_t k = 1; k <= 2; ++k) {
            names[&derivative->GetDifferentialBox(k)->Variable()] = "var" + std::to_string(k);
            names[&derivative->GetDifferentialBox(k)->Order()] = "order" + std::to_string(k);
        }
    }

    std::string Name(const DocPos& p) const {
        if (p.kind == DocPos::kNone) return "none";
        if (p.kind == DocPos::kOnGrid)
            return std::string(p.columns ? "cols " : "rows ") + std::to_string(p.index);
        if (p.kind == DocPos::kOnVariable) return "vars " + std::to_string(p.index);
        const auto found = names.find(p.target);
        return (found != names.end() ? found->second : "?") + " " + std::to_string(p.index);
    }
    // The names of the positions NextInto steps through from `from`, `count` steps.
    std::string Walk(DocPos from, int count, DocPos (DocPos::*step)() const) const {
        std::string out = Name(from);
        for (int k = 0; k < count; ++k) {
            from = (from.*step)();
            out += ", " + Name(from);
        }
        return out;
    }
    std::string Cells() const {
        std::string out;
        for (int32_t r = 1; r <= grid->GetRowCount(); ++r) {
            if (r > 1) out += '/';
            for (int32_t c = 1; c <= grid->GetColumnCount(); ++c) {
                const std::string t = Text(*grid->GetCell(c, r));
                out += t.empty() ? "_" : t;
            }
        }
        return out;
    }

    Services services;
    GridKinds kinds;
    CompSequence seq;
    MatrixBox* grid = nullptr;
    PartialDerivativeBox* derivative = nullptr;
    CompList* L1 = nullptr;
    CompList* L2 = nullptr;
    std::map<const void*, std::string> names;
};

TEST_F(BoxPositionTest, CaretPathsThroughTheGridAndTheDerivative) {
    EXPECT_EQ(Walk(ListPos(L1, 2), 9, &DocPos::NextInto),
              "L1 2, c11 1, c11 2, c21 1, c12 1, c22 1, c13 1, c23 1, L1 3, L1 4");
    EXPECT_EQ(Walk(ListPos(L1, 3), 8, &DocPos::PrevInto),
              "L1 3, c23 1, c13 1, c22 1, c12 1, c21 1, c11 2, c11 1, L1 2");
    EXPECT_EQ(Walk(ListPos(L2, 2), 8, &DocPos::NextInto),
              "L2 2, var1 1, var1 2, order1 1, var2 1, var2 2, order2 1, fn 1, fn 2");
    EXPECT_EQ(Walk(ListPos(grid->GetCell(2, 1), 1), 3, &DocPos::LineDown),
              "c21 1, c22 1, c23 1, L1 3");
    EXPECT_EQ(Walk(GridPos(grid, 1, true), 3, &DocPos::NextOver), "cols 1, cols 2, cols 3, L1 3");
    EXPECT_EQ(Walk(VarPos(derivative, 1), 3, &DocPos::NextOver), "vars 1, vars 2, vars 3, L2 3");
}

TEST_F(BoxPositionTest, SelectionsWidenToRowsColumnsAndVariables) {
    const struct {
        const char* name;
        DocPos a;
        DocPos b;
        const char* start;
        const char* end;
    } cases[] = {
        {"cells of one column", ListPos(grid->GetCell(1, 1), 1), ListPos(grid->GetCell(1, 3), 1),
         "cols 1", "cols 2"},
        {"cells of two columns", ListPos(grid->GetCell(1, 2), 1), ListPos(grid->GetCell(2, 3), 1),
         "rows 2", "rows 4"},
        {"two variables", ListPos(&derivative->GetDifferentialBox(1)->Variable(), 1),
         ListPos(&derivative->GetDifferentialBox(2)->Order(), 1), "vars 1", "vars 3"},
        {"the function and a variable", ListPos(&derivative->Function(), 1),
         ListPos(&derivative->GetDifferentialBox(2)->Variable(), 1), "L2 2", "L2 3"},
    };
    for (const auto& c : cases) {
        DocRange r;
        r.Assign(c.a, c.b);
        EXPECT_EQ(Name(r.start) + " .. " + Name(r.end), std::string(c.start) + " .. " + c.end)
            << c.name;
    }
}

TEST_F(BoxPositionTest, RowsColumnsAndVariablesOutAndBack) {
    for (int32_t r = 1; r <= 3; ++r)
        fakes::AppendChars(*grid->GetCell(2, r), std::string(1, static_cast<char>('0' + r)));
    ASSERT_EQ(Cells(), "p1/_2/_3");

    DocRange rows;
    rows.Assign(GridPos(grid, 2, false), GridPos(grid, 4, false));
    Material cut;
    rows.RemoveContent(cut);
    EXPECT_EQ(Cells(), "p1");
    cut.MoveInto(GridPos(grid, 2, false));
    EXPECT_EQ(Cells(), "p1/_2/_3") << "undone";

    DocRange column;
    column.Assign(GridPos(grid, 1, true), GridPos(grid, 2, true));
    Material copy = column.ExtractContent();
    copy.MoveInto(GridPos(grid, 3, true));
    EXPECT_EQ(Cells(), "p1p/_2_/_3_");

    DocRange vars;
    vars.Assign(VarPos(derivative, 1), VarPos(derivative, 2));
    Material first;
    vars.RemoveContent(first);
    EXPECT_EQ(derivative->GetDifferentialCount(), 1);
    const DocRange placed = first.MoveInto(VarPos(derivative, 2));
    EXPECT_EQ(placed.start.index, 2);
    EXPECT_EQ(Text(derivative->GetDifferentialBox(2)->Variable()), "u");
    EXPECT_EQ(derivative->GetDifferentialBox(2)->Variable().GetOwner(), derivative);
}

} // namespace
