#include "app/DocumentArea.h"

#include <QKeyEvent>

bool DocumentArea::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
        if (key->key() == Qt::Key_F6 && key->modifiers().testFlag(Qt::ControlModifier)) {
            if (event->type() == QEvent::KeyPress) {
                if (key->modifiers().testFlag(Qt::ShiftModifier))
                    activatePreviousSubWindow();
                else
                    activateNextSubWindow();
            }
            return true;
        }
    }
    return QMdiArea::eventFilter(object, event);
}
