#pragma once

// The window framework around one document: its title and path, the modified flag, message
// boxes, the save dialog, the wait cursor, and the first (only) view and its frame. Each
// document window owns one.

#include "document/DocumentHost.h"

#include <QString>

#include <functional>
#include <string>

class ChildFrame;

class WindowHost final : public DocumentHost {
public:
    // Messages go to `message` (a message box in the program, a recorder in tests).
    WindowHost(ChildFrame& frame, std::function<void(const QString&)> message);

    std::string GetTitle() const override { return m_title; }
    void SetTitle(const std::string& title) override;
    void UpdateFrameCounts() override;
    std::string GetPathName() const override { return m_path; }
    // Sets the path and takes its file name as the title.
    void SetPathName(const std::string& path);
    bool IsModified() const override { return m_modified; }
    void SetModified(bool modified) override { m_modified = modified; }

    void ShowMessage(const std::string& text) override;
    void ReportSaveLoadError(const std::string& path, const platform::Exception& error, bool saving,
                             Prompt prompt) override;
    std::optional<std::string> AskSaveFileName(const std::string& extension,
                                               const std::string& proposedName,
                                               const std::string& filter) override;
    // Tests answer the save dialog themselves.
    std::function<std::optional<std::string>(const std::string& proposedName)> askSaveFileName;

    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void BeginWindowDraw() override;
    void EndWindowDraw() override;

    Rect GetFramePlacement() const override;
    void SetFramePlacement(const Rect& placement) override;
    void SelectPosition(const DocPos& position) override;
    void ShowBody() override;

private:
    ChildFrame& m_frame;
    std::function<void(const QString&)> m_message;
    std::string m_title;
    std::string m_path;
    bool m_modified = false;
};

// The framework's texts of a failed save or load.
QString SaveLoadErrorText(const std::string& path, const platform::Exception& error,
                          DocumentHost::Prompt prompt);
