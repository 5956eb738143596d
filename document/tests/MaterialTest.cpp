// Moving material: splitting and joining sequences, cutting, copying and putting back list
// children, whole paragraphs, grid rows and columns and derivative variables, checked by the
// document's text and structure before and after.

#include "document/Material.h"

#include "document/CompSequence.h"
#include "document/tests/SequenceFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace seqfakes;

namespace {

class MaterialTest : public ::testing::Test {
protected:
    static DocPos At(const CompSequence& seq, int32_t para, int32_t index) {
        return ListPos(seq.GetAt(para)->GetList(1), index);
    }
    static DocRange Range(const DocPos& a, const DocPos& b) {
        DocRange r;
        r.Assign(a, b);
        return r;
    }

    Services services;
    Document doc;
};

TEST_F(MaterialTest, SplitAtCutsBeforeThePositionsTopLevelComponent) {
    struct Case {
        const char* name;
        int32_t para;
        int32_t index;
        const char* head;
        const char* tail;
    };
    const Case cases[] = {
        {"start of a paragraph", 1, 1, "3:", "3:abc|5:de"},
        {"leading index", 1, 0, "3:", "3:abc|5:de"},
        {"middle", 1, 2, "3:a", "3:bc|5:de"},
        {"end", 1, 4, "3:abc", "3:|5:de"},
        {"last paragraph", 2, 2, "3:abc|5:d", "5:e"},
    };
    for (const Case& c : cases) {
        auto seq = Sequence("3:abc|5:de", &doc);
        auto tail = seq->SplitAt(At(*seq, c.para, c.index));
        EXPECT_EQ(Text(*seq), c.head) << c.name;
        EXPECT_EQ(Text(*tail), c.tail) << c.name;
        EXPECT_EQ(tail->GetDocument(), &doc);
        for (int32_t k = 1; k <= tail->GetCount(); ++k)
            EXPECT_EQ(tail->GetAt(k)->GetOwner(), tail.get());
    }

    auto seq = Sequence("3:ab", &doc);
    auto* box = new fakes::Box();
    fakes::AppendChars(*box->GetList(1), "x");
    seq->GetAt(1)->GetList(1)->InsertAt(box, 2);
    DocPos inside;
    inside.SetAt(box->GetList(1), 2);
    auto tail = seq->SplitAt(inside);
    EXPECT_EQ(Text(*seq), "3:a");
    EXPECT_EQ(Text(*tail), "3:[B]b");
}

TEST_F(MaterialTest, JoinAndInsertMergeAtTheSeam) {
    auto seq = Sequence("3:ab", &doc);
    const DocPos seam = seq->JoinWith(Sequence("6:xy"));
    EXPECT_EQ(Text(*seq), "6:abxy") << "one paragraph adds no paragraph and gives its style";
    EXPECT_TRUE(seam.IsEqual(At(*seq, 1, 3)));
    EXPECT_THROW(seq->JoinWith(std::make_unique<CompSequence>()), std::invalid_argument);

    auto target = Sequence("3:abcd|3:e", &doc);
    const DocPos end = target->InsertSequenceAt(Sequence("5:XY|1:Z"), At(*target, 1, 3));
    EXPECT_EQ(Text(*target), "5:abXY|3:Zcd|3:e");
    EXPECT_TRUE(end.IsEqual(At(*target, 2, 2))) << "between the inserted content and the rest";
    EXPECT_EQ(doc.held.size(), 4u) << "every paragraph of the document holds one number";
}

TEST_F(MaterialTest, CopyRangeCopiesHeadMiddleAndTail) {
    auto seq = Sequence("3:ab|5:cd|1:ef|3:gh", &doc);
    auto one = seq->CopyRange(Range(At(*seq, 2, 1), At(*seq, 2, 2)));
    EXPECT_EQ(Text(*one), "5:c");
    EXPECT_EQ(one->GetDocument(), nullptr);
    auto three = seq->CopyRange(Range(At(*seq, 1, 2), At(*seq, 3, 2)));
    EXPECT_EQ(Text(*three), "3:b|5:cd|1:e");
    EXPECT_EQ(Text(*seq), "3:ab|5:cd|1:ef|3:gh") << "copying leaves the document alone";
}

// A component whose copy fails, as memory running out would.
class Unclonable final : public fakes::Box {
public:
    OwnedComponent Clone() const override { throw std::bad_alloc(); }
};

TEST_F(MaterialTest, FailedCopyLeavesNothingBehind) {
    auto seq = Sequence("3:ab|3:cd|3:ef", &doc);
    seq->GetAt(2)->GetList(1)->Append(new Unclonable());
    // The copies made before the failure go with it; the sanitizer reports any that stay.
    EXPECT_THROW(seq->CopyRange(Range(At(*seq, 1, 1), At(*seq, 3, 2))), std::bad_alloc);
    DocRange middle = Range(At(*seq, 2, 1), At(*seq, 2, 4));
    EXPECT_THROW(middle.ExtractContent(), std::bad_alloc);
    EXPECT_EQ(Text(*seq), "3:ab|3:cd[B]|3:ef");
}

TEST_F(MaterialTest, CutAndPasteParagraphsTwice) {
    auto seq = Sequence("3:ab|5:cd|1:ef|3:gh", &doc);
    seq->PlaceAll(false);
    DocRange range = Range(At(*seq, 1, 2), At(*seq, 3, 2));
    Material cut;
    const DocPos where = range.RemoveContent(cut);
    EXPECT_EQ(Text(*seq), "1:af|3:gh") << "the rest of the last paragraph brings its style";
    EXPECT_EQ(Text(*cut.sequence), "3:b|5:cd|1:e");
    EXPECT_TRUE(where.IsEqual(At(*seq, 1, 2)));
    EXPECT_EQ(range.start.GetSequence(), cut.sequence.get()) << "the range follows the material";

    // Two copies of the cut material go in, one after the other, with no layout between:
    // none of the three paragraphs may be lost or moved to the wrong place.
    Material first = range.ExtractContent();
    Material second = range.ExtractContent();
    DocRange placed = first.MoveInto(At(*seq, 1, 2));
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(Text(*seq), "3:ab|5:cd|1:ef|3:gh");
    placed = second.MoveInto(placed.end);
    EXPECT_EQ(Text(*seq), "3:ab|5:cd|3:eb|5:cd|1:ef|3:gh");
    EXPECT_TRUE(placed.end.IsEqual(At(*seq, 5, 2)));
    for (int32_t k = 1; k <= seq->GetCount(); ++k) {
        EXPECT_EQ(seq->IndexOf(seq->GetAt(k)), k);
        EXPECT_EQ(seq->GetAt(k)->GetOwner(), seq.get());
    }
    // The cut material was taken for the same document and holds its numbers until it goes.
    EXPECT_EQ(doc.held.size(), 9u);
    cut.sequence.reset();
    EXPECT_EQ(doc.held.size(), 6u);
}

TEST_F(MaterialTest, ListChildrenGoOutAndComeBack) {
    auto seq = Sequence("3:abcde", &doc);
    DocRange range = Range(At(*seq, 1, 2), At(*seq, 1, 4));
    Material copy = range.ExtractContent();
    EXPECT_EQ(Text(*copy.sequence), "3:bc");
    Material cut;
    range.RemoveContent(cut);
    EXPECT_EQ(Text(*seq), "3:ade");
    EXPECT_TRUE(range.CanInsertContent(copy));
    const DocRange placed = cut.MoveInto(At(*seq, 1, 3));
    EXPECT_EQ(Text(*seq), "3:adbce");
    EXPECT_TRUE(placed.start.IsEqual(At(*seq, 1, 3)));
    EXPECT_TRUE(placed.end.IsEqual(At(*seq, 1, 5)));
}

class GridMaterialTest : public MaterialTest {
protected:
    GridMaterialTest() {
        seq = Sequence("3:ab", &doc);
        grid = new Grid(tags::Matrix, 2, 3);
        for (int32_t r = 1; r <= 3; ++r)
            for (int32_t c = 1; c <= 2; ++c)
                fakes::AppendChars(*grid->GetCell(c, r),
                                   std::string(1, static_cast<char>('0' + 2 * r + c)));
        seq->GetAt(1)->GetList(1)->InsertAt(grid, 2);
    }
    DocPos Rows(int32_t i) const { return GridPos(grid, i, false); }
    DocPos Cols(int32_t i) const { return GridPos(grid, i, true); }
    std::string Cells() const {
        std::string out;
        for (int32_t r = 1; r <= grid->GetRowCount(); ++r) {
            if (r > 1) out += '/';
            for (int32_t c = 1; c <= grid->GetColumnCount(); ++c)
                out += Text(*grid->GetCell(c, r));
        }
        return out;
    }

