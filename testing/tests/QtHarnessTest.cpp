// The promises of the shared Qt test main: no display is needed and no test writes the user's
// settings.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QStandardPaths>

TEST(QtHarness, RunsOnTheOffscreenPlatform) {
    EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, 8, 8, Qt::black);
    painter.end();
    EXPECT_EQ(image.pixel(2, 2), qRgb(0, 0, 0));
}

TEST(QtHarness, SettingsGoToAPrivateFolder) {
    const QString home = QDir::homePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_FALSE(config.startsWith(home + "/")) << config.toStdString();

    QSettings profile("Tessary", "HarnessCheck");
    profile.setValue("probe", 1);
    profile.sync();
    EXPECT_TRUE(QFileInfo(profile.fileName()).absoluteFilePath().startsWith(config))
        << profile.fileName().toStdString();
}
