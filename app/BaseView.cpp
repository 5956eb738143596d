#include "app/BaseView.h"

#include "app/CommandIds.h"
#include "app/ElementBuilders.h"
#include "app/WindowDrawing.h"
#include "document/CompSequence.h"
#include "document/DrawPort.h"
#include "document/QtGeometry.h"
#include "document/Region.h"
#include "platform/Cp1252.h"
#include "plot/PlotComp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

BaseView::BaseView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_KeyCompression, false);
    // Layout measures before the first resize: give the drawing layer an image to bind to.
    m_image = QImage(1, 1, QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

BaseView::~BaseView() {
    // The last action may hold material of this document: release it while the page exists.
    m_tracker.reset();
    m_undo.Clear();
}

Point BaseView::ScrollOffset() const {
    return Point(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void BaseView::InvalidateClientRect(const Rect& rect, bool) {
    // What is invalid is drawn again from the document, as a paint would, once the drawing that
    // asked is over: the image then shows it, not what was there before.
    const Point offset = ScrollOffset();
    m_invalid.UnionWith(Region(rect.Shifted(offset)));
    if (m_drawPorts.empty()) RedrawInvalid();
}

void BaseView::RedrawInvalid() {
    if (m_redrawingInvalid || m_invalid.IsEmpty()) return;
    const Region invalid = m_invalid;
    m_invalid = Region();
    // Drawing may place what it draws and ask again; that waits for the next drawing's end.
    m_redrawingInvalid = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_redrawingInvalid};
    RedrawWithin(invalid);
}

void BaseView::RegionErased(const Region&) {}

void BaseView::RedrawWithin(const Region& clip) {
    if (m_image.isNull() || m_stale) return RedrawSoon();
    Rect box = clip.GetBox();
    {
        WindowDrawing drawing(*this);
        PaintPort* port = drawing.Port();
        if (port == nullptr) return;
        port->SetBaseSize(m_baseSize);
        port->SetClipRegion(clip);
        port->EraseRect(box);
        if (m_page != nullptr) m_page->DrawInRect(box);
        m_highlight.Draw(clip);
        port->ClearClip();
    }
    ShowDrawn(box);
}

void BaseView::SetSelection(const DocRange& range, bool redraw) {
    // A selection that a command or the document moves (Select All, a found place) is where
    // the user now looks: the next character starts a typing action there, replacing it, and
    // does not join a run typed somewhere else. Actions move the selection while they run.
    if (!m_undo.IsRunning()) m_undo.EndTyping();
    UpdateActivePlot(range);
    if (redraw && !m_stale && m_page != nullptr) {
        WindowDrawing drawing(*this);
        m_highlight.SetRange(range);
        return;
    }
    m_highlight.Update(range, false);
    if (redraw) RedrawSoon();
}

void BaseView::InvalidateHighlight(const DocRange& range) {
    ShowDrawn(range.GetBounds());
}

void BaseView::ShowDrawn(const Rect& rect) {
    const Point offset = ScrollOffset();
    viewport()->update(ToQRect(rect.Shifted(Point(-offset.x, -offset.y))).adjusted(-1, -1, 1, 1));
}

void BaseView::RelayoutFrom(int32_t paragraph, int32_t) {
    if (m_page == nullptr) return;
    m_page->Relayout(std::max<int32_t>(1, paragraph), nullptr);
    m_page->LayoutAll();
    UpdateScrollSizes();
    RedrawSoon();
}

Rect BaseView::GetVisibleRect() const {
    const Point offset = ScrollOffset();
    const QSize size = viewport()->size();
    return Rect(offset.x, offset.y, offset.x + size.width(), offset.y + size.height());
}

void BaseView::ScrollTo(Point topLeft) {
    // Where it scrolls to may have been placed just now, below the estimated height.
    UpdateScrollSizes();
    horizontalScrollBar()->setValue(topLeft.x);
    verticalScrollBar()->setValue(topLeft.y);
}

void BaseView::SetStatusText(const Str255& text) {
    SetStatusText(platform::FromCp1252(text.View()));
}

void BaseView::SetDocumentModified() {}

void BaseView::Beep() {
    QApplication::beep();
}

std::optional<PictureBytes> BaseView::RecordPicture(const DocRange& range) {
    const Rect frame = range.GetBounds();
    if (m_page == nullptr || frame.IsEmpty()) return std::nullopt;
    WindowDrawing drawing(*this);
    PaintPort* port = drawing.Port();
    if (port == nullptr) return std::nullopt;
    port->SetBaseSize(m_baseSize);
    port->BeginMetafile(this, frame);
    try {
        m_page->DrawInRect(frame);
    } catch (...) {
        port->EndMetafile();
        throw;
    }
    return port->EndMetafile();
}

void BaseView::ShowCandidate(const DocRange& range) {
    Region changed = m_highlight.OutlineRegion();
    const Region outline = range.HasExtent() ? range.GetHighlightRegion() : Region();
    if (changed.IsEmpty() && outline.IsEmpty()) return;
    m_highlight.SetOutline(outline);
    changed.UnionWith(outline);
    RedrawWithin(changed);
}

void BaseView::SetChoiceCursor(bool choices) {
    // The arrow asks a question: the release offers a choice.
    viewport()->setCursor(choices ? Qt::WhatsThisCursor : Qt::ArrowCursor);
}

void BaseView::BeginWindowDraw() {
    PaintPort* port = dynamic_cast<PaintPort*>(gDrawPort.Get());
    if (port != nullptr) port->BeginWindowDraw(*this);
    m_drawPorts.push_back(port);
}

void BaseView::EndWindowDraw() {
    if (m_drawPorts.empty()) return;
    PaintPort* port = m_drawPorts.back();
    m_drawPorts.pop_back();
    if (port != nullptr) port->EndDraw();
    if (!m_drawPorts.empty()) return;
    if (m_resizePending) {
        FitImage();
    } else if (m_stale) {
        Redraw();
    } else {
        RedrawInvalid();
    }
}

void BaseView::RedrawSoon() {
    m_stale = true;
    if (m_drawPorts.empty()) Redraw();
}

bool BaseView::DoAction(OwnedAction action, bool typing) {
    try {
        return m_undo.DoAction(std::move(action), typing);
    } catch (const std::exception&) {
        // The action put back what it took out and is gone; the document stands as before.
        Beep();
        RedrawSoon();
        return false;
    }
}

void BaseView::AttachPage(CompSequence& page) {
    m_tracker.reset();
    m_undo.Clear();
    m_page = &page;
    {
        WindowDrawing drawing(*this);
        if (DrawPort* port = gDrawPort.Get()) port->SetBaseSize(m_baseSize);
        if (drawing.Port() != nullptr) {
            CoverVisible();
            m_page->PlaceAll(false);
        }
    }
    UpdateScrollSizes();
    const DocRange caret = DocRange::Caret(m_page->StartPosition());
    m_highlight.Update(caret, false);
    Redraw();
}

void BaseView::Relayout() {
    if (m_page == nullptr) return;
    {
        WindowDrawing drawing(*this);
        if (drawing.Port() == nullptr) return;
        drawing.Port()->SetBaseSize(m_baseSize);
        CoverVisible();
        m_page->PlaceAll(false);
    }
    UpdateScrollSizes();
    Redraw();
}

bool BaseView::CoverVisible() {
    if (m_page == nullptr) return false;
    const Rect visible = GetVisibleRect();
    return m_page->SetHorizon(visible.bottom + visible.Height());
}

void BaseView::Redraw() {
    if (m_image.isNull()) return;
    m_stale = false;
    bool grew = false;
    {
        WindowDrawing drawing(*this);
        if (PaintPort* port = drawing.Port()) {
            port->SetBaseSize(m_baseSize);
            grew = CoverVisible();
            const Point offset = ScrollOffset();
            const Rect visible(offset.x, offset.y, offset.x + m_image.width(),
                               offset.y + m_image.height());
            port->EraseRect(visible);
            if (m_page != nullptr) {
                m_page->DrawInRect(visible);
                // Layout may have moved what the selection covers.
                m_highlight.Recompute();
                m_highlight.Draw(Region(visible));
            }
        } else {
            m_image.fill(Qt::white);
        }
        // All of it is drawn, also what placing it on the way invalidated.
        m_invalid = Region();
    }
    // What came into sight refines the estimated height.
    if (grew) UpdateScrollSizes();
    viewport()->update();
}

void BaseView::UpdateScrollSizes() {
    int32_t width = 0;
    int32_t margin = 0;
    if (DrawPort* port = gDrawPort.Get()) {
        width = port->GetColumnWidth();
        margin = port->GetPointSize() * port->GetResolutionY() / 72;
    }
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, width - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width() - 2 * margin));
    horizontalScrollBar()->setSingleStep(std::max(1, margin));
    const int32_t height = m_page != nullptr ? m_page->GetExtent() : 0;
    verticalScrollBar()->setRange(0, std::max(0, height - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height() - 2 * margin));
    verticalScrollBar()->setSingleStep(std::max(1, margin));
}

