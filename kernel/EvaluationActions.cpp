#include "kernel/EvaluationActions.h"

#include "document/CompList.h"
#include "document/ParaComp.h"
#include "document/PlotShape.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "kernel/KernelSession.h"
#include "mathbox/EditView.h"

#include <algorithm>

namespace kernel {

namespace {

// "Working" in the status bar while the kernel computes, cleared however the request ends.
class WorkingStatus {
public:
    explicit WorkingStatus(TAction& action) : m_action(action) {
        m_action.SetStatusText(Str255("Working"));
    }
    ~WorkingStatus() { m_action.SetStatusText(Str255()); }
    WorkingStatus(const WorkingStatus&) = delete;
    WorkingStatus& operator=(const WorkingStatus&) = delete;

private:
    TAction& m_action;
};

// An answer that puts nothing into the document: the user cancelled, or the request could
// not be sent or read (a paragraph saying only "error" would be no result). A calculation
// the kernel could not do answers "$Failed", which is shown like any answer so that the user
// sees it failed; program text that failed places nothing.
bool IsNoResult(const ExprNode& answer) {
    return IsSymbolNamed(answer, "$Canceled") || dynamic_cast<const ErrorNode*>(&answer) != nullptr;
}

CompSequence::OwnedPara ResultPara(const ExprHolder& holder) {
    BoxList boxes = holder.BuildBoxes();
    CompArray children;
    for (OwnedComponent& box : boxes.Release())
        children.Add(std::move(box));
    return std::make_unique<ParaComp>(std::move(children), kResultParagraphStyle);
}

// The paragraph to relayout from after a paragraph at `index` came or went.
int32_t RelayoutIndex(const CompSequence& seq, int32_t index) {
    return std::max(1, std::min(index, seq.GetCount()));
}

} // namespace

void ResultParagraph::Hold(CompSequence::OwnedPara para, int32_t index) {
    m_para = para.get();
    m_fresh = std::move(para);
    m_index = index;
}

void ResultParagraph::Insert(CompSequence& seq, std::unique_ptr<CompSequence>* replaced) {
    if (!m_fresh && !m_held) return;
    if (replaced != nullptr) *replaced = seq.HoldAt(m_index);
    if (m_fresh)
        seq.InsertAt(std::move(m_fresh), m_index);
    else
        seq.InsertHeldAt(std::move(m_held), m_index);
}

void ResultParagraph::Remove(CompSequence& seq, std::unique_ptr<CompSequence>* replaced) {
    if (m_fresh || m_held || m_para == nullptr) return;
    m_held = seq.HoldAt(m_index);
    if (replaced != nullptr && *replaced) seq.InsertHeldAt(std::move(*replaced), m_index);
}

DocRange ResultParagraph::EndRange() const {
    CompList* list = m_para->GetList(1);
    return DocRange::Caret(PosAt(list, list->GetCount() + 1));
}

CalculationAction::CalculationAction(EditView& view, KernelSession& session,
                                     const DocRange& selection, int32_t kind, int32_t placement,
                                     ExprHolder tree, ExprNode* input)
    : TAction(view, actionname::kCalculation, selection), m_session(session), m_kind(kind),
      m_input(input), m_holder(std::move(tree)), m_before(selection), m_after(selection),
      m_placement(placement) {}

void CalculationAction::SetChoice(int32_t kind, int32_t placement) {
    if (m_performed) return;
    m_kind = kind;
    m_placement = placement;
}

CompSequence* CalculationAction::Sequence() const {
    return GetParagraphs();
}

int32_t CalculationAction::DoIt() {
    if (!m_performed)
        Compute();
    else
        SwapPlotGraphics();
    CompSequence* seq = Sequence();
    if (m_result.Exists() && seq != nullptr) {
        m_result.Insert(*seq, m_placement == placement::kReplaceParagraph ? &m_old : nullptr);
        SetPlace(m_result.Index(), 1);
        m_after = m_result.EndRange();
    }
    ShowRange(m_after);
    return 0;
}

int32_t CalculationAction::UndoIt() {
    SwapPlotGraphics();
    CompSequence* seq = Sequence();
    if (m_result.Exists() && seq != nullptr) {
        m_result.Remove(*seq, m_placement == placement::kReplaceParagraph ? &m_old : nullptr);
        SetPlace(RelayoutIndex(*seq, m_result.Index()), 1);
    }
    ShowRange(m_before);
    return 0;
}

void CalculationAction::Compute() {
    bool graphingError = false;
    {
        WorkingStatus working(*this);
        NodePtr answer = Evaluate();
        if (!answer || IsNoResult(*answer)) m_placement = placement::kNothing;
        if (m_placement == placement::kIntoPlot)
            graphingError = !PlaceIntoPlot(std::move(answer));
        else
            PlaceAnswer(std::move(answer));
    }
    m_performed = true;
    // After the working status has gone, so that it stays.
    if (graphingError) SetStatusText(Str255("Graphing Error"));
}

bool CalculationAction::PlaceIntoPlot(NodePtr answer) {
    m_after.CaretAtEnd();
    TextComp* plot = m_before.GetSingleComponent();
    if (plot == nullptr || !plot->IsPlot()) plot = m_before.FindEnclosing(tags::Plot2D);
    if (plot == nullptr) plot = m_before.FindEnclosing(tags::Plot3D);
    PlotShape* shape = AsPlot(plot);
    if (shape == nullptr) return false;
    OwnedComponent copy = plot->Clone();
    // A failure answer leaves the plot showing what it showed.
    if (!shape->SetResult(std::move(answer))) return false;
    m_plot = plot;
    m_plotCopy = std::move(copy);
    m_after = m_before;
    return true;
}

void CalculationAction::SwapPlotGraphics() {
    if (m_plot == nullptr || !m_plotCopy) return;
    if (PlotShape* shape = AsPlot(m_plot)) shape->SwapGraphics(*m_plotCopy);
    m_plot->InvalidateLayout();
}

void CalculationAction::PlaceAnswer(NodePtr answer) {
    if (m_placement == placement::kDeclareConstant || m_placement == placement::kClearConstant)
        MarkConstant(m_placement == placement::kDeclareConstant);
    CompSequence* seq = Sequence();
    const bool newParagraph = m_placement == placement::kNewParagraphAfter ||
                              m_placement == placement::kReplaceParagraph ||
                              m_placement == placement::kWholeAnswer;
    if (!newParagraph || seq == nullptr || m_input == nullptr) {
        // The answer goes, and the selection collapses to its end: the constants palette's
        // share was shown above.
        m_after.CaretAtEnd();
        return;
    }
    int32_t source = 0;
    if (m_input->HasSource()) source = seq->IndexOf(m_input->GetSource().start.paragraph);
    if (source <= 0) source = GetParagraphNumber();
    if (source <= 0) {
        m_after.CaretAtEnd();
        return;
    }
    ExprNode* target = m_placement == placement::kWholeAnswer ? m_holder.Get() : m_input;
    m_holder.InsertResult(target, std::move(answer));
    m_input = nullptr; // replaced by the answer
    const int32_t index = m_placement == placement::kReplaceParagraph
                              ? source
                              : (m_session.Prefs().resultsAtEnd ? seq->GetCount() : source) + 1;
    m_result.Hold(ResultPara(m_holder), index);
}

void CalculationAction::MarkConstant(bool declare) {
    const TextComp* single = m_after.GetSingleComponent();
    if (single == nullptr || single->GetTypeTag() != tags::Char) return;
    const char letter = static_cast<char>(single->GetCharCode());
    const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (isLetter) m_session.Host().SetConstantCheck(letter, declare);
}

NodePtr EvaluateAction::Evaluate() {
    if (GetKind() == 0) return Session().Simplify(Input());
    return Session().Evaluate(static_cast<int16_t>(GetKind()), Input());
}

NodePtr ShuffleAction::Evaluate() {
    return Session().Shuffle(static_cast<int16_t>(GetKind()), Input());
}

NodePtr DropAction::Evaluate() {
    return Session().Drop(static_cast<int16_t>(GetKind()), Input(), *m_target);
}

StringEvaluateAction::StringEvaluateAction(EditView& view, KernelSession& session)
    : TAction(view, actionname::kCalculation, view.GetSelection()), m_session(session),
      m_code(std::make_unique<ListNode>()), m_before(view.GetSelection()), m_after(m_before) {
    CompSequence* seq = GetParagraphs();
    if (seq == nullptr) return;
    const int32_t first = seq->IndexOf(m_before.start.paragraph);
    m_lastParagraph = seq->IndexOf(m_before.end.paragraph);
    for (int32_t k = first; k >= 1 && k <= m_lastParagraph; ++k) {
        NodePtr line(seq->GetAt(k)->GetList(1)->ToExpression());
        m_code->AppendChild(line ? std::move(line) : SymbolNode::FromName("Null"));
    }
}

int32_t StringEvaluateAction::DoIt() {
    CompSequence* seq = GetParagraphs();
    if (!m_performed) {
        {
            WorkingStatus working(*this);
            NodePtr answer = m_session.StringEvaluate(*m_code);
            if (!answer || IsNoResult(*answer) || IsSymbolNamed(*answer, "$Failed") ||
                seq == nullptr || m_lastParagraph <= 0) {
                m_placement = placement::kNothing;
                m_after.CaretAtEnd();
            } else {
                const int32_t index =
                    (m_session.Prefs().resultsAtEnd ? seq->GetCount() : m_lastParagraph) + 1;
                m_result.Hold(ResultPara(ExprHolder(std::move(answer))), index);
            }
        }
        m_performed = true;
    }
    if (m_placement == placement::kWholeAnswer && m_result.Exists()) {
        m_result.Insert(*seq, nullptr);
        SetPlace(m_result.Index(), 1);
        m_after = m_result.EndRange();
    }
    ShowRange(m_after);
    return 0;
}

int32_t StringEvaluateAction::UndoIt() {
    CompSequence* seq = GetParagraphs();
    if (m_placement == placement::kWholeAnswer && m_result.Exists()) {
        m_result.Remove(*seq, nullptr);
        SetPlace(RelayoutIndex(*seq, m_result.Index()), 1);
    }
    ShowRange(m_before);
    return 0;
}

} // namespace kernel
