#include "document/tests/Fakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class CompListLayoutTest : public ::testing::Test {
protected:
    fakes::GlyphSource glyphs;
    fakes::DrawPort port;
    fakes::RunFactory runs;
};

} // namespace

TEST_F(CompListLayoutTest, ChildrenGroupIntoRunsByClassAndFace) {
    const struct {
        const char* name;
        const char* text;
        int32_t face;
        const char* runTags;
    } cases[] = {
        {"a blank never joins a word", "ab c", 0, "word spcL word"},
        {"blanks and tabs gather in their own runs", "a  \t\tb", 0, "word spcL tabL word"},
        {"signs join one operator run", "x+=y", 0, "word nonA word"},
        {"digits are signs", "x2", 0, "word nonA"},
        {"math face", "ab", 3, "word"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        fakes::AppendChars(list, c.text, c.face);
        list.Layout(1000);
        EXPECT_EQ(fakes::RunTags(list), c.runTags);
    }
}

TEST_F(CompListLayoutTest, BoxesAndFaceChangesEndTheWord) {
    CompList list;
    fakes::AppendChars(list, "ab");
    auto* box = new fakes::Box;
    list.Append(box);
    fakes::AppendChars(list, "c");
    fakes::AppendChars(list, "d", 1);
    list.Layout(1000);
    EXPECT_EQ(fakes::RunTags(list), "word strL word word");
    EXPECT_EQ(box->layouts, 1);
    // Widths add up; the extent is that of the tallest run.
    EXPECT_EQ(list.GetBounds(), Rect(0, -12, 4 * fakes::kCharWidth + 20, 6));
    EXPECT_EQ(list.GetFrame(), list.GetBounds());
    EXPECT_TRUE(list.IsPlaced());
}

// The list only offers each character to the current run; how many a run takes is the run's
// own rule. Whatever the run refuses starts the next run, at the refused character's position,
// so no character is lost or laid out twice.
TEST_F(CompListLayoutTest, ACharacterTheRunRefusesStartsTheNextRunAtItsPosition) {
    const struct {
        const char* name;
        int32_t capacity;
        int32_t letters;
        std::vector<int32_t> starts;
    } cases[] = {
        {"one character a run", 1, 3, {1, 2, 3}},
        {"exactly full", 3, 3, {1}},
        {"one over", 3, 4, {1, 4}},
        {"a long word", 31, 40, {1, 32}},
        {"two full runs and a rest", 31, 65, {1, 32, 63}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::Run::capacity = c.capacity;
        CompList list;
        fakes::AppendChars(list, std::string(static_cast<size_t>(c.letters), 'w'));
        list.Layout(10000);
        std::vector<int32_t> starts;
        int32_t covered = 0;
        for (const Layout* run : list.GetRuns()) {
            starts.push_back(run->GetStart());
            covered += static_cast<const fakes::Run*>(run)->GetCount();
        }
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(covered, c.letters);
        EXPECT_EQ(list.GetWidth(), c.letters * fakes::kCharWidth);
    }
}

TEST_F(CompListLayoutTest, EmptyListIsOnePlaceholderWithTheOwnersMode) {
    fakes::Box owner;
    CompList* list = owner.GetList(1);
    list->Layout(1000);
    EXPECT_EQ(fakes::RunTags(*list), "plac");
    EXPECT_EQ(runs.placeholderModes, std::vector<int32_t>{1});
    EXPECT_EQ(list->GetBounds(), Rect(0, -10, 8, 2));
    list->SetOrigin(Point(30, 40));
    EXPECT_EQ(list->GetCaretRect(1), Rect(30, 30, 38, 42));
}

TEST_F(CompListLayoutTest, TooWideListIsOneGrayRun) {
    CompList list;
    fakes::AppendChars(list, "abcdef"); // 60 wide
    list.Layout(59);
    EXPECT_EQ(fakes::RunTags(list), "gray");
    EXPECT_EQ(list.GetBounds(), Rect(0, -10, 32, 2));

    CompList fits;
    fakes::AppendChars(fits, "abcdef");
    fits.Layout(60);
    EXPECT_EQ(fakes::RunTags(fits), "word");
}

TEST_F(CompListLayoutTest, LayoutIsSkippedUntilSomethingChanges) {
    CompList list;
    fakes::AppendChars(list, "ab");
    list.Layout(1000);
    list.SetOrigin(Point(0, 0));
    const Layout* first = list.GetRuns().GetAt(0);
    list.Layout(1000);
    EXPECT_EQ(list.GetRuns().GetAt(0), first);
    list.Append(glyphs.GetGlyph(0, 'c'));
    list.Layout(1000);
    EXPECT_EQ(static_cast<const fakes::Run*>(list.GetRuns().GetAt(0))->GetCount(), 3);
}

TEST_F(CompListLayoutTest, FailedLayoutDropsRunsAndRestoresTheSizeStack) {
    CompList list;
    list.SetSizeLevel(3);
    fakes::AppendChars(list, "ab c");
    fakes::Run::failOnMeasure = true;
    EXPECT_THROW(list.Layout(1000), std::runtime_error);
    EXPECT_TRUE(list.GetRuns().IsEmpty());
    EXPECT_TRUE(list.NeedsLayout());
    EXPECT_TRUE(port.sizes.empty());

    fakes::Run::failOnMeasure = false;
    list.Layout(1000);
    EXPECT_EQ(fakes::RunTags(list), "word spcL word");
    EXPECT_TRUE(port.sizes.empty());
}

TEST_F(CompListLayoutTest, SizeLevelIsPushedWhileWorking) {
    class Spy final : public fakes::Box {
    public:
        explicit Spy(fakes::DrawPort& port) : m_port(port) {}
        void Layout() override {
            seen = m_port.sizes;
            fakes::Box::Layout();
        }
        std::vector<int32_t> seen;

    private:
        fakes::DrawPort& m_port;
    };
    CompList list;
    list.SetSizeLevel(2);
    auto* spy = new Spy(port);
    list.Append(spy);
    list.Layout(1000);
    EXPECT_EQ(spy->seen, std::vector<int32_t>{2});
    EXPECT_TRUE(port.sizes.empty());
}

TEST_F(CompListLayoutTest, OriginPlacesRunsOnOneBaselineAtFullHeight) {
    CompList list;
    fakes::AppendChars(list, "ab");
    list.Append(new fakes::Box); // taller: -12..6
    fakes::AppendChars(list, " c");
    list.Layout(1000);
    list.SetOrigin(Point(100, 50));
    EXPECT_FALSE(list.NeedsLayout());
    EXPECT_FALSE(list.IsPlaced());
    const auto& r = list.GetRuns();
    ASSERT_EQ(r.GetCount(), 4);
    EXPECT_EQ(r.GetAt(0)->GetFrame(), Rect(100, 38, 120, 56));
    EXPECT_EQ(r.GetAt(1)->GetFrame(), Rect(120, 38, 140, 56));
    EXPECT_EQ(r.GetAt(2)->GetFrame(), Rect(140, 38, 150, 56));
    EXPECT_EQ(r.GetAt(3)->GetFrame(), Rect(150, 38, 160, 56));
    EXPECT_EQ(list.GetGlobalBounds(), Rect(100, 38, 160, 56));

    list.OffsetOrigin(Point(5, 1));
    EXPECT_EQ(r.GetAt(3)->GetFrame(), Rect(155, 39, 165, 57));
}

TEST_F(CompListLayoutTest, HitTestingChoosesTheRunByXOnly) {
    CompList list;
    fakes::AppendChars(list, "ab");
    auto* box = new fakes::Box;
    list.Append(box);
    fakes::AppendChars(list, "cd");
    list.Layout(1000);
    list.SetOrigin(Point(0, 0)); // ab: 0..20, box 20..40, cd 40..60

    EXPECT_EQ(list.FindAt(Point(15, 500)), list.GetAt(2));
    EXPECT_EQ(list.FindAt(Point(30, 0)), box);
    EXPECT_EQ(list.FindAt(Point(61, 0)), nullptr);
    EXPECT_EQ(list.PosFromPoint(Point(45, 0), true).index, 4);
    EXPECT_EQ(list.PosFromPoint(Point(500, 0), true).index, 6); // past every run: the end
    EXPECT_EQ(list.FindRunFor(5), list.GetRuns().GetAt(2));
    EXPECT_TRUE(port.sizes.empty());
}

TEST_F(CompListLayoutTest, CaretAfterTheLastChildIsOneUnitWide) {
    CompList list;
    fakes::AppendChars(list, "abc");
    list.Layout(1000);
    list.SetOrigin(Point(10, 20));
    EXPECT_EQ(list.GetCaretRect(3), Rect(30, 12, 30, 22));
    EXPECT_EQ(list.GetCaretRect(4), Rect(30, 12, 31, 22));
    EXPECT_EQ(list.GetCaretRect(9), Rect(30, 12, 31, 22));
}

TEST_F(CompListLayoutTest, StretchedRunsShareTheGivenRectangle) {
    CompList list;
    fakes::AppendChars(list, "a b");
    list.Layout(1000);
    list.SetOrigin(Point(10, 20)); // runs 10..20, 20..30, 30..40; ink 12..22
    list.StretchRuns(Rect(5, 0, 50, 30));
    const auto& r = list.GetRuns();
    EXPECT_EQ(r.GetAt(0)->GetFrame(), Rect(5, 0, 20, 30));
    EXPECT_EQ(r.GetAt(1)->GetFrame(), Rect(20, 0, 30, 30));
    EXPECT_EQ(r.GetAt(2)->GetFrame(), Rect(30, 0, 50, 30));
}

TEST_F(CompListLayoutTest, PageWidthIsTheColumnLessTheMargin) {
    CompList list;
    fakes::AppendChars(list, std::string(25, 'a') + " " + std::string(30, 'b')); // 560 wide
    port.columnWidth = 580;
    port.leftMargin = 21; // 559 available
    list.LayoutToPage();
    EXPECT_EQ(fakes::RunTags(list), "gray");
    port.leftMargin = 20;
    list.InvalidateAll();
    list.LayoutToPage();
    EXPECT_EQ(fakes::RunTags(list), "word spcL word");
}

TEST_F(CompListLayoutTest, CompositeFindsItsListOrItself) {
    CompList line;
    auto* box = new fakes::Box;
    fakes::AppendChars(*box->GetList(1), "xy");
    line.Append(box);
    box->SetBounds(Rect(0, -20, 40, 10));
    box->SetOrigin(Point(90, 0)); // moves the list along; a real box then places it
    box->GetList(1)->Layout(1000);
    box->GetList(1)->SetOrigin(Point(100, 0)); // x 100..110, y 110..120, ink -8..2

    EXPECT_EQ(box->FindAt(Point(115, 0)), box->GetList(1)->GetAt(2));
    EXPECT_EQ(box->FindAt(Point(95, 0)), box);
    const DocPos inside = box->PosFromPoint(Point(112, 0), true);
    EXPECT_EQ(inside.GetList(), box->GetList(1));
    EXPECT_EQ(inside.index, 2);
    const DocPos beside = box->PosFromPoint(Point(125, -15), true);
    EXPECT_EQ(beside.GetList(), &line);
    EXPECT_EQ(beside.index, 2);
    const DocPos afterInsert = box->GetCaretAfterInsert();
    EXPECT_EQ(afterInsert.GetList(), box->GetList(1));
    EXPECT_EQ(afterInsert.index, 1);
}
