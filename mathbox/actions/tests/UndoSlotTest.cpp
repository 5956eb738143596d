// The view's one level of undo: the command toggling, typing that grows and ends, release on
// replace, refusal while an action runs or editing is blocked, recovery when an action throws,
// the follow-up typing action of a text style, and scrolling a shown range into sight.

#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/SelectionActions.h"
#include "mathbox/actions/TypingAction.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <stdexcept>

using namespace actiontest;

namespace {

const char* const kFirst = "3:ab[B]{x}c";

std::string Text(const Str255& s) {
    return std::string(s.View());
}

class UndoSlotTest : public ActionFixture {
public:
    std::string First() const { return Deep(*L1).insert(0, "3:"); }
    void StartTyping(const DocRange& sel, int32_t face = -1) {
        view.selection = sel;
        ASSERT_TRUE(slot.DoAction(MakeAction<TypingAction>(view, sel, face), true));
    }
    void Type(const std::string& text) {
        for (char c : text)
            ASSERT_TRUE(slot.AddTypedChar(static_cast<uint8_t>(c)));
    }
};

// Counts how often it runs and is released.
class Counted final : public TAction {
public:
    Counted(EditView& view, int& releases)
        : TAction(view, actionname::kCalculation), m_releases(releases) {}
    void Release() override { ++m_releases; }
    int runs = 0;

protected:
    int32_t DoIt() override {
        ++runs;
        return 0;
    }

private:
    int& m_releases;
};

// Takes the selection out, then fails.
class FailsAfterTaking final : public EditAction {
public:
    FailsAfterTaking(EditView& view, const DocRange& sel)
        : EditAction(view, actionname::kDelete, sel) {}

protected:
    int32_t DoIt() override {
        TakeSelection();
        throw std::runtime_error("out of room");
    }
};

TEST_F(UndoSlotTest, TypedCharactersMergeIntoOneUndoStep) {
    const auto before = Saved();
    StartTyping(Caret(At(L1, 3)), 3);
    EXPECT_EQ(Text(slot.GetUndoText()), "Can't undo") << "nothing typed yet";
    EXPECT_FALSE(slot.CanUndo());
    Type("xyz");
    EXPECT_EQ(First(), "3:abx'3y'3z'3[B]{x}c");
    EXPECT_EQ(Name(view.selection), "L1 6");
    EXPECT_EQ(Text(slot.GetUndoText()), "Undo typing");
    EXPECT_EQ(view.modified, 4) << "starting, and each character, marks the document";
    const auto typed = Saved();

    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(First(), kFirst) << "one undo removes all three";
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Name(view.selection), "L1 3");
    EXPECT_EQ(Text(slot.GetUndoText()), "Redo typing");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), typed);
    EXPECT_EQ(Name(view.selection), "L1 6");
}

TEST_F(UndoSlotTest, TypingReplacesTheSelectionAndUndoPutsItBack) {
    const auto before = Saved();
    StartTyping(Range(At(L1, 1), At(L1, 4)), 0);
    EXPECT_EQ(First(), "3:c") << "the selection goes as typing starts";
    Type("q");
    EXPECT_EQ(First(), "3:qc");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(Name(view.selection), "L1 1 - L1 4");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(First(), "3:qc");
}

TEST_F(UndoSlotTest, TypingOnAfterUndoStartsTheRunAfresh) {
    const auto before = Saved();
    StartTyping(Range(At(L1, 1), At(L1, 3)), 0);
    Type("xy");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(First(), kFirst);
    Type("z");
    EXPECT_EQ(First(), "3:z[B]{x}c") << "the selection is taken out again";
    EXPECT_EQ(slot.GetTypingAction()->GetTyped(), "z");
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), before);
}

TEST_F(UndoSlotTest, RedoKeepsEveryCharacterOfALongRun) {
    StartTyping(Caret(At(L1, 1)), 0);
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += static_cast<char>('a' + i % 26);
    Type(text);
    const auto typed = Saved();
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(L1->GetCount(), 4);
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(L1->GetCount(), 304);
    EXPECT_EQ(Saved(), typed);
}

TEST_F(UndoSlotTest, AnotherActionEndsTyping) {
    StartTyping(Caret(At(L1, 3)), 0);
    Type("x");
    ASSERT_TRUE(slot.DoAction(
        MakeAction<ArrowAction>(view, view.selection, false, ArrowAction::kLeft, false)));
    EXPECT_EQ(slot.GetTypingAction(), nullptr);
    EXPECT_FALSE(slot.AddTypedChar('y'));
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(First(), "3:abx[B]{x}c");
}

