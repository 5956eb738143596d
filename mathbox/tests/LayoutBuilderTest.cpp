#include "mathbox/tests/LayoutFixture.h"

#include <stdexcept>
#include <string>

using namespace layouttest;

class LayoutBuilderTest : public LayoutTest {
protected:
    LayoutBuilder& Builder(int32_t style) { return services.Styles().GetBuilder(style); }
};

// Spacing is trunc(points x dpi / 72) of the style's table entry for the base size.
TEST_F(LayoutBuilderTest, StyleFiguresAt96Dpi) {
    const struct {
        int32_t style;
        int32_t face;
        int32_t textFace;
        int32_t relativeSize;
        int32_t lineSpacing;
        int32_t space;
        int32_t indent;
        bool numbered;
        bool mergesSpaces;
        int32_t continuation;
    } cases[] = {
        // Base size 5: 18 pt lines (16 for code); spaces 18, 10, 9, 6, 9, 9, 9 and 3 pt.
        {0, 2, 2, -4, 24, 24, 0, false, true, 3}, {1, 2, 2, -1, 24, 13, -1, true, true, 3},
        {2, 2, 2, 0, 24, 12, 0, false, false, 3}, {3, 0, 0, 0, 24, 8, 0, false, false, 3},
        {4, 0, 0, 0, 24, 12, 32, true, true, 4},  {5, 3, 3, 0, 24, 12, 0, false, true, 5},
        {6, 3, 0, 0, 24, 12, 0, true, true, 6},   {7, 4, 4, 0, 21, 4, 16, false, false, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style));
        LayoutBuilder& b = Builder(c.style);
        OwnedPara para = MakePara(c.style);
        EXPECT_EQ(b.GetKind(), c.style);
        EXPECT_EQ(b.GetFace(), c.face);
        EXPECT_EQ(b.GetTextFace(), c.textFace);
        EXPECT_EQ(b.GetRelativeSize(*para), c.relativeSize);
        EXPECT_EQ(b.GetLineSpacing(), c.lineSpacing);
        EXPECT_EQ(b.GetSpaceBefore(nullptr), c.space);
        EXPECT_EQ(b.GetSpaceAfter(), c.space);
        if (c.indent >= 0) {
            EXPECT_EQ(b.GetFirstIndent(), c.indent);
            EXPECT_EQ(b.GetOtherIndent(), c.indent);
        }
        EXPECT_EQ(b.IsNumbered(), c.numbered);
        EXPECT_EQ(para->GetNumberSource() != nullptr, c.numbered);
        EXPECT_EQ(b.MergesSpaces(), c.mergesSpaces);
        EXPECT_EQ(b.GetContinuationStyle(), c.continuation);
        EXPECT_EQ(b.HasTrailingLabel(), c.style == 6);
        // The list is laid out at the style's size.
        EXPECT_EQ(static_cast<int8_t>(para->GetList(1)->GetSizeLevel()), c.relativeSize);
    }
}

