#include "app/ChildFrame.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "app/ShellDocument.h"
#include "document/QtGeometry.h"

#include <QMdiArea>

ChildFrame::ChildFrame(std::unique_ptr<ShellDocument> document, QWidget* parent)
    : QMdiSubWindow(parent), m_document(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new BaseView(*m_document, this);
    setWidget(m_view);
    setFocusProxy(m_view);
    m_normal = ToQRect(m_document->Placement());
    m_document->SetTitleObserver([this] { RefreshTitle(); });
    RefreshTitle();
}

ChildFrame::~ChildFrame() {
    // The view refers to the document: it goes first.
    delete m_view;
    m_view = nullptr;
    m_document->SetTitleObserver(nullptr);
}

void ChildFrame::RefreshTitle() {
    setWindowTitle(m_document->WindowTitle());
}

Rect ChildFrame::GetFrameRect() const {
    return FromQRect(m_normal);
}

void ChildFrame::SetFrameRect(const Rect& rect) {
    QRect wanted = ToQRect(rect);
    if (QMdiArea* area = mdiArea()) {
        const QRect client = area->viewport()->rect();
        wanted.setWidth(std::min(wanted.width(), client.width()));
        wanted.setHeight(std::min(wanted.height(), client.height()));
        wanted.moveLeft(
            std::clamp(wanted.left(), client.left(), client.right() - wanted.width() + 1));
        wanted.moveTop(
            std::clamp(wanted.top(), client.top(), client.bottom() - wanted.height() + 1));
    }
    showNormal();
    setGeometry(wanted);
    m_normal = wanted;
}

void ChildFrame::RememberNormalGeometry() {
    if (!isMaximized() && !isMinimized() && isVisible()) m_normal = geometry();
}

void ChildFrame::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    RememberNormalGeometry();
}

void ChildFrame::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    RememberNormalGeometry();
}

bool ChildFrame::UpdateCommand(int32_t id, CommandState& state) {
    if (id != cmd::kFileClose) return false;
    state.enabled = true;
    return true;
}

void ChildFrame::RunCommand(int32_t id) {
    if (id == cmd::kFileClose) close();
}
