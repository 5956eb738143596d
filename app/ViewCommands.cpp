// The base view's editing: keys and typed characters, the mouse, and the Edit, Format, Element
// and Symbols commands, each turned into an action that runs through the view's undo slot.

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/WindowDrawing.h"
#include "document/CompSequence.h"
#include "document/EditCodes.h"
#include "document/LinkComp.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "document/RefComp.h"
#include "mathbox/actions/ClipboardActions.h"
#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/SelectionActions.h"
#include "mathbox/actions/TAction.h"
#include "mathbox/actions/TypingAction.h"
#include "platform/Cp1252.h"
#include "plot/PlotComp.h"

#include <QCursor>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// The selection of a paragraph's label: Cut and Paste are refused on it, and typing only beeps.
bool IsLabelRange(const DocRange& range) {
    return range.start.kind == DocPos::kInList && range.end.kind == DocPos::kInList &&
           range.start.IsInParagraphList() && range.start.index == 0 && range.end.index == 1 &&
           range.start.GetList() == range.end.GetList();
}

// Whether the innermost component around the selection's start offers the command there.
bool EnclosingOffers(const DocRange& selection, int32_t id) {
    const TextComp* holder = selection.start.FindEnclosing(tags::Null);
    return holder != nullptr && holder->IsCommandEnabled(id, selection.start);
}

// The edit code that an Insert Row, Insert Column or Insert Derivative command runs; 0 for any
// other command.
int32_t InsertEditCode(int32_t id) {
    switch (id) {
    case cmd::kInsertRow:
        return editcode::kInsertRow;
    case cmd::kInsertColumn:
        return editcode::kInsertColumn;
    case cmd::kInsertDerivative:
        return editcode::kInsertVariable;
    default:
        return 0;
    }
}

// The link the selection is exactly, or null.
LinkComp* SelectedLink(const DocRange& selection) {
    TextComp* single = selection.GetSingleComponent();
    return single != nullptr && single->GetTypeTag() == tags::Link ? static_cast<LinkComp*>(single)
                                                                   : nullptr;
}

// Whether the clipboard's content may go in at the selection.
bool CanPasteAt(const DocRange& selection) {
    ClipboardStore* store = gClipboardStore.Get();
    if (store == nullptr || !store->HasData()) return false;
    const Material* content = store->PeekContent();
    return content != nullptr && selection.CanInsertContent(*content);
}

// Builds the action of kind A at the view's selection and performs it; always true, so that a
// command or edit code reads as handled.
template <typename A, typename... Args>
bool Perform(BaseView& view, Args&&... args) {
    view.DoAction(MakeAction<A>(view, view.GetSelection(), std::forward<Args>(args)...));
    return true;
}

} // namespace

bool BaseView::CanInsertComponent() const {
    return m_page != nullptr && GetSelection().start.kind != DocPos::kNone;
}

void BaseView::InsertComponent(OwnedComponent component) {
    DoAction(MakeAction<CreateObjectAction>(*this, std::move(component), GetSelection()));
}

bool BaseView::ElementAllowedHere(int32_t id) const {
    const int32_t menuId = cmd::MenuElementId(id);
    const DocRange selection = GetSelection();
    const TextComp* holder = selection.start.FindEnclosing(tags::Null);
    return holder == nullptr || holder->IsCommandEnabled(menuId, selection.start);
}

void BaseView::SelectPosition(const DocPos& position) {
    if (position.kind != DocPos::kNone) SelectRange(DocRange::Caret(position));
}

void BaseView::SelectRange(const DocRange& range) {
    if (m_page == nullptr || range.start.kind == DocPos::kNone) return;
    WindowDrawing drawing(*this);
    SetSelection(range, true);
    BringIntoView(*this, range.GetBounds());
}

