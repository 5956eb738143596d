// The selection drag and the selection highlight over the fixture's laid-out document: what a
// drag selects at each step, and which area the highlight redraws when the selection moves.

#include "mathbox/SelHighlight.h"
#include "mathbox/actions/RangeTracker.h"
#include "mathbox/actions/tests/ActionFixture.h"

using namespace actiontest;

namespace {

class TrackerHighlightTest : public ActionFixture {
protected:
    // A point inside the left half of the component after the gap, so it maps to that gap.
    static Point PointAt(const DocPos& pos) {
        const Rect caret = pos.CaretRect();
        return Point(caret.left + 1, (caret.top + caret.bottom) / 2);
    }
    Region HighlightOf(const DocRange& range) { return range.GetHighlightRegion(); }
};

struct DragCase {
    const char* name;
    int32_t modifiers;
    int32_t pressAt;            // gap in L1
    std::vector<int32_t> moves; // gaps in L1, in order
    const char* during;         // the selection after the last move
    const char* after;          // after the release at the last move's point
};

TEST_F(TrackerHighlightTest, DraggingSelectsFromTheAnchorToThePointer) {
    const DragCase cases[] = {
        {"rightwards", 0, 1, {2, 3}, "L1 1 - L1 3", "L1 1 - L1 3"},
        {"leftwards", 0, 4, {2}, "L1 2 - L1 4", "L1 2 - L1 4"},
        {"back onto the anchor gives the caret", 0, 2, {4, 2}, "L1 2", "L1 2"},
        {"with Shift from the selection's start",
         RangeTracker::kShift,
         1,
         {4},
         "L1 3 - L1 4",
         "L1 3 - L1 4"},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        view.selection = Caret(At(L1, 3));
        RangeTracker tracker(view, seq, c.modifiers);
        tracker.Begin(PointAt(At(L1, c.pressAt)));
        Point last = PointAt(At(L1, c.pressAt));
        for (int32_t gap : c.moves) {
            last = PointAt(At(L1, gap));
            tracker.MouseMoved(last);
        }
        EXPECT_EQ(Name(view.selection), c.during) << "the view shows the drag as it goes";
        tracker.End(last);
        EXPECT_EQ(Name(view.selection), c.after);
    }
}

TEST_F(TrackerHighlightTest, DragAcrossParagraphsSelectsWholeParagraphs) {
    RangeTracker tracker(view, seq, 0);
    tracker.Begin(PointAt(At(L1, 2)));
    tracker.MouseMoved(PointAt(At(L2, 2)));
    tracker.End(PointAt(At(L2, 2)));
    EXPECT_TRUE(view.selection.HasExtent());
    EXPECT_EQ(view.selection.start.paragraph, seq.GetAt(1));
    EXPECT_EQ(view.selection.end.paragraph, seq.GetAt(2));
    EXPECT_EQ(slot.GetLastAction(), nullptr) << "a drag is no undoable step";
}

TEST_F(TrackerHighlightTest, GrowingASelectionRedrawsOnlyWhatChanged) {
    SelHighlight highlight(view);
    highlight.SetRange(Range(At(L1, 1), At(L1, 2)));
    view.redraws.clear();
    highlight.SetRange(Range(At(L1, 1), At(L1, 3)));
    ASSERT_EQ(view.redraws.size(), 1u);
    // Only the added character's part changed state: the clip ends where the new selection
    // ends and starts right of where the old one started.
    const Rect grown = HighlightOf(Range(At(L1, 1), At(L1, 3))).GetBox();
    const Rect clip = view.redraws[0].GetBox();
    EXPECT_EQ(clip.right, grown.right);
    EXPECT_GT(clip.left, grown.left);
    EXPECT_FALSE(clip.IsEmpty());

    // From a selection to a caret: both the old selection and the new caret are drawn again.
    view.redraws.clear();
    highlight.SetRange(Caret(At(L2, 2)));
    ASSERT_EQ(view.redraws.size(), 1u);
    Region both = HighlightOf(Range(At(L1, 1), At(L1, 3)));
    both.UnionWith(HighlightOf(Caret(At(L2, 2))));
    EXPECT_EQ(view.redraws[0].GetBox(), both.GetBox());
    EXPECT_FALSE(highlight.CaretRegion().IsEmpty());
    EXPECT_TRUE(highlight.SelectionRegion().IsEmpty());
}

TEST_F(TrackerHighlightTest, HiddenHighlightComputesAndDrawsNothing) {
    SelHighlight highlight(view);
    highlight.SetMode(SelHighlight::kHidden);
    highlight.Update(Range(At(L1, 1), At(L1, 3)), true);
    EXPECT_TRUE(highlight.SelectionRegion().IsEmpty());
    EXPECT_TRUE(highlight.CaretRegion().IsEmpty());
    EXPECT_EQ(Name(highlight.GetRange()), "L1 1 - L1 3") << "the range is kept all the same";

    highlight.SetMode(SelHighlight::kInactive);
    highlight.Recompute();
    EXPECT_EQ(highlight.SelectionRegion().GetBox(), HighlightOf(highlight.GetRange()).GetBox());
}

} // namespace
