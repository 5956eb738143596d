// Calculations all the way through the stand-in kernel program in its own process: typed math
// is parsed, the kernel offers its calculations, the chosen one runs, and the answer comes back
// as math boxes where its placement puts it; undo and redo give back the same bytes. Kernels
// that answer nothing, take too long or die leave the document as it was.

#include "EvaluationDocument.h"
#include "LocalKernel.h"
#include "expr/CompositeNode.h"
#include "kernel/KernelSession.h"
#include "mathbox/GridBox.h"
#include "mathbox/MathBoxes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace kerneltest {
namespace {

using Clock = std::chrono::steady_clock;

BoxFactory& Boxes() {
    return *gBoxFactory.Get();
}
BoxList Glyphs(std::string_view text) {
    BoxList boxes;
    boxes.AddGlyphs(text);
    return boxes;
}
// Glyphs, then a raised exponent.
BoxList Power(std::string_view base, std::string_view exponent) {
    BoxList boxes = Glyphs(base);
    boxes.Add(Boxes().ExpoComp(Glyphs(exponent)));
    return boxes;
}
// A list's text without the math face's style marks.
std::string Plain(std::string text) {
    for (size_t at = text.find("'3"); at != std::string::npos; at = text.find("'3"))
        text.erase(at, 2);
    return text;
}
void Type(CompList& line, std::string_view text) {
    fakes::AppendChars(line, text);
}
void Put(CompList& line, OwnedComponent box) {
    line.Append(box.release());
}
void Put(CompList& line, BoxList boxes) {
    for (OwnedComponent& box : boxes.Release())
        Put(line, std::move(box));
}

// 2 times the matrix with rows 1 2 3 and 4 5 6.
void TwoByThreeMatrix(CompList& l) {
    Type(l, "2");
    std::vector<std::vector<BoxList>> rows(2);
    for (const char* cell : {"1", "2", "3"})
        rows[0].push_back(Glyphs(cell));
    for (const char* cell : {"4", "5", "6"})
        rows[1].push_back(Glyphs(cell));
    Put(l, Boxes().MatrixBox(std::move(rows)));
}

class EvaluationProcess : public LocalKernelTest, public DocumentInView {
protected:
    // A new equation paragraph at 2, filled by `type`; the selection covers its whole line.
    CompList* NewLine(const std::function<void(CompList&)>& type,
                      int32_t style = ParaStyle::kPlainEquation) {
        seq.InsertAt(std::make_unique<ParaComp>(style), 2);
        CompList* line = List(2);
        type(*line);
        seq.PlaceAll(false);
        view.selection = Range(line, 1, line->GetCount() + 1);
        return line;
    }

    // The offered calculation of that name for the node, as the choice popup shows them.
    std::optional<kernel::CandidateRecord> Offered(const ExprNode& node, std::string_view name) {
        kernel::CandidateRecords records;
        const int32_t count = session->EvaluateEval(node, records);
        for (int32_t i = 0; i < count; ++i)
            if (records[static_cast<size_t>(i)].text.View() == name)
                return records[static_cast<size_t>(i)];
        return std::nullopt;
    }

