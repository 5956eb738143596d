// Documents through the document class: new, save, open, the recent files, closing a modified
// document, printing to PDF, and a picture of the editor with every paragraph style.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentPrinter.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "app/tests/ShellFixture.h"
#include "document/CompSequence.h"
#include "document/DrawPort.h"
#include "document/MemoryStream.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "mathbox/PaintPort.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace shelltest;

namespace {

constexpr const char* kStyleTexts[8] = {
    "Notes on Series",
    "Convergence",
    "The ratio test",
    "A series converges when the ratio of its terms stays below one.",
    "Absolute convergence implies convergence",
    "a+b=c",
    "x*y=z",
    "Sum[1/n^2, {n, 1, Infinity}]",
};

// Replaces the document's paragraphs by `count` paragraphs cycling through the eight styles.
void FillDocument(ChildFrame& child, int count = 8) {
    auto& body = static_cast<SequenceBody&>(child.Document().GetBody());
    body.Clear();
    for (int i = 0; i < count; ++i) {
        const int style = i % 8;
        body.AppendNewParagraph(style);
        CompSequence& sequence = body.GetSequence();
        MemoryStream text(kStyleTexts[style],
                          static_cast<int32_t>(std::strlen(kStyleTexts[style])));
        sequence.GetAt(sequence.GetCount())->ReadPlainText(text);
    }
    child.View()->TakeBody();
}

// The pixels of text: dark ones.
int DarkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    return dark;
}

std::vector<int32_t> Styles(ChildFrame& child) {
    std::vector<int32_t> styles;
    CompSequence* page = child.View()->Page();
    for (int32_t i = 1; i <= page->GetCount(); ++i)
        styles.push_back(page->GetAt(i)->GetStyle().GetKind());
    return styles;
}

class DocumentFilesTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        frame->show();
        QCoreApplication::processEvents();
    }
    ChildFrame* Child() { return frame->ActiveChild(); }
    QString Path(const char* name) { return folder.filePath(QLatin1String(name)); }
    // Saves the active document under `name` through Save As.
    bool SaveAs(const char* name) {
        const std::string path = Path(name).toStdString();
        Child()->Host().askSaveFileName = [path](const std::string&) { return path; };
        return Child()->SaveAs();
    }

    QTemporaryDir folder;
};