bool BaseView::UpdateEditCommand(int32_t id, CommandState& state) {
    const DocRange selection = GetSelection();
    const bool hasCaret = m_page != nullptr && selection.start.kind != DocPos::kNone;
    if (id == cmd::kEditUndo) {
        // Without an action the item keeps the text it had.
        const TAction* last = m_undo.GetLastAction();
        state.enabled = last != nullptr && m_undo.CanUndo() && CanEdit();
        if (last != nullptr) state.text = platform::FromCp1252(m_undo.GetUndoText().View());
        return true;
    }
    if (id == cmd::kSelectAll) {
        state.enabled = m_page != nullptr;
        return true;
    }
    if (const int32_t code = InsertEditCode(id)) {
        state.enabled = hasCaret && CanEdit() && EnclosingOffers(selection, code);
        return true;
    }
    if (id >= cmd::kTextPlain && id <= cmd::kTextTypewriter) {
        const int32_t style = id - cmd::kTextPlain;
        const TypingAction* typing = m_undo.GetTypingAction();
        state.enabled = hasCaret && CanEdit();
        state.checked = typing != nullptr ? typing->GetFaceKind() == style
                                          : hasCaret && selection.GetTextStyle() == style;
        return true;
    }
    if (id >= cmd::kParaTitle && id <= cmd::kParaSourceCode) {
        const ParaComp* para = hasCaret ? selection.start.paragraph : nullptr;
        state.enabled = hasCaret && CanEdit();
        state.checked = para != nullptr && para->GetStyle().GetKind() == id - cmd::kParaTitle;
        return true;
    }
    if (cmd::IsSymbol(id)) {
        state.enabled = hasCaret;
        return true;
    }
    return UpdateClipboardCommand(id, state);
}

bool BaseView::UpdateClipboardCommand(int32_t id, CommandState& state) {
    const DocRange selection = GetSelection();
    const bool hasCaret = m_page != nullptr && selection.start.kind != DocPos::kNone;
    switch (id) {
    case cmd::kEditCut:
        state.enabled = hasCaret && CanEdit() && !IsLabelRange(selection) && selection.HasExtent();
        return true;
    case cmd::kEditCopy:
        state.enabled = hasCaret && selection.HasExtent();
        return true;
    case cmd::kCopyMetafile:
        state.enabled = hasCaret && selection.IsInnerSpanInTextParagraph();
        return true;
    case cmd::kEditPaste:
        state.enabled = hasCaret && CanEdit() && !IsLabelRange(selection) && CanPasteAt(selection);
        return true;
    case cmd::kLinkProperties:
        state.enabled = hasCaret && CanEdit() && SelectedLink(selection) != nullptr;
        return true;
    default:
        return false;
    }
}

bool BaseView::RunClipboardCommand(int32_t id) {
    CommandState state;
    if (!UpdateClipboardCommand(id, state)) return false;
    // A shortcut reaches here whatever the menu shows.
    if (!state.enabled) {
        if (id != cmd::kEditCopy && id != cmd::kCopyMetafile) Beep();
        return true;
    }
    switch (id) {
    case cmd::kEditCut:
        return Perform<CutAction>(*this);
    case cmd::kEditCopy:
        return Perform<CopyAction>(*this);
    case cmd::kCopyMetafile:
        return Perform<CopyMetafileAction>(*this);
    case cmd::kEditPaste:
        return Perform<PasteAction>(*this);
    default:
        if (LinkComp* link = SelectedLink(GetSelection())) EditLink(*link);
        return true;
    }
}

bool BaseView::FollowLink(LinkComp&) {
    return false;
}

void BaseView::EditLink(LinkComp& link) {
    if (m_page == nullptr) return;
    if (!CanEdit()) return Beep();
    if (!link.EditDialog(this)) return;
    DocRange around;
    around.SelectComponent(&link);
    const DocRange selection = GetSelection();
    {
        WindowDrawing drawing(*this);
        RelayoutFrom(m_page->IndexOf(around.start.paragraph), around.start.TopLevelIndex(true));
        UpdateScrollSizes();
        InvalidateHighlight(selection);
        SetSelection(selection, true);
    }
    // The texts changed in place, outside any action: the document is modified all the same.
    SetDocumentModified();
}