void BaseView::SetBaseSize(int32_t size) {
    m_baseSize = size;
    if (DrawPort* port = gDrawPort.Get()) port->SetBaseSize(size);
    Relayout();
}

bool BaseView::CanEdit() const {
    return true;
}

CreateCounts BaseView::CreationPreset(CreateKind kind) const {
    switch (kind) {
    case CreateKind::Matrix:
        return {2, 2};
    case CreateKind::Table:
        return {3, 2};
    default:
        return {2, 1};
    }
}

void BaseView::SetStatusText(const QString& text) {
    if (m_statusSink) m_statusSink(text);
}

bool BaseView::UpdateCommand(int32_t id, CommandState& state) {
    if (UpdateEditCommand(id, state)) return true;
    if (id == cmd::kPlotParameters) {
        state.enabled = CanEdit() && SelectedPlot() != nullptr;
        return true;
    }
    // An Element command, or its toolbar button, needs its builder and a place to insert.
    if (cmd::IsElement(id) || cmd::IsToolbarElement(id)) {
        state.enabled = CanEdit() && CanInsertComponent() && ElementAllowedHere(id) &&
                        ElementBuilders::Instance().Find(id) != nullptr;
        return true;
    }
    return false;
}

void BaseView::RunCommand(int32_t id) {
    if (RunEditCommand(id)) return;
    if (id == cmd::kPlotParameters) {
        if (PlotComp* plot = SelectedPlot(); plot != nullptr && CanEdit()) EditPlotOptions(*plot);
        return;
    }
    if (cmd::IsElement(id) || cmd::IsToolbarElement(id)) {
        if (const ElementBuilder* build = ElementBuilders::Instance().Find(id)) {
            if (OwnedComponent component = (*build)(*this)) InsertComponent(std::move(component));
        }
        return;
    }
}