TEST_F(UndoSlotTest, ReplacingReleasesThePreviousActionOnce) {
    int firstReleases = 0, secondReleases = 0;
    ASSERT_TRUE(slot.DoAction(OwnedAction(new Counted(view, firstReleases))));
    ASSERT_TRUE(slot.DoAction(OwnedAction(new Counted(view, secondReleases))));
    EXPECT_EQ(firstReleases, 1);
    EXPECT_EQ(secondReleases, 0);
    slot.Clear();
    EXPECT_EQ(secondReleases, 1);
}

TEST_F(UndoSlotTest, RefusesWhileAnActionRuns) {
    int releases = 0;
    bool inner = true;
    int undoRefused = 0;
    bool fired = false;
    view.onSetSelection = [&] {
        if (fired) return;
        fired = true;
        inner = slot.DoAction(OwnedAction(new Counted(view, releases)));
        undoRefused = slot.UndoCommand() ? 0 : 1;
    };
    view.selection = Caret(At(L1, 3));
    ASSERT_TRUE(slot.DoAction(MakeAction<DeleteAction>(view, view.selection)));
    EXPECT_FALSE(inner) << "a command arriving during an action is refused";
    EXPECT_EQ(undoRefused, 1);
    EXPECT_EQ(releases, 1) << "the refused action is released, not kept";
    EXPECT_EQ(view.beeps, 2);
    EXPECT_EQ(Text(slot.GetUndoText()), "Undo delete") << "the running action was kept";
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(First(), kFirst);
}

TEST_F(UndoSlotTest, RefusesWhileEditingIsBlocked) {
    const auto before = Saved();
    slot.SetBlocked(true);
    view.selection = Caret(At(L1, 3));
    EXPECT_FALSE(slot.DoAction(MakeAction<DeleteAction>(view, view.selection)));
    EXPECT_EQ(Saved(), before);
    EXPECT_EQ(view.beeps, 1);
    // A refused typing action never becomes the one further characters join.
    EXPECT_FALSE(slot.DoAction(MakeAction<TypingAction>(view, view.selection), true));
    EXPECT_EQ(slot.GetTypingAction(), nullptr);
    EXPECT_FALSE(slot.AddTypedChar('x'));
    EXPECT_EQ(Saved(), before);
    slot.SetBlocked(false);
    EXPECT_TRUE(slot.DoAction(MakeAction<DeleteAction>(view, view.selection)));
}

TEST_F(UndoSlotTest, AnActionThatThrowsPutsBackWhatItTook) {
    const auto before = Saved();
    view.selection = Caret(At(L1, 3));
    ASSERT_TRUE(slot.DoAction(MakeAction<DeleteAction>(view, view.selection)));
    TAction* kept = slot.GetLastAction();
    const auto afterDelete = Saved();
    view.selection = Range(At(L1, 1), At(L1, 3));
    EXPECT_THROW(slot.DoAction(OwnedAction(new FailsAfterTaking(view, view.selection))),
                 std::runtime_error);
    EXPECT_EQ(Saved(), afterDelete) << "nothing of the selection is lost";
    EXPECT_EQ(slot.GetLastAction(), kept);
    EXPECT_FALSE(slot.IsRunning());
    EXPECT_EQ(view.drawDepth, 0);
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_EQ(Saved(), before);
}

TEST_F(UndoSlotTest, TextStyleAtACaretGoesOnAsTypingInThatStyle) {
    view.selection = Caret(At(L1, 3));
    ASSERT_TRUE(slot.DoAction(MakeAction<SetTextStyleAction>(view, view.selection, 2)));
    TypingAction* typing = slot.GetTypingAction();
    ASSERT_NE(typing, nullptr) << "installed after the style action returned";
    EXPECT_EQ(slot.GetLastAction(), typing);
    EXPECT_EQ(typing->GetFaceKind(), 2);
    Type("k");
    EXPECT_EQ(First(), "3:abk'2[B]{x}c");
}

