// The eight paragraph styles laid out, placed and drawn through the real layer, written as a
// picture to look at.

#include "mathbox/UprightNames.h"
#include "mathbox/tests/DrawFixture.h"
#include "mathbox/tests/LayoutFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using drawtest::DrawTest;
using drawtest::ImageView;
using layouttest::Document;
using layouttest::OwnedPara;

bool UprightSin(std::string_view name) {
    return name == "sin";
}

class ParagraphPictureTest : public DrawTest {
protected:
    LayoutServices layout;
    Installed<UprightNameTest> names{gUprightNames, UprightSin};
};

TEST_F(ParagraphPictureTest, EightStylesAtTheDefaultColumnWidth) {
    const struct {
        int32_t style;
        const char* text;
    } content[] = {
        {ParaStyle::kTitle, "Line layout in every style"},
        {ParaStyle::kSection, "Runs and lines"},
        {ParaStyle::kHeading, "A heading in bold"},
        {ParaStyle::kParagraph,
         "A paragraph of ordinary text is broken into lines at its blanks, and every line but "
         "the last is justified so that it ends exactly at the right edge of the column, while "
         "the last line stays left-aligned. It refers to the equation "},
        {ParaStyle::kListEntry, "A first list entry"},
        {ParaStyle::kListEntry, "A second list entry, numbered on"},
        {ParaStyle::kPlainEquation, "x+y=z"},
        {ParaStyle::kNumberedEquation, "sin x=y+1"},
        {ParaStyle::kSourceCode, "int main() { return 0; }"},
    };
    Document doc;
    std::vector<OwnedPara> paras;
    for (const auto& c : content) {
        const int32_t face = c.style == ParaStyle::kNumberedEquation ? 3 : -1;
        paras.push_back(layouttest::MakePara(c.style, c.text, face));
        doc.Add(paras.back().get());
    }
    ParaComp& equation = *paras[7];
    auto* reference = new RefComp(*equation.GetNumberSource());
    paras[3]->GetList(1)->Append(reference);
    fakes::AppendChars(*paras[3]->GetList(1), ".");

    ImageView view(820, 560);
    port.BeginWindowDraw(view);
    NumberRecord running;
    for (OwnedPara& para : paras)
        para->SetNumber(running);
    int32_t top = port.GetTopMargin();
    const ParaComp* previous = nullptr;
    for (OwnedPara& para : paras) {
        para->LayoutLines(previous);
        para->SetOrigin(Point(port.GetLeftMargin(), top));
        top = para->GetFrame().bottom;
        previous = para.get();
    }
    for (OwnedPara& para : paras)
        para->DrawInRect(Rect(0, 0, view.image.width(), view.image.height()));
    port.EndDraw();
    ASSERT_TRUE(view.image.save(QString::fromStdString(drawtest::OutputPath("paragraphs.png"))));

    // Paragraphs stack edge to edge down the page.
    for (size_t k = 1; k < paras.size(); ++k)
        EXPECT_EQ(paras[k]->GetFrame().top, paras[k - 1]->GetFrame().bottom) << k;
    EXPECT_LT(paras.back()->GetFrame().bottom, view.image.height());
    // The numbers are drawn where they were placed: the section's and entries' before their
    // text, the equation's in the gutter right of the line area.
    EXPECT_EQ(paras[1]->GetNumberSource()->GetLabel().ToCString(), "1");
    EXPECT_EQ(paras[5]->GetNumberSource()->GetLabel().ToCString(), "2.");
    EXPECT_EQ(equation.GetNumberSource()->GetLabel().ToCString(), "(1)");
    EXPECT_EQ(equation.GetNumberSource()->GetFrame().left, port.GetRightEdge());
    for (const size_t k : {1, 4, 5, 7})
        EXPECT_GT(drawtest::InkIn(view.image, paras[k]->GetNumberSource()->GetFrame()), 10) << k;
    EXPECT_EQ(reference->GetLabel().ToCString(), "(1)");
    EXPECT_GT(drawtest::InkIn(view.image, reference->GetFrame()), 10);
    // The paragraph needed several lines, and its justified lines end at the column's edge.
    const RunArray& runs = paras[3]->GetList(1)->GetRuns();
    int lines = 0;
    for (const Layout* run : runs)
        lines += run->IsLineRun() ? 1 : 0;
    EXPECT_GE(lines, 3);
    EXPECT_GT(
        drawtest::InkIn(view.image, Rect(port.GetColumnWidth() - 6, paras[3]->GetFrame().top,
                                         port.GetColumnWidth(), paras[3]->GetFrame().top + 40)),
        0);
}

} // namespace
