// Editing in a document window through real key and mouse events: typing and its undo texts,
// the document's modified mark after undo and redo, selection by keys and by dragging, the
// highlight's look with and without the focus, the Format commands and typing from the Symbols
// bar; and a picture of the editor with every paragraph style and a selection.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/ElementBuilders.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "document/TessaryDoc.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/MatrixBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace shelltest;

namespace {

class ViewEditingTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = ShowFocusedView();
    }

    // File > New, with the new document's view focused.
    void NewDocument() {
        Router().Run(cmd::kFileNew);
        view = frame->ActiveChild()->View();
        view->setFocus();
        QCoreApplication::processEvents();
    }
    CTessaryDoc& Doc() { return view->Document(); }
    CompSequence& Page() { return *view->Page(); }
    // A paragraph's characters; '?' for anything else.
    std::string Text(int32_t paragraph = 1) {
        return LineText(*Page().GetAt(paragraph)->GetList(1));
    }
    QString UndoText() {
        Router().UpdateAll();
        return Action(cmd::kEditUndo)->text();
    }
    // The selection as gap indices in its list.
    std::pair<int32_t, int32_t> Selected() {
        const DocRange range = view->GetSelection();
        return {range.start.index, range.end.index};
    }
    // Where the caret stands before character `index` of the first paragraph, in the viewport.
    QPoint CaretPoint(int32_t index) {
        DocPos pos;
        pos.SetAt(Page().GetAt(1)->GetList(1), index);
        const Rect caret = pos.CaretRect();
        const Point scroll = view->ScrollOffset();
        return QPoint(caret.left - scroll.x, (caret.top + caret.bottom) / 2 - scroll.y);
    }
    // Dark pixels of the view's image inside the selection's box.
    int DarkPixelsInSelection() {
        const Rect box = view->GetSelection().GetBounds();
        const Point scroll = view->ScrollOffset();
        const QImage image = view->BackingImage();
        int dark = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                if (qGray(image.pixel(x - scroll.x, y - scroll.y)) < 96) ++dark;
        return dark;
    }

    TessaryView* view = nullptr;
};

TEST_F(ViewEditingTest, TypingIsOneUndoStepAndUndoAndRedoMarkTheDocumentModified) {
    EXPECT_FALSE(Action(cmd::kEditUndo)->isEnabled());
    QTest::keyClicks(view, "abc");
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(UndoText(), QStringLiteral("Undo typing"));
    EXPECT_TRUE(Doc().IsModified());

    // Saved, then undone: the document differs from the file again.
    Doc().SetModifiedFlag(false);
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(UndoText(), QStringLiteral("Redo typing"));
    EXPECT_TRUE(Doc().IsModified());

    Doc().SetModifiedFlag(false);
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(UndoText(), QStringLiteral("Undo typing"));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(Action(cmd::kEditUndo)->isEnabled());
}

TEST_F(ViewEditingTest, AnArrowKeyEndsTheTypingRun) {
    QTest::keyClicks(view, "ab");
    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClicks(view, "xy");
    EXPECT_EQ(Text(), "axyb");
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "ab") << "only the run after the arrow is undone";
    EXPECT_EQ(Selected(), std::make_pair(2, 2));
}

