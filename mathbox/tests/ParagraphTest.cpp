#include "document/LinkComp.h"
#include "document/MemoryStream.h"
#include "document/MetaPictComp.h"
#include "document/tests/ParagraphLatexWriter.h"
#include "document/tests/StreamBytes.h"
#include "mathbox/tests/LayoutFixture.h"

#include <string>

using namespace layouttest;
using streambytes::Bytes;

class ParagraphTest : public LayoutTest {
protected:
    static DocPos At(ParaComp& para, int32_t index) {
        DocPos pos;
        pos.SetAt(para.GetList(1), index);
        return pos;
    }
    static Point LabelPoint(ParaComp& para) {
        const Rect frame = para.GetNumberSource()->GetFrame();
        return Point(frame.left + 1, frame.top + 1);
    }
};

TEST_F(ParagraphTest, RecordRoundTripKeepsStyleIdentityAndContent) {
    const struct {
        int16_t stored;
        int16_t readAs;
    } cases[] = {{0, 0}, {4, 4}, {6, 6}, {7, 7}, {9, 3}, {-2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        // A record written by hand with the stored style: style, identity, one block "ab".
        ParaComp source(ParaStyle::kParagraph);
        fakes::AppendChars(*source.GetList(1), "ab");
        Bytes bytes = streambytes::Save([&](DocStream& s) { source.Write(s); });
        bytes[0] = static_cast<uint8_t>(c.stored);
        bytes[1] = static_cast<uint8_t>(static_cast<uint16_t>(c.stored) >> 8);
        bytes[2] = 42;
        ParaComp read;
        streambytes::Load(bytes, [&](DocStream& s) { read.Read(s); });
        EXPECT_EQ(read.GetStyle().GetKind(), c.readAs);
        EXPECT_EQ(read.GetIdentity(), 42);
        EXPECT_EQ(read.GetList(1)->GetText().ToCString(), "ab");
        EXPECT_EQ(read.GetNumberSource() != nullptr, read.GetStyle().IsNumbered());
        EXPECT_TRUE(read.NeedsLayout());
        // Written back with the style it was read as.
        const Bytes again = streambytes::Save([&](DocStream& s) { read.Write(s); });
        EXPECT_EQ(again[0], c.readAs);
        EXPECT_EQ(again[1], 0);
        EXPECT_EQ(Bytes(again.begin() + 2, again.end()), Bytes(bytes.begin() + 2, bytes.end()));
    }
}

TEST_F(ParagraphTest, IdentitiesComeFromTheDocumentThatHoldsTheParagraph) {
    Document a;
    Document b;
    OwnedPara first = MakePara(ParaStyle::kParagraph);
    OwnedPara second = MakePara(ParaStyle::kParagraph);
    a.Add(first.get());
    a.Add(second.get());
    EXPECT_EQ(first->GetIdentity(), 1);
    EXPECT_EQ(second->GetIdentity(), 2);
    EXPECT_EQ(first->GetDocument(), &a);
    // B has released 5 before: the moved paragraph gets that number, and A takes 1 back.
    b.pool.Reserve(7);
    b.pool.Release(5);
    first->SetOwner(&b);
    EXPECT_EQ(first->GetIdentity(), 5);
    EXPECT_EQ(a.pool.Take(), 1);
    // Leaving every document forgets the number.
    second->SetOwner(nullptr);
    EXPECT_EQ(second->GetIdentity(), 0);
    // The reader's attachment keeps the stored number.
    ParaComp read;
    Bytes bytes = streambytes::Save([&](DocStream& s) { read.Write(s); });
    bytes[2] = 9;
    streambytes::Load(bytes, [&](DocStream& s) { read.Read(s); });
    read.AttachToSequence(&a);
    EXPECT_EQ(read.GetIdentity(), 9);
    EXPECT_EQ(read.GetDocument(), &a);
}

TEST_F(ParagraphTest, KeysBecomeEditCodes) {
    OwnedPara para = MakePara(ParaStyle::kParagraph, "a");
    para->GetList(1)->Append(new fakes::Box);
    const struct {
        const char* name;
        int32_t top;
        int32_t index;
        int32_t key;
        int32_t flag;
        int32_t code;
    } cases[] = {
        {"backspace after a character", 100, 2, 8, 0, 801},
        {"backspace after a box", 100, 3, 8, 0, 807},
        {"backspace at the start of a later paragraph", 100, 1, 8, 0, 804},
        {"backspace at the start of the document", 21, 1, 8, 0, 2000},
        {"tab", 100, 2, 9, 0, 1002},
        {"return", 100, 2, 13, 0, 802},
        {"line feed with the flag", 100, 2, 10, 1, 803},
        {"any other key", 100, 2, 'x', 0, 1001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LayOut(*para, c.top);
        EXPECT_EQ(para->HandleKey(At(*para, c.index), c.key, 0, c.flag), c.code);
    }
}

TEST_F(ParagraphTest, PlainTextStopsAtTheFirstReturn) {
    const char bytes[] = "ab\r\ncd";
    MemoryStream stream(static_cast<const void*>(bytes), 6);
    OwnedPara para = MakePara(ParaStyle::kSourceCode);
    para->ReadPlainText(stream);
    EXPECT_EQ(para->GetList(1)->GetText().ToCString(), "ab");
    EXPECT_EQ(para->GetList(1)->GetAt(1)->GetStyleId(), 4); // the code face

    OwnedPara lines = MakePara(ParaStyle::kParagraph);
    const char feeds[] = "a\nb";
    MemoryStream withFeeds(static_cast<const void*>(feeds), 3);
    lines->ReadPlainText(withFeeds);
    EXPECT_EQ(lines->GetList(1)->GetText().ToCString(), "ab");

    lines->InsertTabs(2);
    EXPECT_EQ(lines->CountLeadingTabs(), 0);
    OwnedPara tabs = MakePara(ParaStyle::kParagraph);
    tabs->InsertTabs(3);
    fakes::AppendChars(*tabs->GetList(1), "x\t");
    EXPECT_EQ(tabs->CountLeadingTabs(), 3);
}

TEST_F(ParagraphTest, TypingStartsInTheFaceOfTheParagraphsOrdinaryCharacters) {
    // The text style a caret with nothing before it offers (and typing there takes): the face
    // the style gives its ordinary characters, never the face that shares its style number.
    const struct {
        const char* name;
        int32_t style;
        int32_t textStyle;
    } cases[] = {
        {"title", ParaStyle::kTitle, 2},
        {"section", ParaStyle::kSection, 2},
        {"paragraph", ParaStyle::kParagraph, 0},
        {"list entry", ParaStyle::kListEntry, 0},
        {"plain equation: a letter typed first is math", ParaStyle::kPlainEquation, 3},
        {"numbered equation: its ordinary characters are text", ParaStyle::kNumberedEquation, 0},
        {"source code: typewriter, not math", ParaStyle::kSourceCode, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara empty = MakePara(c.style);
        DocRange caret;
        caret.Set(empty->GetList(1), 1, 1);
        EXPECT_EQ(caret.GetTextStyle(), c.textStyle);
        // At the start of a non-empty paragraph too, and over paragraphs from its start.
        OwnedPara text = MakePara(c.style, "ab");
        DocRange first;
        first.Set(text->GetList(1), 1, 1);
        EXPECT_EQ(first.GetTextStyle(), c.textStyle);
        DocRange across;
        across.start = At(*empty, 1);
        across.end = At(*text, 2);
        EXPECT_EQ(across.GetTextStyle(), c.textStyle);
    }
}

// Links, references and pictures have no face of their own: beside them, and over them, the
// text around them decides, and with no text before them the paragraph's ordinary face.
TEST_F(ParagraphTest, TypingBesideALinkOrAPictureTakesTheFaceAroundIt) {
    const struct {
        const char* name;
        int32_t style;
        const char* bold; // bold characters before the components
        int32_t from, to; // the range, after the components are appended
        int32_t textStyle;
    } cases[] = {
        {"after bold text, a link and a picture", ParaStyle::kParagraph, "ab", 5, 5, 2},
        {"a link first in text", ParaStyle::kParagraph, "", 3, 3, 0},
        {"a link first in an equation", ParaStyle::kPlainEquation, "", 3, 3, 3},
        {"the link and the picture selected", ParaStyle::kParagraph, "", 1, 3, 0},
        {"bold text and a picture selected", ParaStyle::kParagraph, "ab", 2, 5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(c.style);
        CompList& list = *para->GetList(1);
        fakes::AppendChars(list, c.bold, 2);
        list.Append(new LinkComp(Str255("a.tsy"), Str255("a"), true));
        list.Append(new MetaPictComp(PictureBytes(), PictureFrame{}));
        DocRange range;
        range.Set(&list, c.from, c.to);
        EXPECT_EQ(range.GetTextStyle(), c.textStyle);
    }
}

TEST_F(ParagraphTest, ChangingTheStyleDropsTheRunsThatShowTheOldNumber) {
    Document doc;
    OwnedPara para = MakePara(ParaStyle::kNumberedEquation, "x=1");
    doc.Add(para.get());
    NumberRecord running;
    para->SetNumber(running);
    LayOut(*para);
    ASSERT_EQ(Runs(*para).GetAt(Runs(*para).GetCount() - 1)->GetTypeTag(), tags::LabelRun);

    para->SetStyle(ParaStyle::kParagraph);
    EXPECT_EQ(para->GetNumberSource(), nullptr);
    EXPECT_TRUE(Runs(*para).IsEmpty());
    EXPECT_TRUE(para->GetPreviousLines().IsEmpty());
    EXPECT_TRUE(para->NeedsLayout());
    // Placed before it is built again, it has an empty frame and still needs its lines.
    para->SetOrigin(Point(M(), 300));
    EXPECT_EQ(para->GetFrame(), Rect(M(), 300, C(), 300));
    EXPECT_TRUE(para->NeedsLayout());
    // Laid out again, nothing left of the old label is reached (the sanitizer would see it),
    // and without previous lines the whole frame is repainted.
    port.invalidated.clear();
    LayOut(*para);
    para->InvalidateChangedLines(nullptr);
    ASSERT_EQ(port.invalidated.size(), 1u);
    EXPECT_EQ(port.invalidated[0], para->GetFrame());
}

TEST_F(ParagraphTest, KeepingTheStyleKeepsTheNumberAndItsReferences) {
    Document doc;
    OwnedPara eq = MakePara(ParaStyle::kNumberedEquation, "x=1");
    OwnedPara text = MakePara(ParaStyle::kParagraph);
    doc.Add(eq.get());
    doc.Add(text.get());
    RefSource* source = eq->GetNumberSource();
    auto* ref = new RefComp(*source);
    text->GetList(1)->Append(ref);
    eq->SetStyle(ParaStyle::kNumberedEquation);
    EXPECT_EQ(eq->GetNumberSource(), source);
    EXPECT_EQ(ref->GetTarget(), source);
}

TEST_F(ParagraphTest, TheLabelPositionOfAParagraphWithoutANumberIsItsStart) {
    OwnedPara entry = MakePara(ParaStyle::kListEntry, "item");
    NumberRecord running;
    entry->SetNumber(running);
    LayOut(*entry);
    EXPECT_EQ(entry->GetPositionRect(At(*entry, 0)), entry->GetNumberSource()->GetFrame());
    EXPECT_EQ(entry->PosFromPointForPositions(LabelPoint(*entry)).index, 0);

    OwnedPara plain = MakePara(ParaStyle::kParagraph, "item");
    LayOut(*plain);
    EXPECT_EQ(plain->GetPositionRect(At(*plain, 0)), plain->GetPositionRect(At(*plain, 1)));
}

TEST_F(ParagraphTest, OnlyTheFirstChangedLineIsRepainted) {
    OwnedPara para = MakePara(ParaStyle::kParagraph, "ab cd");
    LayOut(*para);
    para->LayoutLines(nullptr);
    para->SetOrigin(para->GetOrigin());
    port.invalidated.clear();
    para->InvalidateChangedLines(nullptr);
    EXPECT_TRUE(port.invalidated.empty());

    fakes::AppendChars(*para->GetList(1), "e");
    para->LayoutLines(nullptr);
    para->SetOrigin(para->GetOrigin());
    const DocPos caret = At(*para, 6);
    para->InvalidateChangedLines(&caret);
    ASSERT_EQ(port.invalidated.size(), 2u);
    // The old line, which has no position 6, whole; the new one from the caret on.
    const int32_t caretX = M() + 5 * fakes::kCharWidth;
    EXPECT_EQ(port.invalidated[0].left, M());
    EXPECT_EQ(port.invalidated[1].left, caretX);
    EXPECT_EQ(port.invalidated[1].right, C());
}

TEST_F(ParagraphTest, LineQueriesWalkTheCurrentLines) {
    const std::string text = std::string(30, 'a') + " " + std::string(30, 'b');
    OwnedPara para = MakePara(ParaStyle::kParagraph, text);
    LayOut(*para);
    // The end of the first line is before the blank the line broke at.
    EXPECT_EQ(para->LineEndPos(para->GetList(1)->GetAt(3)).index, 31);
    EXPECT_EQ(para->LineEndPos(para->GetList(1)->GetAt(40)).index, 62);
    // Right of the last line's text, up to the column's edge.
    const Rect room = para->GetLineBox(100000);
    EXPECT_EQ(room.left, M() + 300);
    EXPECT_EQ(room.right, C());
}

TEST_F(ParagraphTest, CloneCopiesStyleAndContent) {
    OwnedPara para = MakePara(ParaStyle::kSection, "ab");
    para->GetList(1)->Append(new fakes::Box);
    OwnedComponent copy = para->Clone();
    auto& clone = static_cast<ParaComp&>(*copy);
    EXPECT_EQ(clone.GetStyle().GetKind(), ParaStyle::kSection);
    EXPECT_NE(clone.GetNumberSource(), nullptr);
    EXPECT_TRUE(clone.GetList(1)->IsEqual(*para->GetList(1)));
    EXPECT_NE(clone.GetList(1)->GetAt(3), para->GetList(1)->GetAt(3));
}

TEST_F(ParagraphTest, LatexOpensAndClosesByStyle) {
    const struct {
        const char* name;
        int32_t style;
        const char* text;
        bool box;            // a component after the text
        bool referenced;     // a reference points at the paragraph's number
        const char* written; // a box writes "#"; an equation set box alone writes nothing here
    } cases[] = {
        {"a paragraph told of its leading blank", 3, " ab", false, false, "<3w> ab</3>"},
        {"a section with its number", 1, "ab", false, false, "<1n>ab</1>"},
        {"all code text is verbatim", 7, "ab", false, false, "<7>ab</7>"},
        {"an empty code paragraph is verbatim", 7, "", false, false, "<7></7>"},
        {"code with a box is a paragraph", 7, "ab", true, false, "<3>ab#</3>"},
        {"one equation set is a block", 5, "", true, false, "<block></block>"},
        {"a referenced numbered set is not", 6, "", true, true, "<6n>#</6>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedPara para = MakePara(c.style, c.text);
        if (c.box)
            para->GetList(1)->Append(
                new fakes::Box(c.style == 7 ? tags::Fraction : tags::EquationSet));
        std::unique_ptr<RefComp> ref;
        if (c.referenced) ref = std::make_unique<RefComp>(*para->GetNumberSource());
        fakes::ParagraphTraceLatex writer;
        para->WriteLatex(writer);
        EXPECT_EQ(writer.out, c.written);
    }
}
