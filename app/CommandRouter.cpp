#include "app/CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QKeySequence>
#include <QMenu>

CommandRouter::CommandRouter(Chain chain, QObject* parent)
    : QObject(parent), m_chain(std::move(chain)) {}

CommandRouter::~CommandRouter() = default;

QAction* CommandRouter::AddCommand(int32_t id, const QString& text) {
    if (QAction* existing = Action(id)) return existing;
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setEnabled(false);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) action->setShortcut(QKeySequence(text.mid(tab + 1)));
    // The shortcut works wherever the main window has the focus, also inside a document view.
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, [this, id] { Run(id); });
    m_actions.emplace(id, action);
    return action;
}

void CommandRouter::AddShortcuts(int32_t id, const QList<QKeySequence>& keys) {
    QAction* action = Action(id);
    if (action == nullptr) return;
    QList<QKeySequence> all = action->shortcuts();
    for (const QKeySequence& key : keys)
        if (!all.contains(key)) all.append(key);
    action->setShortcuts(all);
}

QAction* CommandRouter::Action(int32_t id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::vector<int32_t> CommandRouter::Ids() const {
    std::vector<int32_t> ids;
    for (const auto& entry : m_actions)
        ids.push_back(entry.first);
    return ids;
}

CommandState CommandRouter::Query(int32_t id) const {
    CommandState state;
    for (CommandTarget* target : m_chain()) {
        if (target != nullptr && target->UpdateCommand(id, state)) return state;
    }
    return CommandState{};
}

bool CommandRouter::Run(int32_t id) {
    // A command that opens a modal loop can be triggered again from inside it; it runs once.
    if (m_running) return false;
    for (CommandTarget* target : m_chain()) {
        CommandState state;
        if (target == nullptr || !target->UpdateCommand(id, state)) continue;
        if (!state.enabled) break;
        m_running = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{m_running};
        target->RunCommand(id);
        UpdateAll();
        return true;
    }
    // Triggering toggles a checkable action by itself; put the true state back.
    UpdateAction(id);
    return false;
}

void CommandRouter::Apply(QAction* action, const CommandState& state) {
    if (action->isEnabled() != state.enabled) action->setEnabled(state.enabled);
    if (state.checked) {
        if (!action->isCheckable()) action->setCheckable(true);
        if (action->isChecked() != *state.checked) action->setChecked(*state.checked);
    } else if (action->isChecked()) {
        action->setChecked(false);
    }
    if (state.text && action->text() != *state.text) action->setText(*state.text);
    if (state.visible && action->isVisible() != *state.visible) action->setVisible(*state.visible);
}

void CommandRouter::UpdateAction(int32_t id) {
    if (QAction* action = Action(id)) Apply(action, Query(id));
}

void CommandRouter::UpdateAll() {
    for (const auto& [id, action] : m_actions)
        Apply(action, Query(id));
}

void CommandRouter::WatchMenu(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* action : menu->actions()) {
            bool ok = false;
            const int32_t id = action->data().toInt(&ok);
            if (ok && m_actions.count(id) != 0) Apply(action, Query(id));
        }
    });
}

void CommandRouter::UpdateWhenIdle() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { UpdateAll(); });
}
