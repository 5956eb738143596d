#include "app/QueryDialog.h"

#include "app/CommandRouter.h"
#include "app/CommandTable.h"
#include "app/FixedSplitter.h"
#include "app/TessaryDialogView.h"
#include "document/CompSequence.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <exception>

namespace {

// The rows of the window, top to bottom, and its size.
constexpr int kPromptHeight = 40;
constexpr int kViewHeight = 194;
constexpr int kButtonsHeight = 28;
constexpr int kWidth = 400;
constexpr int kHeight = 334;
// Where the pane starts scrolled.
constexpr int32_t kViewScrollX = 192;

// The main window's menus the pane's commands come from: editing and the elements.
bool IsPaneMenu(const MenuEntry& entry) {
    return std::strcmp(entry.title, "&Edit") == 0 || std::strcmp(entry.title, "E&lement") == 0;
}

} // namespace

// ---- The rows -----------------------------------------------------------------------------------

CPromptPanel::CPromptPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("promptPanel"));
    m_prompt = new QLabel(QStringLiteral("Prompt"), this);
    m_prompt->setObjectName(QStringLiteral("prompt"));
    m_prompt->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_prompt);
    setFixedHeight(kPromptHeight);
}

void CPromptPanel::SetPrompt(const QString& prompt) {
    m_prompt->setText(prompt);
}

COKPanel::COKPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("okPanel"));
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    // Return is the window's to take (it is always OK), not a focused button's.
    for (QPushButton* button : {m_ok, m_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->addStretch();
    layout->addWidget(m_ok);
    layout->addWidget(m_cancel);
    setFixedHeight(kButtonsHeight);
}

// ---- The window ---------------------------------------------------------------------------------

COSKQueryDialog::COSKQueryDialog(QWidget* owner, const QString& prompt, CompSequence& content)
    : QDialog(owner != nullptr ? owner : QApplication::activeWindow()) {
    setObjectName(QStringLiteral("kernelQuery"));
    setWindowTitle(QStringLiteral("Kernel Query"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    m_splitter = new FixedSplitter(Qt::Vertical, this);
    m_promptPanel = new CPromptPanel(m_splitter);
    m_promptPanel->SetPrompt(prompt);
    m_view = new CTessaryDialogView(m_splitter);
    m_okPanel = new COKPanel(m_splitter);
    m_splitter->addWidget(m_promptPanel);
    m_splitter->addWidget(m_view);
    m_splitter->addWidget(m_okPanel);
    m_splitter->setSizes({kPromptHeight, kViewHeight, kButtonsHeight});
    m_splitter->setStretchFactor(1, 1);
    connect(m_okPanel->OkButton(), &QPushButton::clicked, this, &COSKQueryDialog::accept);
    connect(m_okPanel->CancelButton(), &QPushButton::clicked, this, &COSKQueryDialog::reject);

    // The editing and element commands, routed to the pane.
    auto* menus = new QMenuBar(this);
    auto* router = new CommandRouter([this] { return std::vector<CommandTarget*>{m_view}; }, this);
    for (const MenuEntry& entry : MenuBar()) {
        if (!IsPaneMenu(entry)) continue;
        QMenu* menu = menus->addMenu(QString::fromLatin1(entry.title));
        router->WatchMenu(menu);
        for (const MenuItemEntry& item : entry.items) {
            if (item.id == 0)
                menu->addSeparator();
            else if (item.submenu == nullptr)
                menu->addAction(
                    router->AddCommand(item.id, QString::fromLatin1(CommandText(item.id))));
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menus);
    layout->addWidget(m_splitter);
    setFixedSize(kWidth, kHeight);

    m_view->SetReturnHandler([this] { accept(); });
    m_view->SetContent(content);
}

COSKQueryDialog::~COSKQueryDialog() = default;

int COSKQueryDialog::RunModal() {
    // Modal to the whole application: the owner and every other window take no input while
    // the query is open. QDialog centres the window over its owner.
    setWindowModality(Qt::ApplicationModal);
    m_view->setFocus();
    m_view->ScrollTo(Point(kViewScrollX, 0));
    int result = kFailed;
    try {
        result = exec();
    } catch (const std::exception&) {
        result = kFailed;
    }
    m_finalSelection = m_view->GetSelection();
    hide();
    return result;
}

void COSKQueryDialog::accept() {
    done(kOk);
}

void COSKQueryDialog::reject() {
    done(kCancel);
}

void COSKQueryDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
