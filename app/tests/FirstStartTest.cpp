// The editor as it first appears: which commands are enabled, checked and what they read, the
// toolbar's buttons in order, the Symbols bar, the menus; and a picture of the main window.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/UprightNames.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace shelltest;

namespace {

struct Expected {
    const char* name;
    int32_t id;
    bool enabled;
    bool checked;
    const char* text;
};

// The state right after start-up, with the one new document open and no kernel.
const Expected kFirstStart[] = {
    {"New", cmd::kFileNew, true, false, "&New\tCtrl+N"},
    {"Open", cmd::kFileOpen, true, false, "&Open...\tCtrl+O"},
    {"Close", cmd::kFileClose, true, false, "&Close"},
    {"Save", cmd::kFileSave, true, false, "&Save\tCtrl+S"},
    {"Save As", cmd::kFileSaveAs, true, false, "Save &As..."},
    {"Export LaTeX", cmd::kExportLatex, true, false, "LaTeX..."},
    {"Export HTML", cmd::kExportHtml, true, false, "HTML..."},
    {"Export Notebook", cmd::kExportNotebook, false, false, "Notebook..."},
    {"Print", cmd::kFilePrint, true, false, "&Print...\tCtrl+P"},
    {"Print Preview", cmd::kFilePrintPreview, true, false, "Print Pre&view"},
    {"No recent file", cmd::kFileMru1, false, false, "Recent File"},
    {"Print Setup", cmd::kFilePrintSetup, true, false, "P&rint Setup..."},
    {"Exit", cmd::kAppExit, true, false, "E&xit"},
    {"Undo without an action", cmd::kEditUndo, false, false, "&Undo\tCtrl+Z"},
    {"Cut", cmd::kEditCut, false, false, "Cu&t\tCtrl+X"},
    {"Copy", cmd::kEditCopy, false, false, "&Copy\tCtrl+C"},
    {"Paste", cmd::kEditPaste, false, false, "&Paste\tCtrl+V"},
    {"Copy as Metafile", cmd::kCopyMetafile, false, false, "Copy as Metafile"},
    {"Link Properties without a link", cmd::kLinkProperties, false, false, "Link Properties..."},
    {"Find", cmd::kFind, true, false, "Find..."},
    {"Insert Row", cmd::kInsertRow, false, false, "Insert Ro&w"},
    {"Plot parameters", cmd::kPlotParameters, false, false, "Set Plot Parameters..."},
    {"Plain text", cmd::kTextPlain, true, false, "&Plain\tF7"},
    {"Math at the caret of an empty equation", cmd::kTextPlain + 3, true, true, "&Math\tF10"},
    {"Plain Equation is the new paragraph's style", cmd::kParaPlainEquation, true, true,
     "Plain &Equation\tF5"},
    {"Title", cmd::kParaTitle, true, false, "&Title"},
    {"Source Code", cmd::kParaSourceCode, true, false, "So&urce Code"},
    {"Select All", cmd::kSelectAll, true, false, "Select &All\tCtrl+A"},
    {"Insert Column outside a grid", cmd::kInsertColumn, false, false, "Insert &Column"},
    {"Fraction", cmd::kElementFraction, true, false, "&Fraction\tCtrl+F"},
    {"Double prime", cmd::kElementDoublePrime, true, false, "Dou&ble Prime\tAlt+Shift+'"},
    {"Matrix", cmd::kElementFraction + 12, true, false, "&Matrix\tCtrl+M"},
    {"Split Definition", cmd::kElementFraction + 15, true, false, "Split Defi&nition"},
    {"Link", cmd::kElementLink, true, false, "Lin&k\tCtrl+L"},
    {"10 Point", cmd::kSize10, true, false, "10 Point"},
    {"12 Point", cmd::kSize12, true, false, "12 Point"},
    {"14 Point is the new document's size", cmd::kSize14, true, true, "14 Point"},
    {"18 Point", cmd::kSize18, true, false, "18 Point"},
    {"Larger Equations", cmd::kLargerEquations, true, false, "Larger Equations"},
    {"Text Preferences", cmd::kTextPreferences, true, false, "Text Preferences..."},
    {"Page Numbering", cmd::kPageNumbering, true, false, "Page N&umbering..."},
    {"Start Kernel with no kernel running", cmd::kStartKernel, true, false, "&Start Kernel"},
    {"Quit Kernel", cmd::kQuitKernel, false, false, "&Quit Kernel"},
    {"Evaluate Code", cmd::kEvaluateCode, false, false, "&Evaluate Oskaria Code"},
    // The connection is set while no kernel runs; the other two need one.
    {"Connection Options with no kernel running", cmd::kConnectionOptions, true, false,
     "Connection &Options..."},
    {"Calculation Options", cmd::kCalculationOptions, false, false, "&Calculation Options..."},
    {"Term Ordering", cmd::kTermOrdering, false, false, "&Term Ordering..."},
    {"Toolbar shown", cmd::kViewToolbar, true, true, "&Toolbar"},
    {"Status bar shown", cmd::kViewStatusBar, true, true, "&Status Bar"},
    {"Symbols hidden", cmd::kViewSymbols, true, false, "&Symbols"},
    {"Constants without a palette", cmd::kViewConstants, false, false, "&Constants"},
    {"Cascade", cmd::kWindowCascade, true, false, "&Cascade"},
    {"About", cmd::kAppAbout, true, false, "&About Tessary..."},
    {"Toolbar fraction button", 32791, true, false, "Fraction"},
    {"Toolbar link button", 32811, true, false, "Link"},
    {"First symbol", cmd::kFirstSymbol, true, false, ""},
    {"Last symbol", cmd::kLastSymbol, true, false, ""},
};

// The program as it starts: the session the application makes itself, no kernel running.
class FirstStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfile();
        app.SetMessageSink([](const QString&) {});
        ASSERT_TRUE(app.InitInstance({}));
        frame = app.MainWindow();
        frame->resize(1000, 700);
        frame->Router().UpdateAll();
    }
    void TearDown() override { app.ExitInstance(); }
    TessaryApp app;
    MainFrame* frame = nullptr;
};

