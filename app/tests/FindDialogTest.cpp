// The Find dialog in the running editor, driven by clicks and typing: its texts, finding
// through fractions in document order, replacing only what was found, Replace All as one
// undoable step, patterns of selected structures, and the replace buttons refused while a
// calculation runs. Writes `find-dialog.png` into the test output folder.

#include "app/FindDialog.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/Finder.h"
#include "document/ParaComp.h"
#include "document/TessaryDoc.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>

using namespace shelltest;

namespace {

class FindDialogTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = ShowFocusedView();
        // "x+x", a fraction over "x", one over "y", "x", and another over "x".
        QTest::keyClicks(view, "x+x");
        fractions[0] = Fraction("x");
        fractions[1] = Fraction("y");
        QTest::keyClicks(view, "x");
        fractions[2] = Fraction("x");
        view->SelectPosition(Start());
        view->Document().SetModifiedFlag(false);
    }

    // The dialog is the view's child: it goes before the window does.
    void TearDown() override {
        dialog.reset();
        finder.reset();
        ShellTest::TearDown();
    }

    CompList& Line() { return *view->Page()->GetAt(1)->GetList(1); }
    DocPos Start() { return view->Page()->StartPosition(); }
    TextComp* Fraction(const char* numerator) {
        EXPECT_TRUE(Router().Run(cmd::kElementFraction));
        TextComp* fraction = Line().GetAt(Line().GetCount());
        QTest::keyClicks(view, numerator);
        view->SelectPosition(PosAfter(fraction));
        return fraction;
    }
    // The line's text: characters as themselves, a fraction as "[numerator]".
    std::string Text() {
        std::string text;
        for (int32_t i = 1; i <= Line().GetCount(); ++i) {
            const TextComp* c = Line().GetAt(i);
            if (c->GetTypeTag() == tags::Char) {
                text += static_cast<char>(c->GetCharCode());
                continue;
            }
            text += '[';
            const CompList& top = *c->GetList(1);
            for (int32_t k = 1; k <= top.GetCount(); ++k)
                text += static_cast<char>(top.GetAt(k)->GetCharCode());
            text += ']';
        }
        return text;
    }
    // The selection as "<list> <from>-<to>": "line", or "f1" to "f3" for the numerators.
    std::string Selected() {
        const DocRange r = view->GetSelection();
        std::string list = r.start.GetList() == &Line() ? "line" : "?";
        for (int k = 0; k < 3; ++k)
            if (r.start.GetList() == fractions[k]->GetList(1)) list = "f" + std::to_string(k + 1);
        return list + " " + std::to_string(r.start.index) + "-" + std::to_string(r.end.index);
    }
    // A dialog over a finder at the view's selection, as the Find command opens it.
    void Open() {
        finder = FinderAtSelection(*view);
        ASSERT_NE(finder, nullptr);
        dialog = std::make_unique<FindDialog>(*view, *finder);
        dialog->show();
    }
    void Click(FindDialog::ButtonId id) { QTest::mouseClick(dialog->Button(id), Qt::LeftButton); }
    void Enter(QLineEdit* edit, const char* text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    TessaryView* view = nullptr;
    TextComp* fractions[3] = {};
    std::unique_ptr<Finder> finder;
    std::unique_ptr<FindDialog> dialog;
};

TEST_F(FindDialogTest, ShowsItsTextsAndTheSelectedText) {
    ASSERT_EQ(Text(), "x+x[x][y]x[x]");
    DocRange selection;
    selection.Set(&Line(), 1, 4);
    view->SelectRange(selection);
    Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Find"));
    EXPECT_EQ(dialog->FindEdit()->text(), QStringLiteral("x+x"));
    EXPECT_EQ(dialog->ReplaceEdit()->text(), QString());
    EXPECT_EQ(dialog->FindEdit()->maxLength(), 255);
    EXPECT_EQ(dialog->ReplaceEdit()->maxLength(), 255);
    QStringList labels;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("Find:"), QStringLiteral("Replace:")}));
    QStringList buttons;
    for (const QPushButton* button : dialog->findChildren<QPushButton*>())
        buttons << button->text();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Find"), QStringLiteral("Replace"),
                                    QStringLiteral("Replace and Find"),
                                    QStringLiteral("Replace All"), QStringLiteral("Cancel")}));
    EXPECT_TRUE(dialog->Button(FindDialog::kFind)->isDefault());
    EXPECT_TRUE(dialog->grab().save(OutputPath(QStringLiteral("find-dialog.png"))));
}

TEST_F(FindDialogTest, FindsThroughStructuresAndReplacesOnlyWhatItFound) {
    Open();
    Enter(dialog->FindEdit(), "x");
    const char* const expected[] = {"line 1-2", "line 3-4", "f1 1-2", "line 6-7", "f3 1-2"};
    for (const char* place : expected) {
        Click(FindDialog::kFind);
        EXPECT_EQ(Selected(), place);
    }
    // Past the last match nothing changes.
    Click(FindDialog::kFind);
    EXPECT_EQ(Selected(), "f3 1-2");
    EXPECT_FALSE(view->Document().IsModified());

    Enter(dialog->ReplaceEdit(), "zz");
    Click(FindDialog::kReplace);
    EXPECT_EQ(Text(), "x+x[x][y]x[zz]");
    EXPECT_EQ(Selected(), "f3 1-3");
    EXPECT_TRUE(view->Document().IsModified());
    // No match stands at the finder now: Replace looks for one first, and finds none.
    Click(FindDialog::kReplace);
    EXPECT_EQ(Text(), "x+x[x][y]x[zz]");

    // From the start again: Replace first finds, then replaces and finds the next.
    view->SelectPosition(Start());
    finder->Reset(Start());
    Enter(dialog->FindEdit(), "+x");
    Click(FindDialog::kReplace);
    EXPECT_EQ(Selected(), "line 2-4");
    EXPECT_EQ(Text(), "x+x[x][y]x[zz]");
    Enter(dialog->FindEdit(), "x");
    Click(FindDialog::kReplace); // the pattern changed: find first
    EXPECT_EQ(Text(), "x+x[x][y]x[zz]");
    EXPECT_EQ(Selected(), "line 3-4");
    Click(FindDialog::kReplaceAndFind);
    EXPECT_EQ(Text(), "x+zz[x][y]x[zz]");
    EXPECT_EQ(Selected(), "f1 1-2");

    Router().UpdateAll();
    EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo replace"));
    dialog->reject();
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "x+x[x][y]x[zz]");
    EXPECT_EQ(Selected(), "line 3-4");
}

