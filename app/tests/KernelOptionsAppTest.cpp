// The kernel's settings in the running editor with the stand-in kernel: the Kernel menu's
// Calculation Options and Term Ordering edit the profile and reach the kernel, and Connection
// Options decides what the next Start Kernel does.

#include "ServerFixture.h"
#include "app/CommandIds.h"
#include "app/KernelOptions.h"
#include "app/tests/KernelAppFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

using namespace kernelapp;

std::string TextOf(const NodePtr& node) {
    if (!node) return "<null>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}

using KernelOptionsAppTest = KernelAppTest;

TEST_F(KernelOptionsAppTest, TermOrderingEditsWhatTheKernelUses) {
    ASSERT_TRUE(StartFromMenu());
    std::vector<QString> shown;
    Profiled().runDialog = [&](QDialog& dialog) {
        if (auto* edit = dynamic_cast<EditTermPriorityDlg*>(&dialog)) {
            edit->SymbolEdit()->setText(QStringLiteral("q"));
            edit->PriorityEdit()->setText(QStringLiteral("5"));
            edit->accept();
            return edit->result();
        }
        auto* terms = dynamic_cast<TermOrderDialog*>(&dialog);
        if (terms == nullptr) return int(QDialog::Rejected);
        for (int i = 0; i < terms->List()->count(); ++i)
            shown.push_back(terms->List()->item(i)->text());
        terms->findChild<QPushButton*>(QStringLiteral("new"))->click();
        terms->UseOrdering()->click();
        terms->findChild<QPushButton*>(QStringLiteral("makeDefault"))->click();
        return int(QDialog::Accepted);
    };
    Choose(cmd::kTermOrdering);
    // The stand-in kernel's own ordering was shown.
    EXPECT_EQ(shown, (std::vector<QString>{"x - 3  ", "y - 2  ", "z - 1  "}));
    EXPECT_EQ(TextOf(session->GetSortPriorities(false)), "{True,{{q,5},{x,3},{y,2},{z,1}}}");
    EXPECT_EQ(Profile().value("Term Ordering/Term Count").toInt(), 4);

    // Cancel sends nothing.
    Profiled().runDialog = [](QDialog& dialog) {
        if (auto* terms = dynamic_cast<TermOrderDialog*>(&dialog))
            terms->findChild<QPushButton*>(QStringLiteral("delete"))->click();
        return int(QDialog::Rejected);
    };
    Choose(cmd::kTermOrdering);
    EXPECT_EQ(TextOf(session->GetSortPriorities(false)), "{True,{{q,5},{x,3},{y,2},{z,1}}}");
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

// The rows of the Term Ordering list, as the person reads them.
QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

// Replaces what a field holds by typing, as the person does.
void TypeInto(QLineEdit* field, const char* text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, QLatin1String(text));
}

void Press(QWidget* dialog, const char* button) {
    auto* pressed = dialog->findChild<QPushButton*>(QLatin1String(button));
    ASSERT_NE(pressed, nullptr) << button;
    QTest::mouseClick(pressed, Qt::LeftButton);
}

TEST_F(KernelOptionsAppTest, TermPrioritiesAreTypedInAndEachLetterIsListedOnce) {
    ASSERT_TRUE(StartFromMenu());
    QStringList shown;
    QString refusal;
    bool refusedEditStaysOpen = false;
    shelltest::WhenModalOpens(frame, [&](QWidget* window) {
        auto* terms = dynamic_cast<TermOrderDialog*>(window);
        ASSERT_NE(terms, nullptr);
        // New opens with an empty symbol, so the letter typed is the symbol.
        shelltest::WhenModalOpens(terms, [](QWidget* window) {
            auto* edit = dynamic_cast<EditTermPriorityDlg*>(window);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->SymbolEdit()->text(), QString());
            TypeInto(edit->SymbolEdit(), "q");
            TypeInto(edit->PriorityEdit(), "5");
            Press(edit, "1");
        });
        Press(terms, "new");
        EXPECT_EQ(Rows(terms->List()), (QStringList{"q - 5  ", "x - 3  ", "y - 2  ", "z - 1  "}));

        // Editing y into x, which is listed already, is refused with a message and the dialog
        // stays open for another letter.
        terms->List()->setCurrentRow(2);
        shelltest::WhenModalOpens(terms, [&](QWidget* window) {
            auto* edit = dynamic_cast<EditTermPriorityDlg*>(window);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->SymbolEdit()->text(), QStringLiteral("y"));
            TypeInto(edit->SymbolEdit(), "x");
            shelltest::WhenModalOpens(edit, [&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(message, nullptr);
                refusal = message->text();
                message->accept();
            });
            Press(edit, "1");
            refusedEditStaysOpen = edit->isVisible();
            TypeInto(edit->SymbolEdit(), "w");
            Press(edit, "1");
        });
        Press(terms, "edit");
        shown = Rows(terms->List());
        Press(terms, "makeDefault");
        Press(terms, "1");
    });
    Choose(cmd::kTermOrdering);
    EXPECT_EQ(refusal, QString::fromLatin1(EditTermPriorityDlg::kTakenMessage).arg("x"));
    EXPECT_TRUE(refusedEditStaysOpen);
    EXPECT_EQ(shown, (QStringList{"q - 5  ", "x - 3  ", "w - 2  ", "z - 1  "}));
    EXPECT_EQ(TextOf(session->GetSortPriorities(false)), "{False,{{q,5},{x,3},{w,2},{z,1}}}");

    // What Make Default kept reads back as it was shown: Use Defaults brings the same entries
    // (in letter order), and the count agrees with them.
    EXPECT_EQ(Profile().value("Term Ordering/Term Count").toInt(), shown.size());
    QStringList readBack;
    shelltest::WhenModalOpens(frame, [&](QWidget* window) {
        auto* terms = dynamic_cast<TermOrderDialog*>(window);
        ASSERT_NE(terms, nullptr);
        Press(terms, "useDefaults");
        readBack = Rows(terms->List());
        Press(terms, "2");
    });
    Choose(cmd::kTermOrdering);
    shown.sort();
    EXPECT_EQ(readBack, shown);
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

