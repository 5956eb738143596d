// Calculations in the running editor against the kernel program: typed math is selected, the
// kernel's offers arrive in the view's popup, the chosen one runs and its answer comes back as
// boxes in a new paragraph, one undoable step. Escape, a dead kernel and the code command too.

#include "app/TessaryView.h"
#include "app/tests/KernelAppFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "document/TessaryDoc.h"
#include "mathbox/MathBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

#include <csignal>
#include <cstring>
#include <functional>

namespace {

using namespace kernelapp;

class EvaluateInPlaceTest : public KernelDocumentTest {
protected:
    // x^2 + 2x + 1 in a plain equation, the exponent a raised box, then the whole line selected.
    void TypeSquareAndSelectIt() {
        ASSERT_TRUE(Run(cmd::kParaPlainEquation));
        QTest::keyClicks(view, "x");
        ASSERT_TRUE(Run(cmd::kElementFraction + 1));
        QTest::keyClicks(view, "2");
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClicks(view, "+2x+1");
        ASSERT_EQ(Line(1).GetCount(), 7);
        // The x typed first into the new equation is math, like the x of 2x (drawn italic).
        EXPECT_EQ(Line(1).GetAt(1)->GetStyleId(), 3);
        EXPECT_EQ(Line(1).GetAt(5)->GetStyleId(), 3);
        QTest::keyClick(view, Qt::Key_Home);
        QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
        ASSERT_TRUE(view->GetSelection().HasExtent());
    }
    // Chooses Factor on the typed square through `run`: the document comes out as it was, and
    // the editor goes on.
    void FactorLeavesTheDocument(const std::function<void(int32_t)>& run) {
        TypeSquareAndSelectIt();
        const int32_t factor = ChoiceId("Factor");
        ASSERT_NE(factor, 0);
        const auto before = Saved();
        run(factor);
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(session->IsBusy());
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClicks(view, "+y");
        EXPECT_EQ(Line(1).GetCount(), 9);
    }
};

TEST_F(EvaluateInPlaceTest, FactorComesBackAsBoxesInOneUndoableStep) {
    StartWithDocument();
    TypeSquareAndSelectIt();
    ASSERT_NE(view->Popup(), nullptr) << "the kernel's offers for the selection";
    const std::vector<ChoiceItem>& items = view->Popup()->Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(Status(), QString::fromLatin1(items[0].text.ToCString()) + QStringLiteral("..."));
    const int32_t factor = ChoiceId("Factor");
    ASSERT_NE(factor, 0);
    const auto before = Saved();
    Picture("evaluate-before.png");

    ASSERT_TRUE(Run(factor));
    EXPECT_EQ(view->Popup(), nullptr) << "a caret after the answer is offered nothing";
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Page().GetAt(2)->GetStyle().GetKind(), ParaStyle::kPlainEquation);
    const CompList& answer = Line(2);
    ASSERT_EQ(answer.GetCount(), 2) << "(x + 1)^2";
    const auto* paren = dynamic_cast<const ParenComp*>(answer.GetAt(1));
    ASSERT_NE(paren, nullptr);
    EXPECT_NE(dynamic_cast<const ExpoComp*>(answer.GetAt(2)), nullptr);
    EXPECT_EQ(paren->GetList(1)->GetCount(), 5) << "x + 1";
    EXPECT_TRUE(child->Document().IsModified());
    frame->Router().UpdateAll();
    EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo calculation"));
    Picture("evaluate-after.png");
    const auto after = Saved();

    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Saved(), before);
    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Saved(), after);
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

