// Following links: where each kind of target leads (addresses, documents, harmless files, and
// everything that is refused), and clicks on links in the editor with a desktop that only
// records what it was given, so nothing is ever opened. Ctrl+click edits a link; none of it
// works while a calculation runs.

#include "app/FollowLink.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/LinkDialog.h"
#include "app/MainFrame.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/LinkComp.h"
#include "document/ParaComp.h"
#include "document/TessaryDoc.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

using namespace shelltest;

namespace {

// Records every address instead of opening it.
class RecordingDesktop final : public DesktopPort {
public:
    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url.toString());
        return true;
    }
    std::vector<QString> opened;
};

// A folder beside a (never written) document "base.tsy", holding one file of each kind.
class LinkFolder {
public:
    LinkFolder() {
        QDir(m_dir.path()).mkpath(QStringLiteral("sub/folder.tsy"));
        Write("sub/other.tsy", "not read by routing");
        Write("notes.txt", "plain words\n");
        Write("news:item.txt", "a file whose name only looks like an address\n");
        Write("picture.png", "\x89PNG\r\n\x1a\n");
        Write("run.sh", "#!/bin/sh\necho run\n", QFile::ExeOwner);
        Write("script.txt", "#!/bin/sh\necho run\n");
        Write("launcher.desktop", "[Desktop Entry]\nType=Application\nExec=/bin/true\n");
        Write("program.dat", std::string("\x7f"
                                         "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0",
                                         18));
        Write("tool.exe", "MZ\x90");
        QFile::link(Path("run.sh"), Path("harmless.txt"));
    }

    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QString Base() const { return Path("base.tsy"); }

private:
    void Write(const char* name, const std::string& bytes, QFile::Permissions extra = {}) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | extra);
    }

    QTemporaryDir m_dir;
};

