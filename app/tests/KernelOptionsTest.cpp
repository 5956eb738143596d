// The kernel's settings in the editor: what the program reads from the profile at start-up,
// and the Connection Options, Calculation Preferences, Term Ordering and Edit Term Priority
// dialogs with their ranges, refusals and profile keys.

#include "app/KernelOptions.h"

#include "app/TessaryApp.h"
#include "app/tests/ShellFixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

using kernel::TermEntry;
using kernel::TermOrder;

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

TEST(KernelProfileAtStart, TheSessionStartsWithTheProfilesSettings) {
    shelltest::ClearProfile();
    {
        QSettings profile(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
        profile.setValue("Kernel Connection/Kernel", "Local"); // not "local": the server
        profile.setValue("Kernel Connection/Server", "calc.example");
        profile.setValue("Kernel Connection/Server Port", 7011);
        profile.setValue("Kernel Connection/User Name", "ada");
        profile.setValue("Kernel Connection/Kernel Path", "/opt/kernel");
        profile.setValue("Kernel Preferences/Default Variable", "t");
        profile.setValue("Kernel Preferences/Precision", 20);
    }
    TessaryApp app;
    app.SetMessageSink([](const QString&) {});
    ASSERT_TRUE(app.InitInstance({}));
    auto* session = dynamic_cast<kernel::KernelSession*>(&app.Session());
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->HasOptionDialogs());
    EXPECT_FALSE(session->Settings().useLocalKernel);
    EXPECT_EQ(session->Settings().serverHost, "calc.example");
    EXPECT_EQ(session->Settings().loginPort, 7011);
    EXPECT_EQ(session->Settings().userName, "ada");
    EXPECT_EQ(session->Settings().kernelPath, "/opt/kernel");
    EXPECT_EQ(session->Prefs().defaultVariable.View(), "t");
    EXPECT_EQ(session->Prefs().precision, 20);
    app.ExitInstance();
    shelltest::ClearProfile();
}

TEST(ConnectionOptionsDialog, ButtonsFollowTheSettingAndChangePicksTheFolder) {
    kernel::AppSettings settings;
    settings.kernelPath = "/opt/old";
    ConnectionOptionsDlg server(nullptr, settings);
    EXPECT_TRUE(server.ServerButton()->isChecked());
    EXPECT_FALSE(server.LocalButton()->isChecked());
    EXPECT_FALSE(server.ChangeButton()->isEnabled()) << "no folder to change for the server";
    EXPECT_EQ(server.PathLabel()->text(), "/opt/old");
    EXPECT_EQ(server.PasswordEdit()->echoMode(), QLineEdit::Password);

    QTest::mouseClick(server.LocalButton(), Qt::LeftButton);
    EXPECT_TRUE(server.LocalButton()->isChecked());
    EXPECT_FALSE(server.ServerButton()->isChecked());
    EXPECT_TRUE(server.ChangeButton()->isEnabled());

    server.askKernelFile = [] { return QString(); }; // Cancel
    server.ChangePath();
    EXPECT_EQ(server.PathLabel()->text(), "/opt/old");
    server.askKernelFile = [] { return QStringLiteral("/srv/kernels/OskariaKernel.exe"); };
    QTest::mouseClick(server.ChangeButton(), Qt::LeftButton);
    EXPECT_EQ(server.PathLabel()->text(), "/srv/kernels");

    server.UserEdit()->setText(QStringLiteral("ada"));
    server.PasswordEdit()->setText(QStringLiteral("pw"));
    server.PortEdit()->setText(QString());
    server.accept();
    const kernel::AppSettings chosen = server.Settings();
    EXPECT_TRUE(chosen.useLocalKernel);
    EXPECT_EQ(chosen.kernelPath, "/srv/kernels");
    EXPECT_EQ(chosen.userName, "ada");
    EXPECT_EQ(chosen.password, "pw");
    EXPECT_EQ(chosen.loginPort, 701) << "an empty port keeps the one set";
}