bool BaseView::RunEditCommand(int32_t id) {
    const DocRange selection = GetSelection();
    if (id == cmd::kEditUndo) {
        m_undo.UndoCommand();
        return true;
    }
    if (id == cmd::kSelectAll) {
        if (m_page != nullptr) {
            WindowDrawing drawing(*this);
            SetSelection(m_page->WholeRange(), true);
        }
        return true;
    }
    if (const int32_t code = InsertEditCode(id)) return RunEditCode(code, KeyInput{});
    if (id >= cmd::kTextPlain && id <= cmd::kTextTypewriter) {
        const int32_t style = id - cmd::kTextPlain;
        if (selection.GetTextStyle() != style || !selection.HasExtent())
            DoAction(MakeAction<SetTextStyleAction>(*this, selection, style));
        return true;
    }
    if (id >= cmd::kParaTitle && id <= cmd::kParaSourceCode) {
        const int32_t style = id - cmd::kParaTitle;
        const ParaComp* para = selection.start.paragraph;
        if (para == nullptr || para->GetStyle().GetKind() != style || !selection.InOneParagraph())
            DoAction(MakeAction<SetParagraphStyleAction>(*this, selection, style));
        return true;
    }
    if (cmd::IsSymbol(id)) {
        TypeChar(SymbolCode(id), true);
        return true;
    }
    return RunClipboardCommand(id);
}

void BaseView::TypeChar(uint8_t code, bool mathOnly) {
    const DocRange selection = GetSelection();
    if (IsLabelRange(selection)) return Beep();
    if (!CanEdit() || m_page == nullptr || selection.start.kind == DocPos::kNone) return;
    const TypingAction* typing = m_undo.GetTypingAction();
    // A symbol joins only a run typed in the math face; a key joins any run going on.
    if (typing == nullptr || (mathOnly && typing->GetFaceKind() != 3)) {
        const int32_t face = mathOnly ? 3 : -1;
        if (!DoAction(MakeAction<TypingAction>(*this, selection, face), true)) return;
    }
    try {
        m_undo.AddTypedChar(code);
    } catch (const std::exception&) {
        Beep();
        RedrawSoon();
    }
}

bool BaseView::RunEditCode(int32_t code, const KeyInput& key) {
    using namespace editcode;
    const DocRange selection = GetSelection();
    const ParaComp* para = selection.start.paragraph;
    const int32_t style = para != nullptr ? para->GetStyle().GetKind() : ParaStyle::kParagraph;
    switch (code) {
    case kInsertCharacter:
        TypeChar(static_cast<uint8_t>(key.code), false);
        return true;
    case kInsertTab:
        TypeChar(9, false);
        return true;
    case kDeleteBefore:
        return Perform<DeleteAction>(*this);
    case kSplitParagraph:
        return Perform<NewParagraphAction>(*this, style);
    case kSplitParagraphFlagged: {
        const bool equation =
            style == ParaStyle::kPlainEquation || style == ParaStyle::kNumberedEquation;
        return Perform<NewParagraphAction>(*this, equation ? ParaStyle::kParagraph
                                                           : ParaStyle::kPlainEquation);
    }
    case kJoinWithPrevious:
        // Only a paragraph after the first has a break before it.
        if (para == nullptr || m_page == nullptr || m_page->IndexOf(para) <= 1) return true;
        return Perform<RemoveParaBreakAction>(*this, const_cast<ParaComp*>(para));
    case kDeleteComponent:
        return Perform<ReduceAction>(*this);
    case kInsertColumn:
        return Perform<InsertColumnAction>(*this);
    case kInsertRow:
        return Perform<InsertRowAction>(*this);
    case kInsertVariable:
        return Perform<InsertDerivativeAction>(*this);
    case kInsertExpression:
        return Perform<InsertExpressionAction>(*this);
    default:
        break;
    }
    if (OwnedAction move = MakeSelectionAction(*this, selection, code, key.shift)) {
        DoAction(std::move(move));
        return true;
    }
    return false;
}

void BaseView::OnChar(const KeyInput& key) {
    if (!TypesCharacter(key.code)) return;
    const DocRange selection = GetSelection();
    if (m_page == nullptr || selection.start.kind == DocPos::kNone) return;
    if (IsLabelRange(selection)) return Beep();
    // The pointer would hide what is typed; it shows again when the mouse moves.
    if (!m_cursorHidden && viewport()->rect().contains(viewport()->mapFromGlobal(QCursor::pos()))) {
        viewport()->setCursor(Qt::BlankCursor);
        m_cursorHidden = true;
    }
    RunEditCode(selection.KeyToCommand(key.code, key.shift, key.ctrl), key);
}

