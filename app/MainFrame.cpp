#include "app/MainFrame.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/ConstantsPalette.h"
#include "app/DocumentArea.h"
#include "app/TessaryView.h"
#include "app/ToolIcons.h"
#include "app/WindowActivation.h"
#include "document/KernelSession.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {
// Where the Symbols bar floats, from the frame's top-left corner.
constexpr QPoint kSymbolsOffset{600, 75};
} // namespace

MainFrame::MainFrame(CommandTarget* application, QWidget* parent)
    : QMainWindow(parent), m_application(application),
      m_router(std::make_unique<CommandRouter>([this] { return Chain(); })) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QStringLiteral("Tessary"));
    setWindowIcon(ApplicationIcon());
    QApplication::setWindowIcon(ApplicationIcon());
    m_mdi = new DocumentArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { ShowMenusForDocuments(); });

    BuildMenus();
    BuildToolBar();
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messagePane"));
    statusBar()->addPermanentWidget(m_message, 1);
    BuildSymbolsBar();
    ShowMenusForDocuments();
    m_router->UpdateWhenIdle();
    m_router->UpdateAll();
}

MainFrame::~MainFrame() {
    // Document windows go while this frame is whole: their signals reach it as they end.
    disconnect(m_mdi, nullptr, this, nullptr);
    for (ChildFrame* child : m_mdi->findChildren<ChildFrame*>()) {
        disconnect(child, nullptr, this, nullptr);
        delete child;
    }
}

std::vector<CommandTarget*> MainFrame::Chain() const {
    ChildFrame* child = ActiveChild();
    return {child != nullptr ? static_cast<CommandTarget*>(child->View()) : nullptr, child,
            const_cast<MainFrame*>(this), m_application};
}

ChildFrame* MainFrame::ActiveChild() const {
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (active == nullptr && !m_mdi->subWindowList().isEmpty())
        active = m_mdi->subWindowList().last();
    return dynamic_cast<ChildFrame*>(active);
}

QMenu* MainFrame::Menu(const QString& title) const {
    for (QAction* action : menuBar()->actions())
        if (action->menu() != nullptr && action->text() == title) return action->menu();
    return nullptr;
}

void MainFrame::BuildMenus() {
    std::function<void(QMenu*, const MenuEntry&)> fill = [&](QMenu* menu, const MenuEntry& entry) {
        m_router->WatchMenu(menu);
        for (const MenuItemEntry& item : entry.items) {
            QAction* added = nullptr;
            if (item.submenu != nullptr) {
                QMenu* sub = menu->addMenu(QString::fromLatin1(item.submenu->title));
                fill(sub, *item.submenu);
                added = sub->menuAction();
            } else if (item.id == 0) {
                added = menu->addSeparator();
            } else {
                added = m_router->AddCommand(item.id, QString::fromLatin1(CommandText(item.id)));
                menu->addAction(added);
            }
            const bool documentItem =
                item.submenu != nullptr || (item.id != 0 && !FileItemWithoutDocument(item.id));
            if (&entry == &MenuBar()[0] && documentItem) m_documentOnly.push_back(added);
        }
    };
    for (const MenuEntry& entry : MenuBar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(entry.title));
        fill(menu, entry);
        if (entry.documentOnly) m_documentOnly.push_back(menu->menuAction());
    }
    // The Window menu ends with the open document windows, the active one checked.
    if (QMenu* window = Menu(QStringLiteral("&Window"))) {
        m_windowList = new QActionGroup(window);
        connect(window, &QMenu::aboutToShow, this, [this, window] { ListWindows(window); });
    }
    // A keyboard sends the double prime's chord as Shift+' or as the double quote it types.
    m_router->AddShortcuts(cmd::kElementDoublePrime,
                           {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Apostrophe),
                            QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_QuoteDbl)});
}

void MainFrame::ListWindows(QMenu* menu) {
    for (QAction* action : m_windowList->actions()) {
        menu->removeAction(action);
        delete action;
    }
    delete m_windowListSeparator;
    m_windowListSeparator = nullptr;
    const std::vector<ChildFrame*> frames = Frames();
    if (frames.empty()) return;
    m_windowListSeparator = menu->addSeparator();
    int number = 1;
    for (ChildFrame* child : frames) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(child->windowTitle()),
                                   m_windowList);
        action->setCheckable(true);
        action->setChecked(child == ActiveChild());
        QPointer<ChildFrame> target = child;
        connect(action, &QAction::triggered, this, [this, target] {
            if (target) m_mdi->setActiveSubWindow(target);
        });
        menu->addAction(action);
    }
}

void MainFrame::ShowMenusForDocuments() {
    const bool documents = !m_mdi->subWindowList().isEmpty();
    for (QAction* action : m_documentOnly)
        action->setVisible(documents);
}

void MainFrame::BuildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setIconSize(QSize(kElementIconWidth, kElementIconHeight));
    for (int32_t id : MainToolbar()) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_router->AddCommand(id, QString::fromLatin1(ToolbarTip(id)));
        action->setIcon(ElementIcon(id));
        action->setStatusTip(action->text());
        m_toolBar->addAction(action);
    }
}