    // Runs the calculation of that name on `input` (the tree's root when null) as the view's
    // choice popup does; false when the kernel does not offer it. `whileRunning`, when given,
    // is what the person does while the calculation computes (not while the kernel is asked
    // what it offers).
    bool Run(ExprHolder tree, std::string_view name, ExprNode* input = nullptr,
             std::function<void()> whileRunning = nullptr) {
        if (!input) input = tree.Get();
        const auto record = Offered(*input, name);
        if (!record) return false;
        host.onEvents = std::move(whileRunning);
        const bool done = slot.DoAction(MakeAction<kernel::EvaluateAction>(
            view, *session, view.selection, record->value, record->second, std::move(tree), input));
        host.onEvents = nullptr;
        return done;
    }
};

TEST_F(EvaluationProcess, FactorOfATypedSquareComesBackAsBoxes) {
    StartKernel();
    // x^2 + 2x + 1, the exponent typed as a raised box.
    CompList* line = NewLine([](CompList& l) {
        Put(l, Power("x", "2"));
        Type(l, "+2x+1");
    });
    const DocRange selection = view.selection;
    const auto before = Saved();

    ExprHolder tree = TreeOf(line);
    const auto factor = Offered(*tree.Get(), "Factor");
    ASSERT_TRUE(factor);
    ExprNode* input = tree.Get();
    ASSERT_TRUE(slot.DoAction(MakeAction<kernel::EvaluateAction>(
        view, *session, selection, factor->value, factor->second, std::move(tree), input)));
    EXPECT_EQ(Doc(), "3:ab | 5:x[B]{2}+2x+1 | 5:[B]{x + 1}[B]{2} | 5:x+1 | 3:cd");
    const ParaComp* result = seq.GetAt(3);
    ASSERT_EQ(result->GetList(1)->GetCount(), 2);
    EXPECT_NE(dynamic_cast<const ParenComp*>(result->GetList(1)->GetAt(1)), nullptr);
    EXPECT_NE(dynamic_cast<const ExpoComp*>(result->GetList(1)->GetAt(2)), nullptr);
    EXPECT_TRUE(host.messages.empty()) << host.messages[0];

    slot.UndoCommand();
    EXPECT_EQ(Saved(), before);
}

// Each calculation on math typed as the editor builds it: the answer's paragraph, and undo and
// redo comparing the document's bytes.
TEST_F(EvaluationProcess, CalculationsOnTypedMathPlaceTheirAnswersAndUndo) {
    struct Row {
        const char* name;
        std::function<void(CompList&)> type;
        const char* choice;
        int32_t placement;
        const char* answer; // the answer's paragraph
    };
    const Row rows[] = {
        {"an indefinite integral gains a numbered constant",
         [](CompList& l) { Put(l, Boxes().InteComp(Power("x", "2"), Glyphs("x"), {}, {}, false)); },
         "Integrate", kernel::placement::kNewParagraphAfter, "[B]{x[B]{3},3} + C[B]{1}"},
        {"a definite integral",
         [](CompList& l) {
             Put(l, Boxes().InteComp(Glyphs("x"), Glyphs("x"), Glyphs("2"), Glyphs("0"), true));
         },
         "Integrate", kernel::placement::kNewParagraphAfter, "2"},
        {"a derivative",
         [](CompList& l) { Put(l, Boxes().TotalDerivativeBox(Glyphs("x"), {}, Power("x", "3"))); },
         "Differentiate", kernel::placement::kNewParagraphAfter, "3 x[B]{2}"},
        {"solving gives an or of equations",
         [](CompList& l) {
             Put(l, Power("x", "2"));
             Type(l, "=4");
         },
         "Solve", kernel::placement::kNewParagraphAfter, "x = -2 or x = 2"},
        {"a limit",
         [](CompList& l) {
             Put(l, Boxes().LimitComp(Glyphs("x->0")));
             Put(l, Boxes().FracComp(Glyphs("sin(x)"), Glyphs("x")));
         },
         "Limit", kernel::placement::kNewParagraphAfter, "1"},
        {"a limit at infinity (the math face's 0xB2)",
         [](CompList& l) {
             Put(l, Boxes().LimitComp(Glyphs("x->\xB2")));
             Put(l, Boxes().FracComp(Glyphs("1"), Glyphs("x")));
         },
         "Limit", kernel::placement::kNewParagraphAfter, "0"},
        {"a matrix stays a grid of rows", TwoByThreeMatrix, "Simplify",
         kernel::placement::kNewParagraphAfter, "[G3x2]{2,4,6,8,10,12}"},
        {"simplified in place, the paragraph is replaced", [](CompList& l) { Type(l, "2x+3x"); },
         "Simplify in place", kernel::placement::kReplaceParagraph, "5 x"},
    };
    StartKernel();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CompList* line = NewLine(row.type);
        const auto before = Saved();
        const std::string typed = Doc();
        ASSERT_TRUE(Run(TreeOf(line), row.choice));
        const auto* action = dynamic_cast<const kernel::CalculationAction*>(slot.GetLastAction());
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->GetPlacement(), row.placement);
        // In place, the answer stands where the typed paragraph stood; otherwise after it.
        const bool inPlace = row.placement == kernel::placement::kReplaceParagraph;
        EXPECT_EQ(seq.GetCount(), inPlace ? 4 : 5);
        EXPECT_EQ(Plain(actiontest::Deep(*List(inPlace ? 2 : 3))), row.answer) << typed;
        EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        ExpectUndoAndRedo(before);
        EXPECT_EQ(Doc(), typed);
        seq.RemoveAt(2);
    }
}

