#pragma once

// The undoable calculations: each sends one request to the kernel on its first run, turns the
// answer into boxes and places them in the document (mostly as a new paragraph of math); undo
// takes the placement back and redo puts it again without asking the kernel twice.
//
// Ownership: the new paragraph belongs to the document while the action is done and to the
// action while it is undone (or before it was placed); a replaced paragraph belongs to the
// action while the action is done. Whatever the action holds when it leaves the undo slot goes
// with it.

#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "expr/ExprNode.h"
#include "mathbox/actions/TAction.h"
#include "mathbox/parser/ExprHolder.h"

#include <cstdint>
#include <memory>

namespace kernel {

class KernelSession;

// Where an answer goes.
namespace placement {
inline constexpr int32_t kNewParagraphAfter = 0;
inline constexpr int32_t kIntoPlot = 1;
inline constexpr int32_t kDeclareConstant = 2;
inline constexpr int32_t kClearConstant = 3;
inline constexpr int32_t kNothing = 4;
inline constexpr int32_t kReplaceParagraph = 5;
inline constexpr int32_t kWholeAnswer = 6;
} // namespace placement

// The paragraph style of result paragraphs.
inline constexpr int32_t kResultParagraphStyle = 5;

// Places a new paragraph at an index of a sequence and takes it back; shared by the
// calculations on a subexpression and the code command.
class ResultParagraph {
public:
    bool Exists() const { return m_para != nullptr; }
    ParaComp* Get() const { return m_para; }
    int32_t Index() const { return m_index; }
    void Hold(CompSequence::OwnedPara para, int32_t index);
    // Puts it into the sequence at its index; with `replaced` the paragraph there goes out and
    // is held there. Paragraphs taken out keep their identities, so undo and redo give back
    // the same document.
    void Insert(CompSequence& seq, std::unique_ptr<CompSequence>* replaced);
    // Takes it out again; a held replaced paragraph goes back in its place.
    void Remove(CompSequence& seq, std::unique_ptr<CompSequence>* replaced);
    // An empty range at the end of its first list.
    DocRange EndRange() const;

private:
    CompSequence::OwnedPara m_fresh;      // until first placed
    std::unique_ptr<CompSequence> m_held; // while taken out again
    ParaComp* m_para = nullptr;
    int32_t m_index = 0;
};

class CalculationAction : public TAction {
public:
    bool CanUndo() const override { return TAction::CanUndo() && ModifiesDocument(); }
    // Only a placed paragraph or graphics a plot took change the document; an answer that went
    // elsewhere or nowhere leaves it as it was.
    bool ModifiesDocument() const override { return m_result.Exists() || m_plotCopy != nullptr; }

    // The user's choice among the kernel's offers: the calculation kind and where its answer
    // goes. Taken only before the first run; a computed action stays what it computed.
    void SetChoice(int32_t kind, int32_t placement);

    int32_t GetKind() const { return m_kind; }
    int32_t GetPlacement() const { return m_placement; }
    const DocRange& GetSelectionAfter() const { return m_after; }

protected:
    // `input` is the tree's root or a node in it.
    CalculationAction(EditView& view, KernelSession& session, const DocRange& selection,
                      int32_t kind, int32_t placement, ExprHolder tree, ExprNode* input);

    // The kernel's answer for the input, never null.
    virtual NodePtr Evaluate() = 0;

    KernelSession& Session() const { return m_session; }
    const ExprNode& Input() const { return *m_input; }

    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    void Compute();
    void PlaceAnswer(NodePtr answer);
    // Hands the answer to the plot the selection is in or on; false when there is no plot or
    // the answer holds no graphics for it.
    bool PlaceIntoPlot(NodePtr answer);
    // Trades the plot's graphics with the copy: undo and redo of an answer placed in a plot.
    void SwapPlotGraphics();
    // Shows the selected letter's box in the Constants palette checked or cleared.
    void MarkConstant(bool declare);
    CompSequence* Sequence() const;

    KernelSession& m_session;
    int32_t m_kind;
    ExprNode* m_input; // in m_holder's tree
    ExprHolder m_holder;
    DocRange m_before;
    DocRange m_after;
    bool m_performed = false;
    int32_t m_placement;
    ResultParagraph m_result;
    std::unique_ptr<CompSequence> m_old; // the replaced paragraph, while the action is done
    // An answer placed into a plot: the plot, and a copy of it holding the graphics that are
    // not shown (the old ones while the action is done).
    TextComp* m_plot = nullptr;
    OwnedComponent m_plotCopy;
};

class EvaluateAction final : public CalculationAction {
public:
    EvaluateAction(EditView& view, KernelSession& session, const DocRange& selection, int32_t kind,
                   int32_t placement, ExprHolder tree, ExprNode* input)
        : CalculationAction(view, session, selection, kind, placement, std::move(tree), input) {}

protected:
    // Kind 0 asks the kernel to simplify.
    NodePtr Evaluate() override;
};

// A term dragged within its expression: the kernel rearranges `input`, which holds both the
// term (flagged as the mover) and the place it was dropped on (flagged as the target).
class ShuffleAction final : public CalculationAction {
public:
    ShuffleAction(EditView& view, KernelSession& session, const DocRange& selection, int32_t kind,
                  int32_t placement, ExprHolder tree, ExprNode* input)
        : CalculationAction(view, session, selection, kind, placement, std::move(tree), input) {}

protected:
    NodePtr Evaluate() override;
};

// An expression dropped onto another one: the kernel combines `input` with the target, the
// whole expression the pointer was over, which the action owns.
class DropAction final : public CalculationAction {
public:
    DropAction(EditView& view, KernelSession& session, const DocRange& selection, int32_t kind,
               int32_t placement, ExprHolder tree, ExprNode* input, NodePtr target)
        : CalculationAction(view, session, selection, kind, placement, std::move(tree), input),
          m_target(std::move(target)) {}

    const ExprNode& Target() const { return *m_target; }

protected:
    NodePtr Evaluate() override;

private:
    NodePtr m_target;
};

// The code command: the selected paragraphs, one list element each, evaluated as program text;
// the answer always goes into a new paragraph.
class StringEvaluateAction final : public TAction {
public:
    StringEvaluateAction(EditView& view, KernelSession& session);

    bool CanUndo() const override { return TAction::CanUndo() && m_result.Exists(); }
    bool ModifiesDocument() const override { return m_result.Exists(); }
    const ExprNode& GetCode() const { return *m_code; }

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    KernelSession& m_session;
    NodePtr m_code;
    DocRange m_before;
    DocRange m_after;
    bool m_performed = false;
    int32_t m_placement = placement::kWholeAnswer;
    int32_t m_lastParagraph = 0; // the selection's last paragraph, where results follow
    ResultParagraph m_result;
};

} // namespace kernel
