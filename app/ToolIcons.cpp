#include "app/ToolIcons.h"

#include "app/CommandIds.h"
#include "app/ToolIconArt.h"

#include <QPixmap>

// The resources live in static libraries, whose registration the linker would drop.
static void InitResources() {
    Q_INIT_RESOURCE(tessary);
    Q_INIT_RESOURCE(tool_icons);
}

namespace {

void EnsureResources() {
    static const bool ready = (InitResources(), true);
    (void)ready;
}

QIcon Load(const QString& name) {
    EnsureResources();
    QPixmap pixmap(name);
    if (pixmap.isNull()) return {};
    pixmap.setDevicePixelRatio(kIconScale);
    return QIcon(pixmap);
}

} // namespace

QString ElementIconResource(int32_t toolbarId) {
    return QStringLiteral(":/tessary/icons/element-%1.png").arg(toolbarId);
}

QString SymbolIconResource(int32_t symbolId) {
    return QStringLiteral(":/tessary/icons/symbol-%1.png").arg(symbolId);
}

QIcon ElementIcon(int32_t toolbarId) {
    return cmd::IsToolbarElement(toolbarId) ? Load(ElementIconResource(toolbarId)) : QIcon();
}

QIcon SymbolIcon(int32_t symbolId) {
    return cmd::IsSymbol(symbolId) ? Load(SymbolIconResource(symbolId)) : QIcon();
}

QIcon ApplicationIcon() {
    EnsureResources();
    return QIcon(QStringLiteral(":/tessary/tessary.svg"));
}