// Typed as a mathematician types it: a power right after a function's bracketed argument
// squares the application, and the kernel computes it so. Reals come back with the precision
// of the calculation preferences and a zero before the point.
TEST_F(EvaluationProcess, TypedPowersOfFunctionsAndTheirRealsReachTheKernelAsMeant) {
    struct Row {
        const char* typed;
        int32_t precision;
        const char* choice;
        const char* answer;
    };
    const Row rows[] = {
        {"sin(x)^2+cos(x)^2", 0, "Simplify", "1"},
        {"sin[x]^2+cos[x]^2", 0, "Simplify", "1"},
        {"sin(2)^2", 0, "Numeric value", "0.826821810431806"},
        {"sin(2)^2", 5, "Numeric value", "0.82682"},
        {"1.2345+0.2736", 5, "Numeric value", "1.5081"},
        {"log(100)^2", 0, "Simplify", "4"},
        {"sin x^2", 0, "Evaluate", "sin[B]{x[B]{2}}"},
    };
    StartKernel();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.typed) + ", precision " + std::to_string(row.precision));
        kernel::SessionPrefs prefs = session->Prefs();
        prefs.precision = row.precision;
        session->SetPrefs(prefs);
        session->SetSessionPrefs();
        CompList* line = NewLine([&](CompList& l) { Type(l, row.typed); });
        ASSERT_TRUE(Run(TreeOf(line), row.choice));
        EXPECT_EQ(Plain(actiontest::Deep(*List(3))), row.answer);
        EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        slot.UndoCommand();
        seq.RemoveAt(2);
    }
}

// The matrix answer keeps its rows: 2 rows of 3 cells, each cell where it was.
TEST_F(EvaluationProcess, AMatrixAnswerKeepsItsRowsAndColumns) {
    StartKernel();
    CompList* line = NewLine(TwoByThreeMatrix);
    ASSERT_TRUE(Run(TreeOf(line), "Simplify"));
    const CompList* result = List(3);
    ASSERT_EQ(result->GetCount(), 1) << Doc();
    const auto* grid = dynamic_cast<const GridBox*>(result->GetAt(1));
    ASSERT_NE(grid, nullptr) << Doc();
    EXPECT_EQ(grid->GetRowCount(), 2);
    EXPECT_EQ(grid->GetColumnCount(), 3);
    const char* expected[2][3] = {{"2", "4", "6"}, {"8", "10", "12"}};
    for (int32_t row = 1; row <= 2; ++row)
        for (int32_t column = 1; column <= 3; ++column)
            EXPECT_EQ(Plain(actiontest::Deep(*grid->GetCell(column, row))),
                      expected[row - 1][column - 1])
                << "row " << row << ", column " << column;
}

