#pragma once

// What the math-box tests share: the real fonts, drawing layer and line layout with the boxes
// registered, a view at 96 dpi, and helpers that fill lists and lay boxes out in a paragraph.

#include "document/GlyphSource.h"
#include "mathbox/LayoutStyleTable.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/tests/DrawFixture.h"
#include "mathbox/tests/LayoutFixture.h"

#include <gtest/gtest.h>

#include <string_view>

namespace boxtest {

inline constexpr int32_t kMath = 3;

// The shared math-face glyphs of a text.
inline CompArray Math(std::string_view text) {
    CompArray array;
    for (char c : text)
        array.Add(OwnedComponent(gGlyphSource->GetGlyph(kMath, static_cast<uint8_t>(c))));
    return array;
}

// Short for the tests' many one-box lists.
inline CompArray One(OwnedComponent comp) {
    return CompArrayOf(std::move(comp));
}

template <typename Box, typename... Args>
OwnedComponent Make(Args&&... args) {
    return OwnedComponent(new Box(std::forward<Args>(args)...));
}

class BoxTest : public drawtest::DrawTest {
protected:
    BoxTest() { port.BeginWindowDraw(view); }
    ~BoxTest() override { port.EndDraw(); }

    // A paragraph of `style` holding `before` in the math face, then the box, then laid out and
    // placed at the left margin; the box is observed through the returned pointer.
    template <typename Box = TextComp>
    Box* InPara(OwnedComponent box, int32_t style, std::string_view before = {}) {
        para = layouttest::MakePara(style);
        doc.Add(para.get());
        CompList& list = *para->GetList(1);
        list.InsertArrayAt(Math(before), 1);
        TextComp* raw = box.release();
        list.Append(raw);
        layouttest::LayOut(*para);
        return static_cast<Box*>(raw);
    }

    // The layer's size unit, axis and placeholder box at a size level of the paragraph.
    int32_t Unit(uint8_t level = 0) {
        SizeGuard size(level);
        return port.GetSpacing();
    }

    drawtest::ImageView view{600, 400};
    LayoutServices layout;
    MathBoxKinds kinds;
    layouttest::Document doc;
    layouttest::OwnedPara para;
};

inline constexpr int32_t kEquation = ParaStyle::kPlainEquation;
inline constexpr int32_t kText = ParaStyle::kParagraph;

} // namespace boxtest
