// The calculation preferences in the profile: defaults, a round trip, and damaged values.

#include "kernel/SessionPrefs.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <functional>

namespace kerneltest {
namespace {

using kernel::SessionPrefs;

TEST(SessionPrefsProfile, DefaultsRoundTripAndDamage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);

    const SessionPrefs fresh(profile);
    EXPECT_FALSE(fresh.resultsAtEnd);
    EXPECT_FALSE(fresh.showWarnings);
    EXPECT_EQ(fresh.defaultVariable.View(), "x");
    EXPECT_EQ(fresh.transformVariable.View(), "xi");
    EXPECT_EQ(fresh.precision, 0);

    SessionPrefs edited;
    edited.resultsAtEnd = true;
    edited.showWarnings = true;
    edited.defaultVariable = std::string_view("t");
    edited.transformVariable = std::string_view("\xE9t"); // cp1252 survives the profile
    edited.precision = 30;
    edited.Save(profile);
    profile.sync();
    QSettings reread(dir.filePath("profile.ini"), QSettings::IniFormat);
    const SessionPrefs loaded(reread);
    EXPECT_TRUE(loaded.resultsAtEnd);
    EXPECT_TRUE(loaded.showWarnings);
    EXPECT_EQ(loaded.defaultVariable.View(), "t");
    EXPECT_EQ(loaded.transformVariable.View(), "\xE9t");
    EXPECT_EQ(loaded.precision, 30);
    EXPECT_EQ(reread.value("Kernel Preferences/Default Variable").toString(), "t");

    struct Row {
        const char* key;
        QVariant value;
        std::function<bool(const SessionPrefs&)> holds;
    };
    const Row damaged[] = {
        {"Precision", "many", [](const SessionPrefs& p) { return p.precision == 0; }},
        {"Show Warnings", "perhaps", [](const SessionPrefs& p) { return !p.showWarnings; }},
        {"Results at end", "true", [](const SessionPrefs& p) { return p.resultsAtEnd; }},
        {"Default Variable", "",
         [](const SessionPrefs& p) { return p.defaultVariable.View() == "x"; }},
        {"Transform Variable", QString(40, 'q'),
         [](const SessionPrefs& p) { return p.transformVariable.GetLength() == 31; }},
    };
    for (const Row& row : damaged) {
        SCOPED_TRACE(row.key);
        QSettings broken(dir.filePath("broken.ini"), QSettings::IniFormat);
        broken.clear();
        broken.setValue(QString("Kernel Preferences/") + row.key, row.value);
        EXPECT_TRUE(row.holds(SessionPrefs(broken)));
    }
}

} // namespace
} // namespace kerneltest
