// The connection settings in the profile: which spelling launches a local kernel, the
// defaults, a round trip, what the session is handed, what a first start chooses, and a
// password that only the profile's owner can read.

#include "kernel/AppSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

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

// The program's first start for an account: the profile holds nothing yet, and the local
// kernel is chosen and kept. Any profile that holds something keeps the rule above.
TEST(AppSettingsProfile, AProfileThatHoldsNothingYetChoosesTheLocalKernel) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("profile.ini");
    {
        QSettings fresh(path, QSettings::IniFormat);
        AppSettings first;
        first.LoadOrCreate(fresh);
        EXPECT_TRUE(first.useLocalKernel);
        EXPECT_EQ(first.kernelPath, "") << "the kernel beside the program";
    }
    QSettings kept(path, QSettings::IniFormat);
    EXPECT_EQ(kept.value("Kernel Connection/Kernel").toString(), "local");

    struct Row {
        const char* name;
        const char* key;
        const char* value;
        bool local;
        const char* kernelKey; // as the profile holds it afterwards
    };
    const Row rows[] = {
        {"the server named", "Kernel Connection/Kernel", "remote", false, "remote"},
        {"no Kernel key beside other settings", "Recent File List/File1", "/tmp/a.tsy", false, ""},
        {"a local kernel named", "Kernel Connection/Kernel", "local", true, "local"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QSettings profile(dir.filePath(QString::fromLatin1(row.name) + ".ini"),
                          QSettings::IniFormat);
        profile.setValue(row.key, row.value);
        AppSettings loaded;
        loaded.LoadOrCreate(profile);
        EXPECT_EQ(loaded.useLocalKernel, row.local);
        EXPECT_EQ(profile.value("Kernel Connection/Kernel").toString(), row.kernelKey);
    }
}

// The file's permission bits in octal, as ls shows them; "none" when there is no file.
std::string FileMode(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return "none";
    char octal[8];
    std::snprintf(octal, sizeof octal, "%03o", static_cast<unsigned>(status.st_mode & 0777));
    return octal;
}

// The password is kept in clear, so the file that holds it is its owner's alone: from the first
// write of it, through later writes of other settings, and a file left readable by an earlier
// version is closed when it is read.
TEST(AppSettingsProfile, AProfileHoldingAPasswordIsReadableByItsOwnerOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const mode_t mask = ::umask(022);
    const QString path = dir.filePath("profile.ini");
    AppSettings account;
    account.userName = "ada";
    {
        QSettings profile(path, QSettings::IniFormat);
        account.Save(profile);
    }
    EXPECT_EQ(FileMode(path), "644") << "no password, the usual mode";

    account.password = "s3cret";
    {
        QSettings profile(path, QSettings::IniFormat);
        account.Save(profile);
        EXPECT_EQ(FileMode(path), "600");
        profile.setValue("Recent File List/File1", "/tmp/a.tsy");
        profile.sync();
        EXPECT_EQ(FileMode(path), "600") << "after another setting is written";
    }
    QSettings reread(path, QSettings::IniFormat);
    EXPECT_EQ(AppSettings(reread).password, "s3cret");

    const QString older = dir.filePath("older.ini");
    {
        QSettings profile(older, QSettings::IniFormat);
        profile.setValue("Kernel Connection/Password", "s3cret");
    }
    EXPECT_EQ(FileMode(older), "644");
    QSettings opened(older, QSettings::IniFormat);
    EXPECT_EQ(AppSettings(opened).password, "s3cret");
    EXPECT_EQ(FileMode(older), "600");
    ::umask(mask);
}

} // namespace
} // namespace kerneltest
