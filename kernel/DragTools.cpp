#include "kernel/DragTools.h"

#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "mathbox/EditView.h"

#include <algorithm>
#include <chrono>

namespace kernel {

namespace {

ShuffleTool::Clock& CurrentClock() {
    static ShuffleTool::Clock clock = [] {
        return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
    };
    return clock;
}

int64_t Now() {
    return CurrentClock()();
}

// Set while a step runs, so that a move or a tick arriving during a request is passed over.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_busy;
};

} // namespace

ShuffleTool::ClockScope::ClockScope(Clock clock) : m_previous(std::move(CurrentClock())) {
    CurrentClock() = std::move(clock);
}

ShuffleTool::ClockScope::~ClockScope() {
    CurrentClock() = std::move(m_previous);
}

ShuffleTool::ShuffleTool(EditView& view, const CompSequence& page, KernelSession& session,
                         DocumentHost& messages, const DocRange& selection)
    : m_view(view), m_page(page), m_session(session), m_messages(messages), m_selection(selection),
      m_paragraph(selection.start.paragraph) {
    if (m_paragraph == nullptr || !ParseInto(*m_paragraph, m_tree)) {
        m_inert = true;
        return;
    }
    m_source.FromSelection(*m_tree.Get(), selection);
    m_target = m_source;
    m_live = !m_session.IsRemote();
}

ShuffleTool::~ShuffleTool() {
    // The paths observe the trees: they go first.
    m_source.Clear();
    m_target.Clear();
}

bool ShuffleTool::ParseInto(ParaComp& para, ExprHolder& holder) {
    holder = ExprHolder(
        m_session.Parse(m_messages, [&para] { return para.GetList(1)->ToExpression(); }));
    if (!holder.IsEmpty()) return true;
    SetStatus("Syntax Error");
    return false;
}

void ShuffleTool::SetStatus(const char* text) {
    m_view.SetStatusText(Str255(text));
}

void ShuffleTool::StartTimer() {
    m_timerRunning = true;
    m_timerStart = Now();
}

void ShuffleTool::Begin(Point point) {
    m_point = point;
    m_position = m_page.PosFromPoint(point, true);
    StartTimer();
    SetStatus(" ");
}

void ShuffleTool::MouseMoved(Point point) {
    m_point = point;
    if (m_busy || m_inert) return;
    Step();
}

void ShuffleTool::Tick() {
    if (!m_timerRunning || Now() - m_timerStart < kRestMilliseconds) return;
    // The timer goes on running: the next tick is a rest later.
    m_timerStart = Now();
    if (m_busy || m_inert) return;
    if (!m_live) {
        // The pointer rested: the kernel is asked about where it is now.
        m_live = true;
        m_pending = true;
        Step();
        return;
    }
    m_several = m_count > 1;
    if (m_several) {
        m_view.SetChoiceCursor(true);
        m_cursorChanged = true;
    } else if (m_cursorChanged) {
        m_view.SetChoiceCursor(false);
        m_cursorChanged = false;
    }
}

void ShuffleTool::Step() {
    const DocPos position = m_page.PosFromPoint(m_point, true);
    if (position.IsEqual(m_position)) {
        if (!m_pending) return;
        SetStatus("Evaluating");
    } else {
        m_position = position;
        if (m_pending) {
            SetStatus("Evaluating");
        } else if (m_live) {
            SetStatus("");
            // A kernel behind the server is asked again only once the pointer rests.
            if (m_session.IsRemote()) m_live = false;
        }
    }
    BusyScope busy(m_busy);
    m_count = 1;
    m_several = false;
    m_records[0].value = 0;
    ParaComp* const para = position.kind == DocPos::kNone ? nullptr : position.paragraph;
    if (para != nullptr && m_selection.Contains(position)) {
        // Back over what is dragged: no move.
        m_target = m_source;
        Withdraw();
        if (m_live) SetStatus("No action possible");
    } else if (para != nullptr && para == m_paragraph) {
        m_target.FromPath(m_source, position);
        SearchSameTree();
    } else if (para != nullptr && para->IsEquation()) {
        if (para != m_otherParagraph) {
            // The refusals asked about the tree that goes name it.
            const ExprNode* old = m_other.Get();
            std::erase_if(m_refused, [old](const auto& entry) { return entry.second == old; });
            m_otherParagraph = para;
            if (!ParseInto(*para, m_other)) m_other.Release();
        }
        if (m_other.IsEmpty()) {
            Withdraw();
            m_target.Clear();
            SetStatus("Syntax Error");
        } else {
            m_target.FromNode(*m_other.Get(), position);
            SearchOtherTree();
        }
    } else {
        // Nowhere an expression could go.
        m_target.Clear();
        Withdraw();
        if (m_live) SetStatus("No action possible");
    }
    m_pending = false;
}

