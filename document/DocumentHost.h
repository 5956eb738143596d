#pragma once

// What the document asks of the window framework around it: the title and path the frames
// show, the modified flag, message boxes, the save dialog, the wait cursor, and the first view
// (its frame's placement, its selection, the body it shows). The application implements it
// with Qt Widgets; the document links none, and tests use a fake. Text here is UTF-8, as file
// names are on disk. GUI thread only.

#include "document/Rect.h"

#include <optional>
#include <string>

class DocPos;
namespace platform {
class Exception;
}

class DocumentHost {
public:
    // The framework prompts a failed save or load reports with.
    enum class Prompt : int32_t {
        InvalidFileName = 0xF100,
        FailedToOpen = 0xF101,
        FailedToSave = 0xF102,
    };

    virtual ~DocumentHost() = default;

    virtual std::string GetTitle() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Refreshes the titles of the document's frames after the title changed.
    virtual void UpdateFrameCounts() = 0;
    virtual std::string GetPathName() const = 0;
    virtual bool IsModified() const = 0;
    virtual void SetModified(bool modified) = 0;

    // A message box with an OK button and no icon.
    virtual void ShowMessage(const std::string& text) = 0;
    // The framework's report of a failed save (`saving`) or load of `path`.
    virtual void ReportSaveLoadError(const std::string& path, const platform::Exception& error,
                                     bool saving, Prompt prompt) = 0;
    // Asks where to save: the default extension (without its dot), the proposed name and the
    // filter. The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> AskSaveFileName(const std::string& extension,
                                                       const std::string& proposedName,
                                                       const std::string& filter) = 0;

    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Drawing on the first view's window, around exports whose writers measure text.
    virtual void BeginWindowDraw() = 0;
    virtual void EndWindowDraw() = 0;

    // The normal placement of the first view's frame window.
    virtual Rect GetFramePlacement() const = 0;
    virtual void SetFramePlacement(const Rect& placement) = 0;
    // Selects the position in the first view and scrolls it into sight.
    virtual void SelectPosition(const DocPos& position) = 0;
    // The first view takes the document's body afresh (after a new document or an open).
    virtual void ShowBody() = 0;
};

// Shows the wait cursor for a scope, also when an exception ends it.
class WaitCursor {
public:
    explicit WaitCursor(DocumentHost& host) : m_host(host) { m_host.BeginWaitCursor(); }
    ~WaitCursor() { m_host.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    DocumentHost& m_host;
};
