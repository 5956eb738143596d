// The drag tool against a scripted kernel: what it asks about each place the pointer reaches,
// in which order, what it remembers of a refusal, what it says, and the move its release makes.

#include "EvaluationFixture.h"
#include "document/tests/FakeHost.h"
#include "kernel/DragTools.h"

#include <initializer_list>

namespace kerneltest {
namespace {

using kernel::ShuffleTool;

// The kernel's offers for a place: each record {value, text, placement}; none refuses it.
PipeKernel::Reply Offers(std::initializer_list<const char*> texts) {
    std::vector<std::string> words(texts.begin(), texts.end());
    return ReturnExpr([words](QKLINK link) {
        if (words.empty()) {
            QKPutFunction(link, "List", 1);
            QKPutFunction(link, "List", 3);
            QKPutInteger(link, 0);
            QKPutString(link, "");
            QKPutInteger(link, 0);
            return;
        }
        QKPutFunction(link, "List", static_cast<int32_t>(words.size()));
        for (size_t i = 0; i < words.size(); ++i) {
            QKPutFunction(link, "List", 3);
            QKPutInteger(link, static_cast<int32_t>(i + 1));
            QKPutString(link, words[i].c_str());
            QKPutInteger(link, kernel::placement::kReplaceParagraph);
        }
    });
}

class DragToolTest : public EvaluationTest {
protected:
    void SetUp() override {
        EvaluationTest::SetUp();
        seq.Append(actiontest::Para("a+b+c", ParaStyle::kPlainEquation));
        seq.Append(actiontest::Para("a+(", ParaStyle::kPlainEquation));
        seq.PlaceAll(false);
    }
    // The document point over character `index` of a paragraph: just inside its right edge,
    // where the place after it is found.
    Point Over(int32_t paragraph, int32_t index) {
        const Rect right = Range(List(paragraph), index + 1, index + 1).start.CaretRect();
        return Point(right.left - 1, (right.top + right.bottom) / 2);
    }
    std::unique_ptr<ShuffleTool> Drag(int32_t paragraph, int32_t first, int32_t last) {
        view.selection = Range(List(paragraph), first, last + 1);
        auto tool = std::make_unique<ShuffleTool>(view, seq, session, messages, view.selection);
        tool->Begin(Over(paragraph, first));
        return tool;
    }

    fakes::Host messages;
};

TEST_F(DragToolTest, EachPlaceIsAskedAboutOnceAndTheReleaseMovesTheTerm) {
    auto tool = Drag(4, 1, 1);
    EXPECT_EQ(view.status, " ");
    ASSERT_FALSE(tool->IsInert());
    EXPECT_TRUE(tool->IsLiveChecking()) << "a kernel on this machine is asked at once";

    // Over c: the term itself, then the sum that holds both, then c, each marked in turn.
    kernel->Serve({Offers({}), Offers({}), Offers({"Move term", "Swap", "Regroup"})});
    tool->MouseMoved(Over(4, 5));
    EXPECT_EQ(NewRequests(),
              (std::vector<std::string>{
                  "EvaluatePacket[TYEvaluateShuffle[TYPlus[TYTarget[a], b, c]]]",
                  "EvaluatePacket[TYEvaluateShuffle[TYTarget[TYPlus[TYMover[a], b, c]]]]",
                  "EvaluatePacket[TYEvaluateShuffle[TYPlus[TYMover[a], b, TYTarget[c]]]]"}));
    ASSERT_NE(tool->Candidate(), nullptr);
    EXPECT_EQ(TextOf(tool->Candidate()), "c");
    EXPECT_EQ(view.status, "Move term...") << "three offers: the first, and more to come";

    // Over b the refusals are not asked again; b is refused; back over c only c is asked.
    kernel->Serve({Offers({}), Offers({"Move term"})});
    tool->MouseMoved(Over(4, 3));
    EXPECT_EQ(tool->Candidate(), nullptr);
    EXPECT_EQ(view.status, "No action possible");
    tool->MouseMoved(Over(4, 5));
    EXPECT_EQ(NewRequests(),
              (std::vector<std::string>{
                  "EvaluatePacket[TYEvaluateShuffle[TYPlus[TYMover[a], TYTarget[b], c]]]",
                  "EvaluatePacket[TYEvaluateShuffle[TYPlus[TYMover[a], b, TYTarget[c]]]]"}));
    EXPECT_EQ(view.status, "Move term");

    // Back over the term: nothing to ask, and nothing proposed.
    tool->MouseMoved(Over(4, 1));
    EXPECT_EQ(tool->Candidate(), nullptr);
    EXPECT_EQ(view.status, "No action possible");
    kernel->Serve({Offers({"Move term"})});
    tool->MouseMoved(Over(4, 5));
    EXPECT_EQ(NewRequests().size(), 1u);
    ASSERT_NE(tool->Candidate(), nullptr);

    // The release makes the move, which sends the sum the kernel checked.
    tool->End(Over(4, 5));
    kernel::DragOutcome outcome = tool->TakeOutcome();
    ASSERT_NE(outcome.action, nullptr);
    EXPECT_EQ(outcome.count, 1);
    EXPECT_EQ(outcome.action->GetKind(), 1);
    EXPECT_EQ(outcome.action->GetPlacement(), kernel::placement::kReplaceParagraph);
    const auto before = Saved();
    kernel->Serve({ReturnExpr([](QKLINK link) {
        QKPutFunction(link, "TYPlus", 3);
        QKPutSymbol(link, "b");
        QKPutSymbol(link, "c");
        QKPutSymbol(link, "a");
    })});
    ASSERT_TRUE(slot.DoAction(std::move(outcome.action)));
    EXPECT_EQ(NewRequests(),
              (std::vector<std::string>{
                  "EvaluatePacket[TYShuffle[1, TYPlus[TYMover[a], b, TYTarget[c]]]]"}));
    EXPECT_EQ(Doc(), "3:ab | 5:x+1 | 3:cd | 5:b + c + a | 5:a+(");
    slot.UndoCommand();
    EXPECT_EQ(Saved(), before);
}

TEST_F(DragToolTest, ExpressionsThatDoNotParseAskNothing) {
    // The selection's own line.
    auto inert = Drag(5, 1, 1);
    EXPECT_TRUE(inert->IsInert());
    EXPECT_EQ(view.status, " ");
    inert->MouseMoved(Over(5, 3));
    inert->End(Over(5, 3));
    EXPECT_EQ(inert->TakeOutcome().action, nullptr);

    // Another line under the pointer.
    auto tool = Drag(4, 1, 1);
    ASSERT_FALSE(tool->IsInert());
    tool->MouseMoved(Over(5, 1));
    EXPECT_EQ(view.status, "Syntax Error");
    EXPECT_EQ(tool->Candidate(), nullptr);
    tool->End(Over(5, 1));
    EXPECT_EQ(tool->TakeOutcome().action, nullptr);
    EXPECT_TRUE(NewRequests().empty());
}

} // namespace
} // namespace kerneltest
