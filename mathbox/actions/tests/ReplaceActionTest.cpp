// Replacing through the finder as undoable steps: Replace All as one step through the structures
// of the action fixture, do -> undo -> redo against the saved bytes; the selection Replace All
// leaves; the single replacement; and the view's last action ended by a replacement.

#include "mathbox/actions/ReplaceAction.h"

#include "document/Finder.h"
#include "mathbox/actions/TypingAction.h"
#include "mathbox/actions/tests/ActionFixture.h"

using namespace actiontest;

namespace {

class ReplaceActionTest : public ActionFixture {
public:
    ReplaceActionTest() {
        fakes::AppendChars(*L1, "xx");
        fakes::AppendChars(*grid->GetCell(2, 2), "x");
        seq.PlaceAll(false);
    }

    // The finder over the fixture's page with a text pattern and replacement.
    void Search(const char* pattern, const char* replacement) {
        finder.SetPattern(Str255(pattern));
        finder.SetReplacement(Str255(replacement));
    }
    bool ReplaceAll(const DocRange& selection) {
        view.selection = selection;
        return slot.DoAction(ReplaceAction::MakeReplaceAll(view, finder, selection));
    }

    Finder finder{seq};
};

TEST_F(ReplaceActionTest, ReplaceAllIsOneStepThatUndoTakesBackWhole) {
    const char* const before = "3:ab[B]{x}cxx | 7:\\t\\tif | 5:[G2x2]{p,,,x}[D2]{u,,,,f}z[P]{}";
    const char* const after = "3:ab[B]{yy}cyyyy | 7:\\t\\tif | 5:[G2x2]{p,,,yy}[D2]{u,,,,f}z[P]{}";
    ASSERT_EQ(Deep(seq), before);
    const auto original = Saved();
    const DocRange selection = Caret(At(L1, 1));
    Search("x", "yy");
    ASSERT_TRUE(ReplaceAll(selection));
    EXPECT_EQ(Deep(seq), after);
    EXPECT_EQ(static_cast<ReplaceAction*>(slot.GetLastAction())->GetReplacementCount(), 4);
    EXPECT_EQ(Name(view.selection), "L1 1");
    EXPECT_EQ(view.modified, 1);
    EXPECT_EQ(slot.GetUndoText().ToCString(), "Undo replace");
    const auto replaced = Saved();

    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Deep(seq), before);
    EXPECT_EQ(Saved(), original);
    EXPECT_EQ(Name(view.selection), "L1 1");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), replaced);
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), original);
}

TEST_F(ReplaceActionTest, NothingToReplaceMakesNoStep) {
    Search("q", "z");
    EXPECT_EQ(ReplaceAction::MakeReplaceAll(view, finder, Caret(At(L1, 1))), nullptr);
    Search("", "z");
    EXPECT_EQ(ReplaceAction::MakeReplaceAll(view, finder, Caret(At(L1, 1))), nullptr);
    // The finder stands at no match it reported.
    Search("x", "z");
    finder.Reset(At(box->GetList(1), 1));
    EXPECT_EQ(ReplaceAction::MakeReplace(view, finder, Caret(At(L1, 1))), nullptr);
}

// After Replace All the selection made before stays while it is still a place of the document,
// moved past what the replacements changed; otherwise the caret goes to its start, or to where
// the search began when that is gone too.
TEST_F(ReplaceActionTest, ReplaceAllKeepsOnlyASelectionThatStillStands) {
    struct Case {
        const char* name;
        std::function<DocRange(ReplaceActionTest&)> selection;
        std::function<void(ReplaceActionTest&)> pattern;
        const char* replacement;
        const char* shown;
    };
    const auto text = [](const char* pattern) {
        return [=](ReplaceActionTest& t) { t.finder.SetPattern(Str255(pattern)); };
    };
    const Case cases[] = {
        {"untouched", [](ReplaceActionTest& t) { return t.Range(t.At(t.L1, 1), t.At(t.L1, 2)); },
         text("c"), "ccc", "L1 1 - L1 2"},
        {"end moved past longer text",
         [](ReplaceActionTest& t) { return t.Range(t.At(t.L1, 1), t.At(t.L1, 5)); }, text("b"),
         "BBB", "L1 1 - L1 7"},
        {"end inside a replaced match",
         [](ReplaceActionTest& t) { return t.Range(t.At(t.L1, 1), t.At(t.L1, 2)); }, text("ab"),
         "Z", "L1 1"},
        {"a selected structure replaced",
         [](ReplaceActionTest& t) { return t.Range(t.At(t.L1, 3), t.At(t.L1, 4)); },
         [](ReplaceActionTest& t) { t.finder.SetPattern(CompArrayOf(t.box->Clone())); }, "BB",
         "L1 3 - L1 5"},
        {"rows of a replaced grid",
         [](ReplaceActionTest& t) { return t.Range(t.Rows(1), t.Rows(2)); },
         [](ReplaceActionTest& t) { t.finder.SetPattern(CompArrayOf(t.grid->Clone())); }, "M",
         "L3 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto original = Saved();
        const DocRange selection = c.selection(*this);
        c.pattern(*this);
        finder.SetReplacement(Str255(c.replacement));
        ASSERT_TRUE(ReplaceAll(selection));
        EXPECT_EQ(Name(view.selection), c.shown);
        ASSERT_TRUE(slot.UndoCommand());
        EXPECT_EQ(Saved(), original);
        EXPECT_EQ(Name(view.selection), Name(selection));
    }
}

TEST_F(ReplaceActionTest, ReplaceTakesTheMatchFoundAndShowsWhatWentIn) {
    Search("x", "yz");
    finder.Reset(At(L1, 1));
    ASSERT_TRUE(finder.FindNext());
    const DocRange match = finder.GetMatch();
    EXPECT_EQ(Name(match), "box 1 - box 2");
    const auto original = Saved();
    view.selection = match;
    ASSERT_TRUE(slot.DoAction(ReplaceAction::MakeReplace(view, finder, match)));
    EXPECT_EQ(Deep(*L1), "ab[B]{yz}cxx");
    EXPECT_EQ(Name(view.selection), "box 1 - box 3");
    // The search goes on after what went in.
    ASSERT_TRUE(finder.FindNext());
    EXPECT_EQ(Name(finder.GetMatch()), "L1 5 - L1 6");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), original);
    EXPECT_EQ(Name(view.selection), "box 1 - box 2");
}

// A replacement is the view's last action from then on: Undo takes it back, not the typing
// before it, whose positions it may have shifted.
TEST_F(ReplaceActionTest, AReplacementEndsTheLastAction) {
    ASSERT_TRUE(slot.DoAction(MakeAction<TypingAction>(view, Caret(At(L1, 6)), 0), true));
    ASSERT_TRUE(slot.AddTypedChar('q'));
    const auto typed = Saved();
    Search("x", "");
    ASSERT_TRUE(ReplaceAll(Caret(At(L1, 1))));
    EXPECT_EQ(slot.GetTypingAction(), nullptr);
    EXPECT_EQ(Deep(*L1), "ab[B]{}cq");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), typed);
    EXPECT_EQ(Deep(*L1), "ab[B]{x}cxqx");
}

} // namespace