void BaseView::OnKeyDown(const KeyInput& key) {
    // Page Up and Page Down scroll by a page and leave the selection where it is.
    if (key.code == keycode::kPageUp || key.code == keycode::kPageDown) {
        QScrollBar* bar = verticalScrollBar();
        const int step = key.code == keycode::kPageUp ? -bar->pageStep() : bar->pageStep();
        bar->setValue(bar->value() + step);
        return;
    }
    const DocRange selection = GetSelection();
    if (m_page == nullptr || selection.start.kind == DocPos::kNone) return;
    OwnedAction move;
    switch (key.code) {
    case keycode::kHome:
        if (key.ctrl)
            move = MakeAction<DocStartAction>(*this, selection, key.shift);
        else
            move = MakeAction<LineStartAction>(*this, selection, key.shift);
        break;
    case keycode::kEnd:
        if (key.ctrl)
            move = MakeAction<DocEndAction>(*this, selection, key.shift);
        else
            move = MakeAction<LineEndAction>(*this, selection, key.shift);
        break;
    case keycode::kLeft:
    case keycode::kUp:
    case keycode::kRight:
    case keycode::kDown:
        move = MakeAction<ArrowAction>(*this, selection, key.shift, static_cast<uint8_t>(key.code),
                                       key.ctrl);
        break;
    default:
        return;
    }
    DoAction(std::move(move));
}

// --- The mouse ---

Point BaseView::DocumentPoint(QPoint client) const {
    const Point offset = ScrollOffset();
    return Point(client.x() + offset.x, client.y() + offset.y);
}

void BaseView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_tracker != nullptr || m_page == nullptr) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    event->accept();
    if (!CanEdit()) return;
    const Point point = DocumentPoint(event->position().toPoint());
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int32_t bits = (mods.testFlag(Qt::ShiftModifier) ? RangeTracker::kShift : 0) |
                         (mods.testFlag(Qt::ControlModifier) ? RangeTracker::kCtrl : 0);
    TextComp* top = m_page->FindAt(point);
    const bool onLink = top != nullptr && top->GetTypeTag() == tags::Link;
    if ((bits & RangeTracker::kCtrl) == 0) {
        // A press inside a selected part of an equation drags it, under the kernel's control.
        if (std::unique_ptr<MouseTracker> drag = MakeDragTool(point))
            return StartTracking(std::move(drag), point);
        // A click on a reference selects what it refers to.
        if (top != nullptr && top->GetTypeTag() == tags::Reference) {
            DoAction(MakeAction<FollowReferenceAction>(*this, GetSelection(),
                                                       static_cast<RefComp*>(top)));
            return;
        }
        if (onLink && FollowLink(*static_cast<LinkComp*>(top))) return;
        if (PressPlot(point)) return;
    } else if (onLink) {
        return EditLink(*static_cast<LinkComp*>(top));
    } else if (std::unique_ptr<MouseTracker> turn = RotationTrackerAt(point)) {
        // Ctrl on a 3-D plot turns it.
        return StartTracking(std::move(turn), point);
    }
    StartTracking(std::make_unique<RangeTracker>(*this, *m_page, bits), point);
}

void BaseView::StartTracking(std::unique_ptr<MouseTracker> tracker, Point point) {
    m_undo.EndTyping();
    m_tracker = std::move(tracker);
    // Actions wait until the drag ends: the tracker reads the document while it lasts.
    m_undo.SetBlocked(true);
    m_trackTimer = startTimer(100);
    WindowDrawing drawing(*this);
    m_tracker->Begin(point);
}

void BaseView::Autoscroll(QPoint client) {
    const QSize size = viewport()->size();
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    if (client.y() >= size.height()) v->setValue(v->value() + v->singleStep());
    if (client.y() < 0) v->setValue(v->value() - v->singleStep());
    if (client.x() >= size.width()) h->setValue(h->value() + h->singleStep());
    if (client.x() < 0) h->setValue(h->value() - h->singleStep());
}