// A pattern changed after a match was shown may still match where the finder stands, over
// more or less than the selection: Replace then finds first, never replacing unseen text.
TEST_F(FindDialogTest, AChangedPatternIsFoundBeforeItIsReplaced) {
    struct Case {
        const char* name;
        const char* shown; // the pattern found first, and the match it selected
        const char* place;
        const char* changed; // the pattern then entered, which matches at the same place
        const char* found;   // what Replace selects instead of replacing
    };
    const Case cases[] = {
        {"longer", "x", "line 1-2", "x+x", "line 1-2"},
        {"shorter", "+x", "line 2-4", "+", "line 2-4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->SelectPosition(Start());
        Open();
        Enter(dialog->FindEdit(), c.shown);
        Enter(dialog->ReplaceEdit(), "z");
        Click(FindDialog::kFind);
        ASSERT_EQ(Selected(), c.place);
        Enter(dialog->FindEdit(), c.changed);
        Click(FindDialog::kReplace);
        ASSERT_EQ(Text(), "x+x[x][y]x[x]");
        EXPECT_EQ(Selected(), c.found);
        EXPECT_FALSE(view->Document().IsModified());
        dialog.reset();
    }
}

TEST_F(FindDialogTest, ReplaceAllIsOneStepFromTheSelection) {
    DocRange fromSecond;
    fromSecond.Set(&Line(), 3, 3);
    view->SelectRange(fromSecond);
    Open();
    Enter(dialog->FindEdit(), "x");
    Enter(dialog->ReplaceEdit(), "xx");
    Click(FindDialog::kReplaceAll);
    EXPECT_EQ(Text(), "x+xx[xx][y]xx[xx]");
    EXPECT_EQ(Selected(), "line 3-3");
    EXPECT_TRUE(view->Document().IsModified());
    // An empty pattern replaces nothing.
    Enter(dialog->FindEdit(), "");
    Click(FindDialog::kReplaceAll);
    Click(FindDialog::kReplace);
    EXPECT_EQ(Text(), "x+xx[xx][y]xx[xx]");
    dialog->reject();
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "x+x[x][y]x[x]");
}

// A selected fraction is the pattern until the find edit's text changes.
TEST_F(FindDialogTest, ASelectedStructureStaysThePatternUntilTheTextChanges) {
    DocRange first;
    first.SelectComponent(fractions[0]);
    view->SelectRange(first);
    Open();
    EXPECT_EQ(dialog->FindEdit()->text(), QString());
    Click(FindDialog::kFind);
    EXPECT_EQ(Selected(), "line 7-8");
    Enter(dialog->ReplaceEdit(), "s");
    Click(FindDialog::kReplace);
    EXPECT_EQ(Text(), "x+x[x][y]xs");

    view->SelectRange(first);
    finder->Reset(first.start);
    Enter(dialog->FindEdit(), "y");
    Click(FindDialog::kFind);
    EXPECT_EQ(Selected(), "f2 1-2");
}

// While a calculation runs the replace buttons change nothing; finding still works.
TEST_F(FindDialogTest, ReplacingWaitsForTheCalculation) {
    session->connected = true;
    session->busy = true;
    ASSERT_FALSE(view->CanEdit());
    Open();
    Enter(dialog->FindEdit(), "x");
    Enter(dialog->ReplaceEdit(), "q");
    Click(FindDialog::kFind);
    EXPECT_EQ(Selected(), "line 1-2");
    for (FindDialog::ButtonId id :
         {FindDialog::kReplace, FindDialog::kReplaceAndFind, FindDialog::kReplaceAll})
        Click(id);
    EXPECT_EQ(Text(), "x+x[x][y]x[x]");
    EXPECT_FALSE(view->Document().IsModified());
    session->busy = false;
    Click(FindDialog::kReplace);
    EXPECT_EQ(Text(), "q+x[x][y]x[x]");
}

TEST_F(FindDialogTest, TheFindCommandRunsTheDialogOverTheSelection) {
    EXPECT_TRUE(State(cmd::kFind).enabled);
    DocRange selection;
    selection.Set(&Line(), 2, 4);
    view->SelectRange(selection);
    QString shown;
    WhenModalOpens(frame, [&](QWidget* window) {
        auto* find = dynamic_cast<FindDialog*>(window);
        ASSERT_NE(find, nullptr);
        shown = find->FindEdit()->text();
        QTest::mouseClick(find->Button(FindDialog::kFind), Qt::LeftButton);
        find->reject();
    });
    ASSERT_TRUE(Router().Run(cmd::kFind));
    EXPECT_EQ(shown, QStringLiteral("+x"));
    // The selection itself was skipped; nothing else matches.
    EXPECT_EQ(Selected(), "line 2-4");
    EXPECT_EQ(Text(), "x+x[x][y]x[x]");
}

} // namespace
