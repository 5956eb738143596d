// The document model's lists measuring and drawing through the real layer.

#include "document/CompList.h"
#include "document/tests/Fakes.h"
#include "mathbox/tests/DrawFixture.h"

#include <gtest/gtest.h>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;

// A box that lays itself out by measuring a word at whatever size its list pushed, and draws it.
class WordBox final : public fakes::Box {
public:
    void Layout() override {
        sizeIndex = gDrawPort->GetSizeIndex();
        m_bounds = gDrawPort->MeasureText(Str255("Word"));
        m_needsLayout = false;
    }
    void Draw() override {
        gDrawPort->MoveTo(Point(10, 60));
        gDrawPort->DrawString(Str255("Word"));
    }
    int32_t sizeIndex = -1;
};

// Stored size levels are signed bytes: 252 is four sizes larger than the paragraph, 255 one.
TEST_F(DrawTest, ListsPushTheirSizeLevelAsASignedByte) {
    fakes::RunFactory runs;
    const struct {
        uint8_t level;
        int32_t sizeIndex;
    } cases[] = {{0, 5}, {2, 7}, {252, 1}, {255, 4}, {254, 3}};
    ImageView view;
    port.BeginWindowDraw(view);
    for (const auto& c : cases) {
        CompList list;
        auto* box = new WordBox;
        list.Append(box);
        list.SetSizeLevel(c.level);
        list.LayoutToPage();
        EXPECT_EQ(box->sizeIndex, c.sizeIndex) << int(c.level);
        EXPECT_EQ(port.GetSizeStackTop(), 0);
    }
    port.EndDraw();
}

TEST_F(DrawTest, AListDrawsIntoTheViewsImageAtItsSize) {
    fakes::RunFactory runs;
    ImageView big(300, 100);
    ImageView small(300, 100);
    int32_t widths[2] = {};
    int i = 0;
    for (auto [view, level] : {std::pair{&big, uint8_t{252}}, std::pair{&small, uint8_t{2}}}) {
        port.BeginWindowDraw(*view);
        CompList list;
        auto* box = new WordBox;
        list.Append(box);
        list.SetSizeLevel(level);
        list.LayoutToPage();
        list.Draw();
        widths[i++] = list.GetBounds().Width();
        port.EndDraw();
        int inked = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 300; ++x)
                inked += drawtest::IsWhite(view->image, x, y) ? 0 : 1;
        EXPECT_GT(inked, 20);
    }
    EXPECT_GT(widths[0], widths[1] * 2); // 24 points against 10
}

} // namespace
