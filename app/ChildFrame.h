#pragma once

// The frame of one document window inside the main window's MDI area. It keeps the window's
// normal (restored) rectangle itself, because a maximised subwindow reports only its maximised
// geometry, and the document stores the normal one. Owns its view and, until the document
// class takes it over, the document it shows.

#include "app/CommandRouter.h"
#include "document/Rect.h"

#include <QMdiSubWindow>

#include <memory>

class BaseView;
class ShellDocument;

class ChildFrame final : public QMdiSubWindow, public CommandTarget {
public:
    explicit ChildFrame(std::unique_ptr<ShellDocument> document, QWidget* parent = nullptr);
    ~ChildFrame() override;

    BaseView* View() const { return m_view; }
    ShellDocument& Document() const { return *m_document; }

    // The normal rectangle, in the MDI area's client coordinates.
    Rect GetFrameRect() const;
    // Restores the window to `rect`, moved and cut into the MDI area's client rectangle.
    void SetFrameRect(const Rect& rect);
    // Shows the title of the document with its modified mark.
    void RefreshTitle();

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RememberNormalGeometry();

    std::unique_ptr<ShellDocument> m_document;
    BaseView* m_view = nullptr;
    QRect m_normal;
};
