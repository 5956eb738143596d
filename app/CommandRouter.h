#pragma once

// Commands travel by id. Each id has one QAction, shared by its menu item, its toolbar button
// and its shortcut. Whether a command is enabled, checked and what it reads is not stored: the
// router asks the chain of command targets (the focused view, its document, the child frame,
// the main frame, the application, in that order) each time
// - a menu is about to show (its items),
// - the event loop is about to wait (every command, so toolbar buttons stay current),
// - right before a command runs, so a stale state never lets a disabled command's shortcut or
//   button through.
// The first target that claims an id answers for it; an id that no target claims is disabled.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QMenu;

struct CommandState {
    bool enabled = false;
    // Set when the command shows a check mark: the action becomes checkable.
    std::optional<bool> checked;
    // Set when the command's text changes with the state (Undo reads "Redo typing").
    std::optional<QString> text;
    // Set when the item shows only in some states (the recent files that exist).
    std::optional<bool> visible;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Claims the command by filling `state` and answering true; false passes it along the chain.
    virtual bool UpdateCommand(int32_t id, CommandState& state) = 0;
    // Runs a command this target claimed and reported enabled just now.
    virtual void RunCommand(int32_t id) = 0;
};

class CommandRouter : public QObject {
public:
    // The targets in routing order, asked afresh for every query (the focus moves). Null
    // entries are skipped.
    using Chain = std::function<std::vector<CommandTarget*>()>;

    explicit CommandRouter(Chain chain, QObject* parent = nullptr);
    ~CommandRouter() override;

    // The action of a command, made on first request with the given text (the part after a tab
    // becomes its shortcut). Owned by the router.
    QAction* AddCommand(int32_t id, const QString& text);
    // Extra shortcuts for one command (two key spellings of one key).
    void AddShortcuts(int32_t id, const QList<QKeySequence>& keys);
    QAction* Action(int32_t id) const;
    std::vector<int32_t> Ids() const;

    // What the chain answers for the command now.
    CommandState Query(int32_t id) const;
    // Re-asks the chain and runs the command when it is enabled; answers whether it ran.
    bool Run(int32_t id);

    void UpdateAction(int32_t id);
    void UpdateAll();
    // Updates the menu's actions (and its submenus') whenever it is about to show.
    void WatchMenu(QMenu* menu);
    // Updates every action whenever the event loop is about to wait.
    void UpdateWhenIdle();

private:
    void Apply(QAction* action, const CommandState& state);

    Chain m_chain;
    std::map<int32_t, QAction*> m_actions;
    bool m_running = false;
};
