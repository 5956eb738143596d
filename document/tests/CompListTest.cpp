#include "document/LatexWriter.h"
#include "document/tests/Fakes.h"
#include "document/tests/ParagraphLatexWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

class CompListTest : public ::testing::Test {
protected:
    ~CompListTest() override { EXPECT_EQ(fakes::Box::alive, 0) << "a list leaked or lost a box"; }

    fakes::GlyphSource glyphs;
};

std::string Codes(const CompList& list) {
    std::string s;
    for (int32_t i = 1; i <= list.GetCount(); ++i)
        s += list.GetAt(i)->IsNotChar() ? '#' : static_cast<char>(list.GetAt(i)->GetCharCode());
    return s;
}

} // namespace

TEST_F(CompListTest, InsertionsAdoptAndRemovalsReleaseTheChild) {
    CompList list;
    list.SetSizeLevel(2);
    auto* box = new fakes::Box;
    list.Append(box);
    EXPECT_EQ(box->GetParent(), &list);
    EXPECT_EQ(box->GetSizeLevel(), 2);
    EXPECT_EQ(list.IndexOf(box), 1);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetAt(2), nullptr);

    const OwnedComponent removed = list.RemoveAt(1);
    EXPECT_EQ(removed.get(), box);
    EXPECT_EQ(box->GetParent(), nullptr);
    EXPECT_EQ(list.IndexOf(box), 0);
}

TEST_F(CompListTest, SetAtReplacesWithinOneToCountPlusOne) {
    CompList list;
    fakes::AppendChars(list, "ab");
    auto* box = new fakes::Box;
    const OwnedComponent old = list.SetAt(box, 1);
    EXPECT_EQ(old->GetCharCode(), 'a');
    EXPECT_EQ(Codes(list), "#b");
    EXPECT_EQ(box->GetParent(), &list);

    auto* second = new fakes::Box;
    EXPECT_EQ(list.SetAt(second, 3), nullptr); // count + 1 appends
    EXPECT_EQ(Codes(list), "#b#");

    OwnedComponent taken = list.SetAt(glyphs.GetGlyph(0, 'c'), 3);
    EXPECT_EQ(taken.get(), second);
    EXPECT_EQ(second->GetParent(), nullptr);
    taken.reset();
    EXPECT_EQ(fakes::Box::alive, 1) << "the handle disposes of what the list gave up";

    for (int32_t bad : {0, -1, 5}) {
        SCOPED_TRACE(bad);
        auto* stray = new fakes::Box;
        EXPECT_THROW(list.SetAt(stray, bad), std::out_of_range);
        EXPECT_EQ(stray->GetParent(), nullptr);
        stray->Destroy();
    }
    EXPECT_EQ(Codes(list), "#bc");
    EXPECT_THROW(list.RemoveAt(4), std::out_of_range);
}

TEST_F(CompListTest, ExtractSplitAndCopyRanges) {
    CompList list;
    fakes::AppendChars(list, "abcde");
    list.InsertAt(new fakes::Box, 3); // ab#cde

    CompArray copy = list.CopyRange(2, 5); // b#c, clones
    ASSERT_EQ(copy.GetCount(), 3);
    EXPECT_NE(copy.GetAt(1), list.GetAt(3)); // the box is a new one
    EXPECT_EQ(copy.GetAt(0), list.GetAt(2)); // characters are shared
    CompList copied(std::move(copy));
    EXPECT_EQ(Codes(copied), "b#c");

    CompArray middle = list.ExtractRange(2, 4); // b#c
    EXPECT_EQ(Codes(list), "ade");
    CompList moved(std::move(middle));
    EXPECT_EQ(moved.GetAt(2)->GetParent(), &moved);

    list.InsertArrayAt(moved.DetachChildren(), 2);
    EXPECT_EQ(Codes(list), "ab#cde");
    EXPECT_EQ(moved.GetCount(), 0);
    EXPECT_EQ(list.GetAt(3)->GetParent(), &list);

    CompList tail(list.SplitOff(4));
    EXPECT_EQ(Codes(list), "ab#");
    EXPECT_EQ(Codes(tail), "cde");
    EXPECT_EQ(list.SplitOff(4).GetCount(), 0);

    const std::unique_ptr<CompList> clone = list.Clone();
    EXPECT_TRUE(clone->IsEqual(list));
    EXPECT_EQ(clone->GetOwner(), nullptr);
}