TEST_F(EvaluateInPlaceTest, ARightClickOnTheSelectionShowsTheOffers) {
    StartWithDocument();
    TypeSquareAndSelectIt();
    ASSERT_NE(view->Popup(), nullptr);
    QStringList shown;
    ChoicePopup::MenuRunnerScope runner([&](QMenu& menu, QPoint) -> QAction* {
        QAction* expand = nullptr;
        for (QAction* entry : menu.actions()) {
            shown << entry->text();
            if (entry->text() == QStringLiteral("Expand")) expand = entry;
        }
        return expand;
    });
    auto rightClick = [&](QPoint client) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, client,
                                view->viewport()->mapToGlobal(client));
        QApplication::sendEvent(view->viewport(), &event);
    };
    const Rect box = view->GetSelection().GetBounds();
    const Point scroll = view->ScrollOffset();
    rightClick(QPoint(box.right + 40 - scroll.x, box.bottom + 200 - scroll.y));
    EXPECT_TRUE(shown.isEmpty()) << "away from the selection";
    rightClick(
        QPoint((box.left + box.right) / 2 - scroll.x, (box.top + box.bottom) / 2 - scroll.y));
    EXPECT_TRUE(shown.contains(QStringLiteral("Factor")));
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Text(2), "x? + 2 x + 1") << "expanded, a raised 2 again";
}

TEST_F(EvaluateInPlaceTest, DeclaringALetterConstantChecksItsBox) {
    StartWithDocument();
    ASSERT_TRUE(Run(cmd::kParaPlainEquation));
    QTest::keyClicks(view, "x+a");
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    const int32_t declare = ChoiceId("Declare constant");
    ASSERT_NE(declare, 0);
    ASSERT_NE(frame->Constants(), nullptr);
    EXPECT_FALSE(frame->Constants()->IsLetterChecked('a'));
    const auto before = Saved();
    ASSERT_TRUE(Run(declare));
    EXPECT_TRUE(frame->Constants()->IsLetterChecked('a'));
    EXPECT_EQ(Saved(), before) << "the answer goes to the palette only";
    // The kernel knows: selected again, the letter is offered the opposite.
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NE(ChoiceId("Not a constant"), 0);
}

// The palette's checks are what the kernel computes with: i, checked from the start, is the
// imaginary unit; its box cleared, a letter of its own; another letter checked, a constant.
TEST_F(EvaluateInPlaceTest, TheConstantsPaletteSaysWhatALetterMeans) {
    StartWithDocument();
    ConstantsPalette* palette = frame->Constants();
    ASSERT_NE(palette, nullptr);
    ASSERT_TRUE(palette->IsLetterChecked('i'));
    auto click = [&](char letter) {
        QCheckBox* box = palette->Box(ConstantsPalette::IdOfLetter(letter));
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton);
    };
    // i squared, the exponent a raised box, simplified with Ctrl+Return: the answer goes in a
    // new paragraph after it.
    ASSERT_TRUE(Run(cmd::kParaPlainEquation));
    QTest::keyClicks(view, "i");
    ASSERT_TRUE(Run(cmd::kElementFraction + 1));
    QTest::keyClicks(view, "2");
    auto simplifyFirstLine = [&] {
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
        ASSERT_NE(view->Popup(), nullptr);
        QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    };
    simplifyFirstLine();
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Text(2), "-1");

    click('i');
    EXPECT_FALSE(palette->IsLetterChecked('i'));
    simplifyFirstLine();
    ASSERT_EQ(Page().GetCount(), 3);
    EXPECT_EQ(Text(2), "i?") << "i squared, a letter like any other";

    click('k');
    EXPECT_TRUE(palette->IsLetterChecked('k'));
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, "k");
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NE(ChoiceId("Not a constant"), 0) << "the kernel holds k constant";
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

TEST_F(EvaluateInPlaceTest, APartOfASumIsCalculatedInItsPlace) {
    StartWithDocument();
    ASSERT_TRUE(Run(cmd::kParaPlainEquation));
    QTest::keyClicks(view, "x+x+1");
    QTest::keyClick(view, Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    const int32_t simplify = ChoiceId("Simplify");
    ASSERT_NE(simplify, 0);
    ASSERT_TRUE(Run(simplify));
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Text(1), "x+x+1");
    EXPECT_EQ(Text(2), "2 x + 1") << "x + x became 2x, the rest of the line stays";
}

