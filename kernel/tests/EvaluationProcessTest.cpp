// A calculation all the way through the stand-in kernel program in its own process: typed math
// is parsed, the kernel offers its calculations, the chosen one runs, and the answer comes back
// as math boxes in a new paragraph.

#include "EvaluationDocument.h"
#include "FakeHost.h"
#include "expr/symbols/BuiltinNames.h"
#include "kernel/KernelSession.h"
#include "mathbox/MathBoxes.h"

#include <gtest/gtest.h>

namespace kerneltest {
namespace {

class EvaluationProcess : public ::testing::Test, public DocumentInView {
protected:
    void TearDown() override { session.reset(); }

    BuiltinNamesScope names;
    FakeHost host;
    std::unique_ptr<kernel::KernelSession> session = std::make_unique<kernel::KernelSession>(host);
};

TEST_F(EvaluationProcess, FactorOfATypedSquareComesBackAsBoxes) {
    kernel::ConnectionSettings settings;
    settings.quitDrainMilliseconds = 2000;
    session->SetConnectionSettings(settings);
    session->Start();
    ASSERT_TRUE(host.PumpUntil([&] { return !session->IsStarting(); }, 60));
    ASSERT_TRUE(session->IsConnected()) << (host.messages.empty() ? "" : host.messages[0]);

    // x^2 + 2x + 1, the exponent typed as a raised box.
    seq.InsertAt(std::make_unique<ParaComp>(ParaStyle::kPlainEquation), 2);
    CompList* line = List(2);
    fakes::AppendChars(*line, "x");
    BoxList exponent;
    exponent.AddGlyphs("2");
    line->Append(gBoxFactory.Get()->ExpoComp(std::move(exponent)).release());
    fakes::AppendChars(*line, "+2x+1");
    seq.PlaceAll(false);
    const DocRange selection = Range(line, 1, line->GetCount() + 1);
    view.selection = selection;
    const auto before = Saved();

    ExprHolder tree = TreeOf(line);
    kernel::CandidateRecords records;
    const int32_t count = session->EvaluateEval(*tree.Get(), records);
    const kernel::CandidateRecord* factor = nullptr;
    for (int32_t i = 0; i < count; ++i)
        if (records[static_cast<size_t>(i)].text.View() == "Factor")
            factor = &records[static_cast<size_t>(i)];
    ASSERT_NE(factor, nullptr);

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

} // namespace
} // namespace kerneltest
