#include "app/TessaryView.h"

#include "app/CommandIds.h"
#include "app/WindowDrawing.h"
#include "document/CompSequence.h"
#include "document/DrawPort.h"
#include "document/KernelSession.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"

TessaryView::TessaryView(CTessaryDoc& document, QWidget* parent)
    : BaseView(parent), m_document(document) {
    StoreBaseSize(document.GetSettings().baseSize);
}

TessaryView::~TessaryView() = default;

void TessaryView::TakeBody() {
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

bool TessaryView::UpdateCommand(int32_t id, CommandState& state) {
    switch (id) {
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
    default:
        return BaseView::UpdateCommand(id, state);
    }
}

void TessaryView::RunCommand(int32_t id) {
    switch (id) {
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
    default:
        BaseView::RunCommand(id);
        break;
    }
}

void TessaryView::OnChar(const KeyInput& key) {
    if (key.code == keycode::kEscape && IsKernelBusy()) {
        gKernelSession->Interrupt();
        SetStatusText(QStringLiteral("Aborted"));
        return;
    }
    SetStatusText(QStringLiteral(" "));
    if (IsKernelBusy()) {
        gKernelSession->CheckBusy();
        return;
    }
    BaseView::OnChar(key);
}
