// The clipboard store and the clipboard actions on the real math boxes, over a fake clipboard
// that can refuse, can be taken over by another program, and is shared by a second store (a
// second running copy of the program, which must decode the bytes the first one wrote).

#include "document/ClipboardFormat.h"
#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/actions/ClipboardActions.h"
#include "mathbox/actions/UndoSlot.h"
#include "mathbox/actions/tests/ActionFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace seqfakes;
using actiontest::Deep;

namespace {

// The system clipboard as the store sees it. `TakeOver` is another program writing to it.
class FakeClipboard final : public ClipboardPort {
public:
    bool HasData() override {
        return content && (content->paragraphs || content->text || content->picture);
    }
    std::optional<ClipboardData> Read() override {
        ++reads;
        if (refuse) return std::nullopt;
        return content.value_or(ClipboardData());
    }
    bool Write(const ClipboardData& data, const std::string& mark) override {
        if (refuse) return false;
        content = data;
        owner = mark;
        ++writes;
        ++generation;
        return true;
    }
    std::string Owner() override { return owner; }
    bool Clear() override {
        if (refuse) return false;
        content.reset();
        owner.clear();
        ++generation;
        return true;
    }
    uint64_t Generation() override { return generation; }

    void TakeOver(ClipboardData data) {
        content = std::move(data);
        owner.clear();
        ++generation;
    }
    std::string Text() const { return content && content->text ? *content->text : "<none>"; }

    std::optional<ClipboardData> content;
    std::string owner;
    bool refuse = false;
    int writes = 0;
    int reads = 0;
    uint64_t generation = 0;
};

ClipboardData TextData(std::string text) {
    ClipboardData data;
    data.text = std::move(text);
    return data;
}

CompArray Chars(std::string_view text) {
    CompArray chars;
    for (TextComp* c : fakes::Chars(text))
        chars.Add(OwnedComponent(c));
    return chars;
}

// Document A, the source: "ab", a fraction x/y, "c"; an equation holding a 2 x 2 matrix
// (cells p, q, r, s by rows) and a partial derivative of f in u and v; "end".
// Document B, the target: "12"; an equation holding an empty 2 x 2 matrix and a partial
// derivative of g in w.
class ClipboardTest : public ::testing::Test {
public:
    ClipboardTest() {
        auto one = Para("ab");
        fraction = new FracComp(Chars("x"), Chars("y"));
        one->GetList(1)->Append(fraction);
        fakes::AppendChars(*one->GetList(1), "c");
        auto two = Para("", ParaStyle::kPlainEquation);
        grid = new MatrixBox(2, 2);
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        fakes::AppendChars(*grid->GetCell(2, 1), "q");
        fakes::AppendChars(*grid->GetCell(1, 2), "r");
        fakes::AppendChars(*grid->GetCell(2, 2), "s");
        two->GetList(1)->Append(grid);
        derivative = NewDerivative("f", {"u", "v"});
        two->GetList(1)->Append(derivative);
        a.Append(std::move(one));
        a.Append(std::move(two));
        a.Append(Para("end"));
        a.PlaceAll(false);

        auto three = Para("", ParaStyle::kPlainEquation);
        target = new MatrixBox(2, 2);
        three->GetList(1)->Append(target);
        targetDerivative = NewDerivative("g", {"w"});
        three->GetList(1)->Append(targetDerivative);
        b.Append(Para("12"));
        b.Append(std::move(three));
        b.PlaceAll(false);
    }

    static PartialDerivativeBox* NewDerivative(std::string_view function,
                                               std::initializer_list<std::string_view> vars) {
        auto* d = new PartialDerivativeBox();
        int32_t i = 0;
        for (std::string_view var : vars) {
            if (++i > 1)
                d->InsertDifferentialAt(i, OwnedDifferential(new PartialDifferentialBox()));
            fakes::AppendChars(d->GetDifferentialBox(i)->Variable(), var);
        }
        fakes::AppendChars(d->Function(), function);
        return d;
    }