void BaseView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    if (m_image.isNull()) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    painter.drawImage(event->rect(), m_image, event->rect());
}

void BaseView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // An action's drawing may be painting on the image (the kernel's questions open their
    // windows inside a calculation): the image is replaced once the last drawing has ended.
    if (!m_drawPorts.empty()) {
        m_resizePending = true;
        return;
    }
    FitImage();
}

void BaseView::FitImage() {
    m_resizePending = false;
    const QSize size = viewport()->size();
    if (size.isEmpty()) return;
    m_image = QImage(size, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    UpdateScrollSizes();
    Redraw();
}

void BaseView::scrollContentsBy(int, int) {
    Redraw();
}

bool BaseView::event(QEvent* event) {
    // Ctrl+Tab and Ctrl+Return belong to the view, not to the window switching or a shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
        if (ctrl && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                     key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool BaseView::focusNextPrevChild(bool) {
    return false;
}

void BaseView::keyPressEvent(QKeyEvent* event) {
    const KeyInput key = MapKey(*event);
    if (key.kind == KeyInput::Kind::None) {
        event->ignore();
        return;
    }
    event->accept();
    if (keyObserver) keyObserver(key);
    if (key.kind == KeyInput::Kind::KeyDown) {
        if (CanEdit()) OnKeyDown(key);
        return;
    }
    OnChar(key);
}
