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
#include "document/TessaryDoc.h"

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
        const CompList& list = *v->Page()->GetAt(paragraph)->GetList(1);
        std::string text;
        for (int32_t i = 1; i <= list.GetCount(); ++i) {
            const TextComp* c = list.GetAt(i);
            text += c->GetTypeTag() == tags::Char ? static_cast<char>(c->GetCharCode()) : '?';
        }
        return text;
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
