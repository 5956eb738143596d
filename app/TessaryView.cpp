#include "app/TessaryView.h"

#include "app/CommandIds.h"
#include "app/FindDialog.h"
#include "app/FollowLink.h"
#include "app/WindowDrawing.h"
#include "document/CompSequence.h"
#include "document/DocSettings.h"
#include "document/DrawPort.h"
#include "document/KernelSession.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "kernel/DragTools.h"
#include "kernel/EvaluationActions.h"
#include "kernel/KernelSession.h"
#include "kernel/NodePath.h"
#include "mathbox/parser/ExprHolder.h"
#include "platform/Cp1252.h"
#include "plot/PlotComp.h"

#include <QContextMenuEvent>

TessaryView::TessaryView(CTessaryDoc& document, QWidget* parent)
    : BaseView(parent), m_document(document) {
    StoreBaseSize(document.GetSettings().baseSize);
}

TessaryView::~TessaryView() {
    // The pending calculation holds ranges into the page: it goes while the page is whole.
    m_popup.reset();
}

kernel::KernelSession* TessaryView::Kernel() {
    return dynamic_cast<kernel::KernelSession*>(gKernelSession.Get());
}

ExprNode* TessaryView::DesignatedNode(ExprNode& tree, const DocRange& selection) {
    kernel::NodePath path;
    path.FromSelection(tree, selection);
    return path.Last();
}

void TessaryView::SetSelection(const DocRange& range, bool redraw) {
    BaseView::SetSelection(range, redraw);
    DropOffers();
    // A drag asks once, for where it ends, rather than at every mouse move.
    if (!IsTracking() && range.IsInnerSpanInTextParagraph()) OfferChoices(range);
}

bool TessaryView::DoAction(OwnedAction action, bool typing) {
    DropOffers();
    m_aborted = false;
    const bool done = BaseView::DoAction(std::move(action), typing);
    // The calculation clears its "Working" when it ends; the interrupt stays said.
    if (m_aborted) SetStatusText(QStringLiteral("Aborted"));
    m_aborted = false;
    return done;
}

void TessaryView::OfferChoices(const DocRange& selection) {
    kernel::KernelSession* session = Kernel();
    if (session == nullptr || !session->IsConnected() || session->IsBusy()) return;
    CompList* line = selection.start.paragraph->GetList(1);
    ExprHolder tree(session->Parse(m_document.GetHost(), [line] { return line->ToExpression(); }));
    if (tree.IsEmpty()) {
        SetStatusText(QStringLiteral("Syntax Error"));
        return;
    }
    ExprNode* input = DesignatedNode(*tree.Get(), selection);
    kernel::CandidateRecords records;
    int32_t count = session->EvaluateEval(*tree.Get(), records);
    count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(records.size()));
    // A kernel that offers nothing answers one empty record.
    if (count == 0 || (count == 1 && records[0].text.View().empty())) return;
    auto action = MakeAction<kernel::EvaluateAction>(*this, *session, selection, 0,
                                                     kernel::placement::kNewParagraphAfter,
                                                     std::move(tree), input);
    ++m_offers;
    m_popup = std::make_unique<ChoicePopup>(std::move(action), records.data(), count,
                                            selection.GetBounds());
    m_popup->Show(*this);
    QString status = platform::FromCp1252(records[0].text.View());
    if (count >= 2) status += QStringLiteral("...");
    SetStatusText(status);
}

void TessaryView::DropOffers() {
    if (m_popup == nullptr) return;
    m_popup.reset();
    SetStatusText(QString());
}

void TessaryView::ComputePlot(PlotComp& plot) {
    kernel::KernelSession* session = Kernel();
    if (session == nullptr || !session->IsConnected() || session->IsBusy()) {
        SetStatusText(QStringLiteral("Graphing Error"));
        return;
    }
    NodePtr request = session->Parse(m_document.GetHost(), [&plot] { return plot.ToExpression(); });
    if (!request) {
        SetStatusText(QStringLiteral("Parse Error"));
        return;
    }
    NodePtr answer = session->ComputePlot(*request);
    // A failure answer leaves the plot as it was.
    const bool computed = plot.SetResult(std::move(answer));
    if (!computed) SetStatusText(QStringLiteral("Graphing Error"));
    PlotChanged(plot, computed);
}

bool TessaryView::DragStartsAt(Point point) const {
    const kernel::KernelSession* session = Kernel();
    const DocRange selection = GetSelection();
    return session != nullptr && session->IsConnected() && !session->IsBusy() &&
           Page() != nullptr && selection.HasExtent() && selection.IsInnerSpanInTextParagraph() &&
           selection.ContainsPoint(point);
}

std::unique_ptr<MouseTracker> TessaryView::MakeDragTool(Point point) {
    if (!DragStartsAt(point)) return nullptr;
    // The offers for the selection are not what the drag will offer.
    DropOffers();
    return std::make_unique<kernel::ShuffleTool>(*this, *Page(), *Kernel(), m_document.GetHost(),
                                                 GetSelection());
}

void TessaryView::TrackerEnded(MouseTracker& tracker) {
    auto* tool = dynamic_cast<kernel::ShuffleTool*>(&tracker);
    if (tool == nullptr) return;
    kernel::DragOutcome outcome = tool->TakeOutcome();
    if (outcome.action == nullptr) return;
    // Several offers: a menu at the release point; one: the move runs as the kernel made it.
    const Rect area(outcome.point.x - 1, outcome.point.y - 1, outcome.point.x + 1,
                    outcome.point.y + 1);
    if (outcome.count > 1)
        m_popup = std::make_unique<ChoicePopup>(std::move(outcome.action), outcome.records.data(),
                                                outcome.count, area, outcome.point);
    else
        m_popup =
            std::make_unique<ChoicePopup>(std::move(outcome.action), outcome.records.data(),
                                          outcome.count, area, ChoicePopup::Variant::kImmediate);
    ++m_offers;
    RunChoice(m_popup->Show(*this));
}

