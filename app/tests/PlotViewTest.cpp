// A 2-D plot in the document window: inserted once its parameters are confirmed, typed into,
// its buttons shown while it holds the caret, a press on its picture opening its parameters and
// a press on "Plot" computing it (here without a kernel, which says so and changes nothing); a
// 3-D plot turned by a drag with Ctrl held, its preview on the screen while the button is held;
// a click into a function row; a selected plot copied as a picture; plots printed as the window
// shows them.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentPrinter.h"
#include "app/MainFrame.h"
#include "app/QtClipboardPort.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/Region.h"
#include "document/TessaryDoc.h"
#include "plot/Plot2DComp.h"
#include "plot/Plot3DComp.h"
#include "plot/tests/SampledGraphics.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>
#include <array>
#include <type_traits>

using namespace shelltest;

namespace {

// The curves and surfaces are drawn in colour; text, frames, axes and labels in black and gray.
bool Coloured(QRgb p) {
    const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
    const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
    return high - low > 60;
}

// Where the coloured pixels of an area lie, and how many there are.
struct Ink {
    QRect box;
    int count = 0;
};

Ink ColouredInk(const QImage& image, const QRect& area) {
    Ink ink;
    const QRect within = area.intersected(image.rect());
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (Coloured(image.pixel(x, y))) {
                ink.box |= QRect(x, y, 1, 1);
                ++ink.count;
            }
    return ink;
}

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    const QRect within = area.intersected(image.rect());
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 64 ? 1 : 0;
    return dark;
}

double Parabola(double x) {
    return x * x;
}

double Saddle(double x, double y) {
    return x * x - y * y;
}

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

    // Inserts a plot of the kind at the caret, with its parameters confirmed, and gives it the
    // graphics the kernel would send: a parabola for a 2-D plot, a saddle for a 3-D one.
    template <typename Plot>
    Plot* InsertComputedPlot() {
        constexpr bool flat = std::is_same_v<Plot, Plot2DComp>;
        AnswerDialog(true);
        EXPECT_TRUE(Router().Run(flat ? cmd::kElementPlot2D : cmd::kElementPlot3D));
        auto* plot = dynamic_cast<Plot*>(
            view->GetSelection().FindEnclosing(flat ? tags::Plot2D : tags::Plot3D));
        if (plot == nullptr) return nullptr;
        NodePtr graphics = flat ? plottest::SampledGraphics({Parabola}, -1, 1, -1, 1)
                                : plottest::SampledSurface(Saddle, -1, 1, -1, 1, 12);
        EXPECT_TRUE(plot->SetGraphics(std::move(graphics)));
        view->Relayout();
        return plot;
    }
    // The window's rendering of a document rectangle, scrolled into sight first.
    QImage ShownOf(const Rect& rect) {
        view->ScrollTo(Point(0, std::max(0, rect.top - 10)));
        const QImage shown = OnScreen(*view->viewport());
        const Point scroll = view->ScrollOffset();
        return shown.copy(
            QRect(rect.left - scroll.x, rect.top - scroll.y, rect.Width(), rect.Height()));
    }
    // The screen once the whole window is drawn afresh.
    QImage Redrawn() {
        view->Redraw();
        return OnScreen(*view->viewport());
    }
    // The "Options..." and "Plot" labels of a plot, in the viewport.
    std::array<QRect, 2> LabelRects(const PlotComp& plot) {
        const Rect frame = plot.GetFrame();
        const Point scroll = view->ScrollOffset();
        const auto client = [&](const Rect& r) {
            return QRect(r.left - scroll.x, r.top - scroll.y, r.Width(), r.Height());
        };
        return {
            client(gDrawPort->LabelRectAfter(Point(frame.left, frame.top), Str255("Options..."))),
            client(gDrawPort->LabelRectBefore(Point(frame.right, frame.top), Str255("Plot")))};
    }
    // Whether both labels of the plot are drawn on the screen image: a black box each.
    bool LabelsShown(const QImage& screen, const PlotComp& plot) {
        for (const QRect& label : LabelRects(plot))
            if (DarkPixels(screen, label) < label.width() * label.height() / 3) return false;
        return true;
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

// A click beside the text of a function row puts the caret in the row, and the plot's buttons
// come and go on the screen with the caret, as a full redraw shows them.
TEST_F(PlotViewTest, AClickIntoAFunctionRowPutsTheCaretThereAndTheScreenFollowsTheButtons) {
    AnswerDialog(true);
    ASSERT_TRUE(Router().Run(cmd::kElementPlot2D));
    Plot2DComp* plot = FirstPlot();
    ASSERT_NE(plot, nullptr);
    QTest::keyClicks(view, "x");
    ASSERT_TRUE(plot->IsActive());
    EXPECT_TRUE(LabelsShown(OnScreen(*view->viewport()), *plot));

    // The caret leaves: the buttons go from the screen.
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_FALSE(plot->IsActive());
    QImage shown = OnScreen(*view->viewport());
    EXPECT_TRUE(shown == Redrawn()) << "the window still shows the buttons";
    shown.save(OutputPath(QStringLiteral("plot-left.png")));
    EXPECT_FALSE(LabelsShown(shown, *plot));

    // A click right of the row's text: a caret at the row's end, not the whole plot.
    const Rect row = plot->GetList(1)->GetGlobalBounds();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      InViewport(Point(row.right - 6, (row.top + row.bottom) / 2)));
    const DocRange caret = view->GetSelection();
    EXPECT_FALSE(caret.HasExtent()) << "the click took the plot whole";
    EXPECT_EQ(caret.start.GetList(), plot->GetList(1));
    EXPECT_EQ(caret.start.index, 2);
    ASSERT_TRUE(plot->IsActive());
    shown = OnScreen(*view->viewport());
    shown.save(OutputPath(QStringLiteral("plot-clicked.png")));
    EXPECT_TRUE(LabelsShown(shown, *plot)) << "the buttons are not drawn";
    EXPECT_TRUE(shown == Redrawn());
    QTest::keyClicks(view, "+1");
    EXPECT_EQ(plot->GetList(1)->GetCount(), 3);
}

