// Where each selection action puts the selection, from a table, and that undo and redo put the
// exact old and new selections back.

#include "document/EditCodes.h"
#include "document/RefComp.h"
#include "mathbox/actions/SelectionActions.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <functional>

using namespace actiontest;

namespace {

struct SelectionCase;
class SelectionActionTest : public ActionFixture,
                            public ::testing::WithParamInterface<SelectionCase> {};

using Selector = std::function<DocRange(SelectionActionTest&)>;
using Maker = std::function<OwnedAction(SelectionActionTest&, const DocRange&)>;

struct SelectionCase {
    const char* name;
    Selector selection;
    Maker make;
    const char* expected;
};

template <typename A>
Maker Key(bool extend = false) {
    return [=](SelectionActionTest& t, const DocRange& sel) -> OwnedAction {
        return MakeAction<A>(t.view, sel, extend);
    };
}

Maker Arrow(uint8_t key, bool extend, bool into) {
    return [=](SelectionActionTest& t, const DocRange& sel) -> OwnedAction {
        return MakeAction<ArrowAction>(t.view, sel, extend, key, into);
    };
}

// The action an edit code makes, as the view's character handler makes it.
Maker Code(int32_t code, bool shift = false) {
    return [=](SelectionActionTest& t, const DocRange& sel) {
        return MakeSelectionAction(t.view, sel, code, shift);
    };
}

Selector CaretIn(CompList* ActionFixture::*list, int32_t index) {
    return [=](SelectionActionTest& t) { return t.Caret(t.At(t.*list, index)); };
}

Selector CaretInCell(int32_t column, int32_t row, int32_t index) {
    return
        [=](SelectionActionTest& t) { return t.Caret(t.At(t.grid->GetCell(column, row), index)); };
}

Selector Boundary(DocPos (ActionFixture::*kind)(int32_t) const, int32_t from, int32_t to) {
    return [=](SelectionActionTest& t) { return t.Range((t.*kind)(from), (t.*kind)(to)); };
}

Selector InList(std::function<CompList*(SelectionActionTest&)> list, int32_t from, int32_t to) {
    return [=](SelectionActionTest& t) { return t.Range(t.At(list(t), from), t.At(list(t), to)); };
}

CompList* BoxList(SelectionActionTest& t) {
    return t.box->GetList(1);
}
CompList* First(SelectionActionTest& t) {
    return t.L1;
}
CompList* Var1(SelectionActionTest& t) {
    return t.Var(1);
}
CompList* Var2(SelectionActionTest& t) {
    return t.Var(2);
}

using F = ActionFixture;
using namespace editcode;

const SelectionCase kCases[] = {
    {"document start", CaretIn(&F::L2, 3), Key<DocStartAction>(), "L1 1"},
    {"document start extending", CaretIn(&F::L2, 3), Key<DocStartAction>(true), "L1 1 - L2 3"},
    {"document end", CaretIn(&F::L1, 2), Key<DocEndAction>(), "L3 5"},
    {"document end extending from inside a box keeps the whole box", InList(BoxList, 1, 2),
     Key<DocEndAction>(true), "L1 3 - L3 5"},
    {"line start inside a box is its list's start", InList(BoxList, 2, 2), Key<LineStartAction>(),
     "box 1"},
    {"line end inside a box is its list's end", InList(BoxList, 1, 1), Key<LineEndAction>(),
     "box 2"},
    {"left steps over", CaretIn(&F::L1, 3), Arrow(ArrowAction::kLeft, false, false), "L1 2"},
    {"right steps over a box", CaretIn(&F::L1, 3), Arrow(ArrowAction::kRight, false, false),
     "L1 4"},
    {"right with ctrl steps into a box", CaretIn(&F::L1, 3),
     Arrow(ArrowAction::kRight, false, true), "box 1"},
    {"left with ctrl steps into a box", CaretIn(&F::L1, 4), Arrow(ArrowAction::kLeft, false, true),
     "box 2"},
    {"shift left grows from the end", InList(First, 2, 4), Arrow(ArrowAction::kLeft, true, false),
     "L1 1 - L1 4"},
    {"shift right grows from the start", InList(First, 2, 3),
     Arrow(ArrowAction::kRight, true, false), "L1 2 - L1 4"},
    {"up goes to the cell above", CaretInCell(1, 2, 1), Arrow(ArrowAction::kUp, false, false),
     "c11 2"},
    {"down goes to the cell below", CaretInCell(1, 1, 1), Arrow(ArrowAction::kDown, false, false),
     "c12 1"},
    {"extend left grows by one place", CaretIn(&F::L1, 4), Code(kExtendLeft), "L1 3 - L1 4"},
    {"extend left at the start changes nothing", CaretIn(&F::L1, 1), Code(kExtendLeft), "L1 1"},
    {"select word", CaretIn(&F::L2, 4), Key<SelectWordAction>(), "L2 3 - L2 5"},
    {"select word on a boundary is a caret", Boundary(&F::Cols, 2, 2), Key<SelectWordAction>(),
     "G cols 2"},
    {"exit left", InList(BoxList, 1, 1), Code(kExitLeft), "L1 3"},
    {"exit right", InList(BoxList, 2, 2), Code(kExitRight), "L1 4"},
    {"after the owner", InList(BoxList, 1, 1), Code(kBoundaryBeyond), "L1 4"},
    {"before the owner", InList(BoxList, 2, 2), Code(kBeforeOwner), "L1 3"},
    {"column boundary after the cell", CaretInCell(1, 2, 1), Code(kColumnBoundary), "G cols 2"},
    {"column boundary stays on a column boundary", Boundary(&F::Cols, 3, 3), Code(kColumnBoundary),
     "G cols 3"},
    {"row boundary after the cell", CaretInCell(2, 1, 1), Code(kRowBoundary), "G rows 2"},
    {"row boundary stays on a row boundary", Boundary(&F::Rows, 1, 1), Code(kRowBoundary),
     "G rows 1"},
    {"variable boundary after the variable", InList(Var1, 2, 2), Code(kVariableBoundary), "D 2"},
    {"variable boundary stays on one", Boundary(&F::Vars, 3, 3), Code(kVariableBoundary), "D 3"},
    {"next boundary", Boundary(&F::Cols, 2, 2), Code(kBoundaryNext), "G cols 3"},
    {"next boundary stops after the last", Boundary(&F::Rows, 3, 3), Code(kBoundaryNext),
     "G rows 3"},
    {"next boundary growing", Boundary(&F::Rows, 1, 2), Code(kBoundaryNext, true),
     "G rows 1 - G rows 3"},
    {"next variable boundary growing", Boundary(&F::Vars, 1, 1), Code(kBoundaryNext, true),
     "D 1 - D 2"},
    {"previous boundary", Boundary(&F::Cols, 2, 2), Code(kBoundaryPrev), "G cols 1"},
    {"previous boundary stops at the first", Boundary(&F::Cols, 1, 1), Code(kBoundaryPrev),
     "G cols 1"},
    {"previous boundary growing", Boundary(&F::Rows, 3, 3), Code(kBoundaryPrev, true),
     "G rows 2 - G rows 3"},
    {"previous boundary growing at the first is a caret", Boundary(&F::Rows, 1, 1),
     Code(kBoundaryPrev, true), "G rows 1"},
    {"next cell right", CaretInCell(1, 1, 1), Code(kNextCellRight), "c21 1"},
    {"next cell right wraps to the next row", CaretInCell(2, 1, 1), Code(kNextCellRight), "c12 1"},
    {"next cell right leaves after the last", CaretInCell(2, 2, 1), Code(kNextCellRight), "L3 2"},
    {"next cell down selects the cell", CaretInCell(2, 1, 1), Code(kNextCellDown), "c22 1"},
    {"next cell down wraps to the next column", CaretInCell(1, 2, 1), Code(kNextCellDown), "c21 1"},
    {"next cell down leaves after the last", CaretInCell(2, 2, 1), Code(kNextCellDown), "L3 2"},
    {"next variable selects it", InList(Var1, 1, 1), Code(kNextVariable), "var2 1"},
    {"next variable leaves after the last", InList(Var2, 1, 1), Code(kNextVariable), "L3 3"},
};

TEST_P(SelectionActionTest, TargetThenUndoAndRedo) {
    const SelectionCase& c = GetParam();
    const DocRange sel = c.selection(*this);
    view.selection = sel;
    const auto bytes = Saved();
    OwnedAction action = c.make(*this, sel);
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->ModifiesDocument());
    EXPECT_EQ(std::string(action->GetName().View()), "Can't undo");
    ASSERT_TRUE(slot.DoAction(std::move(action)));
    EXPECT_EQ(Name(view.selection), c.expected);
    const DocRange after = view.selection;

    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Name(view.selection), Name(sel));
    EXPECT_TRUE(view.selection.start.IsEqual(sel.start) && view.selection.end.IsEqual(sel.end));
    EXPECT_EQ(view.selection.start.columns, sel.start.columns);
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_TRUE(view.selection.start.IsEqual(after.start) && view.selection.end.IsEqual(after.end));
    EXPECT_EQ(Saved(), bytes) << "selection actions change no content";
    EXPECT_EQ(view.modified, 0);
}