void TessaryView::RunChoice(ChoicePopup::PendingAction action) {
    if (action == nullptr) return;
    DropOffers();
    DoAction(std::move(action));
}

bool TessaryView::CanEvaluateCode() const {
    const kernel::KernelSession* session = Kernel();
    const DocRange selection = GetSelection();
    return session != nullptr && session->IsConnected() && !session->IsBusy() &&
           !session->IsRemote() && Page() != nullptr && selection.start.kind != DocPos::kNone &&
           selection.AllParagraphsHaveStyle(ParaStyle::kSourceCode);
}

void TessaryView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (m_popup == nullptr) return;
    const Point scroll = ScrollOffset();
    // The event comes from the viewport or from the view itself: the global point is the same.
    const QPoint client = viewport()->mapFromGlobal(event->globalPos());
    const uint32_t shown = m_offers;
    const int32_t id = m_popup->ShowMenuAt(Point(client.x() + scroll.x, client.y() + scroll.y));
    // The menu runs its own event loop: an entry counts only for the offers it showed.
    if (id != 0 && m_popup != nullptr && m_offers == shown) RunCommand(id);
}

void TessaryView::TakeBody() {
    // Offers made for the paragraphs that are going go with them.
    m_popup.reset();
    CompSequence& page = static_cast<SequenceBody&>(m_document.GetBody()).GetSequence();
    m_document.EnsureParagraph();
    const DocSettings& settings = m_document.GetSettings();
    page.ApplyLargerEquations(settings.largerEquations != 0);
    StoreBaseSize(settings.baseSize);
    AttachPage(page);
    SetStatusText(QString());
}

void TessaryView::SetDocumentModified() {
    m_document.SetModifiedFlag(true);
}

void TessaryView::SetBaseSize(int32_t size) {
    m_document.GetSettings().baseSize = static_cast<uint8_t>(size);
    BaseView::SetBaseSize(size);
}

bool TessaryView::CanEdit() const {
    return !IsKernelBusy();
}

CreateCounts TessaryView::CreationPreset(CreateKind kind) const {
    const CreateDefaults& last = m_document.GetCreateDefaults();
    if (HasColumns(kind)) return {last.rows, last.columns};
    return {last.entries, 1};
}

void TessaryView::CreationChosen(CreateKind kind, const CreateCounts& counts) {
    CreateDefaults& last = m_document.GetCreateDefaults();
    if (HasColumns(kind)) {
        last.rows = static_cast<int16_t>(counts.rows);
        last.columns = static_cast<int16_t>(counts.columns);
    } else {
        last.entries = static_cast<int16_t>(counts.rows);
    }
}

bool TessaryView::FollowLink(LinkComp& link) {
    DoAction(MakeAction<FollowLinkAction>(*this, link, m_document));
    return true;
}

bool TessaryView::UpdateCommand(int32_t id, CommandState& state) {
    switch (id) {
    case cmd::kFind:
        // Searching changes nothing; the dialog's replace buttons ask whether edits are taken.
        state.enabled = Page() != nullptr;
        return true;
    case cmd::kSize10:
    case cmd::kSize12:
    case cmd::kSize14:
    case cmd::kSize18:
        state.enabled = CanEdit();
        state.checked = BaseSize() == cmd::kSizeBase - id;
        return true;
    case cmd::kLargerEquations:
        state.enabled = CanEdit();
        state.checked = m_document.GetLargerEquations();
        return true;
    case cmd::kEvaluateCode:
        state.enabled = CanEvaluateCode();
        return true;
    default:
        break;
    }
    if (id >= cmd::kFirstChoice && id <= cmd::kLastChoice) {
        state.enabled = true;
        return true;
    }
    return BaseView::UpdateCommand(id, state);
}

void TessaryView::RunCommand(int32_t id) {
    switch (id) {
    case cmd::kFind:
        RunFindDialog(*this);
        break;
    case cmd::kSize10:
    case cmd::kSize12:
    case cmd::kSize14:
    case cmd::kSize18:
        SetBaseSize(cmd::kSizeBase - id);
        m_document.SetModifiedFlag(true);
        break;
    case cmd::kLargerEquations:
        m_document.SetLargerEquations(!m_document.GetLargerEquations());
        if (Page() != nullptr) Page()->ApplyLargerEquations(m_document.GetLargerEquations());
        Relayout();
        break;
    case cmd::kEvaluateCode:
        if (kernel::KernelSession* session = Kernel(); session != nullptr && CanEvaluateCode())
            DoAction(MakeAction<kernel::StringEvaluateAction>(*this, *session));
        break;
    default:
        if (id >= cmd::kFirstChoice && id <= cmd::kLastChoice) {
            if (m_popup != nullptr) RunChoice(m_popup->Choose(id));
            break;
        }
        BaseView::RunCommand(id);
        break;
    }
}

void TessaryView::OnChar(const KeyInput& key) {
    if (key.code == keycode::kEscape && IsKernelBusy()) {
        gKernelSession->Interrupt();
        SetStatusText(QStringLiteral("Aborted"));
        m_aborted = true;
        return;
    }
    SetStatusText(QStringLiteral(" "));
    if (m_popup != nullptr) {
        if (ChoicePopup::PendingAction chosen = m_popup->HandleKey(key.code, key.shift, key.ctrl))
            return RunChoice(std::move(chosen));
    }
    if (IsKernelBusy()) {
        gKernelSession->CheckBusy();
        return;
    }
    BaseView::OnChar(key);
}