    static DocRange Range(const DocPos& from, const DocPos& to) {
        DocRange r;
        r.Assign(from, to);
        return r;
    }
    CompList* A(int32_t k) const { return a.GetAt(k)->GetList(1); }
    CompList* B(int32_t k) const { return b.GetAt(k)->GetList(1); }
    static streambytes::Bytes Saved(const CompSequence& seq) {
        return streambytes::Save([&](DocStream& s) { seq.Write(s, false); });
    }

    // As the view runs an action: one that fails is dropped with a beep.
    template <typename A, typename... Args>
    bool Run(UndoSlot& slot, actiontest::FakeView& view, const DocRange& selection,
             Args&&... args) {
        view.selection = selection;
        try {
            return slot.DoAction(MakeAction<A>(view, selection, std::forward<Args>(args)...));
        } catch (const std::exception&) {
            view.Beep();
            return false;
        }
    }

    Services services;
    MathBoxKinds kinds;
    FakeClipboard port;
    ClipboardStore store{port};
    Installed<ClipboardStore> installed{gClipboardStore, &store};
    Document docA;
    CompSequence a{&docA};
    actiontest::FakeView viewA{a};
    UndoSlot slotA{viewA};
    Document docB;
    CompSequence b{&docB};
    actiontest::FakeView viewB{b};
    UndoSlot slotB{viewB};
    FracComp* fraction = nullptr;
    MatrixBox* grid = nullptr;
    PartialDerivativeBox* derivative = nullptr;
    MatrixBox* target = nullptr;
    PartialDerivativeBox* targetDerivative = nullptr;
};

// Copy in A, paste in B: once from the store's own cache, once through the bytes alone, as a
// second running copy of the program reads them.
TEST_F(ClipboardTest, CopiedMaterialPastesWithinAndBetweenDocuments) {
    const struct {
        const char* name;
        std::function<DocRange(ClipboardTest&)> copied;
        std::function<DocPos(ClipboardTest&)> at;
        const char* after; // document B
    } cases[] = {
        {"text", [](ClipboardTest& t) { return t.Range(ListPos(t.A(1), 1), ListPos(t.A(1), 3)); },
         [](ClipboardTest& t) { return ListPos(t.B(1), 2); }, "3:1ab2 | 5:[G2x2]{,,,}[D1]{w,,g}"},
        {"math", [](ClipboardTest& t) { return t.Range(ListPos(t.A(1), 2), ListPos(t.A(1), 4)); },
         [](ClipboardTest& t) { return ListPos(t.B(1), 3); },
         "3:12b[B]{x,y} | 5:[G2x2]{,,,}[D1]{w,,g}"},
        {"rows",
         [](ClipboardTest& t) {
             return t.Range(GridPos(t.grid, 2, false), GridPos(t.grid, 3, false));
         },
         [](ClipboardTest& t) { return GridPos(t.target, 1, false); },
         "3:12 | 5:[G2x3]{r,s,,,,}[D1]{w,,g}"},
        {"columns",
         [](ClipboardTest& t) {
             return t.Range(GridPos(t.grid, 1, true), GridPos(t.grid, 2, true));
         },
         [](ClipboardTest& t) { return GridPos(t.target, 3, true); },
         "3:12 | 5:[G3x2]{,,p,,,r}[D1]{w,,g}"},
        {"derivative variables",
         [](ClipboardTest& t) { return t.Range(VarPos(t.derivative, 2), VarPos(t.derivative, 3)); },
         [](ClipboardTest& t) { return VarPos(t.targetDerivative, 1); },
         "3:12 | 5:[G2x2]{,,,}[D2]{v,,w,,g}"},
        {"several paragraphs",
         [](ClipboardTest& t) { return t.Range(ListPos(t.A(1), 4), ListPos(t.A(3), 2)); },
         [](ClipboardTest& t) { return ListPos(t.B(1), 2); },
         "3:1c | 5:[G2x2]{p,q,r,s}[D2]{u,,v,,f} | 3:e2 | 5:[G2x2]{,,,}[D1]{w,,g}"},
    };
    for (const auto& c : cases) {
        for (const bool decoded : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (decoded ? ", decoded" : ", cached"));
            const auto before = Saved(b);
            const auto sourceBefore = Saved(a);
            ASSERT_TRUE(Run<CopyAction>(slotA, viewA, c.copied(*this)));
            EXPECT_EQ(Saved(a), sourceBefore);
            if (decoded) {
                // Another copy of the program has its own store over the same clipboard.
                ClipboardStore other(port);
                const Installed<ClipboardStore> otherInstalled(gClipboardStore, &other);
                const DocPos at = c.at(*this);
                ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(at)));
                EXPECT_EQ(Deep(b), c.after);
                ASSERT_TRUE(slotB.UndoCommand());
                slotB.Clear();
            } else {
                const DocPos at = c.at(*this);
                ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(at)));
                EXPECT_EQ(Deep(b), c.after);
                // Undo, redo and undo again give the same documents.
                const auto pasted = Saved(b);
                ASSERT_TRUE(slotB.UndoCommand());
                EXPECT_EQ(Saved(b), before);
                ASSERT_TRUE(slotB.UndoCommand());
                EXPECT_EQ(Saved(b), pasted);
                ASSERT_TRUE(slotB.UndoCommand());
            }
            EXPECT_EQ(Saved(b), before);
            EXPECT_EQ(viewB.beeps, 0);
        }
    }
}