// Element > Total Derivative and Partial Derivative, from the menu and from the toolbar button:
// the box goes in as one undoable step with the caret in its first variable, and the kernel
// differentiates what was typed into it.
TEST_F(EvaluateInPlaceTest, DerivativesFromTheElementsAreDifferentiated) {
    const struct {
        const char* name;
        int32_t command;
        bool button; // clicked on the toolbar rather than chosen from the menu
        TypeTag tag;
        const char* after; // typed into the function after x^2
        const char* answer;
    } cases[] = {
        {"total, from the menu", cmd::kElementTotalDerivative, false, tags::TotalDerivative, "",
         "2 x"},
        {"total, from its button", cmd::kElementTotalDerivative, true, tags::TotalDerivative, "",
         "2 x"},
        {"partial, from the menu", cmd::kElementPartialDerivative, false, tags::PartialDerivative,
         "y", "2 x y"},
        {"partial, from its button", cmd::kElementPartialDerivative, true, tags::PartialDerivative,
         "y", "2 x y"},
    };
    StartWithDocument();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDocument();
        ASSERT_TRUE(Run(cmd::kParaPlainEquation));
        const int32_t button = c.command - cmd::kToolbarToMenu;
        ASSERT_TRUE(Enabled(c.command));
        ASSERT_TRUE(Enabled(button)) << "the button follows its menu command";
        const auto empty = Saved();
        if (c.button) {
            QWidget* pressed = frame->MainToolBar()->widgetForAction(Action(button));
            ASSERT_NE(pressed, nullptr);
            QTest::mouseClick(pressed, Qt::LeftButton);
        } else {
            Choose(c.command);
        }
        ASSERT_EQ(Line(1).GetCount(), 1);
        TextComp* box = Line(1).GetAt(1);
        ASSERT_EQ(box->GetTypeTag(), c.tag);
        frame->Router().UpdateAll();
        EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo create object"));
        const auto inserted = Saved();
        ASSERT_TRUE(Run(cmd::kEditUndo));
        EXPECT_EQ(Saved(), empty);
        ASSERT_TRUE(Run(cmd::kEditUndo));
        EXPECT_EQ(Saved(), inserted);
        EXPECT_EQ(view->GetSelection().start.GetList(), box->GetList(1))
            << "the caret stands in the variable";

        // d/dx x^2, or the partial of x^2 y in x: the variable, past its order to the function.
        QTest::keyClicks(view, "x");
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClicks(view, "x");
        ASSERT_TRUE(Run(cmd::kElementFraction + 1));
        QTest::keyClicks(view, "2");
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClicks(view, c.after);
        const CompList& function = *box->GetList(box->GetListCount());
        EXPECT_EQ(function.GetCount(), 2 + static_cast<int32_t>(std::strlen(c.after)));
        EXPECT_EQ(box->GetList(1)->GetCount(), 1) << "x in the variable";
        Picture((std::string("derivative-") +
                 (c.tag == tags::TotalDerivative ? "total" : "partial") + ".png")
                    .c_str());

        QTest::keyClick(view, Qt::Key_Home);
        QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
        const int32_t differentiate = ChoiceId("Differentiate");
        ASSERT_NE(differentiate, 0) << "offered for a derivative";
        ASSERT_TRUE(Run(differentiate));
        ASSERT_EQ(Page().GetCount(), 2);
        EXPECT_EQ(Text(2), c.answer);
    }
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

TEST_F(EvaluateInPlaceTest, MathThatDoesNotParseIsOfferedNothing) {
    StartWithDocument();
    ASSERT_TRUE(Run(cmd::kParaPlainEquation));
    QTest::keyClicks(view, "x+");
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view->Popup(), nullptr);
    EXPECT_EQ(Status(), QStringLiteral("Syntax Error"));
}

TEST_F(EvaluateInPlaceTest, ReturnKeysGoToThePendingOffersFirst) {
    StartWithDocument();
    TypeSquareAndSelectIt();
    ASSERT_NE(view->Popup(), nullptr);
    // Ctrl+Return simplifies: one result paragraph after the line.
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Line(1).GetCount(), 7) << "the typed line stays";
    EXPECT_EQ(Page().GetAt(2)->GetStyle().GetKind(), ParaStyle::kPlainEquation);

    // Shift+Return runs the first offer on the line selected again.
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    ASSERT_NE(view->Popup(), nullptr);
    QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_EQ(Page().GetCount(), 3);
    frame->Router().UpdateAll();
    EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo calculation"));

    // Plain Return is no choice: it ends the paragraph as always.
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_NE(view->Popup(), nullptr);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(Page().GetCount(), 4);
    frame->Router().UpdateAll();
    EXPECT_NE(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo calculation"));
}

