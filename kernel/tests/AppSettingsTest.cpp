// The connection settings in the profile: which spelling launches a local kernel, the
// defaults, a round trip, and what the session is handed.

#include "kernel/AppSettings.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

namespace kerneltest {
namespace {

using kernel::AppSettings;

TEST(AppSettingsProfile, OnlyLocalLaunchesALocalKernel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    EXPECT_FALSE(AppSettings(profile).useLocalKernel) << "a missing key means the server";
    struct Row {
        const char* value;
        bool local;
    };
    for (const Row& row : {Row{"local", true}, Row{"Local", false}, Row{"remote", false},
                           Row{"", false}, Row{"local ", false}}) {
        SCOPED_TRACE(row.value);
        profile.setValue("Kernel Connection/Kernel", row.value);
        EXPECT_EQ(AppSettings(profile).useLocalKernel, row.local);
    }
}

TEST(AppSettingsProfile, RoundTripAndWhatTheSessionGets) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("profile.ini");
    AppSettings edited;
    edited.kernelPath = "/opt/k\xE9rnel";
    edited.useLocalKernel = true;
    edited.serverHost = "calc.example";
    edited.loginPort = 7010;
    edited.userName = "ada";
    edited.password = "s3cret";
    {
        QSettings profile(path, QSettings::IniFormat);
        const AppSettings fresh(profile);
        EXPECT_EQ(fresh.kernelPath, "");
        EXPECT_EQ(fresh.serverHost, "localhost");
        EXPECT_EQ(fresh.loginPort, 701);
        edited.Save(profile);
    }
    QSettings reread(path, QSettings::IniFormat);
    EXPECT_EQ(reread.value("Kernel Connection/Kernel").toString(), "local");
    const AppSettings loaded(reread);
    EXPECT_EQ(loaded.kernelPath, edited.kernelPath);
    EXPECT_TRUE(loaded.useLocalKernel);
    EXPECT_EQ(loaded.serverHost, "calc.example");
    EXPECT_EQ(loaded.loginPort, 7010);
    EXPECT_EQ(loaded.userName, "ada");
    EXPECT_EQ(loaded.password, "s3cret");

    // A damaged port or an empty host keeps the default.
    reread.setValue("Kernel Connection/Server Port", 70000);
    reread.setValue("Kernel Connection/Server", "");
    const AppSettings damaged(reread);
    EXPECT_EQ(damaged.loginPort, 701);
    EXPECT_EQ(damaged.serverHost, "localhost");

    kernel::ConnectionSettings base;
    base.pollMilliseconds = 5;
    const kernel::ConnectionSettings applied = loaded.Apply(base);
    EXPECT_TRUE(applied.useLocalKernel);
    EXPECT_EQ(applied.kernelPath, edited.kernelPath);
    EXPECT_EQ(applied.userName, "ada");
    EXPECT_EQ(applied.loginPort, 7010);
    EXPECT_EQ(applied.pollMilliseconds, 5) << "the timings stay";
}

} // namespace
} // namespace kerneltest
