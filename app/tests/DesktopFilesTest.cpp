// The desktop entry and the document type that the install puts in place.

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QXmlStreamReader>

#include <cstring>

namespace {

QString Source(const char* name) {
    return QStringLiteral(TESSARY_SOURCE_DIR "/app/desktop/") + QLatin1String(name);
}

TEST(DesktopFilesTest, EntryStartsTheProgramForItsDocuments) {
    QSettings entry(Source("tessary.desktop"), QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_EQ(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Tessary"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("tessary %f"));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("tessary"));
    EXPECT_TRUE(entry.value(QStringLiteral("MimeType"))
                    .toString()
                    .contains(QStringLiteral("application/x-tessary-document")));
}

TEST(DesktopFilesTest, DocumentTypeMatchesTheExtensionAndTheVersionAtTheStart) {
    QFile file(Source("tessary-mime.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString type, glob, matchType, matchValue, matchOffset;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("mime-type")) type = attributes.value("type").toString();
        if (xml.name() == QLatin1String("glob")) glob = attributes.value("pattern").toString();
        if (xml.name() == QLatin1String("match")) {
            matchType = attributes.value("type").toString();
            matchValue = attributes.value("value").toString();
            matchOffset = attributes.value("offset").toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(type, QStringLiteral("application/x-tessary-document"));
    EXPECT_EQ(glob, QStringLiteral("*.tsy"));
    EXPECT_EQ(matchOffset, QStringLiteral("0"));
    // A document's first four bytes are its format version, 1400, little-endian.
    ASSERT_EQ(matchType, QStringLiteral("little32"));
    const uint32_t value = matchValue.toUInt();
    const unsigned char head[4] = {0x78, 0x05, 0x00, 0x00};
    uint32_t stored = 0;
    std::memcpy(&stored, head, 4); // the build machine is little-endian, as the format
    EXPECT_EQ(value, stored);
}

} // namespace
