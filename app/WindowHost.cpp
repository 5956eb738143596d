#include "app/WindowHost.h"

#include "app/ChildFrame.h"
#include "app/TessaryView.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

WindowHost::WindowHost(ChildFrame& frame, std::function<void(const QString&)> message)
    : m_frame(frame), m_message(std::move(message)) {}

void WindowHost::SetTitle(const std::string& title) {
    m_title = title;
    UpdateFrameCounts();
}

void WindowHost::UpdateFrameCounts() {
    m_frame.RefreshTitle();
}

void WindowHost::SetPathName(const std::string& path) {
    m_path = path;
    SetTitle(QFileInfo(QString::fromStdString(path)).fileName().toStdString());
}

void WindowHost::ShowMessage(const std::string& text) {
    if (m_message) m_message(QString::fromStdString(text));
}

QString SaveLoadErrorText(const std::string& path, const platform::Exception& error,
                          DocumentHost::Prompt prompt) {
    const QString name = QString::fromStdString(path);
    QString head;
    switch (prompt) {
    case DocumentHost::Prompt::InvalidFileName:
        head = QStringLiteral("The file name \"%1\" cannot be used.").arg(name);
        break;
    case DocumentHost::Prompt::FailedToOpen:
        head = QStringLiteral("Failed to open document \"%1\".").arg(name);
        break;
    case DocumentHost::Prompt::FailedToSave:
        head = QStringLiteral("Failed to save document \"%1\".").arg(name);
        break;
    }
    return head + QLatin1Char('\n') + QString::fromStdString(error.what());
}

void WindowHost::ReportSaveLoadError(const std::string& path, const platform::Exception& error,
                                     bool, Prompt prompt) {
    if (m_message) m_message(SaveLoadErrorText(path, error, prompt));
}

std::optional<std::string> WindowHost::AskSaveFileName(const std::string& extension,
                                                       const std::string& proposedName,
                                                       const std::string& filter) {
    if (askSaveFileName) return askSaveFileName(proposedName);
    // The stored filters read "TeX files (*.tex) |*.tex||": the part before the bar names it.
    const QString shown = QString::fromStdString(filter.substr(0, filter.find('|'))).trimmed();
    QFileDialog dialog(&m_frame, QString(), QString::fromStdString(proposedName), shown);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void WindowHost::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void WindowHost::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

// The view keeps the count of the drawings on its image, so that a resize waits for them.
void WindowHost::BeginWindowDraw() {
    m_frame.View()->BeginWindowDraw();
}

void WindowHost::EndWindowDraw() {
    m_frame.View()->EndWindowDraw();
}

Rect WindowHost::GetFramePlacement() const {
    return m_frame.GetFrameRect();
}

void WindowHost::SetFramePlacement(const Rect& placement) {
    m_frame.SetFrameRect(placement);
}

void WindowHost::SelectPosition(const DocPos& position) {
    m_frame.View()->SelectPosition(position);
}

void WindowHost::ShowBody() {
    m_frame.View()->TakeBody();
}