// The letters the Constants palette opens with checked are the kernel's constants from its
// start: e and i are Euler's number and the imaginary unit, c differentiates to 0. An integer
// factors into its prime powers, and log with two arguments takes the first as its base.
TEST_F(EvaluationProcess, ThePalettesConstantsAndTheNumbersAnswerAsAPersonExpects) {
    struct Row {
        const char* name;
        std::function<void(CompList&)> type;
        const char* choice;
        const char* answer;
    };
    const Row rows[] = {
        {"d/dx e^x",
         [](CompList& l) { Put(l, Boxes().TotalDerivativeBox(Glyphs("x"), {}, Power("e", "x"))); },
         "Differentiate", "e[B]{x}"},
        {"i^2", [](CompList& l) { Type(l, "i^2"); }, "Simplify", "-1"},
        {"d/dx (c x)",
         [](CompList& l) { Put(l, Boxes().TotalDerivativeBox(Glyphs("x"), {}, Glyphs("c x"))); },
         "Differentiate", "c"},
        {"the sum of i for i from 1 to 4 runs over i",
         [](CompList& l) {
             Put(l, Boxes().SumComp(Glyphs("4"), Glyphs("i=1"), true));
             Type(l, "i");
         },
         "Sum", "10"},
        {"an integer's factors", [](CompList& l) { Type(l, "360"); }, "Factor",
         "2[B]{3} 3[B]{2} 5"},
        {"log to a base", [](CompList& l) { Type(l, "log[2,8]"); }, "Simplify", "3"},
        {"log of one argument", [](CompList& l) { Type(l, "log[1000]"); }, "Simplify", "3"},
    };
    StartKernel();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CompList* line = NewLine(row.type);
        ASSERT_TRUE(Run(TreeOf(line), row.choice));
        EXPECT_EQ(Plain(actiontest::Deep(*List(3))), row.answer);
        EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        slot.UndoCommand();
        seq.RemoveAt(2);
    }

    // An answer that holds e computes again: its numeric value is Euler's number.
    CompList* line = NewLine([](CompList& l) { Type(l, "exp(1)"); });
    ASSERT_TRUE(Run(TreeOf(line), "Simplify"));
    EXPECT_EQ(Plain(actiontest::Deep(*List(3))), "e");
    CompList* answer = List(3);
    view.selection = Range(answer, 1, answer->GetCount() + 1);
    ASSERT_TRUE(Run(TreeOf(answer), "Numeric value"));
    EXPECT_EQ(Plain(actiontest::Deep(*List(4))).substr(0, 12), "2.7182818284");

    // Cleared, e is a letter of its own again, which a total derivative takes as a function of
    // its variable; declared, any letter is constant.
    session->SetConstant('e', false);
    session->SetConstant('k', true);
    const Row letters[] = {
        {"d/dx e^x with e a letter",
         [](CompList& l) { Put(l, Boxes().TotalDerivativeBox(Glyphs("x"), {}, Power("e", "x"))); },
         "Differentiate", nullptr},
        {"d/dx (k x) with k constant",
         [](CompList& l) { Put(l, Boxes().TotalDerivativeBox(Glyphs("x"), {}, Glyphs("k x"))); },
         "Differentiate", "k"},
    };
    for (const Row& row : letters) {
        SCOPED_TRACE(row.name);
        line = NewLine(row.type);
        ASSERT_TRUE(Run(TreeOf(line), row.choice));
        const std::string answered = Plain(actiontest::Deep(*List(3)));
        if (row.answer)
            EXPECT_EQ(answered, row.answer);
        else
            EXPECT_NE(answered.find("[B]{x,,e}"), std::string::npos) << answered << ": no de/dx";
        slot.UndoCommand();
        seq.RemoveAt(2);
    }
}

// The code command: the selected code paragraph's answer as a new paragraph after it.
TEST_F(EvaluationProcess, CodeIsEvaluatedIntoANewParagraphAndUndone) {
    StartKernel();
    NewLine([](CompList& l) { Type(l, "Factor[x^2-1]"); }, ParaStyle::kSourceCode);
    const auto before = Saved();
    const std::string typed = Doc();
    ASSERT_TRUE(slot.DoAction(MakeAction<kernel::StringEvaluateAction>(view, *session)));
    EXPECT_EQ(Doc(), "3:ab | 7:Factor[x^2-1] | 5:[B]{x - 1} [B]{x + 1} | 5:x+1 | 3:cd");
    EXPECT_TRUE(host.messages.empty()) << host.messages[0];
    ExpectUndoAndRedo(before);
    EXPECT_EQ(Doc(), typed);
}

// The integration constant an answer brings is numbered past those the expression holds: the
// holder collects their indices and asks the kernel for the next one. An index the kernel
// cannot order (a letter) leaves the numbering to the integer indices.
TEST_F(EvaluationProcess, AnIntegralBesideAConstantGainsTheNextConstant) {
    struct Row {
        const char* index; // of the constant typed beside the integral
        const char* answer;
    };
    const Row rows[] = {
        {"1", "[B]{x[B]{2},2} + C[B]{2} + C[B]{1}"},
        {"a", "[B]{x[B]{2},2} + C[B]{1} + C[B]{a}"},
    };
    StartKernel();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        CompList* line = NewLine([&](CompList& l) {
            Put(l, Boxes().InteComp(Glyphs("x"), Glyphs("x"), {}, {}, false));
            Type(l, "+C");
            Put(l, Boxes().SubsComp(Glyphs(row.index)));
        });
        ExprHolder tree = TreeOf(line);
        auto* sum = dynamic_cast<CompositeNode*>(tree.Get());
        ASSERT_NE(sum, nullptr);
        ExprNode* integral = sum->FirstChild();
        ASSERT_TRUE(Run(std::move(tree), "Integrate", integral));
        EXPECT_EQ(Plain(actiontest::Deep(*List(3))), row.answer);
        EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        slot.UndoCommand();
        seq.RemoveAt(2);
    }
}

