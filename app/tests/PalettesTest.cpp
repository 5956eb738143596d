// The Symbols bar and the Constants palette.

#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/ConstantsPalette.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "mathbox/CharTable.h"
#include "mathbox/MathGlyphMap.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGridLayout>
#include <QKeyEvent>
#include <QToolButton>

#include <set>

using namespace shelltest;

namespace {

class PalettesTest : public ShellTest {
protected:
    // The Symbols bar's button that shows `shown`.
    QToolButton* SymbolButton(char32_t shown) {
        for (QToolButton* button : frame->SymbolsBar()->findChildren<QToolButton*>())
            if (button->defaultAction()->data().toInt() == SymbolCommand(shown)) return button;
        return nullptr;
    }
    static std::string Text(const TessaryView* view) {
        return LineText(*view->Page()->GetAt(1)->GetList(1));
    }
};

TEST_F(PalettesTest, SymbolsBarFloatsOnTheRightInRowsOfFourAndStartsHidden) {
    QDockWidget* bar = frame->SymbolsBar();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(Action(cmd::kViewSymbols)->isChecked());
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("Symbols"));
    EXPECT_EQ(bar->allowedAreas(), Qt::RightDockWidgetArea);
    EXPECT_TRUE(bar->isFloating());

    auto* grid = qobject_cast<QGridLayout*>(bar->widget()->layout());
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->count(), 68);
    EXPECT_EQ(grid->columnCount(), kSymbolsPerRow);
    EXPECT_EQ(grid->rowCount(), 17);
    // Row by row in the bar's own order: 32953 is ninth, starting the third row.
    auto idAt = [&](int row, int column) {
        auto* button = qobject_cast<QToolButton*>(grid->itemAtPosition(row, column)->widget());
        return button->defaultAction()->data().toInt();
    };
    EXPECT_EQ(idAt(0, 0), 32901);
    EXPECT_EQ(idAt(2, 0), 32953);
    EXPECT_EQ(idAt(16, 3), 32944);

    Router().Run(cmd::kViewSymbols);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->isFloating());
    EXPECT_EQ(bar->pos(), frame->geometry().topLeft() + QPoint(600, 75));
    EXPECT_TRUE(Action(cmd::kViewSymbols)->isChecked());
    Router().Run(cmd::kViewSymbols);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PalettesTest, SymbolCodesFollowTheCommandIds) {
    const std::pair<int32_t, uint8_t> rows[] = {{32901, 168}, {32909, 255}, {32953, 136},
                                                {32968, 214}, {32900, 0},   {32969, 0}};
    for (auto [id, code] : rows)
        EXPECT_EQ(SymbolCode(id), code) << id;
    std::set<int32_t> ids(SymbolsBarOrder().begin(), SymbolsBarOrder().end());
    EXPECT_EQ(ids.size(), 68u);
    EXPECT_EQ(*ids.begin(), cmd::kFirstSymbol);
    EXPECT_EQ(*ids.rbegin(), cmd::kLastSymbol);
}

TEST_F(PalettesTest, PrintPreviewGivesTheSymbolsBarBackItsVisibility) {
    for (bool shown : {true, false}) {
        frame->SymbolsBar()->setVisible(shown);
        frame->SetPreviewMode(true);
        EXPECT_FALSE(frame->SymbolsBar()->isVisible());
        frame->SetPreviewMode(false);
        EXPECT_EQ(frame->SymbolsBar()->isVisible(), shown);
    }
}

TEST_F(PalettesTest, ConstantsCommandExistsOnlyWithThePalette) {
    EXPECT_FALSE(State(cmd::kViewConstants).enabled);
    frame->CreateConstantsPalette();
    ConstantsPalette* palette = frame->Constants();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->windowTitle(), QStringLiteral("Constants"));
    EXPECT_TRUE(State(cmd::kViewConstants).enabled);
    EXPECT_TRUE(*State(cmd::kViewConstants).checked);

    // Escape hides it; the command shows it again with its checks.
    palette->SetLetterCheck('x', true);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(palette, &escape);
    EXPECT_FALSE(palette->isVisible());
    EXPECT_FALSE(*State(cmd::kViewConstants).checked);
    Router().Run(cmd::kViewConstants);
    EXPECT_TRUE(palette->isVisible());
    EXPECT_TRUE(palette->IsLetterChecked('x'));

    frame->DestroyConstantsPalette();
    EXPECT_EQ(frame->Constants(), nullptr);
    EXPECT_FALSE(State(cmd::kViewConstants).enabled);
}

