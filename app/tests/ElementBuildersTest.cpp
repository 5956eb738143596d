// Element commands are enabled only while their builder is registered, the view can insert and
// the kernel is idle; the toolbar button follows its menu command.

#include "app/ElementBuilders.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"

using namespace shelltest;

namespace {

// A view that can insert, recording what it was given.
class InsertingView final : public TessaryView {
public:
    using TessaryView::TessaryView;
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
    constexpr int32_t kCommand = cmd::kElementTotalDerivative;
    constexpr int32_t kButton = kCommand - cmd::kToolbarToMenu;
    EXPECT_TRUE(Ask(kCommand).enabled) << "the program's own builder";
    int built = 0;
    {
        // Withdrawn while the empty builder's guard lives.
        auto withdrawn = ElementBuilders::Instance().Register(kCommand, nullptr);
        EXPECT_FALSE(Ask(kCommand).enabled);
        EXPECT_FALSE(Ask(kButton).enabled);
        {
            auto registration =
                ElementBuilders::Instance().Register(kCommand, [&](BaseView&) -> OwnedComponent {
                    ++built;
                    return nullptr; // as a cancelled dialog
                });
            EXPECT_TRUE(Ask(kCommand).enabled);
            EXPECT_TRUE(Ask(kButton).enabled); // its toolbar button

            session->connected = true;
            session->busy = true;
            EXPECT_FALSE(Ask(kCommand).enabled);
            session->busy = false;

            view->RunCommand(kButton);
            EXPECT_EQ(built, 1);
            EXPECT_TRUE(view->inserted.empty()); // nothing built, nothing inserted
        }
        EXPECT_FALSE(Ask(kCommand).enabled) << "the guard put back what it replaced";
        // The program's own view inserts at its caret: a registered builder enables the
        // command there, and only while no calculation runs.
        EXPECT_FALSE(State(kCommand).enabled);
    }
    EXPECT_TRUE(Ask(kCommand).enabled);
    EXPECT_TRUE(State(kCommand).enabled);
    EXPECT_TRUE(State(kButton).enabled);
    session->connected = true;
    session->busy = true;
    EXPECT_FALSE(State(kCommand).enabled);
}

// The program registers the math boxes' Element commands at start-up: each builds its box,
// and the toolbar button builds the same.
TEST_F(ElementBuildersTest, MathElementsBuildTheirBoxes) {
    const struct {
        int32_t id;
        TypeTag tag;
        int32_t onlyChar; // the one character of a script, 0 for an empty box
    } cases[] = {
        {cmd::kElementFraction, tags::Fraction, 0},
        {cmd::kElementFraction + 1, tags::Exponent, 0},
        {cmd::kElementFraction + 2, tags::Subscript, 0},
        {cmd::kElementFraction + 3, tags::Radical, 0},
        {cmd::kElementFraction + 4, tags::Overbar, 0},
        {cmd::kElementTotalDerivative, tags::TotalDerivative, 0},
        {cmd::kElementPrime, tags::Exponent, 183},
        {cmd::kElementDoublePrime, tags::Exponent, 242},
        {cmd::kElementPartialDerivative, tags::PartialDerivative, 0},
        {cmd::kElementFraction + 9, tags::Integral, 0},
        {cmd::kElementFraction + 10, tags::Sum, 0},
        {cmd::kElementFraction + 11, tags::Limit, 0},
        {cmd::kElementFraction + 16, tags::ParenGroup, 0},
        {cmd::kElementFraction + 17, tags::AbsValue, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const ElementBuilder* build = ElementBuilders::Instance().Find(c.id);
        ASSERT_NE(build, nullptr);
        EXPECT_EQ(ElementBuilders::Instance().Find(c.id - cmd::kToolbarToMenu), build);
        OwnedComponent box = (*build)(*view);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetTypeTag(), c.tag);
        CompList* list = box->GetList(1);
        EXPECT_EQ(list->GetCount(), c.onlyChar != 0 ? 1 : 0);
        if (c.onlyChar != 0) {
            EXPECT_EQ(list->GetAt(1)->GetCharCode(), c.onlyChar);
        }
    }
}

} // namespace
