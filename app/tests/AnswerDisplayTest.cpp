// What a person sees of the kernel's answers in the running editor with the stand-in kernel:
// numbers show the digits Calculation Options ask for, correctly rounded; decimal arithmetic
// gives the decimals a person expects; an integral's constant is drawn last while the Term
// Ordering says so.

#include "app/CommandIds.h"
#include "app/KernelOptions.h"
#include "app/tests/KernelAppFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

using namespace kernelapp;

class AnswerDisplayTest : public KernelDocumentTest {
protected:
    // Calculation Options with `precision` typed into its field, confirmed with OK.
    void SetPrecision(int precision) {
        Profiled().runDialog = [precision](QDialog& dialog) {
            auto* prefs = dynamic_cast<CalculationOptionsDlg*>(&dialog);
            if (prefs == nullptr) return int(QDialog::Rejected);
            prefs->Precision()->setText(QString::number(precision));
            prefs->accept();
            return prefs->result();
        };
        Choose(cmd::kCalculationOptions);
        ASSERT_EQ(session->Prefs().precision, precision);
    }
    // A new plain equation, built by `type`, selected whole; the kernel's offer `choice` runs
    // on it. The answer's paragraph, or 0 when none came.
    int32_t Calculate(const std::function<void()>& type, const char* choice) {
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        if (Page().GetCount() > 1 || Line(1).GetCount() > 0) QTest::keyClick(view, Qt::Key_Return);
        if (!Run(cmd::kParaPlainEquation)) return 0;
        const int32_t line = Page().GetCount();
        type();
        // From the end of the document, out of any box typed last, back to the line's start.
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Home, Qt::ShiftModifier);
        if (view->Popup() == nullptr) {
            ADD_FAILURE() << "no offers for " << Text(line) << ": " << Status().toStdString();
            return 0;
        }
        const int32_t command = ChoiceId(choice);
        if (command == 0 || !Run(command)) return 0;
        return Page().GetCount() > line ? line + 1 : 0;
    }
    // Typed as the person types it.
    std::function<void()> Typed(const char* text) {
        return [this, text] { QTest::keyClicks(view, text); };
    }
    // A fraction from the Element menu, `top` over `bottom`.
    std::function<void()> Fraction(const char* top, const char* bottom) {
        return [this, top, bottom] {
            ASSERT_TRUE(Run(cmd::kElementFraction));
            QTest::keyClicks(view, top);
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClicks(view, bottom);
            QTest::keyClick(view, Qt::Key_Right);
        };
    }
    // A square root from the Element menu.
    std::function<void()> Root(const char* radicand) {
        return [this, radicand] {
            ASSERT_TRUE(Run(cmd::kElementFraction + 3));
            QTest::keyClicks(view, radicand);
            QTest::keyClick(view, Qt::Key_Right);
        };
    }
};

TEST_F(AnswerDisplayTest, NumericValuesShowTheDigitsOfTheCalculationOptions) {
    const struct {
        const char* name;
        int precision;
        const char* top;
        const char* bottom;
        const char* shown; // the answer's characters; '?' a box (the exponent)
    } rows[] = {
        {"2/3 to 30 digits", 30, "2", "3", "0.666666666666666666666666666667"},
        {"2/3 to 5 digits", 5, "2", "3", "0.66667"},
        {"2/3 to the kernel's 15", 0, "2", "3", "0.666666666666667"},
        {"200/3 to 30 digits", 30, "200", "3", "66.6666666666666666666666666667"},
        {"10/7 to 12 digits", 12, "10", "7", "1.42857142857"},
        {"2/7000000 to 30 digits, an exponent", 30, "2", "7000000",
         "2.85714285714285714285714285714 10?"},
        {"2/7000000 to the kernel's 15", 0, "2", "7000000", "2.85714285714286 10?"},
    };
    StartWithDocument();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetPrecision(row.precision);
        const int32_t answer = Calculate(Fraction(row.top, row.bottom), "Numeric value");
        ASSERT_NE(answer, 0);
        EXPECT_EQ(Text(answer), row.shown);
    }
    Picture("answer-digits.png");
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

