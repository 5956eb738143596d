// Document windows: their placement, titles, the size commands and the keys that reach the
// view.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/TessaryView.h"
#include "app/WindowDrawing.h"
#include "app/WindowHost.h"
#include "app/tests/ShellFixture.h"
#include "document/DocSettings.h"
#include "document/QtGeometry.h"
#include "document/TessaryDoc.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QTest>

#include <optional>

using namespace shelltest;

namespace {

class DocumentWindowTest : public ShellTest {
protected:
    ChildFrame* Child() { return frame->ActiveChild(); }
};

TEST_F(DocumentWindowTest, NormalPlacementSurvivesMaximising) {
    frame->show();
    QCoreApplication::processEvents();
    ChildFrame* child = Child();
    ASSERT_NE(child, nullptr);
    child->SetFrameRect(Rect(20, 30, 420, 330));
    EXPECT_EQ(child->GetFrameRect(), Rect(20, 30, 420, 330));
    child->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(child->GetFrameRect(), Rect(20, 30, 420, 330));
    child->showNormal();
    child->move(40, 50);
    QCoreApplication::processEvents();
    EXPECT_EQ(child->GetFrameRect(), Rect(40, 50, 440, 350));
}

// The first document is made before the main window shows, the next ones after: each keeps the
// document's own normal rectangle, stores it, and takes it when un-maximised.
TEST_F(DocumentWindowTest, NewDocumentsKeepTheirRealNormalRectangle) {
    const Rect placement = DocSettings().placement;
    frame->show();
    QCoreApplication::processEvents();
    ASSERT_GT(frame->MdiArea()->viewport()->width(), placement.Width());
    ASSERT_GT(frame->MdiArea()->viewport()->height(), placement.Height());
    app->NewDocument();
    QCoreApplication::processEvents();
    for (ChildFrame* child : frame->Frames()) {
        SCOPED_TRACE(child->windowTitle().toStdString());
        EXPECT_EQ(child->Host().GetFramePlacement(), placement);
        child->showNormal();
        QCoreApplication::processEvents();
        EXPECT_EQ(FromQRect(child->geometry()), placement);
        EXPECT_EQ(child->GetFrameRect(), placement);
    }
}

// Drawings on the view: the document's for some commands, and the view's own around a
// selection change, which asks the kernel and so takes events while it waits. A window resized
// meanwhile keeps the image the drawing paints on until it ends, and then takes the new size.
TEST_F(DocumentWindowTest, ResizeWaitsForTheDrawingOnTheView) {
    frame->show();
    QCoreApplication::processEvents();
    TessaryView* view = Child()->View();
    for (bool byDocument : {true, false}) {
        SCOPED_TRACE(byDocument ? "the document's drawing" : "the view's own drawing");
        const QSize before = view->BackingImage().size();
        ASSERT_EQ(before, view->viewport()->size());
        {
            std::optional<WindowDrawing> own;
            if (byDocument)
                Child()->Host().BeginWindowDraw();
            else
                own.emplace(*view);
            const int step = byDocument ? -1 : 1;
            frame->resize(frame->width() + step * 200, frame->height() + step * 150);
            QCoreApplication::processEvents();
            EXPECT_NE(view->viewport()->size(), before);
            EXPECT_EQ(view->BackingImage().size(), before);
            if (byDocument) Child()->Host().EndWindowDraw();
        }
        EXPECT_EQ(view->BackingImage().size(), view->viewport()->size());
    }
}

TEST_F(DocumentWindowTest, PlacementIsBroughtIntoTheClientArea) {
    frame->show();
    QCoreApplication::processEvents();
    const QRect client = frame->MdiArea()->viewport()->rect();
    Child()->SetFrameRect(Rect(-500, 5000, 100, 5200));
    const Rect placed = Child()->GetFrameRect();
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.Width(), 600);
    EXPECT_EQ(placed.bottom, client.bottom() + 1);
    Child()->SetFrameRect(Rect(0, 0, 100000, 100000));
    EXPECT_EQ(Child()->GetFrameRect(), Rect(0, 0, client.width(), client.height()));
}

TEST_F(DocumentWindowTest, NewDocumentsAreNumberedWhenSeveralAreOpen) {
    Router().Run(cmd::kFileNew);
    Router().Run(cmd::kFileNew);
    QStringList titles;
    for (QMdiSubWindow* window : frame->MdiArea()->subWindowList())
        titles << window->windowTitle();
    EXPECT_EQ(titles, (QStringList{"Untitled", "Untitled 2", "Untitled 3"}));
    Router().Run(cmd::kFileClose);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 2);
}

