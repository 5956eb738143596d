#include "document/tests/Fakes.h"

#include <gtest/gtest.h>

namespace {

// Owns a list whose keys it answers, as an enclosing box would.
class KeyOwner final : public fakes::Box {
public:
    int32_t HandleKey(const DocPos&, int32_t key, int32_t, int32_t) override { return 4000 + key; }
    bool IsCommandEnabled(int32_t id, const DocPos&) const override { return id == 7; }
};

class MathCompTest : public ::testing::Test {
protected:
    MathCompTest() {
        // list: x, box, y  (the box under test is at index 2)
        owner.GetList(1)->Append(glyphs.GetGlyph(0, 'x'));
        owner.GetList(1)->Append(box);
        owner.GetList(1)->Append(glyphs.GetGlyph(0, 'y'));
        box->SetBounds(Rect(0, -10, 20, 4));
        box->SetOrigin(Point(100, 50));
    }
    DocPos At(CompList* list, int32_t index) {
        DocPos pos;
        pos.SetAt(list, index);
        return pos;
    }

    fakes::GlyphSource glyphs;
    KeyOwner owner;
    fakes::Box* box = new fakes::Box;
};

} // namespace

TEST_F(MathCompTest, FrameIsBoundsMovedByOriginEdgesIncluded) {
    EXPECT_EQ(box->GetFrame(), Rect(100, 40, 120, 54));
    EXPECT_EQ(box->GetWidth(), 20);
    EXPECT_TRUE(box->ContainsPoint(Point(120, 54)));
    EXPECT_FALSE(box->ContainsPoint(Point(121, 50)));
}

TEST_F(MathCompTest, PositionBesideTheBoxByItsMiddle) {
    const struct {
        const char* name;
        int32_t x;
        bool rightHalf;
        int32_t index;
    } cases[] = {
        {"left half", 105, true, 2},
        {"exactly the middle", 110, true, 2},
        {"one right of the middle", 111, true, 3},
        {"right half without the flag", 119, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocPos pos = box->PosFromPoint(Point(c.x, 45), c.rightHalf);
        EXPECT_EQ(pos.GetList(), owner.GetList(1));
        EXPECT_EQ(pos.index, c.index);
    }
}

TEST_F(MathCompTest, KeysInsideABox) {
    CompList* inner = box->GetList(1);
    inner->Append(glyphs.GetGlyph(0, 'a'));
    inner->Append(new fakes::Box);
    const struct {
        const char* name;
        int32_t index;
        int32_t key;
        int32_t code;
    } cases[] = {
        {"backspace at the start leaves left", 1, 8, 805},
        {"backspace after a character deletes it", 2, 8, 801},
        {"backspace after a box selects it", 3, 8, 807},
        {"tab leaves right", 2, 9, 806},
        {"return leaves right", 2, 13, 806},
        {"only the low byte is the key", 2, 0x109, 806},
        {"other keys reach the enclosing component", 2, 'z', 4000 + 'z'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(box->HandleKey(At(inner, c.index), c.key, 0, 0), c.code);
    }
}

TEST_F(MathCompTest, CommandsAndLayoutMarksDeferUpward) {
    EXPECT_TRUE(box->IsCommandEnabled(7, DocPos()));
    EXPECT_FALSE(box->IsCommandEnabled(32812, DocPos()));

    fakes::Box loose;
    EXPECT_TRUE(loose.IsCommandEnabled(32812, DocPos())); // no owner: the base answer

    auto* nested = new fakes::Box;
    box->GetList(1)->Append(nested);
    owner.Layout();
    box->Layout();
    nested->Layout();
    ASSERT_FALSE(box->NeedsLayout());
    nested->InvalidateLayout();
    EXPECT_TRUE(box->GetList(1)->NeedsLayout());
    EXPECT_TRUE(box->NeedsLayout());
    EXPECT_TRUE(owner.NeedsLayout());
}
