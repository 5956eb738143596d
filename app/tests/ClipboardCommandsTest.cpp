// Cut, Copy, Copy as Metafile and Paste in the running editor over the application's real
// clipboard, which another program (the test) also writes; the text conversions at the Qt side;
// and links made and edited through their dialog.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/LinkDialog.h"
#include "app/QtClipboardPort.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/ClipboardFormat.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "document/TessaryDoc.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/actions/EditActions.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <string>

using namespace shelltest;

namespace {

class ClipboardCommandsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        frame->show();
        QApplication::setActiveWindow(frame);
        view = Activate(frame->ActiveChild());
    }

    TessaryView* Activate(ChildFrame* child) {
        TessaryView* v = child->View();
        v->setFocus();
        QCoreApplication::processEvents();
        Router().UpdateAll();
        return v;
    }
    static QClipboard& Clipboard() { return *QGuiApplication::clipboard(); }
    // A paragraph's characters as text; '?' for anything else.
    static std::string Text(TessaryView* v, int32_t paragraph = 1) {
        return LineText(*v->Page()->GetAt(paragraph)->GetList(1));
    }
    bool Enabled(int32_t id) { return State(id).enabled; }
    void SelectAll() { ASSERT_TRUE(Router().Run(cmd::kSelectAll)); }

    TessaryView* view = nullptr;
};

TEST_F(ClipboardCommandsTest, CopyAndPasteBetweenDocumentsWithUndo) {
    EXPECT_FALSE(Enabled(cmd::kEditCopy));
    EXPECT_FALSE(Enabled(cmd::kEditPaste));
    QTest::keyClicks(view, "x+1");
    SelectAll();
    EXPECT_TRUE(Enabled(cmd::kEditCopy));
    EXPECT_TRUE(Enabled(cmd::kEditCut));
    ASSERT_TRUE(Router().Run(cmd::kEditCopy));
    // Other programs see the text; we keep the private format beside it.
    EXPECT_EQ(Clipboard().text(), QStringLiteral("x+1"));
    ASSERT_NE(Clipboard().mimeData(), nullptr);
    EXPECT_TRUE(Clipboard().mimeData()->hasFormat(clipboard::kPrivateMimeType));

    TessaryView* second = Activate(app->NewDocument());
    ASSERT_NE(second, view);
    EXPECT_FALSE(second->Document().IsModified());
    ASSERT_TRUE(Enabled(cmd::kEditPaste));
    ASSERT_TRUE(Router().Run(cmd::kEditPaste));
    ASSERT_TRUE(Router().Run(cmd::kEditPaste));
    EXPECT_EQ(Text(second), "x+1x+1");
    EXPECT_TRUE(second->Document().IsModified());
    Router().UpdateAll();
    EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo paste"));
    ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    EXPECT_EQ(Text(second), "x+1");

    // Cut in the second document, paste back in the first.
    SelectAll();
    ASSERT_TRUE(Router().Run(cmd::kEditCut));
    EXPECT_EQ(Text(second), "");
    EXPECT_EQ(Clipboard().text(), QStringLiteral("x+1"));
    view = Activate(frame->Frames().front());
    ASSERT_TRUE(Router().Run(cmd::kEditPaste));
    EXPECT_EQ(Text(view), "x+1");
}

TEST_F(ClipboardCommandsTest, TextOfAnotherProgramPastesAsParagraphs) {
    QTest::keyClicks(view, "ab");
    SelectAll();
    ASSERT_TRUE(Router().Run(cmd::kEditCopy));
    // Another program takes the clipboard: its text is pasted, not our cache.
    Clipboard().setText(QStringLiteral("caf\u00e9\r\nline two\nthree"));
    Router().UpdateAll();
    ASSERT_TRUE(Enabled(cmd::kEditPaste));
    ASSERT_TRUE(Router().Run(cmd::kEditPaste));
    ASSERT_EQ(view->Page()->GetCount(), 3);
    EXPECT_EQ(Text(view, 1), "caf\xE9");
    EXPECT_EQ(Text(view, 2), "line two");
    EXPECT_EQ(Text(view, 3), "three");

    // Several paragraphs go out with the platform's line ends.
    SelectAll();
    ASSERT_TRUE(Router().Run(cmd::kEditCopy));
    EXPECT_EQ(Clipboard().text(), QStringLiteral("caf\u00e9\nline two\nthree"));
}

TEST(ClipboardTextTest, LineEndsAndCharactersCrossAtTheQtSide) {
    const struct {
        const char* name;
        std::string program;
        QString platform;
    } both[] = {
        {"one line", "abc", QStringLiteral("abc")},
        {"paragraphs", "a\rb\r", QStringLiteral("a\nb\n")},
        {"code page characters", "\x80 \xE9", QStringLiteral("\u20AC \u00E9")},
    };
    for (const auto& c : both) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clipboard::TextToPlatform(c.program), c.platform);
        EXPECT_EQ(clipboard::TextFromPlatform(c.platform), c.program);
    }
    EXPECT_EQ(clipboard::TextFromPlatform(QStringLiteral("x\r\ny\rz\nw")), "x\ry\rz\rw");
    EXPECT_EQ(clipboard::TextFromPlatform(QStringLiteral("\u2192")), "?");
}