TEST_F(DocumentWindowTest, WindowMenuListsTheOpenWindowsAndActivatesThem) {
    Router().Run(cmd::kFileNew);
    QMenu* menu = frame->Menu(QStringLiteral("&Window"));
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    emit menu->aboutToShow(); // listing again replaces the list
    QStringList items;
    QAction* first = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->data().isValid()) continue;
        items << action->text() + (action->isChecked() ? QStringLiteral(" (active)") : QString());
        if (first == nullptr) first = action;
    }
    EXPECT_EQ(items, (QStringList{"&1 Untitled", "&2 Untitled 2 (active)"}));
    ASSERT_NE(first, nullptr);
    first->trigger();
    EXPECT_EQ(Child()->windowTitle(), QStringLiteral("Untitled"));
}

struct SizeRow {
    int32_t id;
    int32_t sizeIndex;
};

TEST_F(DocumentWindowTest, SizeCommandChecksItselfAloneAndMarksTheDocumentModified) {
    const SizeRow rows[] = {
        {cmd::kSize10, 7}, {cmd::kSize12, 6}, {cmd::kSize18, 3}, {cmd::kSize14, 5}};
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.id);
        Child()->Document().SetModifiedFlag(false);
        ASSERT_TRUE(Router().Run(row.id));
        EXPECT_EQ(Child()->View()->BaseSize(), row.sizeIndex);
        EXPECT_EQ(Child()->Document().GetSettings().baseSize, row.sizeIndex);
        EXPECT_TRUE(Child()->Document().IsModified());
        EXPECT_TRUE(Child()->windowTitle().endsWith(QLatin1Char('*')));
        for (int32_t other : {cmd::kSize10, cmd::kSize12, cmd::kSize14, cmd::kSize18})
            EXPECT_EQ(Action(other)->isChecked(), other == row.id) << other;
    }
}

TEST_F(DocumentWindowTest, LargerEquationsTogglesAndMarksModified) {
    Router().Run(cmd::kLargerEquations);
    EXPECT_TRUE(Child()->Document().GetLargerEquations());
    EXPECT_TRUE(Child()->Document().IsModified());
    EXPECT_TRUE(Action(cmd::kLargerEquations)->isChecked());
    Router().Run(cmd::kLargerEquations);
    EXPECT_FALSE(Action(cmd::kLargerEquations)->isChecked());
}

TEST_F(DocumentWindowTest, BusyKernelRefusesDisplayCommands) {
    session->connected = true;
    session->busy = true;
    EXPECT_FALSE(State(cmd::kSize10).enabled);
    EXPECT_FALSE(State(cmd::kLargerEquations).enabled);
    EXPECT_FALSE(Router().Run(cmd::kSize10));
    EXPECT_EQ(Child()->View()->BaseSize(), 5);
    EXPECT_FALSE(Child()->Document().IsModified());
}

TEST_F(DocumentWindowTest, KeysReachTheViewAsKeyCodes) {
    std::vector<KeyInput> seen;
    BaseView* view = Child()->View();
    view->keyObserver = [&](const KeyInput& key) { seen.push_back(key); };
    QTest::keyClick(view, Qt::Key_X);
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(seen, (std::vector<KeyInput>{{KeyInput::Kind::Char, 'x', false, false},
                                           {KeyInput::Kind::Char, 10, false, true},
                                           {KeyInput::Kind::Char, 9, false, true},
                                           {KeyInput::Kind::KeyDown, 37, true, false}}));
}

TEST_F(DocumentWindowTest, CtrlF6SwitchesWindowsWhileCtrlTabStaysWithTheView) {
    frame->show();
    Router().Run(cmd::kFileNew);
    QCoreApplication::processEvents();
    ChildFrame* second = Child();
    ASSERT_EQ(frame->Frames().size(), 2u);
    std::vector<KeyInput> seen;
    second->View()->keyObserver = [&](const KeyInput& key) { seen.push_back(key); };
    QTest::keyClick(second->View(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Child(), second);
    EXPECT_EQ(seen.size(), 1u);
    QTest::keyClick(second->View(), Qt::Key_F6, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_NE(Child(), second);
}

TEST_F(DocumentWindowTest, BusyKernelTakesEscapeAsAbortAndOtherKeysAsAWait) {
    BaseView* view = Child()->View();
    session->connected = true;
    session->busy = true;
    const std::string waiting = std::string("ShowMessage: ") + KernelSession::kBusyMessage;
    QTest::keyClick(view, Qt::Key_A);
    EXPECT_EQ(session->calls, (std::vector<std::string>{waiting}));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(session->calls, (std::vector<std::string>{waiting, "Interrupt"}));
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Aborted"));

    // Idle, Escape neither aborts nor types.
    session->busy = false;
    session->calls.clear();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(session->calls.empty());
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral(" "));
}

} // namespace
