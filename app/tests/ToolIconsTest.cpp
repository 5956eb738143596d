// Every button has its picture in the resources, at its size, with something drawn in it.

#include "app/ToolIcons.h"

#include "app/CommandIds.h"
#include "app/CommandTable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>

namespace {

// Pixels that are not transparent.
int Ink(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qAlpha(image.pixel(x, y)) > 64 ? 1 : 0;
    return ink;
}

struct Family {
    const char* name;
    int32_t first, last;
    int width, height;
    QString (*resource)(int32_t);
    QIcon (*icon)(int32_t);
};

const Family kFamilies[] = {
    {"element buttons", cmd::kFirstToolbarElement, cmd::kLastToolbarElement, kElementIconWidth,
     kElementIconHeight, ElementIconResource, ElementIcon},
    {"symbol buttons", cmd::kFirstSymbol, cmd::kLastSymbol, kSymbolIconWidth, kSymbolIconHeight,
     SymbolIconResource, SymbolIcon},
};

TEST(ToolIconsTest, EveryButtonHasAPictureWithInk) {
    ApplicationIcon(); // registers the resources
    for (const Family& family : kFamilies) {
        for (int32_t id = family.first; id <= family.last; ++id) {
            SCOPED_TRACE(::testing::Message() << family.name << " " << id);
            const QImage image(family.resource(id));
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), QSize(family.width * kIconScale, family.height * kIconScale));
            // A sign takes more than a few pixels and leaves most of the button free.
            const int ink = Ink(image);
            EXPECT_GT(ink, 12);
            EXPECT_LT(ink, image.width() * image.height() / 2);
        }
        EXPECT_TRUE(family.icon(family.first - 1).isNull());
        EXPECT_FALSE(family.icon(family.first).isNull());
    }
    EXPECT_FALSE(ApplicationIcon().pixmap(32, 32).isNull());
}

TEST(ToolIconsTest, SheetOfAllButtonsIsWrittenForALook) {
    const int cell = 48;
    QImage sheet(cell * 17, cell * 6, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int index = 0;
    auto place = [&](const QImage& image) {
        const QPoint at((index % 17) * cell + 4, (index / 17) * cell + 4);
        painter.drawImage(at, image);
        ++index;
    };
    for (int32_t id : MainToolbar())
        if (id != 0) place(QImage(ElementIconResource(id)));
    index = 2 * 17;
    for (int32_t id : SymbolsBarOrder())
        place(QImage(SymbolIconResource(id)));
    painter.end();
    QDir().mkpath(QStringLiteral(TESSARY_TEST_OUTPUT));
    EXPECT_TRUE(sheet.save(QStringLiteral(TESSARY_TEST_OUTPUT "/button-pictures.png")));
}

} // namespace