// Every approximate real keeps the digits asked for, whatever its last digits are: the root of
// 2 to 15 digits ends in a zero, which counts.
TEST_F(AnswerDisplayTest, RootsKeepAllTheirDigits) {
    const struct {
        int precision;
        const char* radicand;
        const char* shown;
    } rows[] = {
        {0, "2", "1.41421356237310"},
        {0, "3", "1.73205080756888"},
        {10, "2", "1.414213562"},
        {20, "2", "1.4142135623730950488"},
    };
    StartWithDocument();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.radicand) + " to " + std::to_string(row.precision));
        SetPrecision(row.precision);
        const int32_t answer = Calculate(Root(row.radicand), "Numeric value");
        ASSERT_NE(answer, 0);
        EXPECT_EQ(Text(answer), row.shown);
    }
}

TEST_F(AnswerDisplayTest, DecimalArithmeticGivesTheDecimalsExpected) {
    const struct {
        const char* typed;
        const char* choice;
        int precision;
        const char* shown;
    } rows[] = {
        {"1.5*0.3", "Simplify", 0, "0.45"},       {"1.5*0.3", "Numeric value", 0, "0.45"},
        {"1.1*1.1", "Simplify", 0, "1.21"},       {"1.1*1.1", "Numeric value", 0, "1.21"},
        {"2.2*3", "Simplify", 0, "6.6"},          {"2.2*3", "Numeric value", 0, "6.6"},
        {"0.1+0.2", "Simplify", 0, "0.3"},        {"0.1+0.2", "Numeric value", 0, "0.3"},
        {"1.5*0.3", "Numeric value", 30, "0.45"}, {"0.1+0.2", "Simplify", 30, "0.3"},
    };
    StartWithDocument();
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.typed) + " " + row.choice + " to " +
                     std::to_string(row.precision));
        SetPrecision(row.precision);
        const int32_t answer = Calculate(Typed(row.typed), row.choice);
        ASSERT_NE(answer, 0);
        EXPECT_EQ(Text(answer), row.shown);
    }
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

// The kernel is told to put C first (its term ordering gives the letter the top priority);
// the session's "Move C terms to back", on from the start, draws the constant last all the
// same, until the person turns it off.
TEST_F(AnswerDisplayTest, AnIntegralsConstantIsDrawnLastWhileTheTermOrderingSaysSo) {
    StartWithDocument();
    auto termOrdering = [&](bool constantsToBack) {
        Profiled().runDialog = [constantsToBack](QDialog& dialog) {
            if (auto* edit = dynamic_cast<EditTermPriorityDlg*>(&dialog)) {
                edit->SymbolEdit()->setText(QStringLiteral("C"));
                edit->PriorityEdit()->setText(QStringLiteral("9"));
                edit->accept();
                return edit->result();
            }
            auto* terms = dynamic_cast<TermOrderDialog*>(&dialog);
            if (terms == nullptr) return int(QDialog::Rejected);
            terms->findChild<QPushButton*>(QStringLiteral("new"))->click();
            if (!terms->UseOrdering()->isChecked()) terms->UseOrdering()->click();
            if (terms->ConstantsToBack()->isChecked() != constantsToBack)
                terms->ConstantsToBack()->click();
            return int(QDialog::Accepted);
        };
        Choose(cmd::kTermOrdering);
    };
    auto integral = [&] {
        ASSERT_TRUE(Run(cmd::kElementFraction + 9));
        QTest::keyClicks(view, "2x");
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClicks(view, "x");
        QTest::keyClick(view, Qt::Key_Right);
    };

    termOrdering(true);
    int32_t answer = Calculate(integral, "Integrate");
    ASSERT_NE(answer, 0);
    EXPECT_EQ(Text(answer), "x? + C?") << "x^2, then the constant";
    Picture("answer-constant-last.png");

    termOrdering(false);
    answer = Calculate(integral, "Integrate");
    ASSERT_NE(answer, 0);
    EXPECT_EQ(Text(answer), "C? + x?") << "the kernel's order";
    EXPECT_TRUE(messages.empty()) << messages[0].toStdString();
}

} // namespace