INSTANTIATE_TEST_SUITE_P(Actions, SelectionActionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SelectionCase>& info) {
                             return CaseName(info.param.name);
                         });

// Home and End follow the text lines of a paragraph that breaks: three children to a line.
class LineActionTest : public ActionFixture {
public:
    LineActionTest() {
        services.port.columnWidth = services.port.leftMargin + 3 * kCell;
        seq.PlaceAll(false);
    }
};

TEST_F(LineActionTest, HomeAndEndFindTheLineOfTheEnd) {
    struct Case {
        int32_t caret;
        bool end;
        bool extend;
        const char* expected;
    } cases[] = {
        {5, false, false, "L1 4"}, {2, false, false, "L1 1"}, {4, false, true, "L1 4"},
        {2, true, false, "L1 3"},  {4, true, false, "L1 5"},  {1, true, true, "L1 1 - L1 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "caret " << c.caret << (c.end ? " End" : " Home"));
        view.selection = Caret(At(L1, c.caret));
        OwnedAction action =
            c.end ? OwnedAction(MakeAction<LineEndAction>(view, view.selection, c.extend))
                  : OwnedAction(MakeAction<LineStartAction>(view, view.selection, c.extend));
        ASSERT_TRUE(slot.DoAction(std::move(action)));
        EXPECT_EQ(Name(view.selection), c.expected);
    }
}

TEST_F(ActionFixture, CodesThatMoveNoSelectionMakeNoAction) {
    for (int32_t code : {kDeleteBefore, kSplitParagraph, kJoinWithPrevious, kDeleteComponent,
                         kInsertCharacter, kInsertColumn, kInsertExpression, kNoEdit})
        EXPECT_EQ(MakeSelectionAction(view, view.selection, code, false), nullptr) << code;
}

TEST_F(ActionFixture, SelectionBelowTheWindowScrollsItsBottomIntoSight) {
    view.visible = Rect(0, 0, 600, 10);
    view.selection = Caret(At(L1, 1));
    ASSERT_TRUE(slot.DoAction(MakeAction<DocEndAction>(view, view.selection, false)));
    ASSERT_EQ(view.scrolls.size(), 1u);
    const Rect caret = view.selection.GetBounds();
    EXPECT_EQ(view.scrolls[0].x, 0);
    EXPECT_EQ(view.visible.bottom, caret.bottom) << "the caret's bottom at the window's bottom";
}

} // namespace

