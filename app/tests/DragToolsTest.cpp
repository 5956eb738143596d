// Dragging selected math in the running editor against the kernel program: the kernel's word
// for each place shows as the pointer moves, the release applies the move as one undoable step
// (at once, or from a menu when the kernel offers several), and a place the kernel refuses says
// "No action possible". A kernel behind the calculation server is asked only once the pointer
// has rested, which the test's own clock decides.

#include "kernel/DragTools.h"

#include "ServerFixture.h"
#include "app/tests/KernelAppFixture.h"

#include <QMenu>

#include <atomic>

namespace {

using namespace kernelapp;

class DragToolsTest : public KernelDocumentTest {
protected:
    // Types each line as a plain equation paragraph of its own.
    void TypeEquations(std::initializer_list<const char*> lines) {
        bool first = true;
        for (const char* line : lines) {
            if (!first) QTest::keyClick(view, Qt::Key_Return);
            first = false;
            ASSERT_TRUE(Run(cmd::kParaPlainEquation));
            QTest::keyClicks(view, line);
        }
    }
    // Selects the characters `first` to `last` of a paragraph, as Shift and the arrows do.
    void Select(int32_t paragraph, int32_t first, int32_t last) {
        DocPos start;
        start.SetAt(&Line(paragraph), first);
        view->SelectPosition(start);
        for (int32_t i = first; i <= last; ++i)
            QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        ASSERT_TRUE(view->GetSelection().HasExtent());
    }
    // The window point over character `index` of a paragraph: its middle, or just inside its
    // right edge, where the place after it is found.
    QPoint Over(int32_t paragraph, int32_t index, bool rightEdge = false) {
        DocPos before, after;
        before.SetAt(&Line(paragraph), index);
        after.SetAt(&Line(paragraph), index + 1);
        const Rect left = before.CaretRect();
        const Rect right = after.CaretRect();
        const Point scroll = view->ScrollOffset();
        const int x = rightEdge ? right.left - 2 : (left.left + right.left) / 2;
        return QPoint(x - scroll.x, (left.top + left.bottom) / 2 - scroll.y);
    }
    QWidget* Surface() { return view->viewport(); }
    void Press(QPoint at) { QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, at); }
    void Move(QPoint to) { QTest::mouseMove(Surface(), to); }
    void Release(QPoint at) { QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, at); }
    // The undo item's text.
    QString UndoText() {
        frame->Router().UpdateAll();
        return frame->Router().Action(cmd::kEditUndo)->text();
    }
};

TEST_F(DragToolsTest, ATermMovesAmongItsSiblingsAndUndoPutsItBack) {
    StartWithDocument();
    TypeEquations({"a+b+c"});
    Select(1, 1, 1);
    const auto before = Saved();
    const QPoint onA = Over(1, 1);
    const QPoint pastC = Over(1, 5, true);

    Press(onA);
    EXPECT_EQ(Status(), QStringLiteral(" ")) << "the press clears the status bar";
    Move(pastC);
    EXPECT_EQ(Status(), QStringLiteral("Move term")) << "the kernel's word for the place";
    EXPECT_EQ(view->GetSelection().start.index, 1) << "dragging leaves the selection alone";
    Picture("drag-proposal.png");
    // Back over what is dragged: nothing to do there.
    Move(onA + QPoint(1, 0));
    EXPECT_EQ(Status(), QStringLiteral("No action possible"));
    Move(pastC);
    EXPECT_EQ(Status(), QStringLiteral("Move term"));
    Release(pastC);

    EXPECT_EQ(Page().GetCount(), 1) << "the paragraph was replaced";
    EXPECT_EQ(Text(1), "b + c + a");
    EXPECT_TRUE(UndoText().startsWith(QStringLiteral("Undo")));
    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Saved(), before);
    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Text(1), "b + c + a") << "redo applies it again without asking the kernel";

    // A release back over the selection makes nothing.
    Select(1, 1, 1);
    const auto moved = Saved();
    Press(Over(1, 1));
    Move(Over(1, 5, true));
    Move(Over(1, 1) + QPoint(1, 0));
    Release(Over(1, 1) + QPoint(1, 0));
    EXPECT_EQ(Saved(), moved);
}