TEST_F(FirstStartTest, CommandsAreEnabledCheckedAndReadAsAtStart) {
    for (const Expected& row : kFirstStart) {
        SCOPED_TRACE(row.name);
        QAction* action = frame->Router().Action(row.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->isEnabled(), row.enabled);
        EXPECT_EQ(action->isChecked(), row.checked);
        EXPECT_EQ(action->text(), QString::fromLatin1(row.text));
    }
}

TEST_F(FirstStartTest, EveryMenuCommandExistsAndUnroutedOnesAreDisabled) {
    for (const CommandEntry& entry : MenuCommands()) {
        SCOPED_TRACE(entry.text);
        QAction* action = frame->Router().Action(entry.id);
        ASSERT_NE(action, nullptr);
        if (!frame->Router().Query(entry.id).enabled) {
            EXPECT_FALSE(action->isEnabled());
        }
    }
    EXPECT_EQ(frame->Router().Action(cmd::kEditUndo)->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_TRUE(frame->Router()
                    .Action(cmd::kElementDoublePrime)
                    ->shortcuts()
                    .contains(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_QuoteDbl)));
}

TEST_F(FirstStartTest, ToolbarHoldsTheElementButtonsAndSeparatorsInOrder) {
    QStringList seen;
    for (QAction* action : frame->MainToolBar()->actions())
        seen << (action->isSeparator() ? QStringLiteral("|") : action->data().toString());
    EXPECT_EQ(seen.join(QLatin1Char(' ')),
              QStringLiteral("32791 32792 32793 32794 32795 | 32796 32797 32798 32799 | 32800 "
                             "32801 32802 | 32803 32804 32805 32806 | 32807 32808 | 32809 32810 "
                             "| 32811"));
    EXPECT_EQ(frame->MainToolBar()->windowTitle(), QStringLiteral("Toolbar"));
    for (QAction* action : frame->MainToolBar()->actions())
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull());
        }
}

TEST_F(FirstStartTest, MenusFollowWhetherADocumentIsOpen) {
    QStringList shown;
    for (QAction* action : frame->menuBar()->actions())
        if (action->isVisible()) shown << action->text();
    EXPECT_EQ(shown.join(QLatin1Char(' ')),
              QStringLiteral("&File &Edit F&ormat E&lement &Display &Kernel &View &Window &Help"));

    frame->MdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    shown.clear();
    for (QAction* action : frame->menuBar()->actions())
        if (action->isVisible()) shown << action->text();
    EXPECT_EQ(shown.join(QLatin1Char(' ')), QStringLiteral("&File &View &Help"));
    QStringList file;
    for (QAction* action : frame->Menu(QStringLiteral("&File"))->actions())
        if (action->isVisible() && !action->isSeparator()) file << action->data().toString();
    EXPECT_EQ(file.join(QLatin1Char(' ')), QStringLiteral("57600 57601 57606 57616 57665"));
}

TEST_F(FirstStartTest, ReservedNamesAreKnownFromStartToExit) {
    EXPECT_GT(LookupBuiltinName("Sin"), 0);
    // Typed in an equation, an operator's name is set upright and a variable is not.
    EXPECT_TRUE(IsUprightName("sin"));
    EXPECT_FALSE(IsUprightName("x"));
    app.ExitInstance();
    EXPECT_EQ(LookupBuiltinName("Sin"), 0);
    EXPECT_FALSE(IsUprightName("sin"));
}

TEST_F(FirstStartTest, StartsWithOneUntitledDocumentMaximised) {
    const QList<QMdiSubWindow*> windows = frame->MdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(windows[0]->isMaximized());
    EXPECT_TRUE(frame->MessagePane()->text().isEmpty());
}

TEST_F(FirstStartTest, WindowIsGrabbedForALook) {
    frame->show();
    QCoreApplication::processEvents();
    const QImage image = frame->grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(OutputPath(QStringLiteral("main-window.png"))));

    frame->Router().Run(cmd::kViewSymbols);
    QCoreApplication::processEvents();
    const QImage symbols = frame->SymbolsBar()->grab().toImage();
    EXPECT_TRUE(symbols.save(OutputPath(QStringLiteral("symbols-bar.png"))));
    const QImage toolbar = frame->MainToolBar()->grab().toImage();
    EXPECT_TRUE(toolbar.save(OutputPath(QStringLiteral("main-toolbar.png"))));
}

} // namespace