TEST(RouteLinkTest, EachTargetKindLeadsWhereItMay) {
    LinkFolder folder;
    using Kind = LinkRoute::Kind;
    const struct {
        const char* name;
        const char* target;
        bool external;
        bool saved;
        Kind kind;
        const char* message; // for a refusal
    } cases[] = {
        {"web address", "http://example.org/a?b=1", true, true, Kind::Address, nullptr},
        {"secure web address, upper-case scheme", "HTTPS://example.org", true, true, Kind::Address,
         nullptr},
        {"FTP address", "ftp://ftp.example.org/pub", true, true, Kind::Address, nullptr},
        {"mail address", "mailto:someone@example.org", true, true, Kind::Address, nullptr},
        {"address from an unsaved document", "http://example.org", true, false, Kind::Address,
         nullptr},
        {"blanks around an address", "  http://example.org  ", true, true, Kind::Address, nullptr},
        {"local file address", "file:///etc/passwd", true, true, Kind::Refused,
         linkmessage::kAddress},
        {"script address without \"://\" names a file", "javascript:alert(1)", true, true,
         Kind::Refused, linkmessage::kNotFound},
        {"drive path names a file", "C:\\docs\\a.tsy", true, true, Kind::Refused,
         linkmessage::kNotFound},
        {"news item names a file", "news:x", true, true, Kind::Refused, linkmessage::kNotFound},
        {"news item from an unsaved document", "news:x", true, false, Kind::Refused,
         linkmessage::kUnsaved},
        {"file with a colon in its name", "news:item.txt", true, true, Kind::File, nullptr},
        {"news address", "news://host/group", true, true, Kind::Refused, linkmessage::kAddress},
        {"share address", "smb://host/share", true, true, Kind::Refused, linkmessage::kAddress},
        {"web address without a host", "http://", true, true, Kind::Refused, linkmessage::kAddress},
        {"mail address without an addressee", "mailto:", true, true, Kind::Refused,
         linkmessage::kAddress},
        {"malformed web address", "http://exa mple.org", true, true, Kind::Refused,
         linkmessage::kAddress},
        {"address on a link that is not external is a file name", "http://example.org", false, true,
         Kind::Refused, linkmessage::kNotFound},
        {"document beside", "sub/other.tsy", true, true, Kind::Document, nullptr},
        {"document with backslashes, upper-case extension", "sub\\other.TSY", true, true,
         Kind::Refused, linkmessage::kNotFound},
        {"document from an unsaved document", "sub/other.tsy", true, false, Kind::Refused,
         linkmessage::kUnsaved},
        {"missing document", "gone.tsy", true, true, Kind::Refused, linkmessage::kNotFound},
        {"empty target", "", true, true, Kind::Refused, linkmessage::kNotFound},
        {"plain file", "notes.txt", true, true, Kind::File, nullptr},
        {"picture", "picture.png", false, true, Kind::File, nullptr},
        {"folder named like a document", "sub/folder.tsy", true, true, Kind::Refused,
         linkmessage::kNotAFile},
        {"folder", "sub", true, true, Kind::Refused, linkmessage::kNotAFile},
        {"executable script", "run.sh", true, true, Kind::Refused, linkmessage::kRunnable},
        {"script by its content", "script.txt", true, true, Kind::Refused, linkmessage::kRunnable},
        {"desktop launcher", "launcher.desktop", true, true, Kind::Refused, linkmessage::kRunnable},
        {"program by its content", "program.dat", true, true, Kind::Refused,
         linkmessage::kRunnable},
        {"program of another system", "tool.exe", true, true, Kind::Refused,
         linkmessage::kRunnable},
        {"harmless name over a program", "harmless.txt", true, true, Kind::Refused,
         linkmessage::kRunnable},
        {"device", "../../../../../../../../dev/null", true, true, Kind::Refused,
         linkmessage::kNotAFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LinkRoute route =
            RouteLink(Str255(c.target), c.external, c.saved ? folder.Base() : QString());
        EXPECT_EQ(route.kind, c.kind) << route.message.toStdString();
        if (c.message != nullptr) {
            EXPECT_EQ(route.message, QString::fromLatin1(c.message));
        }
        if (c.kind == Kind::Address) {
            EXPECT_TRUE(route.url.isValid());
        }
        if (c.kind == Kind::File) {
            EXPECT_TRUE(route.url.isLocalFile());
        }
    }
    // A document's path is the target's own name, with backslashes as folders.
    const LinkRoute document = RouteLink(Str255("sub\\other.tsy"), true, folder.Base());
    ASSERT_EQ(document.kind, Kind::Document);
    EXPECT_EQ(document.path, folder.Path("sub/other.tsy"));
    const LinkRoute file = RouteLink(Str255("sub/../notes.txt"), true, folder.Base());
    ASSERT_EQ(file.kind, Kind::File);
    EXPECT_EQ(file.url, QUrl::fromLocalFile(folder.Path("notes.txt")));
}

class FollowLinkTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = ShowFocusedView();
    }

    // Puts a new link with `target` in at the caret through the Link command and its dialog.
    LinkComp* AddLink(const char* target) {
        WhenModalOpens(view, [target](QWidget* window) {
            auto* dialog = static_cast<LinkDialog*>(window);
            dialog->TargetEdit()->setText(QLatin1String(target));
            dialog->ShownEdit()->setText(QStringLiteral("link"));
            dialog->accept();
        });
        EXPECT_TRUE(Router().Run(cmd::kElementLink));
        const DocPos caret = view->GetSelection().start;
        TextComp* link = caret.GetList()->GetAt(caret.index - 1);
        EXPECT_EQ(link->GetTypeTag(), tags::Link);
        return static_cast<LinkComp*>(link);
    }
    QPoint Middle(const LinkComp& link) const {
        const Rect box = link.GetFrame();
        return InViewport(*view, Point((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    }
    void Click(const LinkComp& link, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, Middle(link));
        QCoreApplication::processEvents();
    }

    TessaryView* view = nullptr;
};

TEST_F(FollowLinkTest, AClickFollowsEachKindOfLinkAndCannotBeUndone) {
    LinkFolder folder;
    RecordingDesktop desktop;
    Installed<DesktopPort> installed(gDesktopPort, &desktop);
    // A real document to open beside the one that links to it.
    ASSERT_TRUE(view->Document().OnSaveDocument(folder.Path("sub/other.tsy").toStdString()));
    frame->ActiveChild()->Host().SetPathName(folder.Base().toStdString());

    LinkComp* web = AddLink("http://example.org/page");
    LinkComp* file = AddLink("notes.txt");
    LinkComp* program = AddLink("run.sh");
    LinkComp* document = AddLink("sub/other.tsy");
    view->Document().SetModifiedFlag(false);

    Click(*web);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QStringLiteral("http://example.org/page"));
    // Nothing changed, nothing to undo, and Redo can never follow it again.
    EXPECT_FALSE(view->Document().IsModified());
    Router().UpdateAll();
    EXPECT_FALSE(State(cmd::kEditUndo).enabled);
    EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Can't undo"));

    Click(*file);
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[1], QUrl::fromLocalFile(folder.Path("notes.txt")).toString());

    Click(*program);
    EXPECT_EQ(desktop.opened.size(), 2u) << "a program is never handed over";
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), QString::fromLatin1(linkmessage::kRunnable));

    // A document opens in the editor, once the click is over.
    ASSERT_EQ(frame->Frames().size(), 1u);
    Click(*document);
    ASSERT_EQ(frame->Frames().size(), 2u);
    EXPECT_EQ(QString::fromStdString(frame->ActiveChild()->Host().GetPathName()),
              folder.Path("sub/other.tsy"));
    EXPECT_EQ(desktop.opened.size(), 2u);

    // From a document never saved, only addresses can be followed.
    view = app->NewDocument()->View();
    view->setFocus();
    QCoreApplication::processEvents();
    LinkComp* unsaved = AddLink("notes.txt");
    const size_t shown = messages.size();
    Click(*unsaved);
    ASSERT_EQ(messages.size(), shown + 1);
    EXPECT_EQ(messages.back(), QString::fromLatin1(linkmessage::kUnsaved));
    EXPECT_EQ(desktop.opened.size(), 2u);
}