// A kernel that cannot do the calculation says so where the answer would go, and the step
// undoes like any other.
TEST_F(EvaluationProcess, AFailedCalculationShowsItsFailure) {
    StartKernel("on TYEvaluate answer failed\n");
    CompList* line = NewLine([](CompList& l) { Type(l, "x+1"); });
    const auto before = Saved();
    ASSERT_TRUE(Run(TreeOf(line), "Factor"));
    EXPECT_EQ(Doc(), "3:ab | 5:x+1 | 5:$Failed | 5:x+1 | 3:cd");
    EXPECT_TRUE(host.messages.empty()) << host.messages[0];
    ExpectUndoAndRedo(before);
}

// Kernels that give no answer to place: the document stays as it was, nothing can be undone,
// and the session goes on (or, when the kernel died, is closed with one message).
TEST_F(EvaluationProcess, NoAnswerLeavesTheDocumentUnchanged) {
    struct Row {
        const char* name;
        const char* script;
        bool interrupt; // Escape while the kernel computes
        bool connectedAfter;
        const char* message; // the start of the one message expected; null: none
    };
    const Row rows[] = {
        {"the kernel cancels", "on TYEvaluate answer canceled\n", false, true, nullptr},
        {"a slow calculation interrupted", "on TYEvaluate slow 20\n", true, true, nullptr},
        // Told it was aborted, the person expects nothing from it: the late answer is read
        // and dropped.
        {"a kernel that ignores the interrupt and answers late", "on TYEvaluate stuck 1\n", true,
         true, nullptr},
        {"the kernel dies while it computes", "on TYEvaluate die-mid-evaluation\n", false, false,
         kernel::KernelSession::kLinkErrorPrefix},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.messages.clear();
        StartKernel(row.script);
        const pid_t kernelProcess = session->KernelProcess();
        CompList* line = NewLine([](CompList& l) {
            Put(l, Power("x", "2"));
            Type(l, "+2x+1");
        });
        const auto before = Saved();
        auto lastEscape = Clock::now();
        bool interrupted = false;
        std::function<void()> escape;
        if (row.interrupt) {
            // Escape, and again a while later: a kernel that has not yet read the request
            // ignores an interrupt as stale. Pressed while the kernel is asked what it offers,
            // it could stop that question instead.
            escape = [&] {
                if (Clock::now() - lastEscape < std::chrono::milliseconds(300)) return;
                lastEscape = Clock::now();
                interrupted = session->IsBusy();
                if (interrupted) session->Interrupt();
            };
        }
        const auto started = Clock::now();
        ASSERT_TRUE(Run(TreeOf(line), "Factor", nullptr, std::move(escape)));
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(15));
        EXPECT_EQ(interrupted, row.interrupt);
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(slot.CanUndo());
        const auto* action = dynamic_cast<const kernel::CalculationAction*>(slot.GetLastAction());
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->GetPlacement(), kernel::placement::kNothing);
        EXPECT_EQ(session->IsConnected(), row.connectedAfter);
        if (row.message) {
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0].rfind(row.message, 0), 0u) << host.messages[0];
            EXPECT_FALSE(host.paletteOpen);
            EXPECT_GT(kernelProcess, 0);
        } else {
            EXPECT_TRUE(host.messages.empty()) << host.messages[0];
        }
        if (row.connectedAfter) {
            // Still in step: the next request is answered as usual.
            ExprHolder again = TreeOf(line);
            EXPECT_TRUE(Offered(*again.Get(), "Factor")) << "still in step";
            session->Quit(false);
        } else {
            // Nothing goes to a kernel that is gone, and nothing is placed.
            EXPECT_FALSE(Offered(*TreeOf(line).Get(), "Factor"));
        }
        EXPECT_EQ(Saved(), before);
        seq.RemoveAt(2);
    }
}

} // namespace
} // namespace kerneltest
