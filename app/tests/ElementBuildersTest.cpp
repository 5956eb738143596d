// Element commands are enabled only while their builder is registered, the view can insert and
// the kernel is idle; the toolbar button follows its menu command.

#include "app/ElementBuilders.h"

#include "app/BaseView.h"
#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/tests/ShellFixture.h"

using namespace shelltest;

namespace {

// A view that can insert, recording what it was given.
class InsertingView final : public BaseView {
public:
    using BaseView::BaseView;
    bool CanInsertComponent() const override { return true; }
    void InsertComponent(OwnedComponent component) override {
        inserted.push_back(component != nullptr);
    }
    std::vector<bool> inserted;
};

class ElementBuildersTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ChildFrame* child = frame->ActiveChild();
        view = std::make_unique<InsertingView>(child->Document());
    }
    CommandState Ask(int32_t id) {
        CommandState state;
        EXPECT_TRUE(view->UpdateCommand(id, state));
        return state;
    }
    std::unique_ptr<InsertingView> view;
};

TEST_F(ElementBuildersTest, OnlyRegisteredBuildersEnableTheirCommands) {
    EXPECT_FALSE(Ask(cmd::kElementFraction).enabled);
    int built = 0;
    {
        auto registration = ElementBuilders::Instance().Register(
            cmd::kElementFraction, [&](BaseView&) -> OwnedComponent {
                ++built;
                return nullptr; // as a cancelled dialog
            });
        EXPECT_TRUE(Ask(cmd::kElementFraction).enabled);
        EXPECT_TRUE(Ask(cmd::kFirstToolbarElement).enabled); // its toolbar button
        EXPECT_FALSE(Ask(cmd::kElementFraction + 1).enabled);

        session->connected = true;
        session->busy = true;
        EXPECT_FALSE(Ask(cmd::kElementFraction).enabled);
        session->busy = false;

        view->RunCommand(cmd::kFirstToolbarElement);
        EXPECT_EQ(built, 1);
        EXPECT_TRUE(view->inserted.empty()); // nothing built, nothing inserted
    }
    EXPECT_FALSE(Ask(cmd::kElementFraction).enabled);
    // The program's own view inserts at its caret: a registered builder enables the command
    // there, and only while no calculation runs.
    EXPECT_FALSE(State(cmd::kElementFraction).enabled);
    auto registration = ElementBuilders::Instance().Register(
        cmd::kElementFraction, [](BaseView&) { return OwnedComponent(); });
    EXPECT_TRUE(State(cmd::kElementFraction).enabled);
    session->connected = true;
    session->busy = true;
    EXPECT_FALSE(State(cmd::kElementFraction).enabled);
}

} // namespace