TEST_F(KernelOptionsAppTest, CalculationOptionsAreKeptAndSent) {
    ASSERT_TRUE(StartFromMenu());
    Profiled().runDialog = [](QDialog& dialog) {
        auto* prefs = dynamic_cast<CalculationOptionsDlg*>(&dialog);
        if (prefs == nullptr) return int(QDialog::Rejected);
        prefs->DefaultVariable()->setText(QStringLiteral("t"));
        prefs->Precision()->setText(QStringLiteral("25"));
        prefs->accept();
        return prefs->result();
    };
    Choose(cmd::kCalculationOptions);
    EXPECT_EQ(session->Prefs().defaultVariable.View(), "t");
    EXPECT_EQ(session->Prefs().precision, 25);
    EXPECT_EQ(Profile().value("Kernel Preferences/Default Variable").toString(), "t");
    EXPECT_EQ(Profile().value("Kernel Preferences/Precision").toInt(), 25);
    EXPECT_TRUE(session->IsConnected()) << "the kernel took the preferences";
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

TEST_F(KernelOptionsAppTest, ConnectionOptionsChooseTheNextStart) {
    Profiled().runDialog = [](QDialog& dialog) {
        auto* options = dynamic_cast<ConnectionOptionsDlg*>(&dialog);
        if (options == nullptr) return int(QDialog::Rejected);
        EXPECT_TRUE(options->LocalButton()->isChecked());
        options->ServerButton()->click();
        options->HostEdit()->setText(QStringLiteral("127.0.0.1"));
        options->PortEdit()->setText(QStringLiteral("1"));
        options->accept();
        return options->result();
    };
    Choose(cmd::kConnectionOptions);
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel").toString(), "remote");
    EXPECT_EQ(Profile().value("Kernel Connection/Server").toString(), "127.0.0.1");
    EXPECT_FALSE(session->Settings().useLocalKernel);
    EXPECT_EQ(session->Settings().loginPort, 1);

    // Back to the local kernel: Start Kernel launches it again.
    ChooseLocal();
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel").toString(), "local");
    ASSERT_TRUE(StartFromMenu());
    EXPECT_FALSE(session->IsRemote());
}

TEST_F(KernelOptionsAppTest, StartKernelAsksWhereAKernelNotFoundIs) {
    Profile().setValue("Kernel Connection/Kernel", "local");
    Profile().setValue("Kernel Connection/Kernel Path", "/nonexistent/kernels");
    Profile().sync();
    Profiled().LoadProfile();
    int asked = 0;
    // Cancel: the start ends with the one message, and nothing is kept.
    Profiled().askKernelFile = [&] {
        ++asked;
        return QString();
    };
    EXPECT_FALSE(StartFromMenu());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(messages, std::vector<QString>{"Can not locate the Oskaria kernel."});
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel Path").toString(), "/nonexistent/kernels");

    // The program chosen: its folder is kept, and the kernel starts from there.
    const QString folder = QCoreApplication::applicationDirPath();
    Profiled().askKernelFile = [&] {
        ++asked;
        return folder + QStringLiteral("/OskariaKernel.exe");
    };
    ASSERT_TRUE(StartFromMenu());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Profile().value("Kernel Connection/Kernel Path").toString(), folder);
    Choose(cmd::kQuitKernel);
    ASSERT_TRUE(StartFromMenu());
    EXPECT_EQ(asked, 2) << "found where it was shown";
}