void MainFrame::BuildSymbolsBar() {
    // A dock widget, because a toolbar cannot be floated from code.
    m_symbols = new QDockWidget(QStringLiteral("Symbols"), this);
    m_symbols->setObjectName(QStringLiteral("symbolsBar"));
    m_symbols->setAllowedAreas(Qt::RightDockWidgetArea);
    auto* buttons = new QWidget(m_symbols);
    auto* grid = new QGridLayout(buttons);
    grid->setSpacing(0);
    grid->setContentsMargins(2, 2, 2, 2);
    int32_t index = 0;
    for (int32_t id : SymbolsBarOrder()) {
        QAction* action = m_router->AddCommand(id, QString());
        action->setIcon(SymbolIcon(id));
        auto* button = new QToolButton(buttons);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        button->setIconSize(QSize(kSymbolIconWidth, kSymbolIconHeight));
        grid->addWidget(button, index / kSymbolsPerRow, index % kSymbolsPerRow);
        ++index;
    }
    m_symbols->setWidget(buttons);
    addDockWidget(Qt::RightDockWidgetArea, m_symbols);
    m_symbols->setFloating(true);
    m_symbols->adjustSize();
    m_symbols->hide();
    // Its buttons type into the document, where the keyboard stays.
    activation::NeverActive(m_symbols, this);
}

void MainFrame::AddFrame(ChildFrame* child) {
    m_mdi->addSubWindow(child);
    child->View()->SetStatusSink([this](const QString& text) { SetStatusText(text); });
    child->previewMode = [this](bool preview) { SetPreviewMode(preview); };
    connect(child, &QObject::destroyed, this, [this] { ShowMenusForDocuments(); });
    child->show();
    ShowMenusForDocuments();
}

std::vector<ChildFrame*> MainFrame::Frames() const {
    std::vector<ChildFrame*> frames;
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = dynamic_cast<ChildFrame*>(window)) frames.push_back(child);
    return frames;
}

void MainFrame::closeEvent(QCloseEvent* event) {
    // The calculation in progress belongs to a document and reports into this frame.
    if (IsKernelBusy()) {
        gKernelSession->CheckBusy();
        event->ignore();
        return;
    }
    for (ChildFrame* child : Frames()) {
        if (!child->close()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void MainFrame::DropKernelOffers() {
    for (ChildFrame* child : Frames())
        child->View()->DropOffers();
}

void MainFrame::SetStatusText(const QString& text) {
    m_message->setText(text);
}

void MainFrame::SetPreviewMode(bool preview) {
    if (preview) {
        m_symbolsWasVisible = m_symbols->isVisible();
        m_symbols->hide();
    } else {
        m_symbols->setVisible(m_symbolsWasVisible);
    }
}

void MainFrame::CreateConstantsPalette() {
    if (m_constants != nullptr) return;
    m_constants = new ConstantsPalette(this);
    activation::ShowInactive(m_constants);
}

void MainFrame::DestroyConstantsPalette() {
    delete m_constants.data();
    m_constants = nullptr;
}

bool MainFrame::UpdateCommand(int32_t id, CommandState& state) {
    switch (id) {
    case cmd::kViewSymbols:
        state.enabled = true;
        state.checked = m_symbols->isVisible();
        return true;
    case cmd::kViewConstants:
        state.enabled = m_constants != nullptr;
        state.checked = m_constants != nullptr && m_constants->isVisible();
        return true;
    case cmd::kViewToolbar:
        state.enabled = true;
        state.checked = m_toolBar->isVisible();
        return true;
    case cmd::kViewStatusBar:
        state.enabled = true;
        state.checked = statusBar()->isVisible();
        return true;
    case cmd::kWindowCascade:
    case cmd::kWindowTile:
        state.enabled = !m_mdi->subWindowList().isEmpty();
        return true;
    default:
        return false;
    }
}

void MainFrame::RunCommand(int32_t id) {
    switch (id) {
    case cmd::kViewSymbols:
        // The bar first floats at its place beside the frame's top-left corner, wherever the
        // frame stands by then; afterwards it stays where the user put it.
        if (!m_symbolsPlaced && m_symbols->isFloating()) {
            m_symbols->move(geometry().topLeft() + kSymbolsOffset);
            m_symbolsPlaced = true;
        }
        m_symbols->setVisible(!m_symbols->isVisible());
        break;
    case cmd::kViewConstants:
        if (m_constants == nullptr) break;
        if (m_constants->isVisible())
            m_constants->hide();
        else
            activation::ShowInactive(m_constants);
        break;
    case cmd::kViewToolbar:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        break;
    case cmd::kViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        break;
    case cmd::kWindowCascade:
        m_mdi->cascadeSubWindows();
        break;
    case cmd::kWindowTile:
        m_mdi->tileSubWindows();
        break;
    default:
        break;
    }
}
