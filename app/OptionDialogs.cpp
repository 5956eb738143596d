#include "app/OptionDialogs.h"

#include "app/DialogButtons.h"
#include "expr/ListNodes.h"
#include "platform/Cp1252.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString ItemText(const NodeArray& items, int32_t position) {
    Str255 text;
    items.ItemText(position, text);
    return platform::FromCp1252(text.View());
}

namespace {

QLabel* Static(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

// Fills a list with the items' texts and selects its last entry.
void Fill(QListWidget* list, const NodeArray& items) {
    for (int32_t i = 1; i <= items.GetCount(); ++i)
        list->addItem(ItemText(items, i));
    if (list->count() > 0) list->setCurrentRow(list->count() - 1);
}

} // namespace

// ---- One option ---------------------------------------------------------------------------------

KernelQueryDialog::KernelQueryDialog(QWidget* parent, const QString& prompt, NodeArray options)
    : QDialog(parent), m_options(std::move(options)) {
    setObjectName(QStringLiteral("kernelQueryOption"));
    setWindowTitle(QStringLiteral("Kernel Query"));
    auto* label = Static(prompt, "prompt", this);
    // Not editable: only the options themselves can be chosen.
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("options"));
    m_combo->setEditable(false);
    for (int32_t i = 1; i <= m_options.GetCount(); ++i)
        m_combo->addItem(ItemText(m_options, i));
    if (m_combo->count() > 0) {
        m_combo->setCurrentIndex(0);
        m_chosen = 0;
    }
    connect(m_combo, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_chosen = index; });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_combo);
    layout->addWidget(OkCancel(this));
    setMinimumWidth(280);
}

NodePtr KernelQueryDialog::TakeChosen() {
    // A position outside the options finds none, so an answer without a valid choice is none.
    return m_options.RemoveAt(m_chosen + 1);
}

// ---- Some items ---------------------------------------------------------------------------------

ItemChoiceDialog::ItemChoiceDialog(QWidget* parent, const QString& prompt, const QString& leftLabel,
                                   const QString& rightLabel, NodeArray available, NodeArray chosen)
    : QDialog(parent), m_available(std::move(available)), m_chosen(std::move(chosen)) {
    setObjectName(QStringLiteral("kernelQueryItems"));
    setWindowTitle(QStringLiteral("Kernel Query"));
    auto* promptLabel = Static(prompt, "prompt", this);
    auto* left = Static(leftLabel, "availableLabel", this);
    auto* right = Static(rightLabel, "chosenLabel", this);

    m_left = new QListWidget(this);
    m_left->setObjectName(QStringLiteral("available"));
    m_right = new QListWidget(this);
    m_right->setObjectName(QStringLiteral("chosen"));
    Fill(m_left, m_available);
    Fill(m_right, m_chosen);
    auto* toChosen = new QPushButton(QStringLiteral("->"), this);
    toChosen->setObjectName(QStringLiteral("moveRight"));
    toChosen->setAutoDefault(false);
    auto* toAvailable = new QPushButton(QStringLiteral("<-"), this);
    toAvailable->setObjectName(QStringLiteral("moveLeft"));
    toAvailable->setAutoDefault(false);
    connect(toChosen, &QPushButton::clicked, this, [this] { MoveToChosen(); });
    connect(toAvailable, &QPushButton::clicked, this, [this] { MoveToAvailable(); });
    // A double click moves the entry clicked.
    connect(m_left, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_left->setCurrentItem(item);
        MoveToChosen();
    });
    connect(m_right, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_right->setCurrentItem(item);
        MoveToAvailable();
    });

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(toChosen);
    arrows->addWidget(toAvailable);
    arrows->addStretch();
    auto* grid = new QGridLayout;
    grid->addWidget(left, 0, 0);
    grid->addWidget(right, 0, 2);
    grid->addWidget(m_left, 1, 0);
    grid->addLayout(arrows, 1, 1);
    grid->addWidget(m_right, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addLayout(grid);
    layout->addWidget(OkCancel(this));
    resize(420, 280);
}

void ItemChoiceDialog::Move(QListWidget* from, NodeArray& fromItems, QListWidget* to,
                            NodeArray& toItems) {
    const int row = from->currentRow();
    if (from->count() == 0 || row < 0) return;
    NodePtr item = fromItems.RemoveAt(row + 1);
    if (!item) return;
    delete from->takeItem(row);
    if (from->count() > 0) from->setCurrentRow(0);
    toItems.Append(std::move(item));
    to->addItem(ItemText(toItems, toItems.GetCount()));
    to->setCurrentRow(to->count() - 1);
}

void ItemChoiceDialog::MoveToChosen() {
    Move(m_left, m_available, m_right, m_chosen);
}

void ItemChoiceDialog::MoveToAvailable() {
    Move(m_right, m_chosen, m_left, m_available);
}

std::unique_ptr<ListNode> ItemChoiceDialog::TakeChosen() {
    return m_chosen.ToListNode();
}
