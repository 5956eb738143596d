#include "app/ChildFrame.h"

#include "app/CommandIds.h"
#include "app/DocumentPrinter.h"
#include "app/SmallDialogs.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "document/DocSettings.h"
#include "document/ExportWriters.h"
#include "document/KernelSession.h"
#include "document/QtGeometry.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {
constexpr char kDocumentFilter[] = "Tessary Files(*.tsy) |*.tsy||";
constexpr int32_t kExports[] = {cmd::kExportLatex, cmd::kExportTechExplorer, cmd::kExportNotebook,
                                cmd::kExportMathMl, cmd::kExportHtml};
} // namespace

ChildFrame::ChildFrame(MessageSink message, QWidget* parent) : QMdiSubWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_host = std::make_unique<WindowHost>(*this, std::move(message));
    m_document = std::make_unique<CTessaryDoc>(
        *m_host, [](CTessaryDoc& doc) { return std::make_unique<SequenceBody>(doc); });
    m_view = new TessaryView(*m_document, this);
    setWidget(m_view);
    setFocusProxy(m_view);
    m_normal = ToQRect(m_document->GetSettings().placement);
}

ChildFrame::~ChildFrame() {
    // The view shows the document's paragraphs and the document calls its host: view first.
    delete m_view;
    m_view = nullptr;
    m_document.reset();
}

void ChildFrame::RefreshTitle() {
    setWindowTitle(QString::fromStdString(m_host->GetTitle()));
}

Rect ChildFrame::GetFrameRect() const {
    return FromQRect(m_normal);
}

void ChildFrame::SetFrameRect(const Rect& rect) {
    QRect wanted = ToQRect(rect);
    QMdiArea* area = mdiArea();
    // A window printed from the command line is never shown, and one still being opened is
    // placed once it is in the main window.
    if (area == nullptr) {
        m_normal = wanted;
        return;
    }
    // Until the main window is shown its area has no size of its own yet: the rectangle is kept
    // as it is, rather than cut to the stand-in size of a widget never laid out.
    if (area->isVisible()) {
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

void ChildFrame::closeEvent(QCloseEvent* event) {
    // A calculation may be working on this document; it must not go from under it.
    if (IsKernelBusy()) {
        gKernelSession->CheckBusy();
        event->ignore();
        return;
    }
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void ChildFrame::RestoreTitleMark() {
    std::string title = m_host->GetTitle();
    if (!m_document->IsModified() || title.empty() || title.back() != ' ') return;
    title.pop_back();
    m_host->SetTitle(title);
    m_document->SetModifiedFlag(true);
}

bool ChildFrame::DoSave(const std::string& path) {
    if (!m_document->OnSaveDocument(path)) {
        RestoreTitleMark();
        return false;
    }
    m_host->SetPathName(path);
    if (pathUsed) pathUsed(QString::fromStdString(path));
    return true;
}

bool ChildFrame::Save() {
    if (m_host->GetPathName().empty()) return SaveAs();
    m_document->BlankTitleMark();
    return DoSave(m_host->GetPathName());
}

bool ChildFrame::SaveAs() {
    m_document->BlankTitleMark();
    std::string proposed = m_host->GetTitle();
    while (!proposed.empty() && (proposed.back() == ' ' || proposed.back() == '*'))
        proposed.pop_back();
    if (proposed.find('.') == std::string::npos) proposed += ".tsy";
    const std::optional<std::string> path =
        m_host->AskSaveFileName("tsy", proposed, kDocumentFilter);
    if (!path) {
        RestoreTitleMark();
        return false;
    }
    return DoSave(*path);
}

bool ChildFrame::SaveModified() {
    if (!m_document->IsModified()) return true;
    // The question names a document: the user sees the one it is about (Exit asks for each).
    if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
    m_document->BlankTitleMark();
    std::string name = m_host->GetTitle();
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    const QString question =
        QStringLiteral("Save changes to %1?").arg(QString::fromStdString(name));
    const QMessageBox::StandardButton answer =
        askSaveChanges
            ? askSaveChanges(question)
            : QMessageBox::question(this, QStringLiteral("Tessary"), question,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No) return true;
    if (answer == QMessageBox::Yes && Save()) return true;
    RestoreTitleMark();
    return false;
}

void ChildFrame::Print() {
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (PrintDocumentView(*m_view, printer) == 0 && m_host)
        m_host->ShowMessage("The document could not be printed.");
}

void ChildFrame::PrintPreview() {
    QPrintPreviewDialog dialog(&Printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocumentView(*m_view, *printer); });
    if (previewMode) previewMode(true);
    dialog.exec();
    if (previewMode) previewMode(false);
}

QPrinter& ChildFrame::Printer() {
    if (sharedPrinter) return sharedPrinter();
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

bool ChildFrame::UpdateCommand(int32_t id, CommandState& state) {
    switch (id) {
    case cmd::kFileClose:
    case cmd::kFileSave:
    case cmd::kFileSaveAs:
    case cmd::kFilePrint:
    case cmd::kFilePrintPreview:
    case cmd::kPageNumbering:
        state.enabled = true;
        return true;
    default:
        break;
    }
    for (int32_t exportId : kExports) {
        if (id == exportId) {
            state.enabled = m_document->IsExportEnabled(id);
            return true;
        }
    }
    return false;
}

void ChildFrame::RunCommand(int32_t id) {
    switch (id) {
    case cmd::kFileClose:
        close();
        return;
    case cmd::kFileSave:
        Save();
        return;
    case cmd::kFileSaveAs:
        SaveAs();
        return;
    case cmd::kFilePrint:
        Print();
        return;
    case cmd::kFilePrintPreview:
        PrintPreview();
        return;
    case cmd::kPageNumbering:
        EditPageNumbering();
        return;
    default:
        break;
    }
    for (int32_t exportId : kExports)
        if (id == exportId) m_document->OnExport(id);
}

void ChildFrame::EditPageNumbering() {
    DocSettings& settings = m_document->GetSettings();
    PageNumberingDialog dialog(settings.numberPages != 0, settings.firstPage, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const uint8_t numberPages = dialog.NumberPages() ? 1 : 0;
    const auto firstPage = static_cast<int16_t>(dialog.FirstPage());
    if (numberPages == settings.numberPages && firstPage == settings.firstPage) return;
    settings.numberPages = numberPages;
    settings.firstPage = firstPage;
    // Both are stored in the document's file: a changed one is a change to save.
    m_document->SetModifiedFlag(true);
}
