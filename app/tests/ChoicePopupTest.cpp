// The kernel choice popup: its menu, its choices and its keys, each yielding the pending
// calculation with the chosen kind and placement set, exactly once.

#include "app/ChoicePopup.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/KeyMapping.h"
#include "app/QtSessionHost.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "expr/LeafNodes.h"

#include <QAction>
#include <QMenu>

using namespace shelltest;

namespace {

namespace placement = kernel::placement;

const ChoiceItem kItems[] = {
    {11, Str255("Factor"), placement::kNewParagraphAfter},
    {12, Str255("Simplify in place"), placement::kReplaceParagraph},
    {20, Str255("Declare constant"), placement::kDeclareConstant},
};
constexpr int32_t kCount = 3;
const Rect kArea(10, 10, 200, 40);

class ChoicePopupTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = frame->ActiveChild()->View();
    }
    // A calculation over the symbol x, as the view makes it before anything is chosen.
    ChoicePopup::PendingAction Pending() {
        ExprHolder tree(SymbolNode::FromName("x"));
        ExprNode* input = tree.Get();
        return MakeAction<kernel::EvaluateAction>(*view, kernelSession, view->GetSelection(), 0,
                                                  placement::kNewParagraphAfter, std::move(tree),
                                                  input);
    }
    std::unique_ptr<ChoicePopup> Popup(ChoicePopup::Variant variant) {
        return std::make_unique<ChoicePopup>(Pending(), kItems, kCount, kArea, variant);
    }
    static std::pair<int32_t, int32_t> ChoiceOf(const ChoicePopup::PendingAction& action) {
        return {action->GetKind(), action->GetPlacement()};
    }

    TessaryView* view = nullptr;
    QtSessionHost host{[] { return nullptr; }, [](const QString&) {}};
    kernel::KernelSession kernelSession{host};
};

TEST_F(ChoicePopupTest, TheMenuHasOneEntryPerOfferAndTheChosenOneIsYielded) {
    auto popup = Popup(ChoicePopup::Variant::kKeyed);
    EXPECT_EQ(popup->Show(*view), nullptr) << "a keyed popup waits";
    std::vector<std::pair<QString, int>> entries;
    int menus = 0;
    ChoicePopup::MenuRunnerScope runner([&](QMenu& menu, QPoint) -> QAction* {
        ++menus;
        for (QAction* entry : menu.actions())
            entries.emplace_back(entry->text(), entry->data().toInt());
        return menu.actions().at(1);
    });

    EXPECT_EQ(popup->ShowMenuAt(Point(300, 20)), 0) << "outside the area";
    EXPECT_EQ(menus, 0);
    const int32_t id = popup->ShowMenuAt(Point(50, 20));
    EXPECT_EQ(id, cmd::kFirstChoice + 1);
    EXPECT_EQ(entries,
              (std::vector<std::pair<QString, int>>{
                  {"Factor", 33000}, {"Simplify in place", 33001}, {"Declare constant", 33002}}));

    ChoicePopup::PendingAction chosen = popup->Choose(id);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(ChoiceOf(chosen), std::make_pair(12, placement::kReplaceParagraph));
    // Only once: the action is gone, and a second choice or a menu finds nothing.
    EXPECT_FALSE(popup->HasAction());
    EXPECT_EQ(popup->Choose(cmd::kFirstChoice), nullptr);
    EXPECT_EQ(popup->ShowMenuAt(Point(50, 20)), 0);
}

TEST_F(ChoicePopupTest, AnEntryOutsideTheOffersIsIgnored) {
    auto popup = Popup(ChoicePopup::Variant::kKeyed);
    for (int32_t id : {cmd::kFirstChoice - 1, cmd::kFirstChoice + kCount, cmd::kLastChoice})
        EXPECT_EQ(popup->Choose(id), nullptr) << id;
    EXPECT_TRUE(popup->HasAction());
    EXPECT_EQ(ChoiceOf(popup->Choose(cmd::kFirstChoice + 2)),
              std::make_pair(20, placement::kDeclareConstant));
}

TEST_F(ChoicePopupTest, ReturnKeysChooseByTheKeyRule) {
    struct Row {
        const char* name;
        int32_t ch;
        bool shift, ctrl;
        bool taken;
        int32_t kind, where;
    };
    const Row rows[] = {
        {"Ctrl+Return: no choice, simplify", keycode::kReturn, false, true, true, 0, 0},
        {"Ctrl+line feed", keycode::kLineFeed, false, true, true, 0, 0},
        {"line feed: the first offer", keycode::kLineFeed, false, false, true, 11, 0},
        {"Shift+Return: the first offer", keycode::kReturn, true, false, true, 11, 0},
        {"plain Return is the editor's", keycode::kReturn, false, false, false, 0, 0},
        {"a letter is the editor's", 'a', false, false, false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto popup = Popup(ChoicePopup::Variant::kKeyed);
        popup->Show(*view);
        ChoicePopup::PendingAction chosen = popup->HandleKey(row.ch, row.shift, row.ctrl);
        ASSERT_EQ(chosen != nullptr, row.taken);
        if (row.taken) {
            EXPECT_EQ(ChoiceOf(chosen), std::make_pair(row.kind, row.where));
        }
        // Whatever was chosen, a second key finds nothing to yield.
        EXPECT_EQ(popup->HandleKey(keycode::kReturn, true, false) != nullptr, !row.taken);
    }
    // The other variants take no keys.
    EXPECT_EQ(Popup(ChoicePopup::Variant::kImmediate)->HandleKey(keycode::kReturn, true, false),
              nullptr);
}

TEST_F(ChoicePopupTest, ImmediateAndPointedPopupsChooseWhenShown) {
    ChoicePopup::PendingAction first = Popup(ChoicePopup::Variant::kImmediate)->Show(*view);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ChoiceOf(first), std::make_pair(11, placement::kNewParagraphAfter));

    QPoint shownAt;
    ChoicePopup::MenuRunnerScope runner([&](QMenu& menu, QPoint global) -> QAction* {
        shownAt = global;
        return menu.actions().at(2);
    });
    ChoicePopup pointed(Pending(), kItems, kCount, kArea, Point(60, 30));
    ChoicePopup::PendingAction third = pointed.Show(*view);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(ChoiceOf(third), std::make_pair(20, placement::kDeclareConstant));
    EXPECT_FALSE(shownAt.isNull());
    // A popup dropped with its action pending deletes it (the sanitizer checks).
    Popup(ChoicePopup::Variant::kKeyed);
}

} // namespace
