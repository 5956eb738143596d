#include "app/DocumentArea.h"

#include <QKeyEvent>

bool DocumentArea::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    }
    return QMdiArea::eventFilter(object, event);
}
