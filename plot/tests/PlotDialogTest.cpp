// The "Plot Parameters" dialogs: their controls by id, the values they exchange, and the ends
// they refuse.

#include "plot/PlotDialogs.h"
#include "plot/tests/PlotFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <functional>

namespace {

using plottest::PlotTest;

QLineEdit* BoxOf(QWidget& dialog, int id) {
    return dialog.findChild<QLineEdit*>(QString::number(id));
}

// Runs `step` on the next modal window once the event loop turns.
void OnNextModal(std::function<void(QWidget&)> step) {
    QTimer::singleShot(0, [step] {
        if (QWidget* modal = QApplication::activeModalWidget()) step(*modal);
    });
}

TEST(RangeEnds, OnlyFiniteNumbersPass) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1.5", 1.5},
        {" -2 ", -2.0},
        {"+3", 3.0},
        {"1e3", 1000.0},
        {"0", 0.0},
        {"inf", std::nullopt},
        {"-infinity", std::nullopt},
        {"nan", std::nullopt},
        {"1e999", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1,5", std::nullopt},
        {"2x", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseRangeEnd(c.text), c.value);
    }
    EXPECT_EQ(FormatRangeEnd(-1.0), "-1");
    EXPECT_EQ(FormatRangeEnd(0.1), "0.1");
    EXPECT_EQ(FormatRangeEnd(1e-7), "1e-07");
}

class PlotDialogTest : public PlotTest {};

TEST_F(PlotDialogTest, TheTwoAxisDialogShowsItsValuesUnderItsControlIds) {
    PlotParams2DDialog dialog(Str31("t"), -2, 3.5, Str31(""), 0, 1e-7, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Plot Parameters");
    const struct {
        int id;
        const char* text;
    } boxes[] = {{1000, "t"}, {1001, "-2"}, {1056, "3.5"},
                 {1057, ""},  {1058, "0"},  {1059, "1e-07"}};
    for (const auto& b : boxes) {
        QLineEdit* box = BoxOf(dialog, b.id);
        ASSERT_NE(box, nullptr) << b.id;
        EXPECT_EQ(box->text(), b.text) << b.id;
    }
    QStringList captions;
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        captions << group->title();
    EXPECT_EQ(captions, QStringList({"Horizontal Axis", "Vertical Axis"}));
    EXPECT_NE(dialog.findChild<QPushButton*>("1"), nullptr);
    EXPECT_NE(dialog.findChild<QPushButton*>("2"), nullptr);
}

TEST_F(PlotDialogTest, AnEndThatIsNoFiniteNumberKeepsTheDialogOpen) {
    for (const char* bad : {"inf", "nan", "ten"}) {
        SCOPED_TRACE(bad);
        PlotParams2DDialog dialog(Str31("x"), -1, 1, Str31("y"), -1, 1, nullptr);
        BoxOf(dialog, 1059)->setText(bad);
        bool warned = false;
        OnNextModal([&](QWidget& modal) {
            if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
                warned = box->text() == "Please enter a number.";
                box->accept();
            }
        });
        dialog.accept();
        EXPECT_TRUE(warned);
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
}

TEST_F(PlotDialogTest, ConfirmedOptionsReachThePlotAndCancelledOnesDoNot) {
    Plot2DComp* plot = LaidOutPlot(-1, 1, -1, 1);
    OnNextModal([](QWidget& modal) {
        BoxOf(modal, 1000)->setText("t");
        // A minimum above its maximum and an empty name are accepted as they are.
        BoxOf(modal, 1001)->setText("5");
        BoxOf(modal, 1056)->setText("-5");
        BoxOf(modal, 1057)->setText("");
        modal.findChild<QPushButton*>("1")->click();
    });
    EXPECT_TRUE(plot->EditOptions(nullptr));
    EXPECT_EQ(plot->XName().ToCString(), "t");
    EXPECT_EQ(plot->XMin(), 5);
    EXPECT_EQ(plot->XMax(), -5);
    EXPECT_EQ(plot->YName().ToCString(), "");

    OnNextModal([](QWidget& modal) {
        BoxOf(modal, 1001)->setText("0");
        modal.findChild<QPushButton*>("2")->click();
    });
    EXPECT_FALSE(plot->EditOptions(nullptr));
    EXPECT_EQ(plot->XMin(), 5);
}

TEST_F(PlotDialogTest, TheThreeAxisDialogHasNineBoxes) {
    PlotParams3DDialog dialog({AxisValues{Str31("x"), -1, 1}, AxisValues{Str31("z"), 0, 2},
                               AxisValues{Str31("y"), -3, 3}},
                              nullptr);
    for (int id : {1000, 1001, 1056, 1057, 1058, 1059, 1060, 1061, 1062})
        EXPECT_NE(BoxOf(dialog, id), nullptr) << id;
    EXPECT_EQ(BoxOf(dialog, 1060)->text(), "y");
    BoxOf(dialog, 1062)->setText("4");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetValues()[2].max, 4);
}

} // namespace
