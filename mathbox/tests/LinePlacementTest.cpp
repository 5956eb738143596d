#include "mathbox/tests/LayoutFixture.h"

#include <string>

using namespace layouttest;

// The fake port: left margin M = 21, column edge C = 581, line area edge E = 549 (a gutter of
// 32), characters 10 wide with ink from -8 to 2; at base size 5 and 96 dpi the lines of every
// style but code are at least 24 apart. Paragraphs are placed at S = (21, 100).
class LinePlacementTest : public LayoutTest {
protected:
    static constexpr int32_t kTop = 100;

    static std::string Word(char c, int n) { return std::string(static_cast<size_t>(n), c); }

    // The content runs of line `n` (0-based), without the line run.
    std::vector<const Layout*> LineContent(ParaComp& para, size_t n) {
        std::vector<const Layout*> content;
        size_t line = 0;
        bool counting = false;
        for (const Layout* run : Runs(para)) {
            if (run->IsLineRun()) {
                counting = line++ == n;
            } else if (counting && run->GetTypeTag() != tags::LabelRun) {
                content.push_back(run);
            }
        }
        return content;
    }
};

TEST_F(LinePlacementTest, BaselinesAreAtLeastTheLineSpacingApart) {
    const std::string text = Word('a', 30) + " " + Word('b', 30);
    const struct {
        const char* name;
        int32_t style;
        int32_t space;         // before and after
        int32_t firstContentX; // where line 1's text starts
        bool tiles;            // the second line's box starts at the first one's bottom
    } cases[] = {
        // 300 of the 560 pixels: set flush right when the line is not the last.
        {"a paragraph justifies its first line", ParaStyle::kParagraph, 8, 581 - 300, true},
        {"a title centres its lines", ParaStyle::kTitle, 24, 21 + (560 - 300) / 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(c.style, text);
        LayOut(*para, kTop);
        const auto lines = LineRuns(*para);
        ASSERT_EQ(lines.size(), 2u);
        const int32_t first = kTop + 8 + c.space; // ascent plus the space before
        EXPECT_EQ(lines[0]->GetOrigin().y, first);
        EXPECT_EQ(lines[0]->GetFrame().top, kTop);
        EXPECT_EQ(lines[1]->GetOrigin().y, first + 24);
        const int32_t firstBottom = first + 2;
        if (c.tiles)
            EXPECT_EQ(lines[1]->GetFrame().top, firstBottom);
        else
            EXPECT_EQ(lines[1]->GetFrame().top, first + 24 - 8); // a band that no line owns
        // Ascent and space before, the line distance, descent and space after.
        EXPECT_EQ(para->GetBounds(), Rect(0, 0, 560, 8 + c.space + 24 + 2 + c.space));
        EXPECT_EQ(para->GetFrame().top, kTop);
        EXPECT_EQ(LineContent(*para, 0)[0]->GetOrigin().x, c.firstContentX);
        // Every line's last run reaches the column's edge.
        EXPECT_EQ(LineContent(*para, 0)[0]->GetFrame().right, C());
        EXPECT_EQ(LineContent(*para, 1)[0]->GetFrame().right, C());
    }
    // The last line of a paragraph stays left-aligned.
    OwnedPara para = MakePara(ParaStyle::kParagraph, text);
    LayOut(*para, kTop);
    EXPECT_EQ(LineContent(*para, 1)[0]->GetOrigin().x, M());
}

TEST_F(LinePlacementTest, JustificationSharesTheRoomOverTheBlanksInOrder) {
    const struct {
        const char* name;
        const char* text;
        int32_t width;      // of the column, from the margin
        int32_t blankWidth; // of one blank
        std::vector<int32_t> blanks;
    } cases[] = {
        // 17 pixels over two blanks: 8.5 gives 8 (exactly one half adds nothing), then the 9
        // left over the remaining blank.
        {"two blanks", "aa bb cc dd", 97, 10, {18, 19}},
        // 5.67 rounds up to 6, then 5.5 stays 5, then 6 remain.
        {"three blanks", "aa bb cc dd ee", 127, 10, {16, 15, 16}},
        // Blanks of a face that measures them as nothing leave no white width to share.
        {"blanks without width", "aa bb cc dd", 65, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.columnWidth = M() + c.width;
        port.blankWidth = c.blankWidth;
        OwnedPara para = MakePara(ParaStyle::kParagraph, c.text);
        LayOut(*para, kTop);
        ASSERT_EQ(LineRuns(*para).size(), 2u);
        std::vector<int32_t> blanks;
        int32_t x = M();
        for (const Layout* run : LineContent(*para, 0)) {
            // Runs follow each other without gaps.
            EXPECT_EQ(run->GetFrame().left, x);
            x = run->GetFrame().right;
            if (run->IsWhiteRun()) blanks.push_back(run->GetWidth());
        }
        EXPECT_EQ(blanks, c.blanks);
        // The line's last run ends exactly at the column's edge.
        EXPECT_EQ(x, C());
        EXPECT_EQ(LineContent(*para, 0).back()->GetOrigin().x + 20, C());
    }
}

TEST_F(LinePlacementTest, ALineWiderThanTheColumnKeepsItsFrame) {
    port.columnWidth = M() + 62;
    port.rightEdge = M() + 30;
    for (const int32_t style : {ParaStyle::kParagraph, ParaStyle::kNumberedEquation}) {
        SCOPED_TRACE(style);
        OwnedPara para = MakePara(style, Word('w', 10));
        LayOut(*para, kTop);
        const Layout* word = LineContent(*para, 0)[0];
        EXPECT_EQ(word->GetFrame().Width(), 100);
        EXPECT_EQ(word->GetFrame().right, word->GetOrigin().x + 100);
    }
}

TEST_F(LinePlacementTest, EquationNumberStandsInTheGutterOnTheFirstBaseline) {
    Document doc;
    OwnedPara para = MakePara(ParaStyle::kNumberedEquation,
                              Word('x', 30) + " " + Word('y', 30) + " " + Word('z', 30));
    doc.Add(para.get());
    NumberRecord running;
    para->SetNumber(running);
    LayOut(*para, kTop);
    const auto lines = LineRuns(*para);
    ASSERT_EQ(lines.size(), 3u);
    const int32_t g = C() - E();
    const int32_t area = E() - g - M();
    const int32_t firstBaseline = kTop + 8 + 12;
    for (size_t n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const Layout* text = LineContent(*para, n)[0];
        // Centred between M + g and E.
        EXPECT_EQ(text->GetOrigin().x, M() + g + (area - 300) / 2);
        EXPECT_EQ(text->GetFrame().right, E());
        // Equation lines keep their own tops.
        EXPECT_EQ(lines[n]->GetOrigin().y, firstBaseline + 24 * static_cast<int32_t>(n));
    }
    const Layout* label = Runs(*para).GetAt(Runs(*para).GetCount() - 1);
    ASSERT_EQ(label->GetTypeTag(), tags::LabelRun);
    EXPECT_EQ(label->GetOrigin(), Point(E(), firstBaseline));
    EXPECT_EQ(label->GetFrame().right, C());
    const RefSource& number = *para->GetNumberSource();
    EXPECT_EQ(number.GetFrame().left, E());
    port.drawn.clear();
    para->DrawInRect(para->GetFrame());
    ASSERT_FALSE(port.drawn.empty());
    EXPECT_EQ(port.drawn.back().text, "(1)");
    EXPECT_EQ(port.drawn.back().at, Point(E(), firstBaseline));
}

TEST_F(LinePlacementTest, LabelsStandBeforeTheFirstLinesText) {
    const struct {
        const char* name;
        int32_t style;
        const char* text;
        int32_t labelX;
        int32_t textX;
    } cases[] = {
        // "1" is 10 wide, the gap one spacing unit (4): the label at S.x, the text after it.
        {"a section", ParaStyle::kSection, "Intro", 21, 21 + 10 + 4},
        // "1." is 20 wide, the gap two units: label and gap end where the gutter-wide
        // indentation does.
        {"a list entry", ParaStyle::kListEntry, "Item", 21 + 32 - 8 - 20, 21 + 32},
        {"an empty list entry", ParaStyle::kListEntry, "", 21 + 32 - 8 - 20, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(c.style, c.text);
        NumberRecord running;
        para->SetNumber(running);
        LayOut(*para, kTop);
        const Layout* label = Runs(*para).GetAt(Runs(*para).GetCount() - 1);
        ASSERT_EQ(label->GetTypeTag(), tags::LabelRun);
        EXPECT_EQ(label->GetOrigin().x, c.labelX);
        EXPECT_EQ(label->GetOrigin().y, LineRuns(*para)[0]->GetOrigin().y);
        EXPECT_EQ(para->GetNumberSource()->GetOrigin(), label->GetOrigin());
        if (c.textX >= 0) {
            EXPECT_EQ(LineContent(*para, 0)[0]->GetOrigin().x, c.textX);
        } else {
            EXPECT_EQ(Runs(*para).GetCount(), 2);
            EXPECT_EQ(label->GetFrame().right, M() + C() - E());
        }
    }
}

TEST_F(LinePlacementTest, PointsInAPlacedParagraphFindPositionsAndCharacters) {
    const std::string text = Word('a', 30) + " " + Word('b', 30);
    OwnedPara para = MakePara(ParaStyle::kParagraph, text);
    LayOut(*para, kTop);
    const int32_t second = LineRuns(*para)[1]->GetOrigin().y;
    const struct {
        const char* name;
        Point point;
        int32_t position;
    } cases[] = {
        {"the middle of the second line's third character", {M() + 25, second}, 35},
        {"left of the margin is moved onto it", {0, second}, 32},
        {"right of the column is moved into it", {2000, second}, 62},
        {"below every line", {M() + 25, second + 200}, 62},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DocPos pos = para->PosFromPoint(c.point, true);
        EXPECT_EQ(pos.GetList(), para->GetList(1));
        EXPECT_EQ(pos.paragraph, para.get());
        EXPECT_EQ(pos.index, c.position);
    }
    TextComp* under = para->FindAt(Point(M() + 25, second));
    ASSERT_NE(under, nullptr);
    EXPECT_EQ(under, para->GetList(1)->GetAt(34));
    EXPECT_EQ(para->FindAt(Point(M() - 1, second)), nullptr);
}

TEST_F(LinePlacementTest, AnUnchangedParagraphIsOnlyMoved) {
    OwnedPara para = MakePara(ParaStyle::kParagraph, "ab cd");
    LayOut(*para, kTop);
    const Point before = Runs(*para).GetAt(1)->GetOrigin();
    para->SetOrigin(Point(M(), kTop + 50));
    EXPECT_EQ(Runs(*para).GetAt(1)->GetOrigin(), Point(before.x, before.y + 50));
    EXPECT_EQ(para->GetFrame().top, kTop + 50);
}

TEST_F(LinePlacementTest, CaretsAndHighlightOfACentredLineStandAtItsText) {
    // A line of two characters and a box (10 + 10 + 20) in the 560 pixels from M to C is set
    // (560 - 40) / 2 = 260 in: its text runs from 281 to 321, whichever way round it is.
    const struct {
        const char* name;
        bool boxLast;
    } cases[] = {
        {"characters, then a box", true},
        {"a box, then characters", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(ParaStyle::kPlainEquation, c.boxLast ? "ab" : "");
        CompList& list = *para->GetList(1);
        list.Append(new fakes::Box);
        if (!c.boxLast) fakes::AppendChars(list, "ab", para->GetStyle().GetTextFace());
        LayOut(*para, kTop);
        const Rect line = LineRuns(*para)[0]->GetFrame();
        DocRange caret;
        caret.Set(&list, 1, 1);
        EXPECT_EQ(caret.GetBounds().left, 281) << "before the first child";
        caret.Set(&list, 4, 4);
        EXPECT_EQ(caret.GetBounds(), Rect(321, line.top, 322, line.bottom))
            << "after the last child, over the line's height";
        DocRange whole;
        whole.Set(&list, 1, 4);
        EXPECT_EQ(whole.GetHighlightRegion().GetBox(), Rect(281, line.top, 321, line.bottom))
            << "from the first child's left edge to the last child's right edge";
    }

    // The second line's caret stands at that line's own text: 300 pixels, 130 in.
    OwnedPara para = MakePara(ParaStyle::kTitle, Word('a', 30) + " " + Word('b', 30));
    LayOut(*para, kTop);
    ASSERT_EQ(LineRuns(*para).size(), 2u);
    DocRange second;
    second.Set(para->GetList(1), 32, 32);
    EXPECT_EQ(second.GetBounds().left, M() + 130);

    // A selection that ends where the second line begins inverts nothing of that line; one that
    // ends inside it, that line from the margin to the last selected character.
    const Rect firstLine = LineRuns(*para)[0]->GetFrame();
    const Rect secondLine = LineRuns(*para)[1]->GetFrame();
    DocRange toBreak;
    toBreak.Set(para->GetList(1), 2, 32);
    EXPECT_EQ(toBreak.GetHighlightRegion().GetBox().bottom, firstLine.bottom);
    DocRange intoSecond;
    intoSecond.Set(para->GetList(1), 2, 34);
    const Rect last = para->GetList(1)->GetCaretRect(33);
    EXPECT_EQ(intoSecond.GetHighlightRegion().GetBox().bottom, secondLine.bottom);
    EXPECT_TRUE(intoSecond.ContainsPoint(Point(last.right - 1, last.top + 1)));
    EXPECT_FALSE(intoSecond.ContainsPoint(Point(last.right, last.top + 1)));
}