bool ShuffleTool::Offers(ExprNode& node, ExprNode& scope, bool drop) {
    const auto key =
        std::make_pair(static_cast<const ExprNode*>(&node), static_cast<const ExprNode*>(&scope));
    if (m_refused.contains(key)) return false;
    node.SetTarget(true);
    const int32_t count = drop ? m_session.EvaluateDrop(node, scope, m_records)
                               : m_session.EvaluateShuffle(scope, m_records);
    m_count = std::clamp<int32_t>(count, 1, static_cast<int32_t>(m_records.size()));
    if (m_records[0].value != 0) return true;
    node.SetTarget(false);
    m_refused.insert(key);
    return false;
}

void ShuffleTool::SearchSameTree() {
    Withdraw();
    if (m_live) {
        ExprNode* const scope = m_source.DeepestCommon(m_target);
        ExprNode* found = nullptr;
        if (scope != nullptr) {
            // From the dragged node up to the scope, then down the target's path: the kernel
            // sees the scope with the dragged node and the place both marked. Nodes above the
            // scope are not part of what it sees.
            for (ExprNode* node = m_source.Last(); node != nullptr && found == nullptr;
                 node = node == scope ? nullptr : m_source.Previous(node))
                if (Offers(*node, *scope, false)) found = node;
            for (ExprNode* node = m_target.Next(scope); node != nullptr && found == nullptr;
                 node = m_target.Next(node))
                if (Offers(*node, *scope, false)) found = node;
        }
        m_scope = scope;
        Propose(found);
    }
}

void ShuffleTool::SearchOtherTree() {
    Withdraw();
    if (m_live) {
        ExprNode* const root = m_target.First();
        ExprNode* found = nullptr;
        if (root != nullptr) {
            for (ExprNode* node = m_source.Last(); node != nullptr && found == nullptr;
                 node = m_source.Previous(node))
                if (Offers(*node, *root, true)) found = node;
        }
        m_scope = nullptr;
        Propose(found);
    }
}

void ShuffleTool::Propose(ExprNode* candidate) {
    m_candidate = candidate;
    if (candidate == nullptr) {
        m_count = 1;
        m_records[0].value = 0;
        SetStatus("No action possible");
    } else {
        m_view.ShowCandidate(candidate->GetSource());
        Str255 status = m_records[0].text;
        if (m_count >= 2) status.AppendCString("...");
        m_view.SetStatusText(status);
    }
    StartTimer();
}

void ShuffleTool::Withdraw() {
    if (m_candidate == nullptr) return;
    m_candidate->SetTarget(false);
    m_candidate = nullptr;
    m_view.ShowCandidate(DocRange());
}

void ShuffleTool::End(Point point) {
    m_timerRunning = false;
    if (m_cursorChanged) m_view.SetChoiceCursor(false);
    m_cursorChanged = false;
    m_view.ShowCandidate(DocRange());
    // With a kernel behind the server the pointer must have rested since its last move.
    if (!m_inert && !m_busy && m_live && m_candidate != nullptr) MakeOutcome(point);
    m_candidate = nullptr;
    m_source.Clear();
    m_target.Clear();
}

void ShuffleTool::MakeOutcome(Point point) {
    const int32_t kind = m_records[0].value;
    const int32_t placement = m_records[0].second;
    if (m_scope == nullptr) {
        // Over another expression: the candidate is dropped onto it, which the move takes.
        m_outcome.action = MakeAction<DropAction>(m_view, m_session, m_selection, kind, placement,
                                                  std::move(m_tree), m_candidate, m_other.Take());
    } else {
        // Within the expression: the move sends the scope the kernel checked, marked as it
        // was then. A candidate below the scope on the target's side would leave the dragged
        // node out of what is sent.
        m_outcome.action = MakeAction<ShuffleAction>(m_view, m_session, m_selection, kind,
                                                     placement, std::move(m_tree), m_scope);
    }
    m_outcome.records = m_records;
    m_outcome.count = m_count;
    m_outcome.point = point;
}

} // namespace kernel