TEST(CalculationOptionsDialog, RangesAndRefusals) {
    kernel::SessionPrefs prefs;
    prefs.precision = 12;
    CalculationOptionsDlg dialog(nullptr, prefs);
    std::vector<QString> refused;
    dialog.refuse = [&](const QString& text) { refused.push_back(text); };
    EXPECT_EQ(dialog.DefaultVariable()->maxLength(), 31);
    EXPECT_EQ(dialog.TransformVariable()->maxLength(), 31);
    EXPECT_EQ(dialog.Precision()->text(), "12");

    // Precision 100 cannot be typed: three characters.
    dialog.Precision()->clear();
    QTest::keyClicks(dialog.Precision(), QStringLiteral("100"));
    EXPECT_EQ(dialog.Precision()->text(), "10");
    dialog.Precision()->setText(QString());
    dialog.accept();
    EXPECT_EQ(refused, std::vector<QString>{CalculationOptionsDlg::kIntegerMessage});
    EXPECT_NE(dialog.result(), QDialog::Accepted) << "the dialog stays open";

    dialog.Precision()->setText(QStringLiteral("30"));
    dialog.ResultsAtEnd()->setChecked(true);
    dialog.ShowWarnings()->setChecked(true);
    dialog.DefaultVariable()->setText(QString());
    dialog.TransformVariable()->setText(QStringLiteral("s"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const kernel::SessionPrefs chosen = dialog.Prefs();
    EXPECT_EQ(chosen.precision, 30);
    EXPECT_TRUE(chosen.resultsAtEnd);
    EXPECT_TRUE(chosen.showWarnings);
    EXPECT_EQ(chosen.defaultVariable.View(), "x") << "an empty variable is no symbol";
    EXPECT_EQ(chosen.transformVariable.View(), "s");
}

TEST(EditTermPriorityDialog, PriorityIsAByteAndTheSymbolOneCharacter) {
    EditTermPriorityDlg dialog(nullptr, QStringLiteral(" "), 0);
    std::vector<QString> refused;
    dialog.refuse = [&](const QString& text) { refused.push_back(text); };
    EXPECT_EQ(dialog.SymbolEdit()->maxLength(), 1);
    // 255 is the stored mark of a letter without priority, so it is no priority to choose.
    for (const char* bad : {"256", "255", "-1", "", "x"}) {
        SCOPED_TRACE(bad);
        dialog.PriorityEdit()->setText(QString::fromLatin1(bad));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(refused.size(), 5u);
    EXPECT_EQ(refused.back(), QString::fromLatin1(EditTermPriorityDlg::kRangeMessage));
    dialog.PriorityEdit()->setText(QStringLiteral("254"));
    dialog.SymbolEdit()->setText(QStringLiteral("q"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Priority(), 254);
    EXPECT_EQ(dialog.Symbol(), "q");
}

class TermOrderDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        order.entries = {{'a', 7}, {'b', 3}};
        services.profile = &profile;
        services.kernelDefaults = [this] {
            ++kernelAsked;
            TermOrder defaults;
            defaults.entries = {{'x', 3}};
            return defaults;
        };
        services.runEdit = [this](EditTermPriorityDlg& edit) {
            if (edits.empty()) return false;
            edit.SymbolEdit()->setText(edits.front().first);
            edit.PriorityEdit()->setText(edits.front().second);
            edits.erase(edits.begin());
            edit.accept();
            return edit.result() == QDialog::Accepted;
        };
    }

    QTemporaryDir dir;
    QSettings profile{dir.filePath("profile.ini"), QSettings::IniFormat};
    TermOrder order;
    TermOrderDialog::Services services;
    std::vector<std::pair<QString, QString>> edits; // what the person types into each edit
    int kernelAsked = 0;
};

TEST_F(TermOrderDialogTest, ListRowsNewEditDeleteAndSorts) {
    TermOrderDialog dialog(nullptr, order, services);
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"a - 7  ", "b - 3  "}));
    EXPECT_EQ(dialog.List()->currentRow(), 0);
    EXPECT_FALSE(dialog.Changed());

    edits = {{"q", "5"}};
    dialog.findChild<QPushButton*>("new")->click();
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"a - 7  ", "q - 5  ", "b - 3  "}));
    EXPECT_TRUE(dialog.Changed());

    // An emptied symbol is refused: the entry keeps its letter.
    edits = {{"", "9"}};
    dialog.List()->setCurrentRow(1);
    dialog.findChild<QPushButton*>("edit")->click();
    EXPECT_EQ(order.entries[1], (TermEntry{'q', 5}));
    edits = {{"r", "200"}};
    dialog.findChild<QPushButton*>("edit")->click();
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"a - 7  ", "r - 200", "b - 3  "}));

    dialog.findChild<QPushButton*>("sortByPriority")->click();
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"r - 200", "a - 7  ", "b - 3  "}));
    dialog.findChild<QPushButton*>("sortByVariable")->click();
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"r - 200", "b - 3  ", "a - 7  "}));
    dialog.List()->setCurrentRow(1);
    dialog.findChild<QPushButton*>("delete")->click();
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"r - 200", "a - 7  "}));
    EXPECT_EQ(dialog.List()->currentRow(), 0);

    QTest::mouseClick(dialog.UseOrdering(), Qt::LeftButton);
    QTest::mouseClick(dialog.ConstantsToBack(), Qt::LeftButton);
    EXPECT_TRUE(order.useOrdering);
    EXPECT_FALSE(order.constantsToBack);
}

TEST_F(TermOrderDialogTest, UseDefaultsAndMakeDefault) {
    TermOrderDialog dialog(nullptr, order, services);
    dialog.UseDefaults(false);
    EXPECT_EQ(kernelAsked, 1) << "nothing saved: the kernel's ordering";
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"x - 3  "}));

    order.entries = {{'b', 3}, {'a', 7}};
    order.useOrdering = true;
    dialog.MakeDefault();
    EXPECT_EQ(profile.value("Term Ordering/Use Ordering").toString(), "true");
    EXPECT_EQ(profile.value("Term Ordering/Term Count").toInt(), 2);

    // An ordering from the kernel that the profile could not give back as listed is refused,
    // and the saved one stays.
    std::vector<QString> refused;
    dialog.refuse = [&](const QString& text) { refused.push_back(text); };
    for (const std::vector<TermEntry>& unkept :
         {std::vector<TermEntry>{{'x', 3}, {'x', 4}}, std::vector<TermEntry>{{'y', 255}}}) {
        order.entries = unkept;
        dialog.MakeDefault();
    }
    EXPECT_EQ(refused, (std::vector<QString>(2, TermOrderDialog::kNotSavedMessage)));
    EXPECT_EQ(profile.value("Term Ordering/Term Count").toInt(), 2);

    order.entries.clear();
    dialog.UseDefaults(false);
    EXPECT_EQ(kernelAsked, 1);
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"a - 7  ", "b - 3  "}));
    EXPECT_TRUE(dialog.UseOrdering()->isChecked());
    dialog.UseDefaults(true);
    EXPECT_EQ(kernelAsked, 2) << "Control held asks the kernel even with a saved ordering";
    EXPECT_EQ(Rows(dialog.List()), (QStringList{"x - 3  "}));
    EXPECT_TRUE(dialog.Changed());
}

} // namespace
