#include "mathbox/UprightNames.h"
#include "mathbox/tests/LayoutFixture.h"

#include <string>

using namespace layouttest;

namespace {

// "tag:length" for every run of a list, where length is the run's element count.
std::string Describe(const RunArray& runs) {
    std::string out;
    for (const Layout* run : runs) {
        if (!out.empty()) out += ' ';
        const uint32_t v = run->GetTypeTag().Value();
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xFF);
        if (!run->IsLineRun()) out += ':' + std::to_string(run->GetEnd() - run->GetStart());
    }
    return out;
}

bool UprightForTest(std::string_view name) {
    return name == "sin" || name == "log";
}

} // namespace

class LayoutRunsTest : public LayoutTest {};

TEST_F(LayoutRunsTest, ListsSplitTheirCharactersIntoRunsOfAtMost31) {
    const struct {
        const char* name;
        std::string text;
        int32_t face;
        const char* runs;
    } cases[] = {
        {"a 40-letter word is two words", std::string(40, 'w'), 0, "word:31 word:9"},
        {"signs gather in one operator run", "x+=y", 3, "word:1 nonA:2 word:1"},
        {"blanks and tabs gather apart", "a  \t\t\tb", 0, "word:1 spcL:2 tabL:3 word:1"},
        {"the 32nd blank starts a new run", std::string(32, ' '), 0, "spcL:31 spcL:1"},
        {"digits are operators", "x12", 0, "word:1 nonA:2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        fakes::AppendChars(list, c.text, c.face);
        list.Layout(30000);
        EXPECT_EQ(Describe(list.GetRuns()), c.runs);
    }
}

TEST_F(LayoutRunsTest, LineBuildingMergesWordsSignsAndInSomeStylesBlanks) {
    const struct {
        const char* name;
        int32_t style;
        const char* text;
        const char* runs;
    } cases[] = {
        {"a paragraph keeps its blanks apart", ParaStyle::kParagraph, "ab cd",
         "line word:2 spcL:1 word:2"},
        {"a title merges blanks into words", ParaStyle::kTitle, "ab cd", "line word:5"},
        {"a sign joins the word before it", ParaStyle::kParagraph, "x+=y", "line word:4"},
        {"a tab never merges", ParaStyle::kTitle, "a\tb", "line word:1 tabL:1 word:1"},
        {"merging stops short of 31", ParaStyle::kTitle,
         "abcdefghijklmnopqrst abcdefghijklmnopqrst", "line word:21 word:20"},
        {"an empty paragraph is one line", ParaStyle::kParagraph, "", "line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(c.style, c.text);
        LayOut(*para);
        EXPECT_EQ(Describe(Runs(*para)), c.runs);
    }
}

TEST_F(LayoutRunsTest, ABuiltInNameInTheMathFaceIsSetUpright) {
    Installed<UprightNameTest> names(gUprightNames, UprightForTest);
    const struct {
        const char* text;
        int32_t face;
    } cases[] = {
        {"sin", kUprightFace},
        {"sinx", kMathFontKind}, // one letter more is no listed name
        {"x", kMathFontKind},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CompList list;
        fakes::AppendChars(list, c.text, kMathFontKind);
        list.Layout(30000);
        ASSERT_EQ(list.GetRuns().GetCount(), 1);
        EXPECT_EQ(static_cast<const WordLayout*>(list.GetRuns().GetAt(0))->GetFace(), c.face);
        list.SetOrigin(Point(0, 0));
        port.drawn.clear();
        list.Draw();
        ASSERT_EQ(port.drawn.size(), 1u);
        EXPECT_EQ(port.drawn[0].face, c.face);
    }
    // A text-face word is never looked up.
    CompList text;
    fakes::AppendChars(text, "sin", 0);
    text.Layout(30000);
    EXPECT_EQ(static_cast<const WordLayout*>(text.GetRuns().GetAt(0))->GetFace(), 0);
}

TEST_F(LayoutRunsTest, PointsChooseCaretPositionsAndCharacters) {
    CompList list;
    fakes::AppendChars(list, "abcd");
    list.Layout(30000);
    list.SetOrigin(Point(100, 50));
    Layout* run = list.GetRuns().GetAt(0);
    const struct {
        const char* name;
        int32_t dx;
        bool nearest;
        int32_t position;
        char under;
    } cases[] = {
        {"left half of the first character", 4, true, 1, 'a'},
        {"middle of the first character", 5, true, 2, 'a'},
        {"just left of the second's middle", 14, true, 2, 'b'},
        {"exactly the second's middle", 15, true, 3, 'b'},
        {"right half of the last character", 36, true, 5, 'd'},
        {"before the character under the point", 15, false, 2, 'b'},
        {"on the last character", 39, false, 4, 'd'},
        {"right of the text", 60, false, 5, 'd'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Point point(100 + c.dx, 45);
        DocPos pos;
        ASSERT_TRUE(run->PosFromPoint(pos, point, c.nearest));
        EXPECT_EQ(pos.GetList(), &list);
        EXPECT_EQ(pos.index, c.position);
        // The character under the point, never the element after the run.
        TextComp* under = run->ComponentAtPoint(point);
        ASSERT_NE(under, nullptr);
        EXPECT_EQ(under->GetCharCode(), c.under);
    }
}

TEST_F(LayoutRunsTest, CaretRectanglesFollowThePrefixWidths) {
    CompList list;
    fakes::AppendChars(list, "xy\t\t\t");
    list.Layout(30000);
    list.SetOrigin(Point(100, 50));
    const Layout* word = list.GetRuns().GetAt(0);
    const Layout* tabs = list.GetRuns().GetAt(1);
    // Three tabs are as wide as six blanks.
    EXPECT_EQ(tabs->GetWidth(), 6 * fakes::kCharWidth);
    const struct {
        const char* name;
        const Layout* run;
        int32_t index;
        int32_t left;
        int32_t right;
    } cases[] = {
        {"before the word's first character", word, 1, 100, 110},
        {"its second character", word, 2, 110, 120},
        {"past its end, zero width at the text's end", word, 3, 120, 120},
        {"the second tab, twice a blank", tabs, 4, 140, 160},
        {"before the run, zero width at its left", tabs, 2, 120, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect caret = c.run->GetCaretRect(c.index);
        EXPECT_EQ(caret.left, c.left);
        EXPECT_EQ(caret.right, c.right);
        EXPECT_EQ(caret.top, 50 - 8);
        EXPECT_EQ(caret.bottom, 50 + 2);
    }
    // Points on tabs are halved before the search: 45 past the tabs' start is on the third
    // blank pair's left half, so nearest is before the third tab.
    DocPos pos;
    list.GetRuns().GetAt(1)->PosFromPoint(pos, Point(120 + 45, 50), true);
    EXPECT_EQ(pos.index, 5);
}

TEST_F(LayoutRunsTest, AStructureRunReportsItsComponentChangedOnce) {
    CompList list;
    auto* box = new fakes::Box;
    list.Append(box);
    list.Layout(30000);
    list.SetOrigin(Point(10, 20));
    Layout* run = list.GetRuns().GetAt(0);
    EXPECT_EQ(box->GetOrigin(), Point(10, 20));
    EXPECT_TRUE(run->IsChanged());
    EXPECT_FALSE(run->IsSame(*run));
    EXPECT_FALSE(run->IsChanged());
    EXPECT_TRUE(run->IsSame(*run));
    // Measuring a component that needs no layout changes nothing.
    run->Measure();
    EXPECT_FALSE(run->IsChanged());
    EXPECT_EQ(box->layouts, 1);
    // Right of the box's middle with nearest: the position after it in its list.
    DocPos pos;
    run->PosFromPoint(pos, Point(10 + 25, 20), true);
    EXPECT_EQ(pos.index, 2);
}

TEST_F(LayoutRunsTest, PlaceholderAndGrayRunsStandForTheirWholeList) {
    CompList empty;
    empty.SetOwner(nullptr, 1);
    empty.Layout(30000);
    EXPECT_EQ(Describe(empty.GetRuns()), "plac:1");
    EXPECT_EQ(empty.GetBounds(), port.GetPlaceholderBox());

    CompList wide;
    fakes::AppendChars(wide, "abcdef");
    wide.Layout(40);
    wide.SetOrigin(Point(0, 0));
    const Layout* gray = wide.GetRuns().GetAt(0);
    EXPECT_EQ(gray->GetTypeTag(), tags::GrayRun);
    EXPECT_TRUE(gray->ContainsIndex(4));
    EXPECT_EQ(gray->GetEnd(), 7);
    DocPos pos;
    wide.GetRuns().GetAt(0)->PosFromPoint(pos, Point(5, 0), true);
    EXPECT_EQ(pos.index, 1);
    wide.GetRuns().GetAt(0)->PosFromPoint(pos, Point(5, 0), false);
    EXPECT_EQ(pos.index, 7);
}