// The kernel program in the folder chosen under Connection Options is the one that runs, not
// the one beside the editor: the file the started process runs is the chosen one, whatever
// the folder's name holds.
TEST_F(KernelOptionsAppTest, TheKernelOfTheChosenFolderIsTheOneLaunched) {
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    for (const char* name : {"other kernel", "the \"new\" kernel's folder"}) {
        SCOPED_TRACE(name);
        const QString folder = temporary.path() + QLatin1Char('/') + QString::fromLatin1(name);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString copy = folder + QStringLiteral("/OskariaKernel.exe");
        ASSERT_TRUE(QFile::copy(
            QCoreApplication::applicationDirPath() + QStringLiteral("/OskariaKernel.exe"), copy));
        ASSERT_TRUE(
            QFile(copy).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        Profiled().runDialog = [&](QDialog& dialog) {
            auto* options = dynamic_cast<ConnectionOptionsDlg*>(&dialog);
            if (options == nullptr) return int(QDialog::Rejected);
            options->askKernelFile = [&] { return copy; };
            options->LocalButton()->click();
            options->ChangeButton()->click();
            options->accept();
            return options->result();
        };
        Choose(cmd::kConnectionOptions);
        EXPECT_EQ(Profile().value("Kernel Connection/Kernel Path").toString(), folder);
        ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
        const pid_t kernel = session->KernelProcess();
        ASSERT_GT(kernel, 0);
        const QString running = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(kernel));
        EXPECT_EQ(running.toStdString(), QFileInfo(copy).canonicalFilePath().toStdString());
        EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
        // Ended without running its exit: the sanitizers' report at a program's exit cannot
        // name a program whose path holds a double quote, and stalls.
        ::kill(kernel, SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000);
        Choose(cmd::kQuitKernel);
        messages.clear();
    }
}

TEST_F(KernelOptionsAppTest, StartKernelLogsIntoTheServerTheOptionsName) {
    struct Row {
        const char* name;
        const char* script;
        const char* password;
        int minutes;
        const char* message;
    };
    const Row rows[] = {
        {"a wrong password", "", "wrong", 30,
         "The server has rejected your connection because your password is incorrect.\nCheck "
         "your password in the connection options dialog box."},
        {"no minutes left", "server login-reply 2\n", "secret", 0,
         "The server has rejected your connection because you have used up all of your server "
         "time."},
        {"every kernel in use", "server kernel-reply 2\n", "secret", 30,
         "The server has rejected your connection because all available kernels are in use."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        kerneltest::CalcServerFixture server({"/bin/false"}, row.script, row.minutes);
        ASSERT_TRUE(server.started);
        ChooseServer(server.server->loginPort(), row.password);
        messages.clear();
        EXPECT_FALSE(StartFromMenu());
        EXPECT_EQ(messages, std::vector<QString>{QString::fromLatin1(row.message)});
        EXPECT_TRUE(Enabled(cmd::kStartKernel)) << "a person can try again";
    }
}

} // namespace