// A selection that a command moves ends the typing run as a mouse selection does: the next
// characters replace what is selected, in one undoable step, where the user now looks.
TEST_F(ViewEditingTest, TypingAfterACommandMovedTheSelectionReplacesIt) {
    struct Case {
        const char* name;
        std::function<void()> select;
        std::string typed;
        std::pair<int32_t, int32_t> undone; // the selection Undo gives back
    };
    const Case cases[] = {
        {"Select All by its key",
         [&] { QTest::keyClick(frame, Qt::Key_A, Qt::ControlModifier); },
         "z",
         {1, 4}},
        {"Select All from the menu", [&] { Router().Run(cmd::kSelectAll); }, "z", {1, 4}},
        {"the caret placed by the document",
         [&] {
             DocPos at;
             at.SetAt(Page().GetAt(1)->GetList(1), 2);
             frame->ActiveChild()->Host().SelectPosition(at);
         },
         "azbc",
         {2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument();
        QTest::keyClicks(view, "abc");
        c.select();
        QTest::keyClicks(view, "z");
        EXPECT_EQ(Text(), c.typed);
        EXPECT_EQ(UndoText(), QStringLiteral("Undo typing"));
        ASSERT_TRUE(Router().Run(cmd::kEditUndo));
        EXPECT_EQ(Text(), "abc") << "only the replacing run is undone";
        EXPECT_EQ(Selected(), c.undone);
    }
}

TEST_F(ViewEditingTest, BackspaceDeleteAndReturnEditAndUndo) {
    QTest::keyClicks(view, "abcd");
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(UndoText(), QStringLiteral("Undo delete"));
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "abcd");

    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_Left);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(Page().GetCount(), 2);
    EXPECT_EQ(Text(1), "ab");
    EXPECT_EQ(Text(2), "cd");
    EXPECT_EQ(UndoText(), QStringLiteral("Undo new paragraph"));
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Page().GetCount(), 1);
    EXPECT_EQ(Text(), "abcd");
}

struct KeySelectionCase {
    const char* name;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    std::pair<int32_t, int32_t> selected; // gap indices in "abcd"
};

TEST_F(ViewEditingTest, ShiftWithTheMovementKeysSelects) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const KeySelectionCase cases[] = {
        {"Shift+Left twice from the end", {{Qt::Key_Left, shift}, {Qt::Key_Left, shift}}, {3, 5}},
        {"Shift+Home selects to the line's start", {{Qt::Key_Home, shift}}, {1, 5}},
        {"Home, then Shift+Right", {{Qt::Key_Home, none}, {Qt::Key_Right, shift}}, {1, 2}},
        {"Home, then Shift+End", {{Qt::Key_Home, none}, {Qt::Key_End, shift}}, {1, 5}},
        {"Ctrl+Shift+Home selects to the document's start",
         {{Qt::Key_Home, shift | Qt::ControlModifier}},
         {1, 5}},
        {"Shift+Right, then Shift+Left grows the other end",
         {{Qt::Key_Home, none},
          {Qt::Key_Right, none},
          {Qt::Key_Right, shift},
          {Qt::Key_Left, shift}},
         {1, 3}},
        {"Right after a selection leaves the caret after it",
         {{Qt::Key_Home, none},
          {Qt::Key_Right, shift},
          {Qt::Key_Right, shift},
          {Qt::Key_Right, none}},
         {4, 4}},
        {"Ctrl+Home moves without selecting", {{Qt::Key_Home, Qt::ControlModifier}}, {1, 1}},
    };
    QTest::keyClicks(view, "abcd");
    for (const KeySelectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        for (const auto& [key, mods] : c.keys)
            QTest::keyClick(view, key, mods);
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(Text(), "abcd") << "moving never edits";
    }
    // Typing replaces a selection, and one undo brings it back.
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(view, "X");
    EXPECT_EQ(Text(), "abX");
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(), "abcd");
}

TEST_F(ViewEditingTest, DraggingTheMouseSelectsAndAClickPlacesTheCaret) {
    QTest::keyClicks(view, "hello world");
    QWidget* surface = view->viewport();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(2) + QPoint(1, 0));
    QTest::mouseMove(surface, CaretPoint(5) + QPoint(1, 0));
    EXPECT_EQ(Selected(), std::make_pair(2, 5)) << "the selection follows the drag";
    QTest::mouseMove(surface, CaretPoint(8) + QPoint(1, 0));
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(8) + QPoint(1, 0));
    EXPECT_EQ(Selected(), std::make_pair(2, 8));

    // Dragging leftwards from the anchor selects the same way round.
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(9) + QPoint(1, 0));
    QTest::mouseMove(surface, CaretPoint(4) + QPoint(1, 0));
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(4) + QPoint(1, 0));
    EXPECT_EQ(Selected(), std::make_pair(4, 9));

    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(3) + QPoint(1, 0));
    EXPECT_EQ(Selected(), std::make_pair(3, 3));
    QTest::keyClicks(view, "Z");
    EXPECT_EQ(Text(), "heZllo world") << "typing goes where the click put the caret";
}