TEST_F(ClipboardTest, PastingTwiceGivesTwoIndependentCopies) {
    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 3), ListPos(A(1), 4))));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 3))));
    EXPECT_EQ(Deep(b), "3:[B]{x,y}1[B]{x,y}2 | 5:[G2x2]{,,,}[D1]{w,,g}");
    TextComp* first = B(1)->GetAt(1);
    TextComp* second = B(1)->GetAt(3);
    EXPECT_NE(first, second);
    EXPECT_NE(first, fraction);
    EXPECT_NE(first->GetList(1), second->GetList(1));
    // Changing one leaves the other and the clipboard as they were.
    fakes::AppendChars(*first->GetList(1), "z");
    EXPECT_EQ(Deep(*second->GetList(1)), "x");
    ASSERT_TRUE(Run<PasteAction>(slotA, viewA, DocRange::Caret(ListPos(A(3), 1))));
    EXPECT_EQ(Deep(*A(3)), "[B]{x,y}end");
}

// An undone cut's material goes back into the document; the clipboard keeps its own copy, so
// a later paste reads nothing that was freed or that the document holds.
TEST_F(ClipboardTest, CutUndoThenPaste) {
    const auto before = Saved(a);
    ASSERT_TRUE(Run<CutAction>(slotA, viewA, Range(ListPos(A(1), 2), ListPos(A(1), 4))));
    EXPECT_EQ(Deep(*A(1)), "ac");
    EXPECT_EQ(viewA.selection.start.index, 2);
    EXPECT_FALSE(viewA.selection.HasExtent());
    ASSERT_TRUE(slotA.UndoCommand());
    EXPECT_EQ(Saved(a), before);
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 3))));
    EXPECT_EQ(Deep(*B(1)), "12b[B]{x,y}");
    EXPECT_NE(B(1)->GetAt(4), fraction);
    // The undone cut found the clipboard empty: once it ends, the clipboard is empty again.
    slotA.Clear();
    EXPECT_FALSE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    EXPECT_EQ(Deep(*B(1)), "12b[B]{x,y}");
}

TEST_F(ClipboardTest, CutDoUndoRedoRestoresTheBytesAndTheClipboard) {
    port.TakeOver(TextData("old"));
    const auto before = Saved(a);
    ASSERT_TRUE(Run<CutAction>(slotA, viewA, Range(ListPos(A(1), 4), ListPos(A(3), 2))));
    const auto cut = Saved(a);
    EXPECT_EQ(Deep(a), "3:ab[B]{x,y}nd");
    EXPECT_EQ(port.Text(), "c\r[[p,q],[r,s]]\xDB^2 f/\xDB u\xDB v\re");
    ASSERT_TRUE(slotA.UndoCommand());
    EXPECT_EQ(Saved(a), before);
    EXPECT_EQ(port.Text(), "old");
    ASSERT_TRUE(slotA.UndoCommand());
    EXPECT_EQ(Saved(a), cut);
    ASSERT_TRUE(slotA.UndoCommand());
    EXPECT_EQ(Saved(a), before);
}