namespace {

// A box whose copies succeed until `clonesLeft` runs out; the next one throws.
class FragileBox final : public fakes::Box {
public:
    OwnedComponent Clone() const override {
        if (--clonesLeft < 0) throw std::runtime_error("out of memory while copying");
        return fakes::Box::Clone();
    }
    static inline int clonesLeft = 0;
};

} // namespace

// A copy that fails part-way must dispose of the copies it already made (the sanitizers report
// any that leak) and leave the source as it was.
TEST_F(CompListTest, CopyThatFailsPartWayLosesNothing) {
    const struct {
        const char* name;
        int clonesBeforeFailure;
        bool nested; // the boxes sit one level down, inside a box of the list
    } cases[] = {
        {"the first copy fails", 0, false},
        {"a copy in the middle fails", 2, false},
        {"the last copy fails", 4, false},
        {"a copy inside a box fails", 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        CompList* target = &list;
        if (c.nested) {
            auto* outer = new FragileBox;
            list.Append(outer);
            target = outer->GetList(1);
        }
        for (int k = 0; k < 5; ++k) {
            target->Append(new FragileBox);
            fakes::AppendChars(*target, "b");
        }
        const int alive = fakes::Box::alive;
        FragileBox::clonesLeft = c.clonesBeforeFailure + (c.nested ? 1 : 0);

        EXPECT_THROW(list.CopyChildren(), std::runtime_error);
        EXPECT_THROW(list.Clone(), std::runtime_error);
        EXPECT_EQ(fakes::Box::alive, alive);
        EXPECT_EQ(Codes(*target), "#b#b#b#b#b");
        EXPECT_EQ(target->GetAt(1)->GetParent(), target);
    }
}

TEST_F(CompListTest, TextAndSignQueries) {
    CompList list;
    list.Append(glyphs.GetGlyph(0, 'a'));
    list.Append(new fakes::Box);
    list.Append(glyphs.GetGlyph(3, 'b'));
    EXPECT_EQ(list.GetText().ToCString(), "ab");

    const struct {
        const char* text;
        bool expected;
    } cases[] = {{"-x", false}, {"x-y", true}, {"x y", true}, {"a/b", true},
                 {"ab", false}, {"+", false},  {"", false},   {"x*y+", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CompList l;
        fakes::AppendChars(l, c.text);
        EXPECT_EQ(l.HasSpaceOrSignAfterFirst(), c.expected);
    }
}

TEST_F(CompListTest, EqualityComparesChildByChild) {
    CompList a(Str255("x+1"), 0);
    CompList b(Str255("x+1"), 3);
    CompList c(Str255("x+2"), 0);
    EXPECT_TRUE(a.IsEqual(b)); // characters compare by code
    EXPECT_FALSE(a.IsEqual(c));
    a.Append(new fakes::Box);
    EXPECT_FALSE(a.IsEqual(b));
    auto* box = new fakes::Box;
    box->GetList(1)->Append(glyphs.GetGlyph(0, 'q'));
    b.Append(box);
    EXPECT_FALSE(a.IsEqual(b)); // boxes compare their lists
}

TEST_F(CompListTest, ApplyStyleSwapsGlyphsAndReachesIntoBoxes) {
    CompList list(Str255("ab"), 0);
    auto* box = new fakes::Box;
    fakes::AppendChars(*box->GetList(1), "c", 0);
    list.Append(box);
    list.Append(glyphs.GetGlyph(0, 'd'));

    list.ApplyStyle(2, 2, 4); // b and the box; d stays
    EXPECT_EQ(list.GetAt(1)->GetStyleId(), 0);
    EXPECT_EQ(list.GetAt(2), glyphs.GetGlyph(2, 'b'));
    EXPECT_EQ(box->GetList(1)->GetAt(1), glyphs.GetGlyph(2, 'c'));
    EXPECT_EQ(list.GetAt(4)->GetStyleId(), 0);
    EXPECT_TRUE(list.NeedsLayout());
}

TEST_F(CompListTest, SizeLevelReachesEveryDescendant) {
    CompList list;
    auto* outer = new fakes::Box;
    auto* inner = new fakes::Box;
    outer->GetList(1)->Append(inner);
    list.Append(outer);
    list.SetSizeLevel(4);
    EXPECT_EQ(outer->GetSizeLevel(), 4);
    EXPECT_EQ(inner->GetList(1)->GetSizeLevel(), 4);
    EXPECT_TRUE(inner->NeedsLayout());
}

TEST_F(CompListTest, WordRangeIsTheRunOfOneClass) {
    CompList list;
    fakes::AppendChars(list, "ab+cd");
    list.Append(new fakes::Box);
    fakes::AppendChars(list, "  e");
    const struct {
        const char* name;
        int32_t at;
        int32_t from;
        int32_t to;
    } cases[] = {
        {"inside a word", 2, 1, 3},
        {"on a sign", 3, 3, 4},
        {"word before a box", 4, 4, 6},
        {"on the box", 6, 6, 7},
        {"blanks", 7, 7, 9},
        {"past the end takes the last child", 10, 9, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocRange range = list.WordRangeAt(c.at);
        EXPECT_EQ(range.start.GetList(), &list);
        EXPECT_EQ(range.start.index, c.from);
        EXPECT_EQ(range.end.index, c.to);
    }
    CompList empty;
    EXPECT_EQ(empty.WordRangeAt(1).start.index, 1);
    EXPECT_EQ(empty.WordRangeAt(1).end.index, 1);
}

TEST_F(CompListTest, DestroyingAListDestroysItsBoxesButNotGlyphs) {
    {
        CompList list;
        fakes::AppendChars(list, "ab");
        list.Append(new fakes::Box);
        list.Append(new fakes::Box);
        EXPECT_EQ(fakes::Box::alive, 2);
    }
    EXPECT_EQ(fakes::Box::alive, 0);
    EXPECT_EQ(glyphs.GetGlyph(0, 'a')->GetCharCode(), 'a');
}

namespace {

class RecordingLatex final : public fakes::ParagraphLatexWriter {
public:
    void BeginGroup(bool brace) override { out += brace ? "<{" : "<"; }
    void EndGroup(bool brace) override { out += brace ? "}>" : ">"; }
    void WriteComponentChar(TextComp& comp, bool align) override {
        out += comp.IsNotChar() ? '#' : static_cast<char>(comp.GetCharCode());
        if (align) out += '\'';
    }
    void WriteRaw(const char* text) override { out += text; }
    void WriteReference(const RefSource&, bool otherDocument) override {
        out += otherDocument ? "[ref]" : "(ref)";
    }
    std::string out;
};

} // namespace

TEST_F(CompListTest, LatexGroupAndAlignmentColumns) {
    const struct {
        const char* name;
        const char* text;
        bool braces;
        bool align;
        const char* expected;
    } cases[] = {
        {"plain group", "a+b", false, false, "<a+b>"},
        {"braced group", "ab", true, false, "<{ab}>"},
        {"aligned without a relation gets empty columns", "ab", false, true, "< & & a'b'>"},
        {"aligned with a relation", "a=b", false, true, "<a'='b'>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        fakes::AppendChars(list, c.text);
        RecordingLatex writer;
        list.WriteLatex(writer, c.braces, c.align);
        EXPECT_EQ(writer.out, c.expected);
    }
}

TEST_F(CompListTest, InvalidateAllMarksEveryDescendantAndCaretGoesAfterAPlainComponent) {
    CompList list;
    auto* outer = new fakes::Box;
    auto* inner = new fakes::Box;
    outer->GetList(1)->Append(inner);
    list.Append(outer);
    outer->Layout();
    inner->Layout();
    ASSERT_FALSE(inner->NeedsLayout());
    list.InvalidateAll();
    EXPECT_TRUE(outer->NeedsLayout());
    EXPECT_TRUE(inner->NeedsLayout());
    EXPECT_TRUE(inner->GetList(1)->NeedsLayout());

    // A box puts the caret into its list; the base rule is just after the component.
    EXPECT_EQ(outer->GetCaretAfterInsert().GetList(), outer->GetList(1));
    const DocPos after = outer->TextComp::GetCaretAfterInsert();
    EXPECT_EQ(after.GetList(), &list);
    EXPECT_EQ(after.index, 2);
}
