// The calculations placed in the document: each placement where it belongs, undo and redo
// putting back the very bytes, and the answers that place nothing.

#include "EvaluationFixture.h"

namespace kerneltest {
namespace {

using kernel::EvaluateAction;
using kernel::StringEvaluateAction;
namespace placement = kernel::placement;

// The answer y + 2.
PipeKernel::Reply SumAnswer() {
    return ReturnExpr([](QKLINK link) {
        QKPutFunction(link, "Plus", 2);
        QKPutSymbol(link, "y");
        QKPutInteger(link, 2);
    });
}

// Calculations on the whole second line, "x+1".
class LineCalculationTest : public EvaluationTest {
protected:
    // Runs calculation `kind` with `placement`, the kernel answering `reply`; the caret ends
    // where the action put it.
    bool CalculateLine(PipeKernel::Reply reply, int32_t kind, int32_t placement) {
        const DocRange selection = Range(List(2), 1, 4);
        view.selection = selection;
        ExprHolder tree = TreeOf(List(2));
        ExprNode* input = tree.Get();
        kernel->Serve({std::move(reply)});
        const bool done = slot.DoAction(MakeAction<EvaluateAction>(
            view, session, selection, kind, placement, std::move(tree), input));
        NewRequests();
        return done;
    }
};

TEST_F(EvaluationTest, EachPlacementPutsTheAnswerWhereItBelongs) {
    struct Case {
        const char* name;
        int32_t kind;
        int32_t placement;
        bool resultsAtEnd;
        bool wholeLine; // the input is the whole line, else only its "x"
        const char* request;
        const char* document;
    };
    const Case cases[] = {
        {"kind 0 simplifies, result after the source", 0, placement::kNewParagraphAfter, false,
         true, "EvaluatePacket[TYSimplify[TYPlus[x, 1]]]", "3:ab | 5:x+1 | 5:y + 2 | 3:cd"},
        {"answer in place of the selected part", 7, placement::kNewParagraphAfter, false, false,
         "EvaluatePacket[TYEvaluate[7, x]]", "3:ab | 5:x+1 | 5:y + 2 + 1 | 3:cd"},
        {"results at end go after the last paragraph", 7, placement::kNewParagraphAfter, true, true,
         "EvaluatePacket[TYEvaluate[7, TYPlus[x, 1]]]", "3:ab | 5:x+1 | 3:cd | 5:y + 2"},
        {"replace the source paragraph", 3, placement::kReplaceParagraph, true, true,
         "EvaluatePacket[TYEvaluate[3, TYPlus[x, 1]]]", "3:ab | 5:y + 2 | 3:cd"},
        {"whole answer alone, not in the line", 7, placement::kWholeAnswer, false, false,
         "EvaluatePacket[TYEvaluate[7, x]]", "3:ab | 5:x+1 | 5:y + 2 | 3:cd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kernel::SessionPrefs prefs = session.Prefs();
        prefs.resultsAtEnd = c.resultsAtEnd;
        session.SetPrefs(prefs);
        const auto before = Saved();
        const std::string beforeText = Doc();
        const DocRange selection = c.wholeLine ? Range(List(2), 1, 4) : Range(List(2), 1, 2);
        view.selection = selection;
        ExprHolder tree = TreeOf(List(2));
        ExprNode* input =
            c.wholeLine ? tree.Get() : static_cast<CompositeNode*>(tree.Get())->FirstChild();
        kernel->Serve({SumAnswer()});
        ASSERT_TRUE(slot.DoAction(MakeAction<EvaluateAction>(view, session, selection, c.kind,
                                                             c.placement, std::move(tree), input)));
        EXPECT_EQ(NewRequests(), std::vector<std::string>{c.request});
        EXPECT_EQ(Doc(), c.document);
        EXPECT_EQ(view.status, "");
        const auto done = Saved();
        // The caret ends behind the result.
        const auto* action = static_cast<EvaluateAction*>(slot.GetLastAction());
        EXPECT_TRUE(action->CanUndo());
        const ParaComp* result = view.selection.end.paragraph;
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->GetStyle().GetKind(), kernel::kResultParagraphStyle);
        EXPECT_EQ(view.selection.end.index, result->GetList(1)->GetCount() + 1);
        EXPECT_FALSE(view.selection.HasExtent());

        slot.UndoCommand();
        EXPECT_EQ(Saved(), before);
        EXPECT_EQ(Doc(), beforeText);
        EXPECT_EQ(view.selection.start.index, selection.start.index);
        EXPECT_EQ(view.selection.end.index, selection.end.index);
        // Redo places the kept answer again without asking the kernel.
        slot.UndoCommand();
        EXPECT_EQ(Saved(), done);
        EXPECT_TRUE(NewRequests().empty());
        // The next case starts from the first document.
        slot.UndoCommand();
        slot.Clear();
        ASSERT_EQ(Doc(), beforeText);
    }
}

TEST_F(LineCalculationTest, AnswersThatPlaceNothingLeaveTheDocumentAndCannotBeUndone) {
    struct Case {
        const char* name;
        PipeKernel::Reply reply;
        int32_t placement;
    };
    const Case cases[] = {
        {"cancelled", ReturnSymbol("$Canceled"), placement::kNewParagraphAfter},
        {"cancelled, where it would replace the line", ReturnSymbol("$Canceled"),
         placement::kReplaceParagraph},
        {"placement nothing", SumAnswer(), placement::kNothing},
        {"constant letter with no palette", SumAnswer(), placement::kDeclareConstant},
        // Last, since the kernel is gone after it: the request answers the error tree.
        {"the kernel went away", GoAway(), placement::kWholeAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = Saved();
        CalculateLine(c.reply, 7, c.placement);
        EXPECT_EQ(Saved(), before);
        const auto* action = static_cast<EvaluateAction*>(slot.GetLastAction());
        ASSERT_NE(action, nullptr);
        EXPECT_FALSE(action->CanUndo());
        EXPECT_EQ(action->GetPlacement(),
                  placement::kNothing == c.placement || c.placement == placement::kDeclareConstant
                      ? c.placement
                      : placement::kNothing);
        // The selection collapses to its end.
        EXPECT_FALSE(view.selection.HasExtent());
        EXPECT_EQ(view.selection.start.index, 4);
        EXPECT_EQ(view.status, "");
        slot.Clear();
    }
}

// Unlike program text, a calculation the kernel could not do shows its "$Failed" where the
// answer goes, as one undoable step.
TEST_F(LineCalculationTest, AFailedCalculationIsShownLikeAnyAnswer) {
    struct Case {
        int32_t placement;
        const char* document;
    };
    const Case cases[] = {
        {placement::kNewParagraphAfter, "3:ab | 5:x+1 | 5:$Failed | 3:cd"},
        {placement::kReplaceParagraph, "3:ab | 5:$Failed | 3:cd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.placement);
        const auto before = Saved();
        ASSERT_TRUE(CalculateLine(ReturnSymbol("$Failed"), 7, c.placement));
        EXPECT_EQ(Doc(), c.document);
        EXPECT_TRUE(slot.GetLastAction()->CanUndo());
        slot.UndoCommand();
        EXPECT_EQ(Saved(), before);
        slot.Clear();
    }
}

TEST_F(EvaluationTest, ConstantAndPlotAnswersOnlyTouchTheirReceivers) {
    seq.Append(actiontest::Para("[", ParaStyle::kPlainEquation));
    seq.PlaceAll(false);
    struct Case {
        const char* name;
        int32_t paragraph, from, to;
        int32_t placement;
        std::vector<std::string> checks; // the palette's boxes, "a+" checked, "a-" cleared
    };
    const Case cases[] = {
        {"a letter declared", 1, 1, 2, placement::kDeclareConstant, {"a+"}},
        {"a letter no longer constant", 2, 1, 2, placement::kClearConstant, {"x-"}},
        {"a digit", 2, 3, 4, placement::kDeclareConstant, {}},
        {"a bracket", 4, 1, 2, placement::kDeclareConstant, {}},
        {"two letters", 1, 1, 3, placement::kClearConstant, {}},
        // No component takes a plot's answer yet: it goes, wherever the selection stands.
        {"into a plot", 2, 1, 4, placement::kIntoPlot, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.constantChecks.clear();
        const auto before = Saved();
        const DocRange selection = Range(List(c.paragraph), c.from, c.to);
        view.selection = selection;
        ExprHolder tree = TreeOf(List(2));
        ExprNode* input = tree.Get();
        kernel->Serve({SumAnswer()});
        slot.DoAction(MakeAction<EvaluateAction>(view, session, selection, 7, c.placement,
                                                 std::move(tree), input));
        // The calculation is the only request: the kernel already knows about its constant.
        EXPECT_EQ(NewRequests().size(), 1u);
        EXPECT_EQ(host.constantChecks, c.checks);
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(slot.GetLastAction()->ModifiesDocument());
        EXPECT_FALSE(slot.GetLastAction()->CanUndo());
        EXPECT_FALSE(view.selection.HasExtent());
        EXPECT_EQ(view.selection.start.index, c.to);
        slot.Clear();
    }
}

TEST_F(EvaluationTest, AChoiceSetBeforeTheRunDecidesTheCalculation) {
    const DocRange selection = Range(List(2), 1, 4);
    view.selection = selection;
    ExprHolder tree = TreeOf(List(2));
    ExprNode* input = tree.Get();
    auto action = MakeAction<EvaluateAction>(view, session, selection, 0,
                                             placement::kNewParagraphAfter, std::move(tree), input);
    action->SetChoice(3, placement::kReplaceParagraph);
    EvaluateAction* pending = action.get();
    kernel->Serve({SumAnswer()});
    ASSERT_TRUE(slot.DoAction(std::move(action)));
    EXPECT_EQ(NewRequests(),
              std::vector<std::string>{"EvaluatePacket[TYEvaluate[3, TYPlus[x, 1]]]"});
    EXPECT_EQ(Doc(), "3:ab | 5:y + 2 | 3:cd");
    // Once computed, the action stays what it computed.
    pending->SetChoice(7, placement::kNothing);
    EXPECT_EQ(pending->GetKind(), 3);
    EXPECT_EQ(pending->GetPlacement(), placement::kReplaceParagraph);
    slot.UndoCommand();
    EXPECT_EQ(Doc(), "3:ab | 5:x+1 | 3:cd");
}

TEST_F(LineCalculationTest, AReplacedParagraphIsFreedOnlyWhileTheActionIsDone) {
    // Done and dropped, the action frees the old paragraph; undone and dropped, the new one.
    // Under the address sanitizer a wrong choice is a leak or a use after free.
    for (bool undone : {false, true}) {
        SCOPED_TRACE(undone ? "undone" : "done");
        const std::string beforeText = Doc();
        CalculateLine(SumAnswer(), 3, placement::kReplaceParagraph);
        EXPECT_EQ(Doc(), "3:ab | 5:y + 2 | 3:cd");
        if (undone) slot.UndoCommand();
        slot.Clear();
        EXPECT_EQ(Doc(), undone ? beforeText : "3:ab | 5:y + 2 | 3:cd");
        if (!undone) {
            seq.RemoveAt(2);
            seq.InsertAt(actiontest::Para("x+1", ParaStyle::kPlainEquation), 2);
            seq.PlaceAll(false);
        }
    }
}

TEST_F(EvaluationTest, CodeCommandSendsEachSelectedParagraphAndPlacesAfterTheLast) {
    const auto before = Saved();
    view.selection.Assign(actiontest::ListPos(List(1), 2), actiontest::ListPos(List(2), 2));
    kernel->Serve({SumAnswer()});
    ASSERT_TRUE(slot.DoAction(MakeAction<StringEvaluateAction>(view, session)));
    EXPECT_EQ(NewRequests(),
              std::vector<std::string>{"EvaluatePacket[TYStringEvaluate[List[ab, TYPlus[x, 1]]]]"});
    EXPECT_EQ(Doc(), "3:ab | 5:x+1 | 5:y + 2 | 3:cd");
    const auto done = Saved();
    slot.UndoCommand();
    EXPECT_EQ(Saved(), before);
    slot.UndoCommand();
    EXPECT_EQ(Saved(), done);
    EXPECT_TRUE(NewRequests().empty());
}

TEST_F(EvaluationTest, CodeCommandPlacesNothingForACancelOrAFailure) {
    for (const char* answer : {"$Canceled", "$Failed"}) {
        SCOPED_TRACE(answer);
        const auto before = Saved();
        view.selection = Range(List(3), 1, 3);
        kernel->Serve({ReturnSymbol(answer)});
        slot.DoAction(MakeAction<StringEvaluateAction>(view, session));
        NewRequests();
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(slot.GetLastAction()->CanUndo());
        EXPECT_EQ(view.selection.start.index, 3);
        slot.Clear();
    }
}

} // namespace
} // namespace kerneltest