TEST_F(ClipboardTest, PasteReplacesTheSelectionAndUndoPutsItBack) {
    port.TakeOver(TextData("xyz"));
    const auto before = Saved(b);
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, Range(ListPos(B(1), 1), ListPos(B(1), 2))));
    EXPECT_EQ(Deep(*B(1)), "xyz2");
    EXPECT_EQ(viewB.selection.start.index, 4);
    const auto pasted = Saved(b);
    // Another program changes the clipboard: a redo still puts back what was pasted.
    ASSERT_TRUE(slotB.UndoCommand());
    EXPECT_EQ(Saved(b), before);
    port.TakeOver(TextData("other"));
    ASSERT_TRUE(slotB.UndoCommand());
    EXPECT_EQ(Saved(b), pasted);
}

TEST_F(ClipboardTest, PasteWithNothingToPasteBeepsAndRecordsNothing) {
    ClipboardData emptyPrivate;
    emptyPrivate.paragraphs = std::vector<uint8_t>{0, 0, 0, 0};
    ClipboardData negativeCount;
    negativeCount.paragraphs = std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF};
    const struct {
        const char* name;
        std::optional<ClipboardData> content;
    } cases[] = {
        {"an empty clipboard", std::nullopt}, {"empty text", TextData("")},
        {"one empty line", TextData("\r")},   {"a count of 0", emptyPrivate},
        {"a count below 0", negativeCount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 1), ListPos(A(1), 2))));
        ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
        const TAction* last = slotB.GetLastAction();
        if (c.content)
            port.TakeOver(*c.content);
        else
            port.TakeOver(ClipboardData());
        const auto before = Saved(b);
        const int beeps = viewB.beeps;
        EXPECT_FALSE(Run<PasteAction>(slotB, viewB, Range(ListPos(B(1), 1), ListPos(B(1), 2))));
        EXPECT_EQ(viewB.beeps, beeps + 1);
        EXPECT_EQ(slotB.GetLastAction(), last);
        EXPECT_EQ(Saved(b), before);
    }
}

// Any program may put bytes under the private type: damaged ones count as absent, and the text
// beside them is pasted.
TEST_F(ClipboardTest, DamagedPrivateBytesFallBackToText) {
    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 1), ListPos(A(3), 4))));
    const std::vector<uint8_t> good = *port.content->paragraphs;
    std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    std::vector<uint8_t> hugeCount = good;
    hugeCount[0] = 0xFF;
    hugeCount[1] = 0xFF;
    hugeCount[2] = 0xFF;
    hugeCount[3] = 0x7F;
    std::vector<uint8_t> garbage{1, 0, 0, 0};
    garbage.insert(garbage.end(), 12, 0xFF);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"cut short", truncated},
        {"a huge count", hugeCount},
        {"garbage after the count", garbage},
        {"three bytes", {1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClipboardData data = TextData("t1\nt2");
        data.paragraphs = c.bytes;
        port.TakeOver(data);
        ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 3))));
        EXPECT_EQ(Deep(*B(1)), "12t1t2");
        ASSERT_TRUE(slotB.UndoCommand());
    }
}

TEST_F(ClipboardTest, TextOfOtherProgramsPastesAsParagraphsAndCopiesGoOutAsText) {
    port.TakeOver(TextData("one\rtwo\r\nthree"));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 2))));
    EXPECT_EQ(Deep(b), "3:1one | 3:two | 3:three2 | 5:[G2x2]{,,,}[D1]{w,,g}");

    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 1), ListPos(A(3), 4))));
    EXPECT_EQ(port.Text(), "abx/yc\r[[p,q],[r,s]]\xDB^2 f/\xDB u\xDB v\rend");
    // After another program takes the clipboard, paste reads its content, not the cache.
    port.TakeOver(TextData("theirs"));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    EXPECT_EQ(Deep(*B(1)), "theirs1one");
}

