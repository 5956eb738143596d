// Every editing action through do -> undo -> redo -> undo: the document's saved bytes and the
// view's selection at each step, over one small document.

#include "document/RefComp.h"
#include "mathbox/actions/EditActions.h"
#include "mathbox/actions/TypingAction.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <functional>

using namespace actiontest;

namespace {

const char* const kOriginal = "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}";

struct EditCase;
class EditActionTest : public ActionFixture, public ::testing::WithParamInterface<EditCase> {};

struct EditCase {
    const char* name;
    std::function<DocRange(EditActionTest&)> selection;
    std::function<OwnedAction(EditActionTest&, const DocRange&)> make;
    const char* done;      // the document after do
    const char* doneCaret; // the selection after do
};

template <typename A, typename... Extra>
std::function<OwnedAction(EditActionTest&, const DocRange&)> Make(Extra... extra) {
    return [=](EditActionTest& t, const DocRange& sel) -> OwnedAction {
        return MakeAction<A>(t.view, sel, extra...);
    };
}

const EditCase kCases[] = {
    {"delete with a caret removes the character before it",
     [](EditActionTest& t) { return t.Caret(t.At(t.L1, 3)); }, Make<DeleteAction>(),
     "3:a[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 2"},
    {"delete with a caret after a box removes the box",
     [](EditActionTest& t) { return t.Caret(t.At(t.L1, 4)); }, Make<DeleteAction>(),
     "3:abc | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 3"},
    {"delete at the start of a list removes nothing",
     [](EditActionTest& t) { return t.Caret(t.At(t.box->GetList(1), 1)); }, Make<DeleteAction>(),
     kOriginal, "box 1"},
    {"delete a range", [](EditActionTest& t) { return t.Range(t.At(t.L1, 2), t.At(t.L1, 4)); },
     Make<DeleteAction>(), "3:ac | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 2"},
    {"delete grid rows", [](EditActionTest& t) { return t.Range(t.Rows(1), t.Rows(2)); },
     Make<DeleteAction>(), "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x1]{,}[D2]{u,,,,f}z[P]{}", "G rows 1"},
    {"delete on a row boundary removes the row before it",
     [](EditActionTest& t) { return t.Caret(t.Rows(2)); }, Make<DeleteAction>(),
     "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x1]{,}[D2]{u,,,,f}z[P]{}", "G rows 1"},
    {"delete a derivative variable",
     [](EditActionTest& t) { return t.Range(t.Vars(1), t.Vars(2)); }, Make<DeleteAction>(),
     "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D1]{,,f}z[P]{}", "D 1"},
    {"new paragraph splits off the tail", [](EditActionTest& t) { return t.Caret(t.At(t.L1, 3)); },
     Make<NewParagraphAction>(ParaStyle::kParagraph),
     "3:ab | 3:[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 1"},
    {"new paragraph at the end is empty", [](EditActionTest& t) { return t.Caret(t.At(t.L1, 5)); },
     Make<NewParagraphAction>(ParaStyle::kPlainEquation),
     "3:ab[B]{x}c | 5: | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 1"},
    {"new source code paragraph keeps the indentation",
     [](EditActionTest& t) { return t.Caret(t.At(t.L2, 4)); },
     Make<NewParagraphAction>(ParaStyle::kSourceCode),
     "3:ab[B]{x}c | 7:\\t\\ti | 7:\\t\\tf | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 3"},
    {"new paragraph replaces a selection",
     [](EditActionTest& t) { return t.Range(t.At(t.L1, 2), t.At(t.L1, 3)); },
     Make<NewParagraphAction>(ParaStyle::kParagraph),
     "3:a | 3:[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 1"},
    {"a created structure takes the selection into its list",
     [](EditActionTest& t) { return t.Range(t.At(t.L1, 2), t.At(t.L1, 3)); },
     [](EditActionTest& t, const DocRange& sel) -> OwnedAction {
         return MakeAction<CreateObjectAction>(t.view, OwnedComponent(new Wrapper()), sel);
     },
     "3:a[B]{b}[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 2"},
    {"a created box that does not take a selection replaces it",
     [](EditActionTest& t) { return t.Range(t.At(t.L1, 1), t.At(t.L1, 3)); },
     [](EditActionTest& t, const DocRange& sel) -> OwnedAction {
         return MakeAction<CreateObjectAction>(t.view, OwnedComponent(new fakes::Box()), sel);
     },
     "3:[B]{}[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "? 1"},
    {"a structure created at a caret", [](EditActionTest& t) { return t.Caret(t.At(t.L3, 3)); },
     [](EditActionTest& t, const DocRange& sel) -> OwnedAction {
         return MakeAction<CreateObjectAction>(t.view, OwnedComponent(new Wrapper()), sel);
     },
     "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}[B]{}z[P]{}", "? 1"},
    {"reduce replaces a box by its contents",
     [](EditActionTest& t) { return t.Range(t.At(t.L1, 3), t.At(t.L1, 4)); }, Make<ReduceAction>(),
     "3:abxc | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 3 - L1 4"},
    {"reduce at a caret before a box reduces the box",
     [](EditActionTest& t) { return t.Caret(t.At(t.L1, 3)); }, Make<ReduceAction>(),
     "3:abxc | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 3 - L1 4"},
    {"insert a column between the columns", [](EditActionTest& t) { return t.Caret(t.Cols(2)); },
     Make<InsertColumnAction>(), "3:ab[B]{x}c | 7:\\t\\tif | 5:[G3x2]{p,,,,,}[D2]{u,,,,f}z[P]{}",
     "G cols 3"},
    {"insert a row after the last", [](EditActionTest& t) { return t.Caret(t.Rows(3)); },
     Make<InsertRowAction>(), "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x3]{p,,,,,}[D2]{u,,,,f}z[P]{}",
     "G rows 4"},
    {"insert a derivative variable", [](EditActionTest& t) { return t.Caret(t.Vars(1)); },
     Make<InsertDerivativeAction>(),
     "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D3]{,,u,,,,f}z[P]{}", "D 2"},
    {"insert a plot expression",
     [](EditActionTest& t) { return t.Caret(t.At(t.plot->GetList(1), 1)); },
     Make<InsertExpressionAction>(), "3:ab[B]{x}c | 7:\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{,}",
     "? 1"},
    {"remove a paragraph break", [](EditActionTest& t) { return t.Caret(t.At(t.L2, 1)); },
     [](EditActionTest& t, const DocRange& sel) -> OwnedAction {
         return MakeAction<RemoveParaBreakAction>(t.view, sel, t.seq.GetAt(2));
     },
     "7:ab[B]{x}c\\t\\tif | 5:[G2x2]{p,,,}[D2]{u,,,,f}z[P]{}", "L1 5"},
};

TEST_P(EditActionTest, DoUndoRedoRestoreBytesAndSelection) {
    ASSERT_EQ(Deep(seq), kOriginal);
    {
        const EditCase& c = GetParam();
        const DocRange sel = c.selection(*this);
        view.selection = sel;
        const auto before = Saved();
        const std::string beforeSel = Name(view.selection);

        ASSERT_TRUE(slot.DoAction(c.make(*this, sel)));
        EXPECT_EQ(Deep(seq), c.done);
        EXPECT_EQ(Name(view.selection), c.doneCaret);
        const auto afterDo = Saved();
        const std::string afterSel = Name(view.selection);
        EXPECT_GE(view.modified, 1);

        ASSERT_TRUE(slot.UndoCommand());
        EXPECT_EQ(Deep(seq), kOriginal);
        EXPECT_EQ(Name(view.selection), beforeSel);
        EXPECT_EQ(Saved(), before);

        ASSERT_TRUE(slot.UndoCommand()) << "the command toggles: this is redo";
        EXPECT_EQ(Deep(seq), c.done);
        EXPECT_EQ(Name(view.selection), afterSel);
        EXPECT_EQ(Saved(), afterDo);

        ASSERT_TRUE(slot.UndoCommand());
        EXPECT_EQ(Deep(seq), kOriginal);
        EXPECT_EQ(Saved(), before);
        EXPECT_EQ(view.drawDepth, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, EditActionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EditCase>& info) {
                             return CaseName(info.param.name);
                         });

} // namespace

namespace {

TEST(EmptyDocumentTest, EditsWithoutAPlaceChangeNothing) {
    EmptyDocument doc;
    doc.RunEach({
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<DeleteAction>(view, nowhere);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<NewParagraphAction>(view, nowhere, ParaStyle::kParagraph);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<CreateObjectAction>(view, OwnedComponent(new Wrapper()), nowhere);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<ReduceAction>(view, nowhere);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<InsertRowAction>(view, nowhere);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<InsertExpressionAction>(view, nowhere);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<SetParagraphStyleAction>(view, nowhere, 2);
        },
        [](EditView& view, const DocRange& nowhere) -> OwnedAction {
            return MakeAction<SetTextStyleAction>(view, nowhere, 2);
        },
    });
    ASSERT_TRUE(doc.slot.DoAction(MakeAction<TypingAction>(doc.view, doc.nowhere), true));
    EXPECT_TRUE(doc.slot.AddTypedChar('x'));
    EXPECT_FALSE(doc.slot.CanUndo()) << "nothing was typed";
    EXPECT_EQ(doc.empty.GetCount(), 0);
}

} // namespace

namespace {

// A paragraph that an action takes out and puts back is the same paragraph: its identity, the
// references that point at it, and the saved bytes are as they were.
class TravellingParagraphTest : public ::testing::Test {
protected:
    TravellingParagraphTest() {
        doc.body = &body;
        body.Append(Para("r"));
        body.Append(Para("ab", ParaStyle::kNumberedEquation));
        body.Append(Para("cd", ParaStyle::kNumberedEquation));
        body.PlaceAll(false);
    }