// What another program reads of copied mathematics is what the screen shows: each character of
// the math face and each big operator as its Unicode character (a letter set slanted as the
// plain letter), the program's text as it is. The private format keeps the document's bytes
// exactly as they were (each case's bytes as the program has always written them).
TEST_F(ClipboardCommandsTest, CopiedMathReadsAsShownInThePlatformsText) {
    auto symbols = [&](std::initializer_list<char32_t> shown) {
        for (char32_t glyph : shown)
            ASSERT_TRUE(Router().Run(SymbolCommand(glyph))) << std::hex << uint32_t(glyph);
    };
    // Each character as a key that types it, as a keyboard with that key sends it.
    auto type = [&](const QString& keys) {
        for (QChar key : keys)
            QTest::sendKeyEvent(QTest::Click, view, Qt::Key_unknown, QString(key), Qt::NoModifier);
    };
    auto run = [&](int32_t id) { ASSERT_TRUE(Router().Run(id)) << id; };
    // One paragraph (an equation, as a new document starts) holding a list of characters of the
    // math face, or a box.
    const char* const kEquation = "01000000 03000000 0000 01000000";
    const struct {
        const char* name;
        std::function<void()> build;
        QString shown;
        std::string privateBytes; // hexadecimal
    } cases[] = {
        // alpha, beta and pi show in mathematical italic.
        {"Greek letters",
         [&] {
             symbols({U'\U0001D6FC', U'\U0001D6FD', U'\U0001D70B', U'\u03A3', U'\u03A9'});
         },
         QStringLiteral(u"\u03B1\u03B2\u03C0\u03A3\u03A9"),
         std::string(kEquation) + "6b426863 0c000000 0300 05 ace0b9cebd"},
        {"relations",
         [&] {
             symbols({U'\u2264', U'\u2265', U'\u2260', U'\u2248', U'\u2261', U'\u2208'});
         },
         QStringLiteral(u"\u2264\u2265\u2260\u2248\u2261\u2208"),
         std::string(kEquation) + "6b426863 0d000000 0300 06 b2b3adc5d904"},
        {"arrows and signs",
         [&] {
             symbols({U'\u2192', U'\u21D2', U'\u21D4', U'\u221E', U'\u00B1'});
         },
         QStringLiteral(u"\u2192\u21D2\u21D4\u221E\u00B1"),
         std::string(kEquation) + "6b426863 0c000000 0300 05 cff89bb0b1"},
        {"integral",
         [&] {
             run(cmd::kElementIntegral);
             type(QStringLiteral("x"));
             QTest::keyClick(view, Qt::Key_Right);
             type(QStringLiteral("x"));
         },
         QStringLiteral(u"\u222B x dx"),
         std::string(kEquation) + "65746e49 2c000000 01000000 6b426863 08000000 0300 01 78"
                                  "01000000 6b426863 08000000 0300 01 78 00000000 00000000"},
        {"sum",
         [&] {
             run(cmd::kElementSummation);
             type(QStringLiteral("k=1"));
         },
         QStringLiteral(u"\u2211 k=1"),
         std::string(kEquation) +
             "206d7553 1a000000 01000000 6b426863 0a000000 0300 03 6b3d31 00000000"},
        // A product comes from the kernel's answers; its sign shares its byte with a capital
        // lambda in a line.
        {"product",
         [&] {
             ASSERT_TRUE(view->DoAction(MakeAction<CreateObjectAction>(
                 *view, OwnedComponent(new ProdComp()), view->GetSelection())));
             type(QStringLiteral("k=1"));
         },
         QStringLiteral(u"\u220F k=1"),
         std::string(kEquation) +
             "646f7250 1a000000 01000000 6b426863 0a000000 0300 03 6b3d31 00000000"},
        {"partial derivative",
         [&] {
             run(cmd::kElementPartialDerivative);
             type(QStringLiteral("x"));
         },
         QStringLiteral(u"\u2202/\u2202 x"),
         std::string(kEquation) +
             "44726170 1e000000 0000000001000100 00006b426863 08000000 0300 01 78"
             "00000000"},
        {"an equation's letters and signs as typed",
         [&] {
             run(cmd::kParaPlainEquation);
             type(QStringLiteral("x-2*y'"));
         },
         QStringLiteral("x-2*y'"),
         std::string(kEquation) + "6b426863 0d000000 0300 06 782d322a7927"},
        // The text face's byte for one half is the math face's integral.
        {"text, a paragraph break and a symbol",
         [&] {
             run(cmd::kParaTitle + ParaStyle::kParagraph);
             type(QStringLiteral(u"caf\u00E9 \u00BD"));
             QTest::keyClick(view, Qt::Key_Return);
             type(QStringLiteral("x"));
             symbols({U'\U0001D6FC'});
         },
         QStringLiteral(u"caf\u00E9 \u00BD\nx\u03B1"),
         "02000000 03000000 0000 01000000 6b426863 0d000000 0000 06 6361668e2015"
         "03000000 0000 02000000 6b426863 08000000 0000 01 78 6b426863 08000000 0300 01 ac"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view = Activate(app->NewDocument());
        c.build();
        SelectAll();
        ASSERT_TRUE(Router().Run(cmd::kEditCopy));
        EXPECT_EQ(Clipboard().text(), c.shown);
        EXPECT_EQ(
            Clipboard().mimeData()->data(clipboard::kPrivateMimeType).toHex().toStdString(),
            QByteArray::fromHex(QByteArray::fromStdString(c.privateBytes)).toHex().toStdString());
    }
}

TEST_F(ClipboardCommandsTest, CopyAsMetafileGivesAPictureThatRendersAndPastesBack) {
    // The first document's caret stands in an empty equation.
    QTest::keyClicks(view, "x+y=1");
    SelectAll();
    Router().UpdateAll();
    ASSERT_TRUE(Enabled(cmd::kCopyMetafile));
    ASSERT_TRUE(Router().Run(cmd::kCopyMetafile));
    const QMimeData* mime = Clipboard().mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasFormat(clipboard::kPictureMimeType));
    const QByteArray svg = mime->data(clipboard::kPictureMimeType);
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    QImage image(renderer.defaultSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ++dark;
    EXPECT_GT(dark, 20) << "the recorded picture shows the formula";
    image.save(OutputPath(QStringLiteral("copied-picture.png")));
    // Copying is no change to the document.
    EXPECT_EQ(Text(view), "x+y=1");

    // Pasted, it is one picture of the picture's own size.
    TessaryView* second = Activate(app->NewDocument());
    ASSERT_TRUE(Router().Run(cmd::kEditPaste));
    const CompList& list = *second->Page()->GetAt(1)->GetList(1);
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_EQ(list.GetAt(1)->GetTypeTag(), tags::Metafile);
    const auto* picture = static_cast<const MetaPictComp*>(list.GetAt(1));
    EXPECT_GT(picture->GetSize().width, 0);
    EXPECT_GT(list.GetAt(1)->GetWidth(), 10);
}

TEST_F(ClipboardCommandsTest, LinksAreMadeAndEditedThroughTheirDialog) {
    // Cancelled, the Link command inserts nothing.
    ASSERT_TRUE(Enabled(cmd::kElementLink));
    WhenModalOpens(view, [](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    ASSERT_TRUE(Router().Run(cmd::kElementLink));
    EXPECT_EQ(Text(view), "");

    WhenModalOpens(view, [](QWidget* window) {
        auto* dialog = static_cast<LinkDialog*>(window);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Link Properties"));
        EXPECT_EQ(dialog->TargetEdit()->maxLength(), 255);
        dialog->TargetEdit()->setText(QStringLiteral("http://example.org"));
        dialog->ShownEdit()->setText(QStringLiteral("example"));
        dialog->accept();
    });
    ASSERT_TRUE(Router().Run(cmd::kElementLink));
    CompList& list = *view->Page()->GetAt(1)->GetList(1);
    ASSERT_EQ(list.GetCount(), 1);
    ASSERT_EQ(list.GetAt(1)->GetTypeTag(), tags::Link);
    auto* link = static_cast<LinkComp*>(list.GetAt(1));
    EXPECT_EQ(link->GetShownText().ToCString(), "example");
    EXPECT_TRUE(link->IsExternal());
    EXPECT_GT(link->GetWidth(), 0);

    // Editing it through Link Properties marks the document modified; cancelling does not.
    DocRange selected;
    selected.SelectComponent(link);
    view->SetSelection(selected, true);
    Router().UpdateAll();
    ASSERT_TRUE(Enabled(cmd::kLinkProperties));
    const int32_t width = link->GetWidth();
    view->Document().SetModifiedFlag(false);
    WhenModalOpens(view, [](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    ASSERT_TRUE(Router().Run(cmd::kLinkProperties));
    EXPECT_FALSE(view->Document().IsModified());
    WhenModalOpens(view, [](QWidget* window) {
        auto* dialog = static_cast<LinkDialog*>(window);
        EXPECT_EQ(dialog->ShownEdit()->text(), QStringLiteral("example"));
        dialog->ShownEdit()->setText(QStringLiteral("a much longer example"));
        dialog->accept();
    });
    ASSERT_TRUE(Router().Run(cmd::kLinkProperties));
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_EQ(link->GetShownText().ToCString(), "a much longer example");
    EXPECT_EQ(link->GetTarget().ToCString(), "http://example.org");
    EXPECT_GT(link->GetWidth(), width) << "laid out again";
}

} // namespace