// Looking at another program's content (the Paste command's enabling does at every wait)
// decodes it once per change, and a paste takes that decoding; our own content is never read
// back while we own it.
TEST_F(ClipboardTest, ContentIsDecodedOncePerChangeAndPerPaste) {
    port.TakeOver(TextData("theirs"));
    ASSERT_NE(store.PeekContent(), nullptr);
    ASSERT_NE(store.PeekContent(), nullptr);
    EXPECT_EQ(port.reads, 1);
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    EXPECT_EQ(port.reads, 1);
    port.TakeOver(TextData("newer"));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    EXPECT_EQ(Deep(*B(1)), "newernewertheirs12");
    EXPECT_EQ(port.reads, 3);
    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 1), ListPos(A(1), 2))));
    const int reads = port.reads;
    ASSERT_NE(store.PeekContent(), nullptr);
    ASSERT_NE(store.PeekContent(), nullptr);
    EXPECT_EQ(port.reads, reads);
}

TEST_F(ClipboardTest, APictureAlonePastesAsOnePicture) {
    ClipboardData data;
    data.picture = PictureBytes{'<', 's', 'v', 'g', '/', '>'};
    port.TakeOver(data);
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 2))));
    ASSERT_EQ(B(1)->GetCount(), 3);
    const TextComp* picture = B(1)->GetAt(2);
    ASSERT_EQ(picture->GetTypeTag(), tags::Metafile);
    EXPECT_EQ(static_cast<const MetaPictComp*>(picture)->GetPicture(), *data.picture);
}

TEST_F(ClipboardTest, CopyAsPictureTakesASelectedPicturesBytes) {
    const PictureBytes svg{'<', 's', 'v', 'g', ' ', 'w', 'i', 'd', 't', 'h', '=',
                           '"', '1', 'i', 'n', '"', ' ', 'h', 'e', 'i', 'g', 'h',
                           't', '=', '"', '1', 'i', 'n', '"', '/', '>'};
    A(3)->Append(new MetaPictComp(svg));
    a.PlaceAll(false);
    const DocRange picture = Range(ListPos(A(3), 4), ListPos(A(3), 5));
    // Undone, the clipboard holds the previous text again.
    port.TakeOver(TextData("old"));
    {
        OwnedAction copy = MakeAction<CopyMetafileAction>(viewA, picture);
        copy->Do();
        EXPECT_EQ(port.Text(), "<none>");
        copy->Undo();
        EXPECT_EQ(port.Text(), "old");
    }
    ASSERT_TRUE(Run<CopyMetafileAction>(slotA, viewA, picture));
    ASSERT_TRUE(port.content->picture.has_value());
    EXPECT_EQ(*port.content->picture, svg);
    EXPECT_FALSE(port.content->text.has_value());
    // It pastes as a picture of the same size.
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    const auto* pasted = static_cast<const MetaPictComp*>(B(1)->GetAt(1));
    ASSERT_EQ(pasted->GetTypeTag(), tags::Metafile);
    EXPECT_EQ(pasted->GetSize().width, 2540);
    // A view that cannot record a picture refuses any other selection.
    const int beeps = viewA.beeps;
    EXPECT_FALSE(Run<CopyMetafileAction>(slotA, viewA, Range(ListPos(A(1), 1), ListPos(A(1), 2))));
    EXPECT_EQ(viewA.beeps, beeps + 1);
}

