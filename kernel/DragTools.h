#pragma once

// The kernel's drag tool: a press inside a selected part of an equation drags that part. As the
// pointer moves, the tool asks the kernel what dropping it there would mean: moving it among
// its siblings or to the other side of an equation (a shuffle within the expression), or
// combining it with another equation's expression (a drop onto another paragraph). The place
// proposed is framed in the view and the kernel's word for it shown in the status bar; the
// release turns it into an undoable calculation, with the kernel's offers for the view's
// choice popup.
//
// With a kernel on this machine every move asks at once. A kernel behind the calculation
// server is asked only once the pointer has rested for `kRestMilliseconds`, so that a drag
// across a line does not queue a request per position. Each node is asked about at most once
// for one place it could go: a refusal is remembered.
//
// The tool owns the trees it parsed until the release hands them to the action it makes. GUI
// thread only; the checks are synchronous requests, during which the view's events go on, so
// the tool refuses to be re-entered.

#include "document/DocRange.h"
#include "document/Point.h"
#include "kernel/EvaluationActions.h"
#include "kernel/KernelSession.h"
#include "kernel/NodePath.h"
#include "mathbox/actions/RangeTracker.h"
#include "mathbox/parser/ExprHolder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>

class CompSequence;
class DocumentHost;
class EditView;
class ParaComp;

namespace kernel {

// What a drag made at its release: the move, and the kernel's offers for it (the first is the
// one the move was made with).
struct DragOutcome {
    std::unique_ptr<CalculationAction, ReleaseAction> action;
    CandidateRecords records;
    int32_t count = 0;
    Point point; // the release, in document coordinates
};

class ShuffleTool final : public MouseTracker {
public:
    static constexpr int64_t kRestMilliseconds = 1500;
    // Steady milliseconds.
    using Clock = std::function<int64_t()>;

    // A drag of `selection`, which lies inside one equation paragraph of `page`. A selection
    // that does not parse makes an inert tool ("Syntax Error"). `messages` shows the lexer's
    // refusals while a paragraph is parsed.
    ShuffleTool(EditView& view, const CompSequence& page, KernelSession& session,
                DocumentHost& messages, const DocRange& selection);
    ~ShuffleTool() override;
    ShuffleTool(const ShuffleTool&) = delete;
    ShuffleTool& operator=(const ShuffleTool&) = delete;

    // Called often (the view's tracking timer); acts each time the tool's own timer of
    // `kRestMilliseconds` has run out.
    void Tick() override;
    void Begin(Point point) override;
    void MouseMoved(Point point) override;
    void End(Point point) override;

    // The release's move; empty when there was none.
    DragOutcome TakeOutcome() { return std::move(m_outcome); }

    bool IsInert() const { return m_inert; }
    bool IsLiveChecking() const { return m_live; }
    // The node proposed now; null for none.
    const ExprNode* Candidate() const { return m_candidate; }
    // The kernel's offers for the candidate.
    int32_t RecordCount() const { return m_count; }
    const CandidateRecords& Records() const { return m_records; }
    // A request is under way (a move that arrives now is not handled).
    bool IsChecking() const { return m_busy; }

    // Installs the clock the tools read for the lifetime of the guard (tests).
    class ClockScope {
    public:
        explicit ClockScope(Clock clock);
        ~ClockScope();
        ClockScope(const ClockScope&) = delete;
        ClockScope& operator=(const ClockScope&) = delete;

    private:
        Clock m_previous;
    };

private:
    // The move step at the current point.
    void Step();
    // Parses the equation of `para` into `holder`; false (with "Syntax Error") when it does not.
    bool ParseInto(ParaComp& para, ExprHolder& holder);
    void SearchSameTree();
    void SearchOtherTree();
    // Asks about `node` as the target (a shuffle within `scope`), or as what is dropped onto
    // the other tree; true when the kernel offers something.
    bool Offers(ExprNode& node, ExprNode& scope, bool drop);
    void Propose(ExprNode* candidate);
    // Takes the proposal back: its flag, its frame.
    void Withdraw();
    void StartTimer();
    void SetStatus(const char* text);
    void MakeOutcome(Point point);

    EditView& m_view;
    const CompSequence& m_page;
    KernelSession& m_session;
    DocumentHost& m_messages;
    DocRange m_selection;
    ParaComp* m_paragraph = nullptr;

    DocPos m_position;
    Point m_point;
    ExprHolder m_tree;
    // The other paragraph's tree while the pointer is over it.
    ExprHolder m_other;
    ParaComp* m_otherParagraph = nullptr;
    NodePath m_source;
    NodePath m_target;
    ExprNode* m_candidate = nullptr;
    ExprNode* m_scope = nullptr; // of the candidate's shuffle
    CandidateRecords m_records;
    int32_t m_count = 0;
    // Refusals, by node and the scope (shuffle) or other tree (drop) they were asked with.
    std::set<std::pair<const ExprNode*, const ExprNode*>> m_refused;

    bool m_several = false;
    bool m_busy = false;
    bool m_live = true;
    bool m_pending = false;
    bool m_cursorChanged = false;
    bool m_inert = false;
    bool m_timerRunning = false;
    int64_t m_timerStart = 0;
    DragOutcome m_outcome;
};

} // namespace kernel
