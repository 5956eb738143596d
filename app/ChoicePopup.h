#pragma once

// The kernel's offers for the current selection (or what a drag produced), with the pending
// calculation that runs the one the user picks: from a popup menu, from the keyboard, or at
// once. Three variants: a keyed popup waits for a right click or a Return key; a pointed one
// shows its menu where it was made; an immediate one applies its first offer when shown.
//
// Choosing only yields the action with the choice set on it: the view that keeps the popup
// detaches and deletes the popup first and then runs the action, so running it (which ends
// with the view deleting its pending popup) never pulls the popup away under its own call. An
// entry past the offers, or any choice after the action was yielded, is ignored.

#include "document/Rect.h"
#include "kernel/EvaluationActions.h"
#include "kernel/KernelSession.h"

#include <QPoint>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class BaseView;
class QAction;
class QMenu;

// One offered operation: its value (the calculation kind), label and extra value (where the
// answer goes).
using ChoiceItem = kernel::CandidateRecord;

class ChoicePopup {
public:
    enum class Variant { kImmediate, kPointed, kKeyed };
    using PendingAction = std::unique_ptr<kernel::CalculationAction, ReleaseAction>;
    // Runs a built menu at a global point; the entry chosen, or null. Tests replace it.
    using MenuRunner = std::function<QAction*(QMenu& menu, QPoint global)>;

    // A keyed or immediate popup; `area` (document coordinates) is where a right click shows
    // the menu.
    ChoicePopup(PendingAction action, const ChoiceItem* items, int32_t count, const Rect& area,
                Variant variant = Variant::kKeyed);
    // A pointed popup, its menu shown at `point` (document coordinates).
    ChoicePopup(PendingAction action, const ChoiceItem* items, int32_t count, const Rect& area,
                Point point);
    ~ChoicePopup();
    ChoicePopup(const ChoicePopup&) = delete;
    ChoicePopup& operator=(const ChoicePopup&) = delete;

    Variant GetVariant() const { return m_variant; }
    const std::vector<ChoiceItem>& Items() const { return m_items; }
    bool HasAction() const { return m_action != nullptr; }

    // Remembers the view. An immediate popup yields its first offer's action; a pointed one
    // shows its menu and yields the chosen one; a keyed one yields nothing (its menu waits for
    // a right click).
    PendingAction Show(BaseView& view);
    // With `point` (document coordinates) inside the area: a menu with one entry per offer
    // (command id `cmd::kFirstChoice` + index, the offer's label), shown at the point. The
    // chosen entry's command id; 0 when nothing was chosen or the point lies outside.
    int32_t ShowMenuAt(Point point);
    // The action with the offer of command `id` set on it; null for an id outside the offers
    // or when the action was yielded before.
    PendingAction Choose(int32_t id);
    // Ctrl+Return or Ctrl+line feed yields the action with no choice (value and extra 0); line
    // feed or Shift+Return the first offer. Null when the popup does not take the key.
    PendingAction HandleKey(int32_t ch, bool shift, bool ctrl);

    // Installs the way menus run for the lifetime of the guard (tests).
    class MenuRunnerScope {
    public:
        explicit MenuRunnerScope(MenuRunner runner);
        ~MenuRunnerScope();
        MenuRunnerScope(const MenuRunnerScope&) = delete;
        MenuRunnerScope& operator=(const MenuRunnerScope&) = delete;

    private:
        MenuRunner m_previous;
    };

private:
    PendingAction Yield(int32_t value, int32_t extra);

    PendingAction m_action;
    std::vector<ChoiceItem> m_items;
    Rect m_area;
    Point m_point;
    Variant m_variant;
    BaseView* m_view = nullptr;
};
