// Creating each structure as the Element commands do, at a caret and around a selection, then
// undoing and redoing it.

#include "mathbox/MathBoxes.h"
#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using actiontest::ActionFixture;

struct Structure {
    const char* name;
    std::function<OwnedComponent()> make;
    const char* atCaret; // paragraph 1 after creating it between "ab" and the box
    const char* aroundB; // paragraph 1 after creating it with "b" selected
    bool caretInside;    // at a caret, the caret goes into the new box's first list, not past it
};

template <typename Box, typename... Args>
std::function<OwnedComponent()> New(Args... args) {
    return [=] { return OwnedComponent(new Box(args...)); };
}

const Structure kStructures[] = {
    {"fraction", New<FracComp>(), "ab[B]{,}[B]{x}c", "a[B]{b,}[B]{x}c", true},
    {"exponent", New<ExpoComp>(), "ab[B]{}[B]{x}c", "a[B]{}[B]{x}c", true},
    {"prime", New<ExpoComp>(uint8_t{183}), "ab[B]{\xB7'3}[B]{x}c", "a[B]{\xB7'3}[B]{x}c", false},
    {"subscript", New<SubsComp>(), "ab[B]{}[B]{x}c", "a[B]{}[B]{x}c", true},
    {"radical", New<SqrtComp>(), "ab[B]{,}[B]{x}c", "a[B]{b,}[B]{x}c", true},
    {"overbar", New<OverComp>(), "ab[B]{}[B]{x}c", "a[B]{b}[B]{x}c", true},
    {"integral", New<InteComp>(), "ab[B]{,,,}[B]{x}c", "a[B]{b,,,}[B]{x}c", true},
    {"sum", New<SumComp>(), "ab[B]{,}[B]{x}c", "a[B]{b,}[B]{x}c", true},
    {"limit", New<LimitComp>(), "ab[B]{,l'3i'3m'3}[B]{x}c", "a[B]{,l'3i'3m'3}[B]{x}c", true},
    {"parentheses", New<ParenComp>(), "ab[B]{}[B]{x}c", "a[B]{b}[B]{x}c", true},
    {"absolute value", New<AbsVComp>(), "ab[B]{}[B]{x}c", "a[B]{b}[B]{x}c", true},
};

class BoxActionTest : public ActionFixture, public ::testing::WithParamInterface<Structure> {};

TEST_P(BoxActionTest, CreateUndoRedo) {
    const Structure& s = GetParam();
    const streambytes::Bytes before = Saved();
    for (bool around : {false, true}) {
        SCOPED_TRACE(around ? "around a selection" : "at a caret");
        const DocRange selection = around ? Range(At(L1, 2), At(L1, 3)) : Caret(At(L1, 3));
        view.selection = selection;
        ASSERT_TRUE(slot.DoAction(MakeAction<CreateObjectAction>(view, s.make(), selection)));
        EXPECT_EQ(actiontest::Deep(*L1), around ? s.aroundB : s.atCaret);
        TextComp* box = L1->GetAt(around ? 2 : 3);
        ASSERT_NE(box, nullptr);
        if (!around) {
            // Inside the box's first list, or else after the box in the paragraph.
            EXPECT_EQ(view.selection.start.GetList(), s.caretInside ? box->GetList(1) : L1);
            EXPECT_EQ(view.selection.start.index, s.caretInside ? 1 : 4);
        }
        const streambytes::Bytes done = Saved();

        ASSERT_TRUE(slot.UndoCommand());
        EXPECT_EQ(Saved(), before);
        ASSERT_TRUE(slot.UndoCommand()); // redo
        EXPECT_EQ(Saved(), done);
        ASSERT_TRUE(slot.UndoCommand());
        EXPECT_EQ(Saved(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(EachStructure, BoxActionTest, ::testing::ValuesIn(kStructures),
                         [](const auto& info) { return actiontest::CaseName(info.param.name); });

} // namespace