TEST_F(UndoSlotTest, TextStyleOnASelectionRestylesItWithoutUndo) {
    view.selection = Range(At(L1, 1), At(L1, 3));
    ASSERT_TRUE(slot.DoAction(MakeAction<SetTextStyleAction>(view, view.selection, 1)));
    EXPECT_EQ(First(), "3:a'1b'1[B]{x}c");
    EXPECT_EQ(slot.GetTypingAction(), nullptr);
    EXPECT_FALSE(slot.CanUndo());
    EXPECT_EQ(Text(slot.GetUndoText()), "Can't undo");
    EXPECT_FALSE(slot.UndoCommand());
}

TEST_F(UndoSlotTest, ParagraphStyleCoversEveryParagraphOfTheSelection) {
    view.selection = Range(At(L1, 2), At(L2, 1));
    ASSERT_TRUE(slot.DoAction(MakeAction<SetParagraphStyleAction>(view, view.selection, 1)));
    EXPECT_EQ(seq.GetAt(1)->GetStyle().GetKind(), 1);
    EXPECT_EQ(seq.GetAt(2)->GetStyle().GetKind(), 1);
    EXPECT_EQ(seq.GetAt(3)->GetStyle().GetKind(), ParaStyle::kPlainEquation);
    view.selection = Caret(At(L3, 1));
    ASSERT_TRUE(slot.DoAction(MakeAction<SetParagraphStyleAction>(view, view.selection, 12)));
    EXPECT_EQ(seq.GetAt(3)->GetStyle().GetKind(), ParaStyle::kParagraph) << "out of range";
    EXPECT_FALSE(slot.CanUndo());
}

TEST_F(UndoSlotTest, RedoLaysOutFromWhereTheActionTookPlace) {
    view.selection = Caret(At(L2, 3));
    ASSERT_TRUE(slot.DoAction(MakeAction<DeleteAction>(view, view.selection)));
    ASSERT_TRUE(slot.UndoCommand());
    view.relayouts.clear();
    ASSERT_TRUE(slot.UndoCommand());
    ASSERT_FALSE(view.relayouts.empty());
    EXPECT_EQ(view.relayouts.front(), 2);

    // A selection in no document ties the action to no paragraph: nothing is laid out.
    auto detached = Sequence("3:ab");
    const DocRange outside = Caret(At(detached->GetAt(1)->GetList(1), 2));
    OwnedAction action = MakeAction<DeleteAction>(view, outside);
    EXPECT_EQ(action->GetParagraphNumber(), 0);
    view.relayouts.clear();
    ASSERT_TRUE(slot.DoAction(std::move(action)));
    ASSERT_TRUE(slot.UndoCommand());
    ASSERT_TRUE(slot.UndoCommand());
    EXPECT_TRUE(view.relayouts.empty());
    EXPECT_EQ(Deep(*detached->GetAt(1)->GetList(1)), "b");
}

TEST_F(UndoSlotTest, NamesOfTheActions) {
    EXPECT_EQ(Text(ActionNameText(actionname::kCopy)), "copy");
    EXPECT_EQ(Text(ActionNameText(actionname::kRemoveParagraphBreak)), "remove paragraph break");
    EXPECT_EQ(Text(ActionNameText(actionname::kCannotUndo)), "Can't undo");
    EXPECT_EQ(Text(ActionNameText(1999)), "");
    EXPECT_EQ(Text(slot.GetUndoText()), "Can't undo") << "no action yet";
    EXPECT_FALSE(slot.UndoCommand());
}

TEST_F(UndoSlotTest, BringIntoViewScrollsTheLeast) {
    struct Case {
        const char* name;
        Rect frame;
        bool scrolls;
        Point to;
    } cases[] = {
        {"below: bottom to the bottom edge", Rect(10, 450, 20, 470), true, Point(0, 170)},
        {"above: top to the top edge", Rect(10, 50, 20, 60), true, Point(0, 50)},
        {"inside", Rect(10, 150, 20, 160), false, Point()},
        {"beside, right", Rect(700, 150, 710, 160), true, Point(700, 150)},
        {"touching the right edge", Rect(600, 150, 610, 160), false, Point()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.visible = Rect(0, 100, 600, 400);
        view.scrolls.clear();
        BringIntoView(view, c.frame);
        ASSERT_EQ(view.scrolls.size(), c.scrolls ? 1u : 0u);
        if (c.scrolls) {
            EXPECT_EQ(view.scrolls[0].x, c.to.x);
            EXPECT_EQ(view.scrolls[0].y, c.to.y);
        }
    }
}

} // namespace