TEST_F(DocumentFilesTest, SavedDocumentOpensAgainWithItsParagraphsAndPlacement) {
    FillDocument(*Child());
    EXPECT_EQ(Styles(*Child()), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    Child()->SetFrameRect(Rect(30, 40, 530, 440));
    Child()->Document().SetModifiedFlag(true);
    ASSERT_TRUE(SaveAs("notes.tsy"));
    EXPECT_EQ(Child()->windowTitle(), QStringLiteral("notes.tsy"));
    EXPECT_FALSE(Child()->Document().IsModified());
    ASSERT_FALSE(app->RecentFiles().isEmpty());
    EXPECT_EQ(app->RecentFiles().first(), Path("notes.tsy"));
    Router().UpdateAll();
    EXPECT_EQ(Action(cmd::kFileMru1)->text(), QStringLiteral("&1 ") + Path("notes.tsy"));
    EXPECT_TRUE(Action(cmd::kFileMru1)->isEnabled());

    ASSERT_TRUE(Child()->close()); // not modified: no question
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->Frames().empty());

    Router().Run(cmd::kFileMru1);
    ASSERT_EQ(frame->Frames().size(), 1u);
    ChildFrame* opened = frame->Frames()[0];
    EXPECT_EQ(opened->windowTitle(), QStringLiteral("notes.tsy"));
    EXPECT_EQ(Styles(*opened), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(opened->GetFrameRect(), Rect(30, 40, 530, 440));
    EXPECT_TRUE(opened->isMaximized());
    EXPECT_FALSE(opened->Document().IsModified());

    // The same file again only activates its window.
    app->askOpenFileName = [this] { return Path("notes.tsy"); };
    Router().Run(cmd::kFileOpen);
    EXPECT_EQ(frame->Frames().size(), 1u);
}

TEST_F(DocumentFilesTest, DamagedOrMissingFileOpensNoWindowAndSaysWhy) {
    QFile damaged(Path("damaged.tsy"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x78\x05\x00\x00\x03\x00\x02\x00", 8); // a header cut short
    damaged.close();
    // No document at all: its counts are negative.
    const QByteArray noise(64, '\xF7');
    QFile noiseFile(Path("noise.tsy"));
    ASSERT_TRUE(noiseFile.open(QIODevice::WriteOnly));
    noiseFile.write(noise);
    noiseFile.close();
    const size_t before = frame->Frames().size();
    for (const char* name : {"damaged.tsy", "missing.tsy", "noise.tsy"}) {
        SCOPED_TRACE(name);
        messages.clear();
        EXPECT_EQ(app->OpenDocument(Path(name)), nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(frame->Frames().size(), before);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Failed to open document")));
    }
    QFile kept(Path("noise.tsy"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), noise);
}

// What a person sees of the document windows.
struct WindowsSeen {
    QString mainTitle;
    ChildFrame* active = nullptr;
    std::vector<bool> maximised;
    QWidget* focus = nullptr;
    bool operator==(const WindowsSeen&) const = default;
};

TEST_F(DocumentFilesTest, AFailedOpenLeavesEveryWindowAsItWas) {
    QFile damaged(Path("damaged.tsy"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x78\x05\x00\x00\x03\x00\x02\x00", 8);
    damaged.close();
    QApplication::setActiveWindow(frame);
    app->NewDocument();
    QCoreApplication::processEvents();
    const auto seen = [&] {
        WindowsSeen now{frame->windowTitle(), Child(), {}, QApplication::focusWidget()};
        for (ChildFrame* child : frame->Frames())
            now.maximised.push_back(child->isMaximized());
        return now;
    };
    const WindowsSeen before = seen();
    ASSERT_TRUE(before.mainTitle.contains(QStringLiteral("Untitled 2")))
        << before.mainTitle.toStdString();
    ASSERT_EQ(before.focus, Child()->View());
    for (const char* name : {"damaged.tsy", "missing.tsy"}) {
        SCOPED_TRACE(name);
        messages.clear();
        app->askOpenFileName = [&] { return Path(name); };
        Router().Run(cmd::kFileOpen);
        QCoreApplication::processEvents();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Failed to open document")));
        const WindowsSeen after = seen();
        EXPECT_EQ(after.mainTitle, before.mainTitle);
        EXPECT_EQ(after.active, before.active);
        EXPECT_EQ(after.maximised, before.maximised);
        EXPECT_EQ(after.focus, before.focus);
    }
}

// Exit asks about each modified document in turn, and each is in front while it is asked about.
TEST_F(DocumentFilesTest, ExitBringsEachDocumentItAsksAboutToTheFront) {
    ChildFrame* first = Child();
    Router().Run(cmd::kSize12); // modifies it
    ChildFrame* second = app->NewDocument();
    Router().Run(cmd::kSize12);
    ASSERT_EQ(Child(), second);
    std::vector<std::pair<ChildFrame*, ChildFrame*>> asked; // about, in front
    for (ChildFrame* child : {first, second}) {
        child->askSaveChanges = [&, child](const QString&) {
            asked.emplace_back(child, Child());
            // Keep the second one, so the program stays for the rest of the test.
            return child == first ? QMessageBox::No : QMessageBox::Cancel;
        };
    }
    Router().Run(cmd::kAppExit);
    QCoreApplication::processEvents();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(first, first));
    EXPECT_EQ(asked[1], std::make_pair(second, second));
    EXPECT_TRUE(frame->isVisible());
    second->askSaveChanges = [](const QString&) { return QMessageBox::No; };
}

struct CloseRow {
    const char* name;
    QMessageBox::StandardButton answer;
    bool saveChosen; // the save dialog picks a file
    bool closes;
};

TEST_F(DocumentFilesTest, ClosingAModifiedDocumentAsksFirst) {
    const CloseRow rows[] = {
        {"cancel keeps it", QMessageBox::Cancel, false, false},
        {"yes, but the save is cancelled", QMessageBox::Yes, false, false},
        {"yes saves and closes", QMessageBox::Yes, true, true},
        {"no closes without saving", QMessageBox::No, false, true},
    };
    for (const CloseRow& row : rows) {
        SCOPED_TRACE(row.name);
        ChildFrame* child = app->NewDocument();
        Router().Run(cmd::kSize12); // modifies it
        std::vector<QString> questions;
        child->askSaveChanges = [&](const QString& question) {
            questions.push_back(question);
            return row.answer;
        };
        const std::string path = Path("closed.tsy").toStdString();
        QFile::remove(Path("closed.tsy"));
        child->Host().askSaveFileName = [&](const std::string&) -> std::optional<std::string> {
            if (row.saveChosen) return path;
            return std::nullopt;
        };
        const QString title = child->windowTitle();
        EXPECT_EQ(child->close(), row.closes);
        QCoreApplication::processEvents();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(questions[0].startsWith(QStringLiteral("Save changes to Untitled")));
        EXPECT_EQ(QFile::exists(Path("closed.tsy")), row.saveChosen);
        if (!row.closes) {
            // Still modified, with its mark where it was.
            EXPECT_TRUE(child->Document().IsModified());
            EXPECT_EQ(child->windowTitle(), title);
            child->askSaveChanges = [](const QString&) { return QMessageBox::No; };
            child->close();
            QCoreApplication::processEvents();
        }
    }
}

// Pages of a PDF file: its page objects.
int PdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    int pages = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0;
         at = bytes.indexOf("/Type /Page", at + 1))
        if (bytes.mid(at, 12) != "/Type /Pages") ++pages;
    return pages;
}

TEST_F(DocumentFilesTest, PrintsEveryPageToPdfWithItsNumberAndLeavesTheLayerAsItWas) {
    FillDocument(*Child(), 160);
    Child()->Document().GetSettings().firstPage = 5;
    auto* port = dynamic_cast<PaintPort*>(gDrawPort.Get());
    ASSERT_NE(port, nullptr);
    const int32_t depth = port->GetDepth();
    const int32_t bottom = Child()->View()->Page()->GetLaidOutBottom();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("printed.pdf"));
    const int32_t pages = PrintDocumentView(*Child()->View(), printer);
    EXPECT_GT(pages, 2);
    EXPECT_EQ(PdfPages(Path("printed.pdf")), pages);
    EXPECT_EQ(port->GetDepth(), depth);
    // The screen layout is back.
    EXPECT_EQ(Child()->View()->Page()->GetLaidOutBottom(), bottom);

    // A range chosen in the print dialog prints only those pages.
    QPrinter range(QPrinter::HighResolution);
    range.setOutputFormat(QPrinter::PdfFormat);
    range.setOutputFileName(Path("range.pdf"));
    range.setFromTo(2, 3);
    EXPECT_EQ(PrintDocumentView(*Child()->View(), range), 2);
    EXPECT_EQ(PdfPages(Path("range.pdf")), 2);

    // The first page's foot shows "5" in the middle: rendered by Ghostscript where there is one.
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty()) GTEST_SKIP() << "no Ghostscript to look at the page";
    const QString picture = OutputPath(QStringLiteral("printed-page-1.png"));
    QProcess render;
    render.start(gs,
                 {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pnggray", "-r50",
                  "-dFirstPage=1", "-dLastPage=1", "-sOutputFile=" + picture, Path("printed.pdf")});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QImage page(picture);
    ASSERT_FALSE(page.isNull());
    // Ink in the bottom band: only around the centre.
    const int top = page.height() * 90 / 100;
    int left = page.width(), right = -1;
    for (int y = top; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "no page number";
    EXPECT_NEAR((left + right) / 2.0, page.width() / 2.0, page.width() * 0.03);
    EXPECT_LT(right - left, page.width() / 20);
}

TEST_F(DocumentFilesTest, CommandLinePrintsAnExistingDocumentWithoutAWindow) {
    FillDocument(*Child());
    ASSERT_TRUE(SaveAs("print-me.tsy"));
    TessaryApp printing;
    printing.SetMessageSink([](const QString&) {});
    printing.printTo = [this](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("command-line.pdf"));
    };
    EXPECT_FALSE(printing.InitInstance({"-p", Path("print-me.tsy")}));
    EXPECT_EQ(printing.ExitCode(), 0);
    EXPECT_EQ(printing.MainWindow(), nullptr);
    EXPECT_GE(PdfPages(Path("command-line.pdf")), 1);
    EXPECT_EQ(printing.ExitInstance(), 0);
}

// A printer that cannot be drawn on prints nothing: from the command line that is a failure
// with a message naming the document, and from the window a message too.
TEST_F(DocumentFilesTest, APrinterThatCannotPrintIsAFailureNotASuccess) {
    FillDocument(*Child());
    ASSERT_TRUE(SaveAs("print-me.tsy"));
    const auto unusable = [this](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("no/such/folder/out.pdf"));
    };
    std::vector<QString> said;
    TessaryApp printing;
    printing.SetMessageSink([&](const QString& text) { said.push_back(text); });
    printing.printTo = unusable;
    EXPECT_FALSE(printing.InitInstance({"-p", Path("print-me.tsy")}));
    EXPECT_EQ(printing.ExitCode(), 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_TRUE(said[0].contains(Path("print-me.tsy"))) << said[0].toStdString();
    EXPECT_EQ(printing.ExitInstance(), 1);

    QPrinter printer;
    unusable(printer);
    EXPECT_EQ(PrintDocumentView(*Child()->View(), printer), 0);
}

// `tessary -p` on a machine without a printer, as a person runs it: the one line on stderr
// says so plainly, and the program ends with a failure. No print server answers, so the
// system knows no printer; the session's runtime folder is there, as a desktop gives it.
TEST_F(DocumentFilesTest, CommandLinePrintWithoutAPrinterSaysSoAndNothingElse) {
    FillDocument(*Child());
    ASSERT_TRUE(SaveAs("print-me.tsy"));
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("CUPS_SERVER"), Path("no-print-server"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       QStringLiteral("suppressions=" TESSARY_SOURCE_DIR "/testing/lsan.supp"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TESSARY_PROGRAM), {QStringLiteral("-p"), Path("print-me.tsy")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError().toStdString(),
              QStringLiteral("tessary: Tessary could not print the document \"%1\": no printer is "
                             "available.\n")
                  .arg(Path("print-me.tsy"))
                  .toStdString());
}

TEST_F(DocumentFilesTest, LongDocumentScrollsByPagesOverItsWholeHeight) {
    FillDocument(*Child(), 80);
    BaseView* view = Child()->View();
    QScrollBar* bar = view->verticalScrollBar();
    // What is not laid out yet counts as tall as the rest on average.
    const int32_t bottom = view->Page()->GetExtent();
    EXPECT_EQ(bar->maximum(), bottom - view->viewport()->height());
    // A page is the client height less a margin of the current point size on each side.
    const int32_t margin = gDrawPort->GetPointSize() * gDrawPort->GetResolutionY() / 72;
    EXPECT_EQ(bar->pageStep(), view->viewport()->height() - 2 * margin);
    QTest::keyClick(view, Qt::Key_PageDown);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(bar->value(), 2 * bar->pageStep());
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), bar->pageStep());
    // The shown part is drawn where it lies: the backing image has text after scrolling.
    EXPECT_GT(DarkPixels(view->BackingImage()), 500);
}