    std::unique_ptr<CompSequence> seq;
    Grid* grid = nullptr;
};

TEST_F(GridMaterialTest, RowsAndColumnsGoOutAndComeBack) {
    ASSERT_EQ(Cells(), "34/56/78");
    DocRange rows = Range(Rows(2), Rows(3));
    Material cut;
    rows.RemoveContent(cut);
    EXPECT_EQ(Cells(), "34/78");
    EXPECT_EQ(cut.range.start.kind, DocPos::kOnGrid);
    EXPECT_EQ(AsGrid(cut.range.start.GetBox())->GetRowCount(), 1);

    DocRange target = Range(Rows(3), Rows(3));
    ASSERT_TRUE(target.CanInsertContent(cut));
    const DocRange placed = cut.MoveInto(Rows(3));
    EXPECT_EQ(Cells(), "34/78/56");
    EXPECT_EQ(placed.start.index, 3);
    EXPECT_EQ(placed.end.index, 4);
    EXPECT_EQ(placed.start.columns, 0);

    DocRange columns = Range(Cols(1), Cols(2));
    Material copy = columns.ExtractContent();
    EXPECT_EQ(Cells(), "34/78/56");
    copy.MoveInto(Cols(3));
    EXPECT_EQ(Cells(), "343/787/565");
}

// A grid emptied of every row (column) takes them back, in place and whole.
TEST_F(GridMaterialTest, AnEmptiedGridTakesItsCellsBack) {
    for (const bool columns : {false, true}) {
        SCOPED_TRACE(columns ? "columns" : "rows");
        const DocPos first = GridPos(grid, 1, columns);
        Material cut;
        Range(first, GridPos(grid, columns ? 3 : 4, columns)).RemoveContent(cut);
        ASSERT_EQ(Cells(), "");
        ASSERT_TRUE(Range(first, first).CanInsertContent(cut));
        const DocRange placed = cut.MoveInto(first);
        EXPECT_EQ(Cells(), "34/56/78");
        EXPECT_EQ(placed.end.index, columns ? 3 : 4);
        EXPECT_TRUE(cut.IsEmpty());
    }
}

// Only a grid of the target's kind fits a grid boundary, rows at row boundaries and columns at
// column boundaries, of matching size; only a partial derivative fits a variable boundary.
TEST_F(GridMaterialTest, OnlyMatchingMaterialFitsABoundary) {
    auto* other = new Grid(tags::Matrix, 3, 1);
    auto* table = new Grid(tags::Table, 2, 1);
    auto* derivative = new Derivative(1);
    seq->GetAt(1)->GetList(1)->Append(other);
    seq->GetAt(1)->GetList(1)->Append(table);
    seq->GetAt(1)->GetList(1)->Append(derivative);
    const DocPos var = VarPos(derivative, 1);
    auto gridRows = [&](Grid* g) {
        return Range(GridPos(g, 1, false), GridPos(g, 2, false)).ExtractContent();
    };
    const Material chars = Range(At(*seq, 1, 1), At(*seq, 1, 2)).ExtractContent();
    const Material threeWide = gridRows(other);
    const Material tableRow = gridRows(table);
    const Material ownRow = gridRows(grid);
    const Material ownColumn = Range(Cols(1), Cols(2)).ExtractContent();
    const Material variables = Range(VarPos(derivative, 1), VarPos(derivative, 2)).ExtractContent();
    auto* emptied = new Grid(tags::Matrix, 2, 1);
    seq->GetAt(1)->GetList(1)->Append(emptied);
    Material emptiedRow;
    Range(GridPos(emptied, 1, false), GridPos(emptied, 2, false)).RemoveContent(emptiedRow);
    ASSERT_EQ(emptied->GetColumnCount(), 0);
    const DocRange atEmptiedRow = Range(GridPos(emptied, 1, false), GridPos(emptied, 1, false));
    const DocRange atEmptiedColumn = Range(GridPos(emptied, 1, true), GridPos(emptied, 1, true));

    const DocRange atRow = Range(Rows(2), Rows(2));
    const DocRange atColumn = Range(Cols(2), Cols(2));
    const DocRange atVariable = Range(var, var);
    const DocRange onChar = Range(At(*seq, 1, 1), At(*seq, 1, 2));
    const DocRange onGrid = Range(At(*seq, 1, 2), At(*seq, 1, 3));
    const struct {
        const char* name;
        const DocRange& at;
        const Material& material;
        bool fits;
    } cases[] = {
        {"characters at a row boundary", atRow, chars, false},
        {"characters at a variable boundary", atVariable, chars, false},
        {"a row of the same size", atRow, ownRow, true},
        {"a row three wide", atRow, threeWide, false},
        {"a table's row in a matrix", atRow, tableRow, false},
        {"a column at a row boundary", atRow, ownColumn, false},
        {"a column at a column boundary", atColumn, ownColumn, true},
        {"variables at a variable boundary", atVariable, variables, true},
        {"variables at a row boundary", atRow, variables, false},
        {"characters on characters", onChar, chars, true},
        {"a row over a character", onChar, ownRow, false},
        {"a row over a matching grid", onGrid, ownRow, true},
        {"variables over a grid", onGrid, variables, false},
        {"its own row back into an emptied grid", atEmptiedRow, emptiedRow, true},
        {"a row of another size into an emptied grid", atEmptiedRow, threeWide, true},
        {"a column into an emptied grid", atEmptiedColumn, ownColumn, true},
        {"a table's row into an emptied matrix", atEmptiedRow, tableRow, false},
        {"characters into an emptied grid", atEmptiedRow, chars, false},
        {"variables into an emptied grid", atEmptiedColumn, variables, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.at.CanInsertContent(c.material), c.fits) << c.name;

    // Material that does not fit is refused and stays whole.
    Material refused = Range(At(*seq, 1, 1), At(*seq, 1, 2)).ExtractContent();
    EXPECT_THROW(refused.MoveInto(Rows(2)), std::invalid_argument);
    EXPECT_FALSE(refused.IsEmpty());
    EXPECT_EQ(Text(*refused.sequence), "3:a");
    EXPECT_EQ(Cells(), "34/56/78");
}

TEST_F(MaterialTest, VariablesGoOutAndComeBack) {
    auto seq = Sequence("3:a", &doc);
    auto* derivative = new Derivative(2);
    fakes::AppendChars(*derivative->GetDifferential(1)->GetList(1), "x");
    fakes::AppendChars(*derivative->GetDifferential(2)->GetList(1), "y");
    seq->GetAt(1)->GetList(1)->Append(derivative);
    auto vars = [&] {
        std::string out;
        for (int32_t k = 1; k <= derivative->GetDifferentialCount(); ++k)
            out += Text(*derivative->GetDifferential(k)->GetList(1)) + ";";
        return out;
    };
    DocRange range = Range(VarPos(derivative, 1), VarPos(derivative, 2));
    Material cut;
    range.RemoveContent(cut);
    EXPECT_EQ(vars(), "y;");
    const DocRange placed = cut.MoveInto(VarPos(derivative, 2));
    EXPECT_EQ(vars(), "y;x;");
    EXPECT_EQ(placed.start.index, 2);
    EXPECT_EQ(placed.end.index, 3);
    EXPECT_EQ(derivative->GetDifferential(2)->GetList(1)->GetOwner(), derivative);

    // The whole derivative goes into a list as one component.
    Material whole = CompSequence::WrapComponentAsSequence(nullptr, derivative->Clone());
    whole.MoveInto(At(*seq, 1, 1));
    EXPECT_EQ(Text(*seq), "3:[D]a[D]");
}

// The label of a numbered paragraph: a copy is a new reference to the paragraph; cutting it
// takes nothing from the document.
TEST_F(MaterialTest, TheLabelTravelsAsAReference) {
    auto seq = Sequence("6:ab", &doc);
    seq->PlaceAll(false);
    DocRange label;
    label.Set(seq->GetAt(1)->GetList(1), 0, 1);
    Material copy = label.ExtractContent();
    ASSERT_EQ(copy.sequence->GetCount(), 1);
    const CompList* held = copy.sequence->GetAt(1)->GetList(1);
    ASSERT_EQ(held->GetCount(), 1);
    EXPECT_EQ(held->GetAt(1)->GetTypeTag(), tags::Reference);
    EXPECT_EQ(seq->GetAt(1)->GetNumberSource()->GetReferenceCount(), 1);

    Material cut;
    label.RemoveContent(cut);
    EXPECT_EQ(Text(*seq), "6:ab");
    EXPECT_EQ(cut.sequence->GetAt(1)->GetList(1)->GetAt(1)->GetTypeTag(), tags::Reference);
}

} // namespace