void BaseView::UpdateCursor(QPoint client) {
    m_cursorHidden = false;
    // The pointer is left alone while a calculation runs.
    if (m_page == nullptr || !CanEdit()) return;
    const Point point = DocumentPoint(client);
    const TextComp* top = m_page->FindAt(point);
    Qt::CursorShape shape = Qt::IBeamCursor;
    const auto* plot = dynamic_cast<const PlotComp*>(top);
    const bool onPlot = plot != nullptr && (plot->InPicture(point) || plot->HitButtons(point));
    // Over a link the status bar tells where it leads, until the mouse leaves it.
    const bool onLink = top != nullptr && top->GetTypeTag() == tags::Link;
    if (onLink) {
        SetStatusText(static_cast<const LinkComp*>(top)->GetTarget());
        m_statusShowsLink = true;
    } else if (m_statusShowsLink) {
        SetStatusText(QStringLiteral(" "));
        m_statusShowsLink = false;
    }
    if (DragStartsAt(point)) {
        shape = Qt::ArrowCursor;
    } else if (onPlot || onLink || (top != nullptr && top->GetTypeTag() == tags::Reference)) {
        shape = Qt::PointingHandCursor;
    } else {
        switch (m_page->PosFromPoint(point, true).LoadCursor()) {
        case PositionCursor::ResizeVertical:
            shape = Qt::SizeHorCursor; // a vertical boundary is dragged sideways
            break;
        case PositionCursor::ResizeHorizontal:
            shape = Qt::SizeVerCursor;
            break;
        default:
            break;
        }
    }
    if (viewport()->cursor().shape() != shape) viewport()->setCursor(shape);
}

void BaseView::mouseMoveEvent(QMouseEvent* event) {
    if (m_tracker == nullptr) {
        UpdateCursor(event->position().toPoint());
        return QAbstractScrollArea::mouseMoveEvent(event);
    }
    const QPoint client = event->position().toPoint();
    // The point is taken before scrolling, so that the selection reaches where the mouse is.
    const Point point = DocumentPoint(client);
    Autoscroll(client);
    FeedTracker([point](MouseTracker& tracker) { tracker.MouseMoved(point); });
}

void BaseView::FeedTracker(const std::function<void(MouseTracker&)>& call) {
    if (m_tracker == nullptr) return;
    {
        struct Counted {
            int& calls;
            ~Counted() { --calls; }
        } counted{++m_trackerCalls};
        WindowDrawing drawing(*this);
        call(*m_tracker);
    }
    if (m_trackerCalls == 0 && m_heldRelease) {
        const Point point = *m_heldRelease;
        m_heldRelease.reset();
        ReleaseTracker(point);
    }
}

void BaseView::EndTracking() {
    if (m_trackTimer != 0) killTimer(m_trackTimer);
    m_trackTimer = 0;
    m_tracker.reset();
    m_heldRelease.reset();
    m_undo.SetBlocked(false);
    ShowCandidate(DocRange());
}

void BaseView::ReleaseTracker(Point point) {
    if (m_trackerCalls > 0) {
        // The tracker is waiting for the kernel: it ends once that call is over.
        m_heldRelease = point;
        return;
    }
    std::unique_ptr<MouseTracker> tracker = std::move(m_tracker);
    if (tracker == nullptr) return;
    {
        WindowDrawing drawing(*this);
        tracker->End(point);
    }
    EndTracking();
    // After the undo slot takes actions again: what the tracker made may be one.
    TrackerEnded(*tracker);
}

void BaseView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_tracker == nullptr || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    ReleaseTracker(DocumentPoint(event->position().toPoint()));
}

void BaseView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_page == nullptr || !CanEdit())
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    EndTracking();
    if (PlotComp* plot = SelectedPlot()) {
        EditPlotOptions(*plot);
        return;
    }
    const DocPos pos = m_page->PosFromPoint(DocumentPoint(event->position().toPoint()), true);
    if (pos.kind == DocPos::kNone) return;
    DoAction(MakeAction<SelectWordAction>(*this, DocRange::Caret(pos)));
}

void BaseView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_trackTimer || m_tracker == nullptr)
        return QAbstractScrollArea::timerEvent(event);
    FeedTracker([](MouseTracker& tracker) { tracker.Tick(); });
}

// --- The focus: the highlight shows whether typing goes here ---

void BaseView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_highlight.SetMode(SelHighlight::kActive);
    Redraw();
}

void BaseView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_highlight.SetMode(SelHighlight::kInactive);
    Redraw();
}
