#include "app/FixedSplitter.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

FixedSplitter::FixedSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setHandleWidth(1);
    setChildrenCollapsible(false);
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(0, 0, 0, 0);
}

QSplitterHandle* FixedSplitter::createHandle() {
    return new FixedSplitterHandle(orientation(), this);
}

FixedSplitterHandle::FixedSplitterHandle(Qt::Orientation orientation, QSplitter* parent)
    : QSplitterHandle(orientation, parent) {
    setCursor(Qt::ArrowCursor);
}

void FixedSplitterHandle::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
}

void FixedSplitterHandle::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void FixedSplitterHandle::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}
void FixedSplitterHandle::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