// A long document is laid out down to a screen below what is shown, further as it is scrolled,
// and wholly once the caret goes to its end; pieced together so, it stands as a layout of the
// whole at once would.
TEST_F(DocumentFilesTest, ALongDocumentIsLaidOutAsFarAsItIsShown) {
    FillDocument(*Child(), 400);
    BaseView* view = Child()->View();
    CompSequence& page = *view->Page();
    QScrollBar* bar = view->verticalScrollBar();
    const int32_t height = view->viewport()->height();
    ASSERT_TRUE(page.HasDeferred());
    const int32_t shown = page.GetLaidOutBottom();
    EXPECT_GE(shown, 2 * height);
    EXPECT_EQ(bar->maximum(), page.GetExtent() - height);

    for (int k = 0; k < 4; ++k)
        QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_GE(page.GetLaidOutBottom(), bar->value() + 2 * height);
    EXPECT_GT(page.GetLaidOutBottom(), shown);
    EXPECT_GT(DarkPixels(view->BackingImage()), 500);

    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_FALSE(page.HasDeferred());
    EXPECT_EQ(bar->maximum(), page.GetLaidOutBottom() - height);
    const Rect caret = view->GetSelection().GetBounds();
    const Rect visible = view->GetVisibleRect();
    EXPECT_GE(caret.top, visible.top);
    EXPECT_LE(caret.bottom, visible.bottom);

    std::vector<Rect> pieced;
    for (int32_t k = 1; k <= page.GetCount(); ++k)
        pieced.push_back(page.GetAt(k)->GetFrame());
    const int32_t bottom = page.GetLaidOutBottom();
    view->Relayout();
    ASSERT_FALSE(page.HasDeferred()) << "shown at the end, the whole document is laid out";
    for (int32_t k = 1; k <= page.GetCount(); ++k)
        EXPECT_EQ(pieced[static_cast<size_t>(k - 1)], page.GetAt(k)->GetFrame()) << k;
    EXPECT_EQ(bottom, page.GetLaidOutBottom());
}

