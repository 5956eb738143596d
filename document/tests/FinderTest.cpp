// The finder over fake paragraphs, boxes, grids and derivatives: matches in document order
// through every child list, patterns of characters and of structures, replacements that end,
// searches that start on boundaries or find no paragraph, and nesting far deeper than any
// fixed stack would hold.

#include "document/Finder.h"

#include "document/tests/SequenceFakes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace seqfakes;

// Paragraph 1: "ax", a box of "xx", a 2 x 2 grid (first cell "x", the cell below it "yx") and
// "x"; paragraph 2 empty; paragraph 3: "x", a partial derivative of two variables (the first
// "x", the function "x") and "xax".
class FinderTest : public ::testing::Test {
protected:
    FinderTest() {
        auto one = Para("ax");
        box = new fakes::Box();
        fakes::AppendChars(*box->GetList(1), "xx");
        one->GetList(1)->Append(box);
        grid = new Grid(tags::Matrix, 2, 2);
        fakes::AppendChars(*grid->GetCell(1, 1), "x");
        fakes::AppendChars(*grid->GetCell(1, 2), "yx");
        one->GetList(1)->Append(grid);
        fakes::AppendChars(*one->GetList(1), "x");
        auto three = Para("x");
        derivative = new Derivative(2);
        fakes::AppendChars(*derivative->GetDifferential(1)->GetList(1), "x");
        fakes::AppendChars(*derivative->GetList(5), "x");
        three->GetList(1)->Append(derivative);
        fakes::AppendChars(*three->GetList(1), "xax");
        seq.Append(std::move(one));
        seq.Append(Para(""));
        seq.Append(std::move(three));
        names = {{seq.GetAt(1)->GetList(1), "P1"},
                 {box->GetList(1), "box"},
                 {grid->GetCell(1, 1), "c11"},
                 {grid->GetCell(1, 2), "c12"},
                 {seq.GetAt(3)->GetList(1), "P3"},
                 {derivative->GetList(1), "var1"},
                 {derivative->GetList(5), "fn"},
                 {grid, "G"},
                 {derivative, "D"}};
    }

    DocPos Start() const { return seq.StartPosition(); }
    std::string Name(const DocPos& pos) const { return PositionName(pos, names); }

    // Every match from `start`, as "<list> <index>", at most 50.
    std::vector<std::string> Matches(Finder& finder, const DocPos& start, bool started = false) {
        finder.Reset(start);
        finder.SetStarted(started);
        std::vector<std::string> found;
        while (found.size() < 50 && finder.FindNext())
            found.push_back(Name(finder.GetMatch().start));
        return found;
    }

    Services services;
    CompSequence seq;
    fakes::Box* box = nullptr;
    Grid* grid = nullptr;
    Derivative* derivative = nullptr;
    std::map<const void*, std::string> names;
};

using Found = std::vector<std::string>;

