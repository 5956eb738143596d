// Draws the pictures of the toolbar's element buttons and of the Symbols bar into PNG files,
// which the build compiles into the program's resources: make_tool_icons <folder>.

#include "app/CommandIds.h"
#include "app/ToolIconArt.h"
#include "document/TextFontPrefs.h"
#include "mathbox/DrawingServices.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tool_icons <folder>\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    TextFontPrefs prefs;
    DrawingServices services(prefs);
    if (!HasMathFace()) {
        std::fprintf(stderr, "make_tool_icons: the math face is missing (install fonts-lmodern)\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    auto save = [&](const QImage& image, const QString& name) {
        if (image.isNull() || !image.save(folder + QLatin1Char('/') + name)) {
            std::fprintf(stderr, "make_tool_icons: cannot write %s\n", qPrintable(name));
            return false;
        }
        return true;
    };
    for (int32_t id = cmd::kFirstToolbarElement; id <= cmd::kLastToolbarElement; ++id)
        if (!save(DrawElementIcon(id, kIconScale), QStringLiteral("element-%1.png").arg(id)))
            return 1;
    for (int32_t id = cmd::kFirstSymbol; id <= cmd::kLastSymbol; ++id)
        if (!save(DrawSymbolIcon(id, kIconScale), QStringLiteral("symbol-%1.png").arg(id)))
            return 1;
    return 0;
}