// Undoing a copy puts back what the clipboard held; a copy that found it empty empties it at
// the end of its life, but only while the clipboard still holds that copy's content.
TEST_F(ClipboardTest, UndoingACopyRestoresThePreviousClipboard) {
    const DocRange ab = Range(ListPos(A(1), 1), ListPos(A(1), 3));
    {
        port.TakeOver(TextData("before"));
        OwnedAction copy = MakeAction<CopyAction>(viewA, ab);
        copy->Do();
        EXPECT_EQ(port.Text(), "ab");
        copy->Undo();
        EXPECT_EQ(port.Text(), "before");
        copy->Redo();
        EXPECT_EQ(port.Text(), "ab");
    }
    EXPECT_EQ(port.Text(), "ab");
    const struct {
        const char* name;
        bool otherProgramWrites;
        const char* left;
    } cases[] = {
        {"still ours: emptied", false, "<none>"},
        {"another program's since: kept", true, "theirs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.content.reset();
        OwnedAction copy = MakeAction<CopyAction>(viewA, ab);
        copy->Do();
        copy->Undo();
        EXPECT_EQ(port.Text(), "ab");
        if (c.otherProgramWrites) port.TakeOver(TextData("theirs"));
        copy.reset();
        EXPECT_EQ(port.Text(), c.left);
    }
}

// The cache never belongs to a document: the document a copy came from may close first.
TEST_F(ClipboardTest, TheCacheOutlivesTheDocumentItCameFrom) {
    {
        Document doc;
        CompSequence seq{&doc};
        auto para = Para("hi");
        para->GetList(1)->Append(new FracComp(Chars("1"), Chars("2")));
        seq.Append(std::move(para));
        seq.PlaceAll(false);
        actiontest::FakeView view{seq};
        UndoSlot slot{view};
        ASSERT_TRUE(Run<CopyAction>(slot, view, seq.WholeRange()));
        const Material* cached = store.PeekContent();
        ASSERT_NE(cached, nullptr);
        EXPECT_EQ(cached->sequence->GetDocument(), nullptr);
        EXPECT_TRUE(doc.held.size() == 1u);
    }
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    EXPECT_EQ(Deep(*B(1)), "hi[B]{1,2}12");
    EXPECT_EQ(store.PeekContent()->sequence->GetDocument(), nullptr);
}

// The first read after a copy finds the cache valid, with the copy's own range (here grid
// rows); a clipboard that refuses the write leaves the cache invalid, so nothing stale pastes.
TEST_F(ClipboardTest, APutMakesTheCacheValidOnlyWhenTheClipboardTookIt) {
    ASSERT_TRUE(
        Run<CopyAction>(slotA, viewA, Range(GridPos(grid, 1, false), GridPos(grid, 2, false))));
    const int writes = port.writes;
    const Material* cached = store.PeekContent();
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->range.start.kind, DocPos::kOnGrid);
    EXPECT_EQ(port.writes, writes);

    port.refuse = true;
    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(3), 1), ListPos(A(3), 2))));
    EXPECT_EQ(store.PeekContent(), nullptr);
    EXPECT_FALSE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    port.refuse = false;
    // The clipboard still holds the rows; the cache was not.
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(GridPos(target, 1, false))));
    EXPECT_EQ(Deep(*B(2)), "[G2x3]{p,q,,,,}[D1]{w,,g}");
}

TEST_F(ClipboardTest, LinksAndPicturesTravelThroughThePrivateFormat) {
    A(1)->Append(new LinkComp(Str255("http://x.y"), Str255("see"), true));
    A(1)->Append(new MetaPictComp(PictureBytes{'<', 's', 'v', 'g', '/', '>'}, PictureFrame{3, 4}));
    a.PlaceAll(false);
    ASSERT_TRUE(Run<CopyAction>(slotA, viewA, Range(ListPos(A(1), 5), ListPos(A(1), 7))));
    ClipboardStore other(port);
    const Installed<ClipboardStore> otherInstalled(gClipboardStore, &other);
    ASSERT_TRUE(Run<PasteAction>(slotB, viewB, DocRange::Caret(ListPos(B(1), 1))));
    const auto* link = static_cast<const LinkComp*>(B(1)->GetAt(1));
    ASSERT_EQ(link->GetTypeTag(), tags::Link);
    EXPECT_EQ(link->GetTarget().ToCString(), "http://x.y");
    EXPECT_TRUE(link->IsExternal());
    const auto* picture = static_cast<const MetaPictComp*>(B(1)->GetAt(2));
    ASSERT_EQ(picture->GetTypeTag(), tags::Metafile);
    EXPECT_EQ(picture->GetSize().height, 4);
    EXPECT_EQ(port.Text(), "seepicture");
}

} // namespace