TEST_F(ViewEditingTest, ADoubleClickSelectsTheWord) {
    QTest::keyClicks(view, "hello world");
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                       CaretPoint(9) + QPoint(1, 0));
    const auto [from, to] = Selected();
    EXPECT_LE(from, 7);
    EXPECT_GE(to, 12);
    EXPECT_GT(from, 5) << "the word, not the line";
}

TEST_F(ViewEditingTest, DraggingBelowTheWindowScrollsALinePerMove) {
    for (int i = 0; i < 60; ++i) {
        QTest::keyClicks(view, "line");
        QTest::keyClick(view, Qt::Key_Return);
    }
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(0);
    QWidget* surface = view->viewport();
    const QPoint below(40, surface->height() + 20);
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
    QTest::mouseMove(surface, below);
    EXPECT_EQ(bar->value(), bar->singleStep());
    QTest::mouseMove(surface, below + QPoint(0, 1));
    EXPECT_EQ(bar->value(), 2 * bar->singleStep());
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, below + QPoint(0, 1));
    EXPECT_TRUE(view->GetSelection().HasExtent());
    EXPECT_FALSE(view->GetSelection().InOneParagraph()) << "the drag reached down the page";
}

TEST_F(ViewEditingTest, TheHighlightIsInvertedWithTheFocusAndFramedWithout) {
    Router().Run(cmd::kParaTitle + 3); // Paragraph: plain text, clear glyphs
    QTest::keyClicks(view, "mmmm");
    QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
    ASSERT_TRUE(view->hasFocus());
    EXPECT_EQ(view->Highlight().GetMode(), SelHighlight::kActive);
    const int active = DarkPixelsInSelection();
    EXPECT_TRUE(view->BackingImage()
                    .copy(0, 0, 300, 80)
                    .save(OutputPath(QStringLiteral("selection-active.png"))));

    auto* elsewhere = new QLineEdit(frame);
    elsewhere->show();
    elsewhere->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->Highlight().GetMode(), SelHighlight::kInactive);
    const int inactive = DarkPixelsInSelection();
    EXPECT_TRUE(view->BackingImage()
                    .copy(0, 0, 300, 80)
                    .save(OutputPath(QStringLiteral("selection-inactive.png"))));
    // Inverted, the box is mostly dark; framed, only the glyphs are.
    EXPECT_GT(active, 2 * inactive);
    EXPECT_GT(inactive, 0);

    view->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->Highlight().GetMode(), SelHighlight::kActive);
    EXPECT_EQ(DarkPixelsInSelection(), active);
    delete elsewhere;
}

// What the window repaints, as its paint events ask for it.
class Repaints final : public QObject {
public:
    explicit Repaints(QWidget& widget) : m_widget(widget) {
        QCoreApplication::processEvents();
        widget.installEventFilter(this);
    }
    ~Repaints() override { m_widget.removeEventFilter(this); }
    // The rectangles painted since the last look, after the pending paints.
    std::vector<QRect> Take() {
        QCoreApplication::processEvents();
        return std::exchange(m_painted, {});
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            m_painted.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }

private:
    QWidget& m_widget;
    std::vector<QRect> m_painted;
};

