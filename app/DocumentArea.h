#pragma once

// The MDI area of the main window. The standard area takes Ctrl+Tab for switching windows
// before any window sees it; here the key goes on to the focused view, which has a use for it
// (a tab inside mathematics). Ctrl+F6 and Ctrl+Shift+F6 switch windows instead.

#include <QMdiArea>

class DocumentArea final : public QMdiArea {
public:
    using QMdiArea::QMdiArea;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};
