// The query window's splitter keeps its panes where they were put.

#include "app/FixedSplitter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

namespace {

TEST(FixedSplitterTest, DraggingTheGapMovesNothing) {
    FixedSplitter splitter(Qt::Vertical);
    for (int i = 0; i < 3; ++i)
        splitter.addWidget(new QLabel(QStringLiteral("pane")));
    splitter.resize(400, 334);
    splitter.setSizes({40, 194, 28});
    splitter.show();
    QCoreApplication::processEvents();
    const QList<int> before = splitter.sizes();
    EXPECT_EQ(splitter.handleWidth(), 1);

    QSplitterHandle* gap = splitter.handle(1);
    ASSERT_NE(gap, nullptr);
    EXPECT_EQ(gap->cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(gap, Qt::LeftButton, Qt::NoModifier, QPoint(5, 0));
    QTest::mouseMove(gap, QPoint(5, 60));
    QTest::mouseRelease(gap, Qt::LeftButton, Qt::NoModifier, QPoint(5, 60));
    EXPECT_EQ(splitter.sizes(), before);
}

} // namespace