// In a long document, a moved caret, a selection grown by a key and each move of a selecting
// drag repaint where the highlight changed, not the whole window; a button held still repaints
// nothing.
TEST_F(ViewEditingTest, MovingTheSelectionRepaintsOnlyWhereItChanged) {
    for (int i = 0; i < 60; ++i) {
        QTest::keyClicks(view, "a line of text");
        QTest::keyClick(view, Qt::Key_Return);
    }
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QWidget* surface = view->viewport();
    const int window = surface->width() * surface->height();
    ASSERT_GT(window, 0);
    Repaints repaints(*surface);
    const auto expectSmall = [&](const char* step) {
        SCOPED_TRACE(step);
        const std::vector<QRect> painted = repaints.Take();
        EXPECT_FALSE(painted.empty()) << "the change is not on the screen";
        for (const QRect& rect : painted)
            EXPECT_LT(rect.width() * rect.height(), window / 20)
                << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
    };
    QTest::keyClick(view, Qt::Key_Right);
    expectSmall("a caret moved");
    QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
    expectSmall("a selection grown");
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(2) + QPoint(1, 0));
    expectSmall("a press");
    QTest::mouseMove(surface, CaretPoint(6) + QPoint(1, 0));
    expectSmall("a drag's move");
    QTest::qWait(350);
    EXPECT_TRUE(repaints.Take().empty()) << "the button held still";
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, CaretPoint(6) + QPoint(1, 0));
    EXPECT_EQ(Selected(), std::make_pair(2, 6));
}

// Selecting "a" of "a+b" inverts "a" alone on the screen, in a line of text and in a box's list
// alike, and only "a" is the selection that a press would drag.
TEST_F(ViewEditingTest, TheHighlightCoversExactlyTheSelectedComponents) {
    const struct {
        const char* name;
        bool inFraction;
    } cases[] = {{"a line of text", false}, {"a fraction's numerator", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument();
        Router().Run(cmd::kParaTitle + 3); // Paragraph
        if (c.inFraction) ASSERT_TRUE(Router().Run(cmd::kElementFraction));
        QTest::keyClicks(view, "a+b");
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        const DocRange selection = view->GetSelection();
        ASSERT_EQ(selection.end.index, selection.start.index + 1);
        CompList& list = *selection.start.GetList();
        ASSERT_EQ(list.GetCount(), 3);

        const QImage screen = view->viewport()->grab().toImage();
        EXPECT_TRUE(
            screen.copy(0, 0, 400, 120)
                .save(OutputPath(QStringLiteral("highlight-%1.png").arg(c.inFraction ? 2 : 1))));
        const Point scroll = view->ScrollOffset();
        // The share of dark pixels inside character i's rectangle: inverted, most of it.
        auto darkShare = [&](int32_t i) {
            const Rect r = list.GetCaretRect(i);
            int dark = 0, all = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x, ++all)
                    if (qGray(screen.pixel(x - scroll.x, y - scroll.y)) < 128) ++dark;
            return all > 0 ? double(dark) / all : -1.0;
        };
        EXPECT_GT(darkShare(1), 0.6) << "a";
        EXPECT_LT(darkShare(2), 0.4) << "+";
        EXPECT_LT(darkShare(3), 0.4) << "b";
        auto middle = [&](int32_t i) {
            const Rect r = list.GetCaretRect(i);
            return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        };
        EXPECT_TRUE(selection.ContainsPoint(middle(1)));
        EXPECT_FALSE(selection.ContainsPoint(middle(2))) << "a press on + is no drag";
    }
}

