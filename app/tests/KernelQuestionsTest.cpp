// The kernel's questions to the user all the way through the running editor and the kernel
// program: a calculation chosen on typed math asks the user, its window opens inside the
// calculation, and the answer decides what comes back into the document; cancelled, the
// document stays as it was.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/QueryDialog.h"
#include "app/TessaryApp.h"
#include "app/TessaryDialogView.h"
#include "app/TessaryView.h"
#include "app/tests/KernelAppFixture.h"
#include "app/tests/ShellFixture.h"
#include "document/CompSequence.h"
#include "document/tests/StreamBytes.h"
#include "kernel/EvaluationActions.h"
#include "kernel/KernelSession.h"
#include "kernel/NodePath.h"
#include "mathbox/parser/ExprHolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

namespace {

class KernelQuestions : public kernelapp::KernelAppTest {
protected:
    void SetUp() override {
        KernelAppTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(StartFromMenu());
        ChildFrame* child = app->NewDocument();
        ASSERT_NE(child, nullptr);
        view = child->View();
        // x+2x+1 typed in an equation paragraph.
        ASSERT_TRUE(frame->Router().Run(cmd::kParaPlainEquation));
        QTest::keyClicks(view, "x+2x+1");
        line = view->Page()->GetAt(1)->GetList(1);
        ASSERT_EQ(line->GetCount(), 6);
    }
    // The document's paragraphs as the file stores them.
    streambytes::Bytes Saved() const {
        return streambytes::Save([&](DocStream& s) { view->Page()->Write(s, false); });
    }
    // The text of paragraph `index` as the kernel would read it.
    std::string ParagraphText(int32_t index) const {
        NodePtr tree(view->Page()->GetAt(index)->ToExpression());
        Str255 text;
        if (tree) tree->WriteText(text);
        return text.ToCString();
    }

    // Chooses the kernel's calculation `label` for the whole line, as the evaluate command
    // does: the selected node marked, the kernel's offers asked, the chosen one run.
    bool Calculate(const char* label) {
        DocRange selection;
        selection.Set(line, 1, line->GetCount() + 1);
        view->SetSelection(selection, true);
        ExprHolder tree(NodePtr(line->ToExpression()));
        kernel::NodePath path;
        path.FromSelection(*tree.Get(), selection);
        ExprNode* input = path.Last();
        kernel::CandidateRecords records;
        const int32_t count = session->EvaluateEval(*input, records);
        for (int32_t i = 0; i < count; ++i) {
            const kernel::CandidateRecord& record = records[static_cast<size_t>(i)];
            if (record.text.View() != label) continue;
            return view->DoAction(MakeAction<kernel::EvaluateAction>(
                *view, *session, selection, record.value, record.second, std::move(tree), input));
        }
        ADD_FAILURE() << "the kernel offers no " << label;
        return false;
    }

    // Runs `act` on the modal window once it opens, remembering which window it was.
    void WhenOpen(std::function<void(QWidget*)> act) {
        shelltest::WhenModalOpens(frame, [this, act = std::move(act)](QWidget* window) {
            opened = window->objectName();
            act(window);
        });
    }

    TessaryView* view = nullptr;
    CompList* line = nullptr;
    QString opened;
};

// "Choose terms..." asks which terms to simplify together: x and 2x are moved across, and the
// answer simplifies those two and keeps the rest.
TEST_F(KernelQuestions, ChosenItemsComeBackIntoTheDocument) {
    WhenOpen([this](QWidget* window) {
        // The document window changes size while the calculation draws on its view.
        view->window()->resize(700, 500);
        frame->resize(900, 650);
        QTest::qWait(20);
        auto* left = window->findChild<QListWidget*>(QStringLiteral("available"));
        ASSERT_EQ(left->count(), 3);
        left->setCurrentRow(0);
        window->findChild<QPushButton*>(QStringLiteral("moveRight"))->click();
        window->findChild<QPushButton*>(QStringLiteral("moveRight"))->click();
        window->grab().save(shelltest::OutputPath(QStringLiteral("kernel-choose-terms.png")));
        static_cast<QDialog*>(window)->accept();
    });
    ASSERT_TRUE(Calculate("Choose terms..."));
    EXPECT_EQ(opened, QStringLiteral("kernelQueryItems"));
    ASSERT_EQ(view->Page()->GetCount(), 2);
    EXPECT_EQ(ParagraphText(2), "3 x + 1");
    // Its image follows the size once the calculation's drawing has ended.
    EXPECT_EQ(view->BackingImage().size(), view->viewport()->size());
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

// "Substitute..." asks for an equation in the query window, proposing x = x: the person
// types x = 2 over it and presses Return.
TEST_F(KernelQuestions, AnEquationTypedInTheQueryWindowIsSubstituted) {
    WhenOpen([](QWidget* window) {
        QWidget* pane = static_cast<COSKQueryDialog*>(window)->View();
        QTest::keyClick(pane, Qt::Key_Home);
        QTest::keyClick(pane, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClicks(pane, "x=2");
        QTest::keyClick(pane, Qt::Key_Return);
    });
    ASSERT_TRUE(Calculate("Substitute..."));
    EXPECT_EQ(opened, QStringLiteral("kernelQuery"));
    ASSERT_EQ(view->Page()->GetCount(), 2);
    EXPECT_EQ(ParagraphText(2), "7");
}

TEST_F(KernelQuestions, CancelledLeavesTheDocumentAsItWas) {
    const streambytes::Bytes before = Saved();
    WhenOpen([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    Calculate("Choose terms...");
    EXPECT_EQ(opened, QStringLiteral("kernelQueryItems"));
    EXPECT_EQ(view->Page()->GetCount(), 1);
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(session->IsConnected());
    EXPECT_FALSE(session->IsBusy());
}

} // namespace