// An opened document keeps the characters of what it has not shown packed: laid out at last,
// they stand as those of the document that was saved, and saved again they give its bytes.
TEST_F(DocumentFilesTest, AnOpenedLongDocumentUnpacksOnlyWhatItShows) {
    FillDocument(*Child(), 400);
    QTest::keyClick(Child()->View(), Qt::Key_End, Qt::ControlModifier);
    std::vector<Rect> frames;
    const CompSequence& written = *Child()->View()->Page();
    for (int32_t k = 1; k <= written.GetCount(); ++k)
        frames.push_back(written.GetAt(k)->GetFrame());
    ASSERT_TRUE(SaveAs("long.tsy"));
    ASSERT_TRUE(Child()->close());
    QCoreApplication::processEvents();

    app->askOpenFileName = [this] { return Path("long.tsy"); };
    Router().Run(cmd::kFileOpen);
    ASSERT_EQ(frame->Frames().size(), 1u);
    BaseView* view = Child()->View();
    CompSequence& page = *view->Page();
    ASSERT_EQ(page.GetCount(), 400);
    EXPECT_FALSE(page.GetAt(1)->GetList(1)->IsPacked());
    EXPECT_TRUE(page.GetAt(400)->GetList(1)->IsPacked());
    EXPECT_EQ(page.GetAt(400)->GetList(1)->GetCount(),
              static_cast<int32_t>(std::strlen(kStyleTexts[399 % 8])));

    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    for (int32_t k = 1; k <= page.GetCount(); ++k)
        EXPECT_EQ(frames[static_cast<size_t>(k - 1)], page.GetAt(k)->GetFrame()) << k;

    ASSERT_TRUE(SaveAs("again.tsy"));
    QFile before(Path("long.tsy"));
    QFile after(Path("again.tsy"));
    ASSERT_TRUE(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
    EXPECT_EQ(before.readAll(), after.readAll());
}

TEST_F(DocumentFilesTest, EditorWithEveryParagraphStyleIsGrabbedForALook) {
    FillDocument(*Child());
    QCoreApplication::processEvents();
    const QImage image = frame->grab().toImage();
    EXPECT_TRUE(image.save(OutputPath(QStringLiteral("main-window-every-style.png"))));
    // The page has text on it: dark pixels inside the view.
    EXPECT_GT(DarkPixels(Child()->View()->viewport()->grab().toImage()), 500);
}

} // namespace
