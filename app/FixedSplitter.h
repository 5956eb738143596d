#pragma once

// A splitter whose panes cannot be resized: the kernel's query window stacks its prompt, its
// math pane and its button row in one. The gaps between panes are 1 pixel, filled with the
// button-face colour, the cursor over them stays the arrow and a press on them does nothing.

#include <QSplitter>
#include <QSplitterHandle>

class FixedSplitter final : public QSplitter {
public:
    explicit FixedSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    QSplitterHandle* createHandle() override;
};

class FixedSplitterHandle final : public QSplitterHandle {
public:
    FixedSplitterHandle(Qt::Orientation orientation, QSplitter* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