    // A reference in the first paragraph to `target`.
    RefComp* Refer(ParaComp& target) {
        auto* ref = new RefComp(*target.GetNumberSource());
        body.GetAt(1)->GetList(1)->Append(ref);
        body.Relayout(1, nullptr);
        return ref;
    }

    streambytes::Bytes Saved() const {
        return streambytes::Save([&](DocStream& s) { body.Write(s, false); });
    }

    // Toggles undo and redo `times` times, the paragraph out of the document first when `out`;
    // at every step the paragraph keeps its identity and the reference its target, and each time
    // it is back the document saves to `whenIn`.
    void Toggle(int times, bool out, ParaComp& para, RefComp& ref,
                const streambytes::Bytes& whenIn) {
        const int32_t identity = para.GetIdentity();
        for (int step = 0; step < times; ++step, out = !out) {
            SCOPED_TRACE(step);
            ASSERT_TRUE(slot.UndoCommand());
            EXPECT_EQ(para.GetIdentity(), identity);
            EXPECT_EQ(ref.GetTarget(), para.GetNumberSource());
            EXPECT_EQ(doc.FindParagraph(identity), out ? nullptr : &para);
            if (out) continue;
            EXPECT_EQ(ref.Resolve(), &para);
            EXPECT_EQ(Saved(), whenIn);
        }
    }