// A blank typed right after a link or a picture goes on in the face of the text around it: plain
// in a paragraph of text, so that the paragraph still exports as text; math in an equation.
TEST_F(ViewEditingTest, TypingAfterALinkOrAPictureContinuesTheText) {
    const std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>";
    const struct {
        const char* name;
        int32_t paraStyle;
        bool picture;
        int32_t face; // of the blank typed after it
    } cases[] = {
        {"a link in text", ParaStyle::kParagraph, false, 0},
        {"a picture in text", ParaStyle::kParagraph, true, 0},
        {"a link in an equation", ParaStyle::kPlainEquation, false, 3},
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument();
        ASSERT_TRUE(Router().Run(cmd::kParaTitle + c.paraStyle));
        QTest::keyClicks(view, "see");
        {
            // In through the Link command, with what its dialog (or a paste) would give.
            auto given = ElementBuilders::Instance().Register(cmd::kElementLink, [&](BaseView&) {
                if (c.picture)
                    return OwnedComponent(new MetaPictComp(PictureBytes(svg.begin(), svg.end())));
                return OwnedComponent(new LinkComp(Str255("a.tsy"), Str255("a"), true));
            });
            ASSERT_TRUE(Router().Run(cmd::kElementLink));
        }
        QTest::keyClick(view, Qt::Key_Space);
        const CompList& line = *Page().GetAt(1)->GetList(1);
        ASSERT_EQ(line.GetCount(), 5);
        ASSERT_EQ(line.GetAt(5)->GetCharCode(), ' ');
        EXPECT_EQ(line.GetAt(5)->GetStyleId(), c.face);
        if (c.face != 0) continue;

        // Exported as XHTML, as the File menu does it.
        const std::string path = folder.filePath(QStringLiteral("typed.xml")).toStdString();
        QFile::remove(QString::fromStdString(path));
        frame->ActiveChild()->Host().askSaveFileName = [&](const std::string&) { return path; };
        messages.clear();
        Router().Run(cmd::kExportMathMl);
        EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
        EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
    }
}

TEST_F(ViewEditingTest, FormatCommandsStyleParagraphsAndText) {
    QTest::keyClicks(view, "ab");
    Doc().SetModifiedFlag(false);
    ASSERT_TRUE(Router().Run(cmd::kParaTitle + 1)); // Section
    EXPECT_EQ(Page().GetAt(1)->GetStyle().GetKind(), 1);
    EXPECT_TRUE(Doc().IsModified());
    Router().UpdateAll();
    EXPECT_TRUE(Action(cmd::kParaTitle + 1)->isChecked());
    EXPECT_FALSE(Action(cmd::kParaPlainEquation)->isChecked());
    EXPECT_EQ(UndoText(), QStringLiteral("Can't undo"));
    EXPECT_FALSE(Action(cmd::kEditUndo)->isEnabled());

    // Bold at the caret: what is typed next is bold, and Bold shows checked meanwhile.
    ASSERT_TRUE(Router().Run(cmd::kTextPlain + 2));
    Router().UpdateAll();
    EXPECT_TRUE(Action(cmd::kTextPlain + 2)->isChecked());
    QTest::keyClicks(view, "c");
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(Page().GetAt(1)->GetList(1)->GetAt(3)->GetStyleId(), 2);
    // Typed while the paragraph was the new document's equation: math, and left so.
    EXPECT_EQ(Page().GetAt(1)->GetList(1)->GetAt(1)->GetStyleId(), 3);
}

TEST_F(ViewEditingTest, SymbolsTypeMathCharactersAsOneTypingStep) {
    const int32_t first = SymbolsBarOrder()[0];
    const int32_t second = SymbolsBarOrder()[1];
    ASSERT_TRUE(Router().Run(first));
    ASSERT_TRUE(Router().Run(second));
    const CompList& list = *Page().GetAt(1)->GetList(1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(1)->GetCharCode(), SymbolCode(first));
    EXPECT_EQ(list.GetAt(2)->GetCharCode(), SymbolCode(second));
    EXPECT_EQ(UndoText(), QStringLiteral("Undo typing"));
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(list.GetCount(), 0) << "both symbols were one step";
}

TEST_F(ViewEditingTest, AnElementCommandInsertsItsBoxAsOneUndoableStep) {
    QTest::keyClicks(view, "x");
    Doc().SetModifiedFlag(false);
    ASSERT_TRUE(Router().Run(cmd::kElementFraction));
    const CompList& list = *Page().GetAt(1)->GetList(1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(2)->GetTypeTag(), tags::Fraction);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(UndoText(), QStringLiteral("Undo create object"));
    const int32_t emptyWidth = list.GetAt(2)->GetBounds().Width();
    QTest::keyClicks(view, "12345");
    EXPECT_EQ(list.GetCount(), 2) << "typing goes into the new box";
    ASSERT_EQ(list.GetAt(2)->GetList(1)->GetCount(), 5);
    EXPECT_EQ(list.GetAt(2)->GetList(1)->GetAt(1)->GetCharCode(), '1');
    EXPECT_GT(list.GetAt(2)->GetBounds().Width(), emptyWidth) << "the box is laid out again";
}