TEST_F(EvaluateInPlaceTest, AChoicePastTheOffersChangesNothing) {
    StartWithDocument();
    TypeSquareAndSelectIt();
    ASSERT_NE(view->Popup(), nullptr);
    const auto before = Saved();
    const int32_t past = cmd::kFirstChoice + static_cast<int32_t>(view->Popup()->Items().size());
    Run(past);
    EXPECT_EQ(Saved(), before);
    EXPECT_NE(view->Popup(), nullptr) << "the offers stay pending";
}

TEST_F(EvaluateInPlaceTest, EscapeDuringASlowCalculationLeavesTheDocument) {
    StartWithDocument("on TYEvaluate slow 120\n");
    FactorLeavesTheDocument([&](int32_t factor) {
        EscapeWhileBusy([&] { Run(factor); });
        // Said when Escape was pressed, and still there once the calculation has ended.
        EXPECT_EQ(Status(), QStringLiteral("Aborted"));
    });
    EXPECT_TRUE(session->IsConnected());
}

// The kernel ignores the interrupt and answers a second later: the person was told "Aborted",
// so the late answer changes nothing.
TEST_F(EvaluateInPlaceTest, EscapeLeavesTheDocumentAlsoWhenTheKernelAnswersLate) {
    StartWithDocument("on TYEvaluate stuck 1\n");
    FactorLeavesTheDocument([&](int32_t factor) {
        EscapeWhileBusy([&] { Run(factor); });
        EXPECT_EQ(Status(), QStringLiteral("Aborted"));
    });
    EXPECT_TRUE(session->IsConnected());
}

TEST_F(EvaluateInPlaceTest, AKernelThatDiesMidCalculationLeavesTheDocument) {
    StartWithDocument("on TYEvaluate die-mid-evaluation\n");
    FactorLeavesTheDocument([&](int32_t factor) { Run(factor); });
    EXPECT_FALSE(messages.empty()) << "the lost link is reported";
}

// A kernel that dies while its offers wait: the editor learns of it at the next request, and
// then neither the offers nor their word in the status bar stay behind, in this document or
// another.
TEST_F(EvaluateInPlaceTest, AKernelThatDiesTakesItsOffersAndTheirStatusWithIt) {
    struct Case {
        const char* name;
        std::function<void()> next; // what the person does after the kernel died
    };
    const Case cases[] = {
        {"another selection asks the kernel",
         [&] { QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier); }},
        {"the first offer is chosen",
         [&] { QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWithDocument();
        TessaryView* other = view;
        TypeSquareAndSelectIt();
        child = app->NewDocument();
        view = child->View();
        view->setFocus();
        TypeSquareAndSelectIt();
        ASSERT_NE(other->Popup(), nullptr);
        ASSERT_NE(view->Popup(), nullptr);
        ASSERT_TRUE(Status().endsWith(QStringLiteral("..."))) << Status().toStdString();
        const pid_t kernel = session->KernelProcess();
        ASSERT_GT(kernel, 0);
        ::kill(kernel, SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);

        messages.clear();
        c.next();
        EXPECT_FALSE(session->IsConnected());
        EXPECT_FALSE(messages.empty()) << "the lost link is reported";
        EXPECT_EQ(view->Popup(), nullptr);
        EXPECT_EQ(other->Popup(), nullptr);
        EXPECT_FALSE(Status().endsWith(QStringLiteral("..."))) << Status().toStdString();
    }
}

TEST_F(EvaluateInPlaceTest, TheCodeCommandEvaluatesSourceCodeParagraphs) {
    StartWithDocument();
    QTest::keyClicks(view, "2+3");
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_FALSE(Run(cmd::kEvaluateCode)) << "a plain paragraph is no code";
    ASSERT_TRUE(Run(cmd::kParaTitle + ParaStyle::kSourceCode));
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    ASSERT_TRUE(Run(cmd::kEvaluateCode));
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Page().GetAt(2)->GetStyle().GetKind(), ParaStyle::kPlainEquation);
    EXPECT_EQ(Text(2), "5");
}

} // namespace
