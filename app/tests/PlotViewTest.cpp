// A 2-D plot in the document window: inserted once its parameters are confirmed, typed into,
// its buttons shown while it holds the caret, a press on its picture opening its parameters and
// a press on "Plot" computing it (here without a kernel, which says so and changes nothing); a
// 3-D plot turned by a drag with Ctrl held.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/Region.h"
#include "document/TessaryDoc.h"
#include "plot/Plot2DComp.h"
#include "plot/Plot3DComp.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace shelltest;

namespace {

class PlotViewTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = ShowFocusedView();
    }

    // The first plot of the kind in the first paragraph, or null.
    template <typename Plot = Plot2DComp>
    Plot* FirstPlot() {
        return FirstOfKind<Plot>(*view->Page()->GetAt(1)->GetList(1));
    }
    QPoint InViewport(Point p) { return shelltest::InViewport(*view, p); }
    // Answers the next parameter dialog with OK (after setting the x range's right end) or
    // Cancel.
    void AnswerDialog(bool ok, const char* rightEnd = nullptr) {
        WhenModalOpens(frame, [this, ok, rightEnd](QWidget* dialog) {
            ++dialogs;
            if (rightEnd != nullptr) dialog->findChild<QLineEdit*>("1056")->setText(rightEnd);
            dialog->findChild<QPushButton*>(ok ? "1" : "2")->click();
        });
    }

    TessaryView* view = nullptr;
    int dialogs = 0;
};

TEST_F(PlotViewTest, APlotIsInsertedAfterItsParametersAndAnswersPresses) {
    AnswerDialog(false);
    ASSERT_TRUE(Router().Run(cmd::kElementPlot2D));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(FirstPlot(), nullptr) << "a cancelled plot is not inserted";

    AnswerDialog(true, "3");
    ASSERT_TRUE(Router().Run(cmd::kElementPlot2D));
    Plot2DComp* plot = FirstPlot();
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->XMax(), 3);
    // The caret went into the plot's function list: its buttons show, and typing goes there.
    EXPECT_TRUE(plot->IsActive());
    QTest::keyClicks(view, "x");
    EXPECT_EQ(plot->GetList(1)->GetCount(), 1);

    // "Plot" without a kernel: the plot stays as it was.
    const Rect frameRect = plot->GetFrame();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      InViewport(Point(frameRect.right - 4, frameRect.top + 4)));
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("Graphing Error"));
    // Drawn, it has its axes, and no curve.
    ASSERT_NE(plot->Primitives(), nullptr);
    EXPECT_EQ(plot->Primitives()->GetListCount(), 1);

    // A press on the picture opens the parameters; confirmed, they take effect.
    const Rect picture = plot->PictureRect();
    AnswerDialog(true, "7");
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, Qt::NoModifier,
        InViewport(Point((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2)));
    EXPECT_EQ(dialogs, 3);
    EXPECT_EQ(FirstPlot()->XMax(), 7);
    EXPECT_TRUE(view->BackingImage().save(OutputPath("plot-in-view.png")));

    // The caret leaving the plot hides its buttons.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(FirstPlot()->IsActive());
}

TEST_F(PlotViewTest, ACtrlDragTurnsA3DPlotAndMarksTheDocument) {
    AnswerDialog(true);
    ASSERT_TRUE(Router().Run(cmd::kElementPlot3D));
    Plot3DComp* plot = FirstPlot<Plot3DComp>();
    ASSERT_NE(plot, nullptr);
    const prism3d::Matrix before = plot->View();
    const Rect picture = plot->PictureRect();
    const Point centre((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2);
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::ControlModifier, InViewport(centre));
    QTest::mouseMove(view->viewport(), InViewport(Point(centre.x + 40, centre.y + 10)));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        InViewport(Point(centre.x + 60, centre.y + 10)));
    EXPECT_NE(plot->View(), before);
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_EQ(dialogs, 1) << "a Ctrl press on the picture opens no parameters";
    // Once released, the window shows the document as a full redraw does: no rim of the ball.
    const QImage released = view->BackingImage().copy();
    view->RedrawWithin(Region(Rect(0, 0, 1 << 20, 1 << 20)));
    EXPECT_TRUE(released == view->BackingImage()) << "the preview's drawing stayed behind";
    EXPECT_TRUE(view->BackingImage().save(OutputPath("plot3d-in-view.png")));
}

} // namespace