// Only the selected term starts a drag: a press on the operator right after it places the caret
// there, as it does anywhere outside the selection.
TEST_F(DragToolsTest, APressBesideTheSelectionPlacesTheCaret) {
    StartWithDocument();
    TypeEquations({"a+b"});
    Select(1, 1, 1);
    const auto before = Saved();
    Press(Over(1, 2));
    Release(Over(1, 2));
    EXPECT_FALSE(view->GetSelection().HasExtent()) << "no drag of a";
    EXPECT_EQ(Saved(), before);
    // On a itself the drag starts.
    Select(1, 1, 1);
    Press(Over(1, 1));
    Move(Over(1, 3, true));
    EXPECT_EQ(Status(), QStringLiteral("Move term"));
    Move(Over(1, 1) + QPoint(1, 0));
    Release(Over(1, 1) + QPoint(1, 0));
    EXPECT_EQ(Saved(), before);
}

TEST_F(DragToolsTest, AnEquationDroppedOntoAnotherOffersAChoiceAtTheRelease) {
    StartWithDocument();
    TypeEquations({"x=1", "y=2", "c+d"});
    Select(1, 1, 3);
    const auto before = Saved();
    std::vector<QString> shown;
    ChoicePopup::MenuRunnerScope menus([&](QMenu& menu, QPoint) -> QAction* {
        for (QAction* entry : menu.actions())
            shown.push_back(entry->text());
        return menu.actions().value(1);
    });

    // Onto an expression the kernel cannot combine it with: refused, and the release does
    // nothing.
    Press(Over(1, 2));
    Move(Over(3, 3, true));
    EXPECT_EQ(Status(), QStringLiteral("No action possible"));
    Release(Over(3, 3, true));
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(shown.empty());

    // Onto the other equation: two offers, the first said with "...", the choice from a menu.
    Press(Over(1, 2));
    Move(Over(2, 3, true));
    EXPECT_EQ(Status(), QStringLiteral("Add equations..."));
    Release(Over(2, 3, true));
    EXPECT_EQ(shown, (std::vector<QString>{"Add equations", "Subtract equations"}));
    ASSERT_EQ(Page().GetCount(), 4) << "the combined equation is a paragraph of its own";
    EXPECT_EQ(Text(2), "y - x = 2 - 1") << "the equation dropped onto, less the one dragged";
    EXPECT_EQ(Text(3), "y=2");
    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Saved(), before);
}

// With a kernel behind the calculation server: a drag that does not pause asks nothing and
// its release makes nothing; a rest of 1500 ms over a place asks once, and the release there
// applies the move. The login itself goes as a person's would, from Connection Options.
TEST_F(DragToolsTest, AServerKernelIsAskedOnlyOnceThePointerRests) {
    const std::string program =
        QCoreApplication::applicationDirPath().toStdString() + "/OskariaKernel.exe";
    kerneltest::CalcServerFixture server(standin::calc::kernelCommand(program), "");
    ASSERT_TRUE(server.started);
    ChooseServer(server.server->loginPort(), "secret");
    ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
    ASSERT_TRUE(session->IsRemote());
    OpenDocument();
    std::atomic<int64_t> now{1'000'000};
    kernel::ShuffleTool::ClockScope clock([&] { return now.load(); });
    TypeEquations({"a+b+c"});
    Select(1, 1, 1);
    const auto before = Saved();

    Press(Over(1, 1));
    Move(Over(1, 3, true));
    Move(Over(1, 5, true));
    EXPECT_EQ(Status().trimmed(), QString()) << "moving on asks nothing";
    Release(Over(1, 5, true));
    EXPECT_EQ(Saved(), before) << "without a rest the release makes nothing";

    Press(Over(1, 1));
    Move(Over(1, 5, true));
    EXPECT_EQ(Status().trimmed(), QString());
    now += kernel::ShuffleTool::kRestMilliseconds;
    // The view's tracking timer finds the rest over.
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Move term"), 10000);
    Release(Over(1, 5, true));
    EXPECT_EQ(Text(1), "b + c + a");
    ASSERT_TRUE(Run(cmd::kEditUndo));
    EXPECT_EQ(Saved(), before);

    messages.clear();
    Choose(cmd::kQuitKernel);
    EXPECT_FALSE(session->IsConnected());
}

} // namespace
