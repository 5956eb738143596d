#pragma once

// The frame of one document window inside the main window's MDI area. It owns the document,
// the host that stands for the window framework around it, and the view. It keeps the window's
// normal (restored) rectangle itself, because a maximised subwindow reports only its maximised
// geometry, and the document stores the normal one. The document's own commands (save, save
// as, close, the exports) are routed here.

#include "app/CommandRouter.h"
#include "document/Rect.h"

#include <QMdiSubWindow>
#include <QMessageBox>

#include <functional>
#include <memory>

class TessaryView;
class CTessaryDoc;
class QPrinter;
class WindowHost;

class ChildFrame final : public QMdiSubWindow, public CommandTarget {
public:
    using MessageSink = std::function<void(const QString&)>;

    // The document starts empty: `OnNewDocument` or `OnOpenDocument` fills it.
    explicit ChildFrame(MessageSink message, QWidget* parent = nullptr);
    ~ChildFrame() override;

    TessaryView* View() const { return m_view; }
    CTessaryDoc& Document() const { return *m_document; }
    WindowHost& Host() const { return *m_host; }

    // The normal rectangle, in the MDI area's client coordinates.
    Rect GetFrameRect() const;
    // Restores the window to `rect`, moved and cut into the MDI area's client rectangle.
    void SetFrameRect(const Rect& rect);
    // Shows the document's title.
    void RefreshTitle();

    // The save commands; false when nothing was saved (cancelled or failed).
    bool Save();
    bool SaveAs();
    // Asks whether to save a modified document: false when the user cancelled or the save
    // failed, so the window must stay.
    bool SaveModified();

    // Prints with the print dialog; shows the print preview.
    void Print();
    void PrintPreview();
    // The Page Numbering dialog over the document's settings; a change marks it modified.
    void EditPageNumbering();
    // The application's printer setup; a printer of the window's own without one.
    std::function<QPrinter&()> sharedPrinter;
    // Told when print preview begins (true) and ends (false).
    std::function<void(bool)> previewMode;

    // Called with the path of every document saved or opened here (the recent files).
    std::function<void(const QString& path)> pathUsed;
    // Answers "Save changes to ...?"; a message box unless a test answers.
    std::function<QMessageBox::StandardButton(const QString& question)> askSaveChanges;

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void RememberNormalGeometry();
    bool DoSave(const std::string& path);
    // A save that did not happen leaves the modified mark where it was.
    void RestoreTitleMark();
    QPrinter& Printer();

    std::unique_ptr<WindowHost> m_host;
    std::unique_ptr<CTessaryDoc> m_document;
    TessaryView* m_view = nullptr;
    QRect m_normal;
    std::unique_ptr<QPrinter> m_printer;
};