TEST_F(FinderTest, FindsInDocumentOrderThroughEveryList) {
    struct Case {
        const char* pattern;
        Found expected;
    };
    const Case cases[] = {
        {"x",
         {"P1 2", "box 1", "box 2", "c11 1", "c12 2", "P1 5", "P3 1", "var1 1", "fn 1", "P3 3",
          "P3 5"}},
        // Adjacent and overlapping: each search moves on by one component.
        {"xx", {"box 1"}},
        {"xa", {"P3 3"}},
        {"ax", {"P1 1", "P3 4"}},
        {"yx", {"c12 1"}},
        {"q", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        Finder finder(seq);
        finder.SetPattern(Str255(c.pattern));
        EXPECT_EQ(Matches(finder, Start()), c.expected);
    }
}

TEST_F(FinderTest, APatternOfAStructureFindsOnlyEqualStructures) {
    Finder finder(seq);
    CompArray same;
    same.Add(box->Clone());
    finder.SetPattern(std::move(same));
    EXPECT_EQ(Matches(finder, Start()), (Found{"P1 3"}));

    auto* other = new fakes::Box();
    fakes::AppendChars(*other->GetList(1), "x");
    CompArray different;
    different.Add(OwnedComponent(other));
    finder.SetPattern(std::move(different));
    EXPECT_EQ(Matches(finder, Start()), Found{});
}

TEST_F(FinderTest, AStartedSearchSkipsTheSelectionAndAFailedOneStaysPut) {
    Finder finder(seq);
    finder.SetPattern(Str255("x"));
    // A selection of the last "x": the first search moves on, and finds nothing after it.
    finder.Reset(ListPos(seq.GetAt(3)->GetList(1), 5));
    finder.SetStarted(true);
    EXPECT_TRUE(finder.IsAtMatch());
    EXPECT_FALSE(finder.FindNext());
    // The match last found is still where the finder stands, so it can still be replaced.
    EXPECT_TRUE(finder.IsAtMatch());
    EXPECT_EQ(Name(finder.GetMatch().start), "P3 5");
    EXPECT_EQ(finder.GetParagraphIndex(), 3);
}

// A search that starts on a row, column or variable boundary starts at the box in the list
// that holds it; one that starts nowhere in the document finds nothing.
TEST_F(FinderTest, StartsOnBoundariesAtTheBoxAndNowhereFindsNothing) {
    Finder finder(seq);
    finder.SetPattern(Str255("x"));
    struct Case {
        const char* name;
        DocPos start;
        bool started;
        std::string first;
    };
    const Case cases[] = {
        {"rows", GridPos(grid, 2, false), false, "c11 1"},
        {"columns, selected", GridPos(grid, 1, true), true, "c11 1"},
        {"variables, selected", VarPos(derivative, 2), true, "var1 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Found found = Matches(finder, c.start, c.started);
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found.front(), c.first);
    }
    finder.Reset(GridPos(grid, 1, true));
    EXPECT_EQ(finder.GetTopIndex(), 4);

    EXPECT_EQ(Matches(finder, DocPos()), Found{});
    EXPECT_EQ(finder.GetParagraphIndex(), 0);
    CompSequence elsewhere;
    elsewhere.Append(Para("x"));
    EXPECT_EQ(Matches(finder, elsewhere.StartPosition()), Found{});

    CompSequence empty;
    Finder none(empty);
    none.SetPattern(Str255("x"));
    none.Reset(empty.StartPosition());
    EXPECT_FALSE(none.FindNext());
    EXPECT_FALSE(none.ReplaceMatch().has_value());
}

// Deeper than any fixed stack, and deeper than a stored document may nest.
TEST_F(FinderTest, WalksNestingOfAnyDepth) {
    constexpr int kDepth = 1100;
    CompSequence deep;
    auto para = Para("a");
    auto* innermost = new fakes::Box();
    fakes::AppendChars(*innermost->GetList(1), "x");
    TextComp* outer = innermost;
    for (int level = 1; level < kDepth; ++level)
        outer = new fakes::Box(CompArrayOf(OwnedComponent(outer)));
    para->GetList(1)->Append(outer);
    fakes::AppendChars(*para->GetList(1), "x");
    deep.Append(std::move(para));
    CompList* paragraphList = deep.GetAt(1)->GetList(1);

    Finder finder(deep);
    finder.SetPattern(Str255("x"));
    finder.Reset(deep.StartPosition());
    ASSERT_TRUE(finder.FindNext());
    EXPECT_EQ(finder.GetMatch().start.GetList(), innermost->GetList(1));
    EXPECT_EQ(finder.GetTopIndex(), 2);
    ASSERT_TRUE(finder.FindNext());
    EXPECT_EQ(finder.GetMatch().start.GetList(), paragraphList);
    EXPECT_EQ(finder.GetMatch().start.index, 3);
    EXPECT_FALSE(finder.FindNext());

    // Starting at the innermost place climbs all the way out.
    finder.Reset(ListPos(innermost->GetList(1), 1));
    EXPECT_EQ(finder.GetTopIndex(), 2);
    ASSERT_TRUE(finder.FindNext());
    EXPECT_EQ(finder.GetMatch().start.GetList(), innermost->GetList(1));
}

// Characters are passed over by their address when the glyph source hands them out; any other
// character is still compared.
TEST_F(FinderTest, FindsACharacterTheGlyphSourceDidNotMake) {
    // Shared characters outlive the lists that hold them.
    static fakes::Glyph stray(2, 'q');
    CompList* last = seq.GetAt(3)->GetList(1);
    fakes::AppendChars(*last, "qqqqqqqqqq");
    last->InsertAt(&stray, 4);
    Finder finder(seq);
    finder.SetPattern(Str255("qx"));
    EXPECT_EQ(Matches(finder, Start()), Found{});
    last->InsertAt(fakes::Chars("x", 0).front(), 5);
    EXPECT_EQ(Matches(finder, Start()), (Found{"P3 4"}));
}

// Every match replaced in turn, as Replace All does; the count of replacements.
int ReplaceAll(Finder& finder, const DocPos& start) {
    finder.Reset(start);
    int count = 0;
    while (count < 1000 && finder.FindNext()) {
        if (!finder.ReplaceMatch()) break;
        ++count;
    }
    return count;
}

TEST(FinderReplaceTest, ReplacesEveryMatchAndEnds) {
    struct Case {
        const char* name;
        const char* document;
        const char* pattern;
        const char* replacement;
        const char* expected;
        int count;
    };
    const Case cases[] = {
        {"plain text", "0:the cat sat|0:cat", "cat", "dog", "0:the dog sat|0:dog", 2},
        {"adjacent matches", "0:aaaa", "aa", "b", "0:bb", 2},
        {"overlapping matches", "0:aaa", "aa", "b", "0:ba", 1},
        {"empty replacement", "0:a-b-c", "-", "", "0:abc", 2},
        {"replacement holding the pattern", "0:xax|0:x", "x", "xx", "0:xxaxx|0:xx", 3},
        {"replacement equal to the pattern", "0:xx", "x", "x", "0:xx", 2},
        {"no match", "0:abc", "q", "z", "0:abc", 0},
        {"empty pattern", "0:abc", "", "z", "0:abc", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Services services;
        auto seq = Sequence(c.document);
        Finder finder(*seq);
        finder.SetPattern(Str255(c.pattern));
        finder.SetReplacement(Str255(c.replacement));
        EXPECT_EQ(ReplaceAll(finder, seq->StartPosition()), c.count);
        EXPECT_EQ(Text(*seq), c.expected);
    }
}

// Only a match the finder was shown standing at is replaced, never whatever is there.
TEST(FinderReplaceTest, ReplacesNothingWithoutALiveMatch) {
    Services services;
    auto seq = Sequence("0:xyx");
    Finder finder(*seq);
    finder.SetPattern(Str255("x"));
    finder.SetReplacement(Str255("z"));
    finder.Reset(seq->StartPosition());
    EXPECT_FALSE(finder.ReplaceMatch().has_value()); // not found yet

    ASSERT_TRUE(finder.FindNext());
    finder.SetPattern(Str255("y"));
    EXPECT_FALSE(finder.ReplaceMatch().has_value()); // the pattern changed
    finder.SetPattern(Str255("x"));
    std::optional<Replacement> made = finder.ReplaceMatch();
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(Text(*seq), "0:zyx");
    EXPECT_FALSE(finder.ReplaceMatch().has_value()); // the match is gone
    // The record swaps the replacement out and in again.
    made->Swap();
    EXPECT_EQ(Text(*seq), "0:xyx");
    made->Swap();
    EXPECT_EQ(Text(*seq), "0:zyx");
}

TEST(FinderReplaceTest, TellsPlacesThatAreGone) {
    Services services;
    CompSequence seq;
    auto para = Para("a");
    auto* box = new fakes::Box();
    fakes::AppendChars(*box->GetList(1), "x");
    para->GetList(1)->Append(box);
    seq.Append(std::move(para));
    CompList* list = seq.GetAt(1)->GetList(1);
    EXPECT_TRUE(IsPlaceIn(ListPos(box->GetList(1), 2), seq));
    EXPECT_TRUE(IsPlaceIn(ListPos(list, 3), seq));
    EXPECT_FALSE(IsPlaceIn(ListPos(list, 4), seq));
    EXPECT_FALSE(IsPlaceIn(DocPos(), seq));
    OwnedComponent taken = list->RemoveAt(2);
    EXPECT_FALSE(IsPlaceIn(ListPos(box->GetList(1), 1), seq));
}

} // namespace