// Insert Row, Insert Column and Insert Derivative are offered only where the box around the
// caret takes them, and each grows that box as one undoable step.
TEST_F(ViewEditingTest, InsertCommandsGrowTheGridOrDerivativeAtTheCaret) {
    auto* grid = new MatrixBox(2, 2);
    auto* derivative = new PartialDerivativeBox();
    CompList& line = *Page().GetAt(1)->GetList(1);
    line.Append(grid);
    line.Append(derivative);
    view->Relayout();
    auto shape = [&] {
        return std::to_string(grid->GetColumnCount()) + "x" + std::to_string(grid->GetRowCount()) +
               " " + std::to_string(derivative->GetDifferentialCount());
    };
    const struct {
        const char* name;
        std::function<void(DocPos&)> place;
        int32_t command;
        const char* grown;
        const char* undoText;
    } cases[] = {
        {"a row boundary", [&](DocPos& p) { p.SetOnGrid(grid, 3, false); }, cmd::kInsertRow,
         "2x3 1", "Undo insert row"},
        {"a column boundary", [&](DocPos& p) { p.SetOnGrid(grid, 2, true); }, cmd::kInsertColumn,
         "3x2 1", "Undo insert column"},
        {"a variable of the derivative", [&](DocPos& p) { p.SetInComponent(derivative, 1); },
         cmd::kInsertDerivative, "2x2 2", "Undo insert derivative"},
    };
    const int32_t commands[] = {cmd::kInsertRow, cmd::kInsertColumn, cmd::kInsertDerivative};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocPos at;
        c.place(at);
        view->SelectPosition(at);
        for (int32_t command : commands)
            EXPECT_EQ(State(command).enabled, command == c.command) << command;
        ASSERT_TRUE(Router().Run(c.command));
        EXPECT_EQ(shape(), c.grown);
        EXPECT_EQ(UndoText(), QString::fromLatin1(c.undoText));
        ASSERT_TRUE(Router().Run(cmd::kEditUndo));
        EXPECT_EQ(shape(), "2x2 1");
    }
    // In plain text none of them is offered.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    for (int32_t command : commands)
        EXPECT_FALSE(State(command).enabled) << command;
}

TEST_F(ViewEditingTest, NothingIsTypedOrDraggedWhileACalculationRuns) {
    session->connected = true;
    session->busy = true;
    QTest::keyClicks(view, "ab");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
    session->busy = false;
    EXPECT_EQ(Text(), "");
    EXPECT_FALSE(Doc().IsModified());
    QTest::keyClicks(view, "ab");
    EXPECT_EQ(Text(), "ab");
}

TEST_F(ViewEditingTest, EditorWithEveryParagraphStyleIsGrabbedForALook) {
    const char* texts[] = {"A Title",      "A Section", "A Heading", "A paragraph of text",
                           "A list entry", "x+y=z",     "a*b = b*a", "f(x) := x^2"};
    for (int32_t style = 0; style < 8; ++style) {
        if (style > 0) QTest::keyClick(view, Qt::Key_Return);
        ASSERT_TRUE(Router().Run(cmd::kParaTitle + style));
        QTest::keyClicks(view, texts[style]);
        if (style == 5) {
            // A fraction in the plain equation, so that the picture shows a box too.
            QTest::keyClicks(view, "+");
            ASSERT_TRUE(Router().Run(cmd::kElementFraction));
            QTest::keyClicks(view, "1");
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClicks(view, "n");
            QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        }
    }
    ASSERT_EQ(Page().GetCount(), 8);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(view->GetSelection().HasExtent());
    QCoreApplication::processEvents();
    const QImage image = frame->grab().toImage();
    EXPECT_TRUE(image.save(OutputPath(QStringLiteral("editor-styles.png"))));
}

} // namespace
