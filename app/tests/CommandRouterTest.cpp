// The router asks the chain in order, disables what nobody claims, and re-asks right before a
// command runs, so that a stale enabled state lets nothing through.

#include "app/CommandRouter.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <map>
#include <string>
#include <vector>

namespace {

// Claims the ids it has a state for; records what ran.
class Target final : public CommandTarget {
public:
    explicit Target(std::string name) : name(std::move(name)) {}
    bool UpdateCommand(int32_t id, CommandState& state) override {
        auto it = states.find(id);
        if (it == states.end()) return false;
        state = it->second;
        return true;
    }
    void RunCommand(int32_t id) override { ran->push_back(name + ":" + std::to_string(id)); }

    std::string name;
    std::map<int32_t, CommandState> states;
    std::vector<std::string>* ran = nullptr;
};

CommandState Make(bool enabled, std::optional<bool> checked = std::nullopt,
                  std::optional<QString> text = std::nullopt) {
    CommandState state;
    state.enabled = enabled;
    state.checked = checked;
    state.text = text;
    return state;
}

class RouterTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (Target* target : {&view, &frame, &app})
            target->ran = &ran;
    }
    std::vector<std::string> ran;
    Target view{"view"}, frame{"frame"}, app{"app"};
    bool viewPresent = true;
    CommandRouter router{[this] {
        return std::vector<CommandTarget*>{viewPresent ? &view : nullptr, &frame, &app};
    }};
};

TEST_F(RouterTest, FirstClaimingTargetAnswersAndRuns) {
    view.states[1] = Make(true, true, QStringLiteral("Redo typing"));
    frame.states[1] = Make(false, false);
    app.states[2] = Make(true);
    router.AddCommand(1, QStringLiteral("&Undo\tCtrl+Z"));
    router.AddCommand(2, QStringLiteral("&About"));
    router.UpdateAll();

    EXPECT_TRUE(router.Action(1)->isEnabled());
    EXPECT_TRUE(router.Action(1)->isChecked());
    EXPECT_EQ(router.Action(1)->text(), QStringLiteral("Redo typing"));
    router.Action(1)->trigger();
    router.Action(2)->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"view:1", "app:2"}));

    // With no view the frame answers: disabled, so nothing runs.
    viewPresent = false;
    router.UpdateAll();
    EXPECT_FALSE(router.Action(1)->isEnabled());
    EXPECT_FALSE(router.Run(1));
    EXPECT_EQ(ran.size(), 2u);
}

TEST_F(RouterTest, UnclaimedCommandIsDisabledAndItsShortcutParsed) {
    QAction* action = router.AddCommand(7, QStringLiteral("&Fraction\tCtrl+F"));
    router.UpdateAll();
    EXPECT_FALSE(action->isEnabled());
    EXPECT_EQ(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    EXPECT_EQ(action->text(), QStringLiteral("&Fraction\tCtrl+F"));
}

TEST_F(RouterTest, StaleEnabledActionRunsNothingOnceTheStateChanged) {
    view.states[3] = Make(true);
    QAction* action = router.AddCommand(3, QStringLiteral("Cu&t\tCtrl+X"));
    router.UpdateAll();
    ASSERT_TRUE(action->isEnabled());
    view.states[3].enabled = false; // the state changed since the last update
    action->trigger();              // as the shortcut would
    EXPECT_TRUE(ran.empty());
    EXPECT_FALSE(action->isEnabled());
}

TEST_F(RouterTest, TriggeringAnUncheckedCommandLeavesItsTrueCheck) {
    frame.states[4] = Make(true, false);
    frame.states[5] = Make(false, true);
    QAction* runs = router.AddCommand(4, QStringLiteral("&Symbols"));
    QAction* refused = router.AddCommand(5, QStringLiteral("&Constants"));
    router.UpdateAll();
    runs->trigger(); // Qt toggles a checkable action by itself; the target's answer wins
    EXPECT_FALSE(runs->isChecked());
    refused->setEnabled(true);
    refused->trigger();
    EXPECT_TRUE(refused->isChecked());
    EXPECT_FALSE(refused->isEnabled());
}

TEST_F(RouterTest, MenuItemsAreUpdatedWhenTheMenuShows) {
    app.states[6] = Make(false);
    QMenu menu;
    router.WatchMenu(&menu);
    menu.addAction(router.AddCommand(6, QStringLiteral("&Start Kernel")));
    app.states[6].enabled = true;
    EXPECT_FALSE(router.Action(6)->isEnabled());
    emit menu.aboutToShow();
    EXPECT_TRUE(router.Action(6)->isEnabled());
}

} // namespace
