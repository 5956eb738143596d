#include "app/ChoicePopup.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "app/KeyMapping.h"
#include "platform/Cp1252.h"

#include <QMenu>

namespace {

QAction* ExecMenu(QMenu& menu, QPoint global) {
    return menu.exec(global);
}

ChoicePopup::MenuRunner& CurrentRunner() {
    static ChoicePopup::MenuRunner runner = ExecMenu;
    return runner;
}

} // namespace

ChoicePopup::MenuRunnerScope::MenuRunnerScope(MenuRunner runner)
    : m_previous(std::move(CurrentRunner())) {
    CurrentRunner() = std::move(runner);
}

ChoicePopup::MenuRunnerScope::~MenuRunnerScope() {
    CurrentRunner() = std::move(m_previous);
}

ChoicePopup::ChoicePopup(PendingAction action, const ChoiceItem* items, int32_t count,
                         const Rect& area, Variant variant)
    : m_action(std::move(action)), m_items(items, items + std::max<int32_t>(count, 0)),
      m_area(area), m_variant(variant) {}

ChoicePopup::ChoicePopup(PendingAction action, const ChoiceItem* items, int32_t count,
                         const Rect& area, Point point)
    : ChoicePopup(std::move(action), items, count, area, Variant::kPointed) {
    m_point = point;
}

ChoicePopup::~ChoicePopup() = default;

ChoicePopup::PendingAction ChoicePopup::Show(BaseView& view) {
    m_view = &view;
    switch (m_variant) {
    case Variant::kImmediate:
        return Choose(cmd::kFirstChoice);
    case Variant::kPointed:
        return Choose(ShowMenuAt(m_point));
    case Variant::kKeyed:
        break;
    }
    return nullptr;
}

int32_t ChoicePopup::ShowMenuAt(Point point) {
    if (m_view == nullptr || m_action == nullptr || m_items.empty() || !m_area.PtInRect(point))
        return 0;
    QMenu menu(m_view);
    for (size_t i = 0; i < m_items.size(); ++i) {
        QAction* entry = menu.addAction(platform::FromCp1252(m_items[i].text.View()));
        entry->setData(cmd::kFirstChoice + static_cast<int32_t>(i));
    }
    const Point scroll = m_view->ScrollOffset();
    const QPoint client(point.x - scroll.x, point.y - scroll.y);
    // Centred on the point, as the menu of a right click.
    QPoint global = m_view->viewport()->mapToGlobal(client);
    global.rx() -= menu.sizeHint().width() / 2;
    const QAction* chosen = CurrentRunner()(menu, global);
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

ChoicePopup::PendingAction ChoicePopup::Choose(int32_t id) {
    const int32_t index = id - cmd::kFirstChoice;
    if (index < 0 || index >= static_cast<int32_t>(m_items.size())) return nullptr;
    const ChoiceItem& item = m_items[static_cast<size_t>(index)];
    return Yield(item.value, item.second);
}

ChoicePopup::PendingAction ChoicePopup::HandleKey(int32_t ch, bool shift, bool ctrl) {
    if (m_variant != Variant::kKeyed || m_action == nullptr) return nullptr;
    const bool lineEnd = ch == keycode::kReturn || ch == keycode::kLineFeed;
    if (lineEnd && ctrl) return Yield(0, 0);
    if (ch == keycode::kLineFeed || (ch == keycode::kReturn && shift))
        return Choose(cmd::kFirstChoice);
    return nullptr;
}

ChoicePopup::PendingAction ChoicePopup::Yield(int32_t value, int32_t extra) {
    if (m_action == nullptr) return nullptr;
    m_action->SetChoice(value, extra);
    return std::move(m_action);
}