namespace {

// A document that finds its paragraphs by identity, so references reach their targets.
class FindingDocument final : public ParaDocument {
public:
    int32_t ClaimParagraphNumber(int32_t identity) override {
        return identity > 0 ? identity : ++m_next;
    }
    void ReleaseParagraphNumber(int32_t) override {}
    ParaComp* FindParagraph(int32_t identity) const override {
        for (int32_t k = 1; k <= body.GetCount(); ++k)
            if (body.GetAt(k)->GetIdentity() == identity) return body.GetAt(k);
        return nullptr;
    }
    bool HasLargerEquations() const override { return false; }

    CompSequence body{this};

private:
    int32_t m_next = 0;
};

TEST(FollowReferenceTest, SelectsTheTargetsContentsOrKeepsTheSelection) {
    Services services;
    FindingDocument doc;
    doc.body.Append(Para("ab", ParaStyle::kNumberedEquation));
    doc.body.Append(Para("r"));
    const int32_t identity = doc.body.GetAt(1)->GetIdentity();
    auto* found = new RefComp(identity, Str31("(1)"));
    auto* lost = new RefComp(identity + 40, Str31("(9)"));
    CompList* text = doc.body.GetAt(2)->GetList(1);
    text->Append(found);
    text->Append(lost);
    doc.body.PlaceAll(false);
    FakeView view(doc.body);
    UndoSlot slot(view);

    DocRange caret;
    caret.Set(text, 1, 1);
    view.selection = caret;
    ASSERT_TRUE(slot.DoAction(MakeAction<FollowReferenceAction>(view, caret, found)));
    EXPECT_TRUE(view.selection.start.GetList() == doc.body.GetAt(1)->GetList(1) &&
                view.selection.start.index == 1 && view.selection.end.index == 3);

    ASSERT_TRUE(slot.DoAction(MakeAction<FollowReferenceAction>(view, caret, lost)));
    EXPECT_TRUE(view.selection.start.IsEqual(caret.start) && !view.selection.HasExtent())
        << "a reference without a target leaves the selection";
}

// A selection that lies nowhere (a document without paragraphs) must not bring an action down.
TEST(EmptyDocumentTest, ActionsWithoutAPlaceDoNothing) {
    EmptyDocument doc;
    doc.RunEach({
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<DocStartAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<DocEndAction>(view, nowhere, true);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<LineStartAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<LineEndAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<ArrowAction>(view, nowhere, true, ArrowAction::kRight, true);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<SelectWordAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<NextCellRightAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<NextVariableAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<ColumnBoundaryAction>(view, nowhere, false);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<NextBoundaryAction>(view, nowhere, true);
        },
    });
}

} // namespace