TEST_F(LayoutBuilderTest, SpacingFollowsTheBaseSizeAndResolution) {
    const struct {
        const char* name;
        int32_t base;
        int32_t dpi;
        int32_t lineSpacing;
        int32_t space;
    } cases[] = {
        {"largest base size", 0, 96, 45, 14},  // 34 pt, 11 pt
        {"smallest base size", 9, 96, 14, 5},  // 11 pt, 4 pt
        {"a 300-dpi printer", 5, 300, 75, 25}, // 18 pt, 6 pt
        {"a base size beyond 9 counts as 9", 12, 96, 14, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.baseSize = c.base;
        port.resolution = c.dpi;
        EXPECT_EQ(Builder(3).GetLineSpacing(), c.lineSpacing);
        EXPECT_EQ(Builder(3).GetSpaceAfter(), c.space);
    }
}

TEST_F(LayoutBuilderTest, SourceCodeAfterSourceCodeHasNoSpaceBefore) {
    OwnedPara code = MakePara(ParaStyle::kSourceCode);
    OwnedPara text = MakePara(ParaStyle::kParagraph);
    EXPECT_EQ(Builder(7).GetSpaceBefore(code.get()), 0);
    EXPECT_EQ(Builder(7).GetSpaceBefore(text.get()), 4);
    EXPECT_EQ(Builder(3).GetSpaceBefore(text.get()), 8);
}

TEST_F(LayoutBuilderTest, LargerEquationsSettingEnlargesOnlyEquations) {
    Document doc;
    doc.largerEquations = true;
    OwnedPara eq = MakePara(ParaStyle::kNumberedEquation);
    OwnedPara text = MakePara(ParaStyle::kParagraph);
    doc.Add(eq.get());
    doc.Add(text.get());
    EXPECT_EQ(eq->GetStyle().GetRelativeSize(*eq), -1);
    EXPECT_EQ(static_cast<int8_t>(eq->GetList(1)->GetSizeLevel()), -1);
    EXPECT_EQ(text->GetStyle().GetRelativeSize(*text), 0);
}

TEST_F(LayoutBuilderTest, AnyStyleOutsideTheTableIsTheParagraphBuilder) {
    for (const int32_t style : {-1, 8, 9, 32767})
        EXPECT_EQ(&Builder(style), &Builder(3)) << style;
    EXPECT_EQ(gDefaultBuilder.Get(), &Builder(3));
}

TEST_F(LayoutBuilderTest, AFailedTableLeavesTheDefaultBuilderAsItWas) {
    LayoutBuilder* before = gDefaultBuilder.Get();
    int made = 0;
    auto failOnTitle = [&](int32_t style) {
        if (style == ParaStyle::kTitle) throw std::bad_alloc();
        ++made;
        return LayoutStyleTable::MakeStyleBuilder(style);
    };
    EXPECT_THROW(LayoutStyleTable table(failOnTitle), std::bad_alloc);
    EXPECT_EQ(made, 3); // the Paragraph, Section and Numbered Equation builders came first
    EXPECT_EQ(gDefaultBuilder.Get(), before);
}

TEST_F(LayoutBuilderTest, NumbersAdvanceAcrossASequenceOfStyles) {
    const struct {
        int32_t style;
        const char* number;
    } sequence[] = {
        {1, "1"},  {6, "(1)"}, {4, "1."}, {4, "2."}, {6, "(2)"}, {4, "1."}, {1, "2"},
        {4, "1."}, {3, ""},    {4, "1."}, {5, ""},   {4, "2."},  {0, ""},   {4, "1."},
    };
    NumberRecord running;
    std::vector<OwnedPara> paras;
    for (const auto& s : sequence) {
        paras.push_back(MakePara(s.style));
        paras.back()->SetNumber(running);
        const RefSource* source = paras.back()->GetNumberSource();
        EXPECT_EQ(source != nullptr ? source->GetLabel().ToCString() : "", s.number)
            << "paragraph " << paras.size();
        EXPECT_EQ(paras.back()->GetNumber(), running);
    }
    EXPECT_EQ(running, (NumberRecord{2, 2, 1}));
}

TEST_F(LayoutBuilderTest, NumberAndReferenceTexts) {
    const NumberRecord number{3, 2, 5};
    const struct {
        int32_t style;
        std::string shown;
        std::string reference;
        std::string bracketed;
    } cases[] = {
        {1, "3",
         "(\xA4"
         "3)",
         "[\xA4"
         "3]"},
        {4, "5.", "(#5)", "[#5]"},
        {6, "(2)", "(2)", "[2]"},
        {5, "", "", ""},
        {3, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(Builder(c.style).GetNumberText(number).ToCString(), c.shown);
        EXPECT_EQ(Builder(c.style).GetReferenceText(number, false).ToCString(), c.reference);
        EXPECT_EQ(Builder(c.style).GetReferenceText(number, true).ToCString(), c.bracketed);
    }
}

TEST_F(LayoutBuilderTest, ALineBreaksAfterABlankAndDropsIt) {
    // Ten-letter words with a blank after each: five words and four blanks are 540 pixels of
    // the 560-pixel column; the fifth blank fits too, the sixth word does not.
    std::string text;
    for (int k = 0; k < 6; ++k)
        text += "wwwwwwwwww ";
    text.pop_back();
    OwnedPara para = MakePara(ParaStyle::kParagraph, text);
    LayOut(*para);
    const auto lines = LineRuns(*para);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(static_cast<const LineLayout*>(lines[0])->GetLineWidth(), 540);
    EXPECT_EQ(lines[1]->GetStart(), 56);
    EXPECT_EQ(Runs(*para).GetCount(), 1 + 9 + 1 + 1);
    // The dropped blank (position 55) has its caret at the end of the word before it, which
    // justification set flush against the column's edge.
    const Rect caret = para->GetPositionRect([&] {
        DocPos pos;
        pos.SetAt(para->GetList(1), 55);
        return pos;
    }());
    EXPECT_EQ(caret.left, C());
    EXPECT_EQ(caret.right, C());
    EXPECT_LT(caret.bottom - caret.top, 40);
}

TEST_F(LayoutBuilderTest, ARunTooWideForAnyLineStandsAlone) {
    port.columnWidth = M() + 50;
    OwnedPara para = MakePara(ParaStyle::kParagraph, "abcdefgh+ijklmnop");
    LayOut(*para);
    const auto lines = LineRuns(*para);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1]->GetStart(), 9);
    EXPECT_EQ(lines[2]->GetStart(), 10);
}

TEST_F(LayoutBuilderTest, AFailedBuildLeavesNoRunsAndTheSizeStackAsItWas) {
    struct ThrowingBox final : fakes::Box {
        void Layout() override { throw std::runtime_error("no room"); }
    };
    OwnedPara para = MakePara(ParaStyle::kParagraph, "ab cd");
    LayOut(*para);
    para->GetList(1)->Append(new ThrowingBox);
    const size_t depth = port.sizes.size();
    EXPECT_THROW(para->LayoutLines(nullptr), std::runtime_error);
    EXPECT_TRUE(Runs(*para).IsEmpty());
    EXPECT_EQ(port.sizes.size(), depth);
}