// While Ctrl and the button are held over a 3-D plot, each move's preview is on the screen.
TEST_F(PlotViewTest, TheRotationPreviewShowsOnTheScreenWhileTheButtonIsHeld) {
    Plot3DComp* plot = InsertComputedPlot<Plot3DComp>();
    ASSERT_NE(plot, nullptr);
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    const Rect picture = plot->PictureRect();
    const Point centre((picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2);
    const QImage before = OnScreen(*view->viewport());
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::ControlModifier, InViewport(centre));
    QImage during = before;
    for (int step = 1; step <= 3; ++step) {
        SCOPED_TRACE(step);
        QTest::mouseMove(view->viewport(), InViewport(Point(centre.x + 30 * step, centre.y + 8)));
        const QImage now = OnScreen(*view->viewport());
        EXPECT_FALSE(now == during) << "the move left the screen as it was";
        during = now;
    }
    EXPECT_TRUE(during == view->BackingImage()) << "the window shows an older preview";
    during.save(OutputPath(QStringLiteral("plot3d-turning.png")));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        InViewport(Point(centre.x + 90, centre.y + 8)));
    const QImage released = OnScreen(*view->viewport());
    EXPECT_TRUE(released == Redrawn()) << "the preview's drawing stayed on the screen";
}

// Copy as Metafile of a selected plot puts the plot's own picture on the clipboard: the picture
// area alone, with the curve where the window shows it.
TEST_F(PlotViewTest, CopyAsMetafileOfASelectedPlotGivesThePlotsOwnPicture) {
    Plot2DComp* plot = InsertComputedPlot<Plot2DComp>();
    ASSERT_NE(plot, nullptr);
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    const Rect picture = plot->PictureRect();
    const Ink shown = ColouredInk(ShownOf(picture), QRect(0, 0, picture.Width(), picture.Height()));
    ASSERT_GT(shown.count, 100);

    DocRange whole;
    whole.SelectComponent(plot);
    view->SelectRange(whole);
    Router().UpdateAll();
    ASSERT_TRUE(State(cmd::kCopyMetafile).enabled);
    ASSERT_TRUE(Router().Run(cmd::kCopyMetafile));
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    QSvgRenderer svg(mime->data(clipboard::kPictureMimeType));
    ASSERT_TRUE(svg.isValid());
    // The picture's pixels are its view box.
    const QSize size = svg.viewBox().size();
    EXPECT_EQ(size, QSize(plot->PictureWidth(), plot->PictureHeight()));
    QImage copied(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    copied.fill(Qt::white);
    {
        QPainter painter(&copied);
        svg.render(&painter);
    }
    copied.save(OutputPath(QStringLiteral("plot-copied.png")));
    const Ink ink = ColouredInk(copied, copied.rect());
    EXPECT_NEAR(ink.box.left(), shown.box.left(), 2);
    EXPECT_NEAR(ink.box.top(), shown.box.top(), 2);
    EXPECT_NEAR(ink.box.width(), shown.box.width(), 3);
    EXPECT_NEAR(ink.box.height(), shown.box.height(), 3);
}

// A 2-D plot on the first printed page and a 3-D plot on the second print whole: on each page
// the colour of the plot covers what it covers in the window, at the same size.
TEST_F(PlotViewTest, PrintedPlotsShowWhatTheWindowShows) {
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty()) GTEST_SKIP() << "no Ghostscript to look at the pages";
    Plot2DComp* flat = InsertComputedPlot<Plot2DComp>();
    ASSERT_NE(flat, nullptr);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    for (int line = 0; line < 8; ++line) {
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClicks(view, "Filler text between the plots.");
    }
    QTest::keyClick(view, Qt::Key_Return);
    Plot3DComp* solid = InsertComputedPlot<Plot3DComp>();
    ASSERT_NE(solid, nullptr);
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_FALSE(flat->IsActive() || solid->IsActive()) << "the buttons would be printed";
    const std::array<Ink, 2> shown{
        ColouredInk(ShownOf(flat->PictureRect()),
                    QRect(QPoint(), QSize(flat->PictureWidth(), flat->PictureHeight()))),
        ColouredInk(ShownOf(solid->PictureRect()),
                    QRect(QPoint(), QSize(solid->PictureWidth(), solid->PictureHeight())))};

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QString pdf = OutputPath(QStringLiteral("printed-plots.pdf"));
    printer.setOutputFileName(pdf);
    ASSERT_EQ(PrintDocumentView(*view, printer), 2);
    QProcess render;
    render.start(gs, {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=png16m", "-r96",
                      "-sOutputFile=" + OutputPath(QStringLiteral("printed-plots-%d.png")), pdf});
    ASSERT_TRUE(render.waitForFinished(60000));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const QImage printed(OutputPath(QStringLiteral("printed-plots-%1.png").arg(page)));
        ASSERT_FALSE(printed.isNull());
        const Ink ink = ColouredInk(printed, printed.rect());
        const Ink& window = shown[static_cast<size_t>(page - 1)];
        ASSERT_GT(window.count, 100);
        EXPECT_NEAR(ink.box.width(), window.box.width(), 4);
        EXPECT_NEAR(ink.box.height(), window.box.height(), 4);
        EXPECT_GT(ink.count, window.count * 2 / 3);
        EXPECT_LT(ink.count, window.count * 3 / 2);
    }
}

} // namespace