TEST_F(PalettesTest, PaletteStartsWithTheUsualConstantsChecked) {
    frame->CreateConstantsPalette();
    ConstantsPalette* palette = frame->Constants();
    QString checked;
    for (int32_t id = ConstantsPalette::kFirstId; id <= ConstantsPalette::kLastId; ++id)
        if (palette->Box(id)->isChecked()) checked += QLatin1Char(ConstantsPalette::LetterOfId(id));
    EXPECT_EQ(checked, QStringLiteral("CEIcei"));
    EXPECT_EQ(ConstantsPalette::IdOfLetter('C'), 1004);
    EXPECT_EQ(ConstantsPalette::IdOfLetter('i'), 1036);
    EXPECT_EQ(ConstantsPalette::LetterOfId(1027), 'Z');
    EXPECT_EQ(ConstantsPalette::LetterOfId(1028), 'a');
}

TEST_F(PalettesTest, SetLetterCheckIgnoresWhatIsNoLetter) {
    frame->CreateConstantsPalette();
    ConstantsPalette* palette = frame->Constants();
    for (char c : {'1', '[', '`', '{', '@', '\0'})
        palette->SetLetterCheck(c, true);
    EXPECT_FALSE(palette->IsLetterChecked('A'));
    palette->SetLetterCheck('A', true);
    EXPECT_TRUE(palette->IsLetterChecked('A'));
}

TEST_F(PalettesTest, SymbolsBarTypesIntoTheDocumentWhichKeepsTheKeyboard) {
    TessaryView* view = ShowFocusedView();
    Router().Run(cmd::kViewSymbols);
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame->SymbolsBar()->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), frame) << "the bar showed as the active window";

    QToolButton* pi = SymbolButton(U'\U0001D70B');
    ASSERT_NE(pi, nullptr);
    ClickInto(pi);
    EXPECT_EQ(QApplication::activeWindow(), frame) << "the click left the bar active";
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_TRUE(KeyboardTypes(")"));
    EXPECT_TRUE(KeyboardPresses(Qt::Key_Home, Qt::ShiftModifier));

    const std::string typed = Text(view);
    ASSERT_EQ(typed.size(), 2u) << typed;
    EXPECT_EQ(MathGlyphCodes[static_cast<uint8_t>(typed[0])], U'\U0001D70B');
    EXPECT_EQ(view->Page()->GetAt(1)->GetList(1)->GetAt(1)->GetStyleId(), kMathFontKind);
    EXPECT_EQ(typed[1], ')');
    const DocRange selected = view->GetSelection();
    EXPECT_EQ(std::make_pair(selected.start.index, selected.end.index), std::make_pair(1, 3))
        << "Shift+Home selects what the line holds";
}

TEST_F(PalettesTest, ConstantsPaletteTakesTheKeyboardOnlyWhenClickedInto) {
    TessaryView* view = ShowFocusedView();
    frame->CreateConstantsPalette();
    ConstantsPalette* palette = frame->Constants();
    QCoreApplication::processEvents();
    ASSERT_TRUE(palette->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), frame) << "the palette opened as the active window";
    EXPECT_TRUE(KeyboardTypes("a"));

    // Hidden and shown again from the View menu, it still leaves the keyboard where it is.
    Router().Run(cmd::kViewConstants);
    EXPECT_FALSE(palette->isVisible());
    Router().Run(cmd::kViewConstants);
    QCoreApplication::processEvents();
    EXPECT_TRUE(palette->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), frame);
    EXPECT_TRUE(KeyboardTypes("b"));
    EXPECT_EQ(Text(view), "ab");

    // A click into it gives it the keyboard, as any other window.
    ClickInto(palette);
    EXPECT_EQ(QApplication::activeWindow(), palette);
}

struct ClickRow {
    const char* name;
    bool connected, busy;
    bool reachesKernel;
};

TEST_F(PalettesTest, ClickReachesTheKernelOnlyWhenItIsConnectedAndIdle) {
    frame->CreateConstantsPalette();
    ConstantsPalette* palette = frame->Constants();
    const ClickRow rows[] = {
        {"no kernel", false, false, false},
        {"busy kernel", true, true, false},
        {"idle kernel", true, false, true},
    };
    for (const ClickRow& row : rows) {
        SCOPED_TRACE(row.name);
        session->calls.clear();
        session->connected = row.connected;
        session->busy = row.busy;
        palette->Box(ConstantsPalette::IdOfLetter('E'))->click(); // unchecks E
        EXPECT_EQ(palette->IsLetterChecked('E'), !row.reachesKernel);
        EXPECT_EQ(session->calls, row.reachesKernel ? std::vector<std::string>{"SetConstant(E,0)"}
                                                    : std::vector<std::string>{});
        palette->SetLetterCheck('E', true);
    }
}

} // namespace
