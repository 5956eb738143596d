#include "app/WindowActivation.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace activation {

namespace {

// Hands the keyboard back to `keeper` whenever the window it watches becomes active.
class KeyboardKeeper final : public QObject {
public:
    KeyboardKeeper(QWidget* window, QWidget* keeper) : QObject(window), m_keeper(keeper) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = static_cast<QWidget*>(parent());
        if (watched == window && event->type() == QEvent::WindowActivate && window->isWindow() &&
            m_keeper && m_keeper->isVisible())
            m_keeper->activateWindow();
        return false;
    }

private:
    QPointer<QWidget> m_keeper;
};

} // namespace

void ShowInactive(QWidget* window) {
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    const QPointer<QWidget> active = QApplication::activeWindow();
    window->show();
    if (active && active != window) active->activateWindow();
}

void NeverActive(QWidget* window, QWidget* keeper) {
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->installEventFilter(new KeyboardKeeper(window, keeper));
}

} // namespace activation
