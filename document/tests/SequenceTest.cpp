// The paragraph sequence as a container, its layout, numbering, pagination and storage.

#include "document/CompSequence.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/tests/SequenceFakes.h"
#include "document/tests/StreamBytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

using namespace seqfakes;

namespace {

class SequenceTest : public ::testing::Test {
protected:
    Services services;
    fakes::DrawPort& port = services.port;
};

// Paragraphs of one line each sit 20 apart from the top margin (21).
constexpr int32_t kTop = 21;

TEST_F(SequenceTest, FindByYAtTheEdges) {
    CompSequence empty;
    EXPECT_EQ(empty.FindByY(50), 0);

    auto one = Sequence("3:a");
    one->PlaceAll(false);
    for (int32_t y : {-100, 0, kTop + 5, 10000})
        EXPECT_EQ(one->FindByY(y), 1) << y;

    auto seq = Sequence("3:a|3:b|3:c");
    seq->PlaceAll(false);
    ASSERT_EQ(seq->GetLaidOutBottom(), kTop + 60);
    const struct {
        int32_t y;
        int32_t expected;
    } cases[] = {
        {-50, 1},         // above the first paragraph
        {kTop + 20, 1},   // exactly on the first one's bottom edge
        {kTop + 21, 2},   // just below it
        {kTop + 40, 2},   // on the second one's bottom edge
        {kTop + 59, 3},   //
        {kTop + 60, 3},   // at the laid-out bottom
        {kTop + 5000, 3}, // far below
    };
    for (const auto& c : cases)
        EXPECT_EQ(seq->FindByY(c.y), c.expected) << c.y;
}

// Material that was never placed has no heights to search by: each paragraph must still be
// found as itself, not as the last one.
TEST_F(SequenceTest, IndexOfFindsUnplacedAndPlacedParagraphs) {
    Document doc;
    auto seq = Sequence("3:a|3:b|3:c", &doc);
    for (int32_t k = 1; k <= 3; ++k)
        EXPECT_EQ(seq->IndexOf(seq->GetAt(k)), k);

    seq->PlaceAll(false);
    seq->InsertAt(Para("new"), 2); // not placed yet, between placed ones
    for (int32_t k = 1; k <= 4; ++k)
        EXPECT_EQ(seq->IndexOf(seq->GetAt(k)), k);

    auto stranger = Para("x");
    EXPECT_EQ(seq->IndexOf(stranger.get()), 0);
    CompSequence detached;
    EXPECT_EQ(detached.IndexOf(seq->GetAt(1)), 0);
}

TEST_F(SequenceTest, IdentitiesFollowTheParagraphsBetweenDocuments) {
    Document a;
    Document b;
    auto seq = Sequence("3:a|3:b", &a);
    EXPECT_EQ(a.held.size(), 2u);
    auto removed = seq->RemoveAt(1);
    EXPECT_EQ(a.held.size(), 1u) << "a paragraph leaving the document gives its number back";
    EXPECT_EQ(removed->GetOwner(), nullptr);
    seq->Append(std::move(removed));
    EXPECT_EQ(a.held.size(), 2u);
    EXPECT_EQ(seq->FindByNumber(seq->GetAt(2)->GetIdentity()), seq->GetAt(2));

    seq->MoveTo(&b);
    EXPECT_TRUE(a.held.empty());
    EXPECT_EQ(b.held.size(), 2u);
    seq->Clear();
    EXPECT_TRUE(b.held.empty());
    EXPECT_EQ(seq->GetCount(), 0);
}

// Undo puts held runs back: every paragraph in order at any place; when a paragraph cannot
// enter, those that did stand in order at the place and the rest go with the holder.
TEST_F(SequenceTest, HeldRunsGoBackInOrderEvenWhenOneCannotEnter) {
    struct Case {
        int32_t at;
        const char* whole;
    };
    for (const Case& c : {Case{1, "3:a|3:b|3:c|3:x|3:y"}, Case{2, "3:x|3:a|3:b|3:c|3:y"},
                          Case{3, "3:x|3:y|3:a|3:b|3:c"}}) {
        SCOPED_TRACE(c.at);
        Document doc;
        auto seq = Sequence("3:x|3:y", &doc);
        seq->InsertHeldAt(Sequence("3:a|3:b|3:c"), c.at);
        EXPECT_EQ(Text(*seq), c.whole);
        for (int32_t k = 1; k <= seq->GetCount(); ++k)
            EXPECT_EQ(seq->GetAt(k)->GetOwner(), seq.get());
        EXPECT_EQ(doc.held.size(), 5u);
    }

    Document doc;
    auto seq = Sequence("3:x|3:y", &doc);
    doc.claimsLeft = 2;
    EXPECT_THROW(seq->InsertHeldAt(Sequence("3:a|3:b|3:c|3:d"), 2), std::bad_alloc);
    EXPECT_EQ(Text(*seq), "3:x|3:a|3:b|3:y");
    EXPECT_EQ(doc.held.size(), 4u);
}

TEST_F(SequenceTest, EmptySequenceIsSafeEverywhere) {
    CompSequence seq;
    seq.Relayout(1, nullptr);
    seq.LayoutAll();
    seq.PlaceAll(true);
    seq.DrawInRect(Rect(0, 0, 100, 100));
    EXPECT_EQ(seq.ParagraphAtY(40), nullptr);
    EXPECT_EQ(seq.FindAt(Point(30, 30)), nullptr);
    EXPECT_EQ(seq.PosFromPoint(Point(30, 30), true).kind, DocPos::kNone);
    EXPECT_EQ(seq.StartPosition().kind, DocPos::kNone);
    EXPECT_FALSE(seq.WholeRange().HasExtent());
}

TEST_F(SequenceTest, RelayoutInvalidatesOnlyWhatChanged) {
    auto seq = Sequence("3:aa|3:bb|3:cc");
    seq->PlaceAll(true);
    const Rect third = seq->GetAt(3)->GetFrame();

    // Same height: the third paragraph neither moves nor is drawn again.
    port.invalidated.clear();
    fakes::AppendChars(*seq->GetAt(2)->GetList(1), "x");
    seq->Relayout(2, nullptr);
    EXPECT_EQ(seq->GetAt(3)->GetFrame(), third);
    for (const Rect& r : port.invalidated)
        EXPECT_FALSE(r.Overlaps(third)) << "an unmoved paragraph was invalidated";

    // Two lines: the third moves down and both its old and new places are drawn.
    port.invalidated.clear();
    fakes::AppendChars(*seq->GetAt(2)->GetList(1), std::string(60, 'y'));
    seq->Relayout(2, nullptr);
    const Rect moved = seq->GetAt(3)->GetFrame();
    EXPECT_EQ(moved.top, third.top + 20);
    EXPECT_EQ(seq->GetLaidOutBottom(), kTop + 80);
    const Rect both(third.left, third.top, third.right, moved.bottom);
    EXPECT_NE(std::find(port.invalidated.begin(), port.invalidated.end(), both),
              port.invalidated.end());

    // Shorter again: the band the document gave up is drawn.
    port.invalidated.clear();
    seq->GetAt(2)->GetList(1)->ExtractRange(1, seq->GetAt(2)->GetCount());
    seq->Relayout(2, nullptr);
    EXPECT_EQ(seq->GetLaidOutBottom(), kTop + 60);
    const Rect band(port.leftMargin, kTop + 60, port.columnWidth, kTop + 80);
    EXPECT_NE(std::find(port.invalidated.begin(), port.invalidated.end(), band),
              port.invalidated.end());
}

// Typing that keeps the paragraph's height and number leaves every later paragraph alone, so
// a keystroke costs the same at the top and the end of a long document.
TEST_F(SequenceTest, AKeystrokeThatChangesNoHeightOrNumberTouchesNoLaterParagraph) {
    auto seq = Sequence("3:a|6:b|3:c|6:d|1:e|3:f");
    seq->PlaceAll(false);
    const auto work = [&] {
        int total = 0;
        for (int32_t k = 0; k < 8; ++k)
            total += services.styles.At(k).builds + services.styles.At(k).advances;
        return total;
    };
    for (int32_t edited : {1, 2, 5}) {
        SCOPED_TRACE(edited);
        const int before = work();
        fakes::AppendChars(*seq->GetAt(edited)->GetList(1), "x");
        seq->GetAt(edited)->InvalidateLayout();
        seq->Relayout(edited, nullptr);
        seq->LayoutAll();
        EXPECT_EQ(work() - before, 2) << "the edited paragraph's layout and number only";
    }
    EXPECT_EQ(seq->GetAt(4)->GetNumber().equation, 2);
    EXPECT_EQ(seq->GetAt(6)->GetFrame().top, kTop + 100);
}

// A full layout from scratch changes no paragraph's place or number, nor the bottom.
void ExpectFullLayout(CompSequence& seq) {
    std::vector<std::tuple<int32_t, int32_t, int32_t>> relaid;
    for (int32_t k = 1; k <= seq.GetCount(); ++k)
        relaid.emplace_back(seq.GetAt(k)->GetFrame().top, seq.GetAt(k)->GetFrame().bottom,
                            seq.GetAt(k)->GetNumber().equation);
    const int32_t bottom = seq.GetLaidOutBottom();
    seq.PlaceAll(false);
    for (int32_t k = 1; k <= seq.GetCount(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(relaid[static_cast<size_t>(k - 1)],
                  std::make_tuple(seq.GetAt(k)->GetFrame().top, seq.GetAt(k)->GetFrame().bottom,
                                  seq.GetAt(k)->GetNumber().equation));
    }
    EXPECT_EQ(bottom, seq.GetLaidOutBottom());
}

// Whatever waited before a relayout, it ends as a layout from scratch would: later paragraphs
// marked or restyled, paragraphs put in or taken out, the edited paragraph growing, and typing
// after a change that the relayout from its own place settled.
TEST_F(SequenceTest, RelayoutAfterAnyChangeEndsAsAFullLayout) {
    using Change = std::function<int32_t(CompSequence&)>; // returns the paragraph to relayout
    const auto grow = [](CompSequence& seq, int32_t k, size_t n) {
        fakes::AppendChars(*seq.GetAt(k)->GetList(1), std::string(n, 'y'));
        seq.GetAt(k)->InvalidateLayout();
    };
    struct Case {
        const char* name;
        std::vector<Change> changes;
    };
    const std::vector<Case> cases = {
        {"later paragraph marked", {[&](CompSequence& seq) {
             grow(seq, 5, 60);
             grow(seq, 2, 1);
             return 2;
         }}},
        {"earlier paragraph marked", {[&](CompSequence& seq) {
             grow(seq, 1, 60);
             grow(seq, 4, 1);
             return 4;
         }}},
        {"later paragraph restyled", {[](CompSequence& seq) {
             seq.GetAt(5)->SetStyle(ParaStyle::kNumberedEquation);
             return 2;
         }}},
        {"paragraph put in after the edit", {[](CompSequence& seq) {
             seq.InsertAt(Para("new", ParaStyle::kNumberedEquation), 4);
             return 2;
         }}},
        {"paragraph taken out, then typing after it",
         {[](CompSequence& seq) {
              seq.RemoveAt(2);
              return 2;
          },
          [&](CompSequence& seq) {
              grow(seq, 4, 1);
              return 4;
          }}},
        {"edited paragraph grows", {[&](CompSequence& seq) {
             grow(seq, 3, 60);
             return 3;
         }}},
        {"split, then typing after it",
         {[](CompSequence& seq) {
              DocPos at;
              at.SetAt(seq.GetAt(2)->GetList(1), 1);
              seq.InsertSequenceAt(Sequence("6:p|6:q"), at);
              return 2;
          },
          [&](CompSequence& seq) {
              grow(seq, 4, 1);
              return 4;
          }}},
    };
    // Also when the passes stop at a horizon below the second paragraph and what waits below
    // it is placed afterwards.
    for (const int32_t horizon : {INT32_MAX, kTop + 30})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(horizon);
            auto seq = Sequence("3:a|6:b|3:c|6:d|3:e|6:f");
            seq->SetHorizon(horizon);
            seq->PlaceAll(false);
            for (const Change& change : c.changes) {
                const int32_t from = change(*seq);
                seq->Relayout(from, nullptr);
                seq->LayoutAll();
            }
            seq->SetHorizon(INT32_MAX);
            EXPECT_FALSE(seq->HasDeferred());
            ExpectFullLayout(*seq);
        }
}

// Below the horizon paragraphs wait unplaced and keep no lines, but are numbered; a question
// about where one lies, or a lower horizon, places it and those before it, no further.
TEST_F(SequenceTest, ParagraphsBelowTheHorizonWaitUntilAskedFor) {
    auto seq = Sequence("3:a|6:b|3:c|6:d|3:e|6:f");
    seq->SetHorizon(kTop + 30);
    seq->PlaceAll(false);
    ASSERT_TRUE(seq->HasDeferred());
    EXPECT_EQ(seq->GetLaidOutBottom(), kTop + 40);
    EXPECT_EQ(seq->GetExtent(), kTop + 120) << "the rest as tall as the placed on average";
    EXPECT_EQ(seq->FindByY(kTop + 5000), 2) << "only placed paragraphs are found by height";
    EXPECT_TRUE(seq->GetAt(3)->NeedsLayout());
    EXPECT_TRUE(seq->GetAt(5)->GetList(1)->GetRuns().IsEmpty());
    EXPECT_EQ(seq->GetAt(6)->GetNumber().equation, 3);

    DocPos inFifth;
    inFifth.SetAt(seq->GetAt(5)->GetList(1), 1);
    const Rect caret = seq->GetAt(5)->GetPositionRect(inFifth);
    EXPECT_EQ(seq->GetAt(5)->GetFrame().top, kTop + 80);
    EXPECT_GE(caret.top, kTop + 80);
    EXPECT_EQ(seq->FindByY(kTop + 85), 5);
    EXPECT_TRUE(seq->HasDeferred()) << "the sixth still waits";

    // The horizon places what it comes down to.
    EXPECT_TRUE(seq->SetHorizon(kTop + 101));
    EXPECT_FALSE(seq->HasDeferred());
    EXPECT_EQ(seq->GetExtent(), kTop + 120);
    EXPECT_FALSE(seq->SetHorizon(kTop + 30)) << "raising it again places nothing";

    // Printing places everything, whatever the horizon.
    seq->PlaceAll(false);
    ASSERT_TRUE(seq->HasDeferred());
    PageBreaks breaks;
    seq->Paginate(breaks);
    EXPECT_FALSE(seq->HasDeferred());
    EXPECT_EQ(seq->GetLaidOutBottom(), 120);
}

// Every question about where something in a waiting paragraph lies places it first, with the
// ones before it: the fifth of six stands where a full layout puts it, and the sixth waits on.
TEST_F(SequenceTest, EveryQuestionOfPlaceInAWaitingParagraphPlacesIt) {
    struct Case {
        const char* name;
        std::function<void(CompSequence&, ParaComp&, const DocPos&)> ask;
    };
    const Case cases[] = {
        {"caret rectangle",
         [](CompSequence&, ParaComp& p, const DocPos& pos) { p.GetPositionRect(pos); }},
        {"range bounds",
         [](CompSequence&, ParaComp&, const DocPos& pos) { DocRange::Caret(pos).GetBounds(); }},
        {"line box", [](CompSequence&, ParaComp& p, const DocPos&) { p.GetLineBox(kTop + 85); }},
        {"line end",
         [](CompSequence&, ParaComp& p, const DocPos&) { p.LineEndPos(p.GetList(1)->GetAt(1)); }},
        {"point", [](CompSequence&, ParaComp& p,
                     const DocPos&) { p.PosFromPoint(Point(30, kTop + 85), true); }},
        {"component at a point",
         [](CompSequence&, ParaComp& p, const DocPos&) { p.FindAt(Point(30, kTop + 85)); }},
        {"line down from the one before",
         [](CompSequence& seq, ParaComp&, const DocPos&) {
             DocPos inFourth;
             inFourth.SetAt(seq.GetAt(4)->GetList(1), 1);
             inFourth.LineDown();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto seq = Sequence("3:a|6:b|3:c|6:d|3:e|6:f");
        seq->SetHorizon(kTop + 30);
        seq->PlaceAll(false);
        ParaComp& fifth = *seq->GetAt(5);
        DocPos pos;
        pos.SetAt(fifth.GetList(1), 1);
        c.ask(*seq, fifth, pos);
        EXPECT_FALSE(fifth.NeedsLayout());
        EXPECT_EQ(fifth.GetFrame().top, kTop + 80);
        EXPECT_EQ(seq->FindByY(kTop + 85), 5);
        EXPECT_TRUE(seq->HasDeferred());
    }
}

// A horizon at the top margin (a view not yet given a height) leaves every paragraph waiting:
// drawing and the questions by height find nothing, and a position still places its paragraph.
TEST_F(SequenceTest, NothingPlacedAboveTheHorizonIsSafeEverywhere) {
    auto seq = Sequence("3:a|6:b|3:c");
    seq->SetHorizon(kTop);
    seq->PlaceAll(true);
    ASSERT_TRUE(seq->HasDeferred());
    EXPECT_EQ(seq->FindByY(kTop + 5), 0);
    seq->DrawInRect(Rect(0, 0, 100, 100));
    EXPECT_EQ(seq->ParagraphAtY(kTop + 5), nullptr);
    EXPECT_EQ(seq->FindAt(Point(30, kTop + 5)), nullptr);
    EXPECT_EQ(seq->PosFromPoint(Point(30, kTop + 5), true).kind, DocPos::kNone);
    EXPECT_EQ(seq->GetExtent(), kTop);

    DocPos inSecond;
    inSecond.SetAt(seq->GetAt(2)->GetList(1), 1);
    seq->GetAt(2)->GetPositionRect(inSecond);
    EXPECT_EQ(seq->GetAt(2)->GetFrame().top, kTop + 20);
    EXPECT_EQ(seq->FindByY(kTop + 25), 2);
    seq->DrawInRect(Rect(0, 0, 100, 100));
}

TEST_F(SequenceTest, LayoutAllPlacesNewParagraphsAndMovesTheRestWithoutRenumbering) {
    auto seq = Sequence("6:a|6:b");
    seq->PlaceAll(false);
    seq->InsertAt(Para("new", ParaStyle::kNumberedEquation), 1);
    seq->LayoutAll();
    EXPECT_EQ(seq->GetAt(1)->GetFrame().top, kTop);
    EXPECT_EQ(seq->GetAt(3)->GetFrame().top, kTop + 40);
    EXPECT_EQ(seq->GetLaidOutBottom(), kTop + 60);
    EXPECT_EQ(seq->GetAt(3)->GetNumber().equation, 2) << "numbers wait for a renumbering pass";
}

TEST_F(SequenceTest, PointsFindTheirParagraph) {
    auto seq = Sequence("3:ab|3:cd");
    seq->PlaceAll(false);
    const Point inSecond(port.leftMargin + 12, kTop + 30);
    const DocPos pos = seq->PosFromPoint(inSecond, false);
    EXPECT_EQ(pos.GetList(), seq->GetAt(2)->GetList(1));
    EXPECT_EQ(pos.index, 2);
    EXPECT_EQ(seq->FindAt(inSecond), seq->GetAt(2)->GetList(1)->GetAt(2));
    EXPECT_TRUE(seq->StartPosition().IsEqual([&] {
        DocPos start;
        start.SetAt(seq->GetAt(1)->GetList(1), 1);
        return start;
    }()));
    const DocRange whole = seq->WholeRange();
    EXPECT_EQ(whole.start.index, 1);
    EXPECT_EQ(whole.end.GetList(), seq->GetAt(2)->GetList(1));
    EXPECT_EQ(whole.end.index, 3);
}

TEST_F(SequenceTest, NumberingRunsThroughTheSequence) {
    auto seq = Sequence("6:a|3:b|6:c|1:d|6:e");
    seq->PlaceAll(false);
    EXPECT_EQ(seq->GetAt(5)->GetNumber().equation, 3);
    EXPECT_EQ(seq->GetAt(4)->GetNumber().section, 1);

    // A relayout in the middle starts from the paragraph before it.
    seq->InsertAt(Para("f", ParaStyle::kNumberedEquation), 2);
    seq->Relayout(2, nullptr);
    EXPECT_EQ(seq->GetAt(2)->GetNumber().equation, 2);
    EXPECT_EQ(seq->GetAt(6)->GetNumber().equation, 4);
}

TEST_F(SequenceTest, PaginateBreaksAtLinesAndPageHeights) {
    struct Case {
        const char* name;
        int32_t lineHeight;
        int32_t printable;
        const char* doc;
        std::vector<std::pair<int32_t, int32_t>> breaks;
    };
    const Case cases[] = {
        // A line crossing the page end moves the break up to the line's top; the last page
        // ends one printable height after the previous break.
        {"crossing line", 20, 50, "3:a|3:b|3:c", {{1, 40}, {2, 90}}},
        // Lines that end exactly on the page end stay on it.
        {"exact fit", 25, 50, "3:a|3:b|3:c", {{1, 50}, {2, 100}}},
        // A line taller than a page is cut one printable height below the previous break.
        {"tall line", 120, 50, "3:a", {{1, 50}, {2, 100}, {3, 150}}},
        {"nothing", 20, 50, "", {{1, 50}}},
    };
    for (const Case& c : cases) {
        ParaStyles styles(c.lineHeight);
        port.printableHeight = c.printable;
        auto seq = std::string(c.doc).empty() ? std::make_unique<CompSequence>() : Sequence(c.doc);
        PageBreaks sink;
        seq->Paginate(sink);
        EXPECT_EQ(sink.breaks, c.breaks) << c.name;
    }
}

TEST_F(SequenceTest, PaginateRefusesAPageWithoutHeight) {
    auto seq = Sequence("3:a|3:b");
    for (int32_t height : {0, -10}) {
        port.printableHeight = height;
        PageBreaks sink;
        EXPECT_THROW(seq->Paginate(sink), std::invalid_argument) << height;
        EXPECT_TRUE(sink.breaks.empty());
    }
}

TEST_F(SequenceTest, PlainTextPutsACarriageReturnBetweenParagraphs) {
    auto seq = Sequence("3:ab|5:c|3:d");
    char block[64] = {};
    MemoryStream memory(block, sizeof block);
    OutBuffer out(memory);
    seq->WriteText(out);
    EXPECT_EQ(std::string(block, static_cast<size_t>(memory.GetPosition())), "ab\rc\rd");
}

TEST_F(SequenceTest, PlainTextReadsOneParagraphPerLine) {
    const std::string text = "ab\r\ncd\r\re";
    MemoryStream memory(static_cast<const void*>(text.data()), static_cast<int32_t>(text.size()));
    auto seq = Sequence("3:old");
    EXPECT_EQ(seq->ReadPlainText(memory), static_cast<int32_t>(text.size()));
    EXPECT_EQ(Text(*seq), "3:ab|3:cd|3:|3:e");

    MemoryStream nothing(static_cast<const void*>(text.data()), 0);
    seq->ReadPlainText(nothing);
    EXPECT_EQ(seq->GetCount(), 0);
}

TEST_F(SequenceTest, RecordRoundTripKeepsStylesTextAndIdentities) {
    Document doc;
    auto seq = Sequence("1:ab|6:c|3:", &doc);
    const streambytes::Bytes bytes = streambytes::Save([&](DocStream& s) { seq->Write(s, false); });

    CompSequence loaded(&doc);
    streambytes::Load(bytes, [&](DocStream& s) { loaded.Read(s); });
    EXPECT_EQ(Text(loaded), "1:ab|6:c|3:");
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(loaded.GetAt(k)->GetIdentity(), seq->GetAt(k)->GetIdentity());
        EXPECT_EQ(loaded.GetAt(k)->GetOwner(), &loaded);
    }

    // A record of no paragraphs adds nothing; a cut one keeps what was read before it.
    const streambytes::Bytes none = streambytes::Builder().I32(0).Get();
    streambytes::Load(none, [&](DocStream& s) { loaded.Read(s); });
    EXPECT_EQ(loaded.GetCount(), 3);
    streambytes::Bytes cut = bytes;
    cut.resize(cut.size() - 2);
    CompSequence partial;
    EXPECT_ANY_THROW(streambytes::Load(cut, [&](DocStream& s) { partial.Read(s); }));
    EXPECT_EQ(partial.GetCount(), 2);
}

} // namespace