    // The index of the paragraph that the first reference of the saved document finds once the
    // bytes are read into another document.
    int32_t ReloadedTarget() const {
        Document other;
        CompSequence read(&other);
        other.body = &read;
        streambytes::Load(Saved(), [&](DocStream& s) { read.Read(s); });
        CompList* text = read.GetAt(1)->GetList(1);
        for (int32_t i = 1; i <= text->GetCount(); ++i)
            if (text->GetAt(i)->GetTypeTag() == tags::Reference)
                return read.IndexOf(static_cast<RefComp*>(text->GetAt(i))->Resolve());
        return 0;
    }

    DocRange Caret(CompList* list, int32_t index) {
        DocRange caret;
        caret.Set(list, index, index);
        view.selection = caret;
        return caret;
    }

    Services services;
    // Its numbers are never handed out twice, as when another paragraph took a released number
    // in the meantime.
    Document doc;
    CompSequence body{&doc};
    FakeView view{body};
    UndoSlot slot{view};
};

TEST_F(TravellingParagraphTest, AJoinedParagraphComesBackWithItsIdentity) {
    ParaComp& joined = *body.GetAt(3);
    RefComp& ref = *Refer(joined);
    const auto before = Saved();
    const DocRange caret = Caret(joined.GetList(1), 1);
    ASSERT_TRUE(slot.DoAction(MakeAction<RemoveParaBreakAction>(view, caret, &joined)));
    ASSERT_EQ(body.GetCount(), 2);
    EXPECT_EQ(ref.GetTarget(), joined.GetNumberSource()) << "held while it is joined";
    Toggle(3, false, joined, ref, before);
    EXPECT_EQ(ReloadedTarget(), 3);
}

TEST_F(TravellingParagraphTest, ARedoneNewParagraphComesBackWithItsIdentity) {
    CompList* last = body.GetAt(3)->GetList(1);
    const DocRange caret = Caret(last, 2);
    ASSERT_TRUE(
        slot.DoAction(MakeAction<NewParagraphAction>(view, caret, ParaStyle::kNumberedEquation)));
    ASSERT_EQ(body.GetCount(), 4);
    ParaComp& made = *body.GetAt(4);
    RefComp& ref = *Refer(made);
    const auto done = Saved();
    Toggle(4, true, made, ref, done);
    EXPECT_EQ(ReloadedTarget(), 4);
}

} // namespace
