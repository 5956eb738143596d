#pragma once

// The main window: menus, the main toolbar, the status bar with its message pane, the MDI area
// of document windows, the floating Symbols bar and the Constants palette. It builds every
// menu, button and shortcut from the command tables and routes them through one router:
// active view -> its child frame -> this frame -> the application.

#include "app/CommandRouter.h"
#include "app/ConstantsPalette.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class ChildFrame;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMdiArea;
class QToolBar;

class MainFrame final : public QMainWindow, public CommandTarget {
public:
    // `application` is the last target of the chain and may be null.
    explicit MainFrame(CommandTarget* application, QWidget* parent = nullptr);
    ~MainFrame() override;

    CommandRouter& Router() { return *m_router; }
    QMdiArea* MdiArea() const { return m_mdi; }
    QToolBar* MainToolBar() const { return m_toolBar; }
    QDockWidget* SymbolsBar() const { return m_symbols; }
    QLabel* MessagePane() const { return m_message; }
    ConstantsPalette* Constants() const { return m_constants; }
    ChildFrame* ActiveChild() const;
    QMenu* Menu(const QString& title) const;

    // Adds a document window to the MDI area and makes it active.
    void AddFrame(ChildFrame* child);
    // Every document window, oldest first.
    std::vector<ChildFrame*> Frames() const;

    void SetStatusText(const QString& text);
    // Remembers the Symbols bar's visibility when print preview begins and restores it after.
    void SetPreviewMode(bool preview);
    // The kernel session opens and closes the palette as kernels start and end.
    void CreateConstantsPalette();
    void DestroyConstantsPalette();
    // The kernel is gone: every document drops the offers it made, and their status text.
    void DropKernelOffers();

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

protected:
    // Each document window may ask to save first; one that stays keeps the program open.
    void closeEvent(QCloseEvent* event) override;

private:
    std::vector<CommandTarget*> Chain() const;
    void BuildMenus();
    void BuildToolBar();
    void BuildSymbolsBar();
    // Puts the open document windows at the end of the Window menu.
    void ListWindows(QMenu* menu);
    // Shows the document menus while a document window is open, the short menu otherwise.
    void ShowMenusForDocuments();

    CommandTarget* m_application;
    std::unique_ptr<CommandRouter> m_router;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    QDockWidget* m_symbols = nullptr;
    QLabel* m_message = nullptr;
    QPointer<ConstantsPalette> m_constants;
    bool m_symbolsWasVisible = false;
    bool m_symbolsPlaced = false;
    std::vector<QAction*> m_documentOnly;
    QActionGroup* m_windowList = nullptr;
    QAction* m_windowListSeparator = nullptr;
};