TEST_F(FollowLinkTest, ATargetWithoutAnAddressMarkIsLookedForBesideTheDocument) {
    LinkFolder folder;
    RecordingDesktop desktop;
    Installed<DesktopPort> installed(gDesktopPort, &desktop);
    frame->ActiveChild()->Host().SetPathName(folder.Base().toStdString());
    const struct {
        const char* target;
        const char* message; // null: the file beside the document opens
    } cases[] = {
        {"C:\\docs\\a.tsy", linkmessage::kNotFound},
        {"news:x", linkmessage::kNotFound},
        {"news:item.txt", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        LinkComp* link = AddLink(c.target);
        const size_t shown = messages.size();
        const size_t opened = desktop.opened.size();
        Click(*link);
        if (c.message != nullptr) {
            ASSERT_EQ(messages.size(), shown + 1);
            EXPECT_EQ(messages.back(), QString::fromLatin1(c.message));
            EXPECT_EQ(desktop.opened.size(), opened);
        } else {
            EXPECT_EQ(messages.size(), shown);
            ASSERT_EQ(desktop.opened.size(), opened + 1);
            EXPECT_EQ(desktop.opened.back(),
                      QUrl::fromLocalFile(folder.Path("news:item.txt")).toString());
        }
    }
    EXPECT_EQ(frame->Frames().size(), 1u);
}

TEST_F(FollowLinkTest, TheStatusBarShowsWhereALinkLeads) {
    LinkComp* link = AddLink("mailto:someone@example.org");
    QTest::mouseMove(view->viewport(), Middle(*link));
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral("mailto:someone@example.org"));
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::PointingHandCursor);
    const Rect box = link->GetFrame();
    QTest::mouseMove(view->viewport(), QPoint(box.right + 200, box.bottom + 200));
    EXPECT_EQ(frame->MessagePane()->text(), QStringLiteral(" "));
}

TEST_F(FollowLinkTest, CtrlClickEditsALinkExceptDuringACalculation) {
    RecordingDesktop desktop;
    Installed<DesktopPort> installed(gDesktopPort, &desktop);
    LinkComp* link = AddLink("http://example.org");
    view->Document().SetModifiedFlag(false);

    int dialogs = 0;
    WhenModalOpens(view, [&dialogs](QWidget* window) {
        ++dialogs;
        auto* dialog = static_cast<LinkDialog*>(window);
        EXPECT_EQ(dialog->TargetEdit()->text(), QStringLiteral("http://example.org"));
        dialog->TargetEdit()->setText(QStringLiteral("https://example.org/new"));
        dialog->accept();
    });
    Click(*link, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(link->GetTarget().ToCString(), "https://example.org/new");
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_TRUE(desktop.opened.empty()) << "Ctrl+click edits instead of following";

    // While a calculation runs, a click neither follows nor edits, and Link Properties is off.
    session->connected = true;
    session->busy = true;
    auto watcher = std::make_unique<QObject>();
    WhenModalOpens(watcher.get(), [&dialogs](QWidget* window) {
        ++dialogs;
        static_cast<QDialog*>(window)->reject();
    });
    Click(*link);
    Click(*link, Qt::ControlModifier);
    DocRange selected;
    selected.SelectComponent(link);
    view->SetSelection(selected, true);
    Router().UpdateAll();
    EXPECT_FALSE(State(cmd::kLinkProperties).enabled);
    EXPECT_FALSE(State(cmd::kElementLink).enabled);
    view->RunCommand(cmd::kLinkProperties);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(desktop.opened.empty());
    watcher.reset();

    // A calculation that starts while the dialog is open keeps the link as it was.
    session->busy = false;
    WhenModalOpens(view, [this](QWidget* window) {
        auto* dialog = static_cast<LinkDialog*>(window);
        dialog->TargetEdit()->setText(QStringLiteral("http://changed.example.org"));
        session->busy = true;
        dialog->accept();
    });
    ASSERT_TRUE(Router().Run(cmd::kLinkProperties));
    EXPECT_EQ(link->GetTarget().ToCString(), "https://example.org/new");
    session->busy = false;
}

} // namespace
