#include "document/TextFontPrefs.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

TEST(TextFontPrefs, EmptyOrMissingKeysKeepTheDefaults) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    profile.beginGroup("Text Prefs");
    profile.setValue("Code Font", "");
    profile.setValue("Bold Font", QString::fromUtf8("Gar\u00e7on Bold"));
    profile.endGroup();

    TextFontPrefs prefs;
    prefs.Load(profile);
    EXPECT_EQ(prefs.textFont.ToCString(), "Tessary Roman");
    EXPECT_EQ(prefs.codeFont.ToCString(), "Courier");
    EXPECT_EQ(prefs.boldFont.ToCString(), "Gar\xE7on Bold"); // cp1252 in memory
    EXPECT_EQ(prefs.italicFont.ToCString(), "Tessary Roman");
}

TEST(TextFontPrefs, SavedNamesLoadBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    TextFontPrefs saved;
    saved.textFont = std::string("Body \xE9");
    saved.italicFont = std::string(300, 'i');
    saved.Save(profile);

    TextFontPrefs loaded;
    loaded.Load(profile);
    EXPECT_EQ(loaded.textFont, saved.textFont);
    EXPECT_EQ(loaded.italicFont.GetLength(), 255);
    EXPECT_EQ(loaded.codeFont.ToCString(), "Courier");
    EXPECT_EQ(profile.value("Text Prefs/Code Font").toString(), "Courier");
}
