#include "document/CharBlock.h"

#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "document/tests/Fakes.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

OwnedComponent NewBox() {
    return OwnedComponent(new fakes::Box);
}

class CharBlockTest : public ::testing::Test {
protected:
    ~CharBlockTest() override { EXPECT_EQ(fakes::Box::alive, 0); }

    Installed<TextComp::Creator> m_boxKind{TextComp::KindSlot(tags::Fraction), &NewBox};

    // The list's stored bytes.
    std::vector<uint8_t> Store(const CompList& list) {
        std::vector<uint8_t> block(1 << 16);
        MemoryStream bytes(block.data(), static_cast<int32_t>(block.size()));
        DocStream stream(bytes);
        list.Write(stream);
        block.resize(bytes.GetPosition());
        return block;
    }
    void Load(CompList& list, const std::vector<uint8_t>& stored) {
        MemoryStream bytes(static_cast<const void*>(stored.data()),
                           static_cast<int32_t>(stored.size()));
        DocStream stream(bytes);
        list.Read(stream);
    }

    // Walks a stored list: the record count, then each record's tag and, for blocks, the face
    // and the character count.
    struct Record {
        std::string tag;
        int32_t face = -1;
        int32_t chars = 0;
    };
    static int32_t Long(const std::vector<uint8_t>& b, size_t at) {
        return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                    static_cast<uint32_t>(b[at + 3]) << 24);
    }
    static std::vector<Record> Records(const std::vector<uint8_t>& b) {
        std::vector<Record> records;
        size_t at = 4;
        for (int32_t k = 0; k < Long(b, 0); ++k) {
            Record r;
            const uint32_t tag = static_cast<uint32_t>(Long(b, at));
            for (int shift = 24; shift >= 0; shift -= 8)
                r.tag += static_cast<char>(tag >> shift);
            if (r.tag == "chBk") {
                r.face = static_cast<int16_t>(b[at + 8] | b[at + 9] << 8);
                r.chars = b[at + 10];
            }
            at += 4 + Long(b, at + 4);
            records.push_back(r);
        }
        EXPECT_EQ(at, b.size());
        return records;
    }

    fakes::GlyphSource glyphs;
};

} // namespace

TEST_F(CharBlockTest, RunsOfOneFacePackIntoBlocksOfAtMost255) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, int32_t>> pieces; // text and face; "#" is a box
        std::vector<std::pair<int32_t, int32_t>> blocks;     // face and count; -1 is the box
    } cases[] = {
        {"characters, a box and one more",
         {{"abc", 0}, {"#", 0}, {"d", 0}},
         {{0, 3}, {-1, 0}, {0, 1}}},
        {"300 characters", {{std::string(300, 'x'), 0}}, {{0, 255}, {0, 45}}},
        {"a face change starts a new block", {{"ab", 0}, {"cd", 3}}, {{0, 2}, {3, 2}}},
        {"a box first", {{"#", 0}, {"q", 1}}, {{-1, 0}, {1, 1}}},
        {"nothing", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        for (const auto& [text, face] : c.pieces) {
            if (text == "#")
                list.Append(new fakes::Box);
            else
                fakes::AppendChars(list, text, face);
        }
        const std::vector<Record> records = Records(Store(list));
        ASSERT_EQ(records.size(), c.blocks.size());
        for (size_t k = 0; k < records.size(); ++k) {
            SCOPED_TRACE(k);
            if (c.blocks[k].first < 0) {
                EXPECT_EQ(records[k].tag, "Frac");
            } else {
                EXPECT_EQ(records[k].tag, "chBk");
                EXPECT_EQ(records[k].face, c.blocks[k].first);
                EXPECT_EQ(records[k].chars, c.blocks[k].second);
            }
        }
    }
}

TEST_F(CharBlockTest, ReadingExpandsBlocksIntoTheSharedGlyphs) {
    CompList original;
    fakes::AppendChars(original, "hello");
    auto* box = new fakes::Box;
    fakes::AppendChars(*box->GetList(1), "in", 3);
    original.Append(box);
    fakes::AppendChars(original, std::string(300, 'z'), 1);
    const std::vector<uint8_t> stored = Store(original);

    CompList loaded;
    loaded.SetSizeLevel(2);
    Load(loaded, stored);
    ASSERT_EQ(loaded.GetCount(), 306);
    EXPECT_TRUE(loaded.IsEqual(original));
    EXPECT_EQ(loaded.GetAt(1), glyphs.GetGlyph(0, 'h'));
    EXPECT_EQ(loaded.GetAt(306), glyphs.GetGlyph(1, 'z'));
    TextComp* loadedBox = loaded.GetAt(6);
    EXPECT_EQ(loadedBox->GetParent(), &loaded);
    EXPECT_EQ(static_cast<fakes::Box*>(loadedBox)->GetSizeLevel(), 2);
    EXPECT_EQ(loadedBox->GetList(1)->GetAt(2), glyphs.GetGlyph(3, 'n'));
    EXPECT_TRUE(loaded.NeedsLayout());

    EXPECT_EQ(Store(loaded), stored); // written again, the same bytes
}

// A list read whole keeps its characters packed until something asks for its children; every
// operation then answers, and leaves the list, as on the list that was written.
TEST_F(CharBlockTest, APackedListAnswersAsTheListThatWasWritten) {
    const auto build = [](CompList& list) {
        fakes::AppendChars(list, "a b");
        list.Append(new fakes::Box);
        fakes::AppendChars(list, "+cd", 3);
    };
    CompList written;
    build(written);
    const std::vector<uint8_t> stored = Store(written);
    // What a child is, the same across lists: boxes are not shared.
    const auto describe = [](const TextComp* c) {
        return c == nullptr     ? std::string("none")
               : c->IsNotChar() ? std::string("box")
                                : std::to_string(c->GetStyleId()) + ":" +
                                      std::string(1, static_cast<char>(c->GetCharCode()));
    };
    const auto describeAll = [&](const CompArray& comps) {
        std::string text;
        for (const TextComp* c : comps)
            text += describe(c) + " ";
        return text;
    };
    TextComp* const x = glyphs.GetGlyph(0, 'x');
    const struct {
        const char* name;
        std::function<std::string(CompList&)> op;
    } ops[] = {
        {"children",
         [&](CompList& l) {
             std::string text;
             for (const TextComp* c : l.Children())
                 text += describe(c);
             return text;
         }},
        {"at", [&](CompList& l) { return describe(l.GetAt(4)) + describe(l.GetAt(7)); }},
        {"index of",
         [&](CompList& l) { return std::to_string(l.IndexOf(glyphs.GetGlyph(3, 'c'))); }},
        {"text", [](CompList& l) { return l.GetText().ToCString(); }},
        {"sign after first",
         [](CompList& l) { return std::to_string(l.HasSpaceOrSignAfterFirst()); }},
        {"equal", [&](CompList& l) { return std::to_string(l.IsEqual(written)); }},
        {"append",
         [&](CompList& l) {
             l.Append(x);
             return std::string();
         }},
        {"insert",
         [&](CompList& l) {
             l.InsertAt(x, 2);
             return std::string();
         }},
        {"insert array",
         [&](CompList& l) {
             CompArray more;
             more.Add(OwnedComponent(x));
             l.InsertArrayAt(std::move(more), 5);
             return std::string();
         }},
        {"set", [&](CompList& l) { return describe(l.SetAt(x, 1).get()); }},
        {"remove", [&](CompList& l) { return describe(l.RemoveAt(4).get()); }},
        {"extract", [&](CompList& l) { return describeAll(l.ExtractRange(2, 5)); }},
        {"split", [&](CompList& l) { return describeAll(l.SplitOff(3)); }},
        {"detach", [&](CompList& l) { return describeAll(l.DetachChildren()); }},
        {"copy", [&](CompList& l) { return describeAll(l.CopyRange(3, 6)); }},
        {"clone", [&](CompList& l) { return describeAll(l.Clone()->CopyChildren()); }},
        {"style",
         [](CompList& l) {
             l.ApplyStyle(2, 1, 7);
             return std::string();
         }},
    };
    for (const auto& c : ops) {
        SCOPED_TRACE(c.name);
        CompList plain;
        build(plain);
        CompList packed;
        Load(packed, stored);
        ASSERT_TRUE(packed.IsPacked());
        EXPECT_EQ(c.op(packed), c.op(plain));
        EXPECT_EQ(packed.GetCount(), plain.GetCount());
        EXPECT_FALSE(packed.IsPacked());
        EXPECT_EQ(Store(packed), Store(plain));
    }
}

// Counting, sizing, invalidating and destroying need no children: they leave a list packed,
// and reach its components all the same.
TEST_F(CharBlockTest, APackedListIsSizedAndDisposedOfWithoutUnpacking) {
    CompList written;
    fakes::AppendChars(written, "ab");
    written.Append(new fakes::Box);
    const std::vector<uint8_t> stored = Store(written);
    {
        CompList loaded;
        Load(loaded, stored);
        loaded.SetSizeLevel(2);
        loaded.InvalidateAll();
        EXPECT_EQ(loaded.GetCount(), 3);
        EXPECT_TRUE(loaded.IsPacked());
        EXPECT_EQ(fakes::Box::alive, 2);
    }
    EXPECT_EQ(fakes::Box::alive, 1) << "the packed list disposed of its box";

    CompList loaded;
    Load(loaded, stored);
    loaded.SetSizeLevel(2);
    auto* box = static_cast<fakes::Box*>(loaded.GetAt(3));
    EXPECT_EQ(box->GetParent(), &loaded);
    EXPECT_EQ(box->GetSizeLevel(), 2);
    // A second read into the list adds to what it holds.
    Load(loaded, stored);
    EXPECT_EQ(loaded.GetCount(), 6);
    EXPECT_EQ(loaded.GetAt(4), glyphs.GetGlyph(0, 'a'));
}

TEST_F(CharBlockTest, TextCharactersAreStoredInTheMacintoshSet) {
    CompList list;
    list.Append(glyphs.GetGlyph(0, 0xC4));
    list.Append(glyphs.GetGlyph(0, 0xE9));
    const std::vector<uint8_t> stored = Store(list);
    ASSERT_EQ(stored.size(), 4u + 4 + 4 + 2 + 1 + 2);
    EXPECT_EQ(stored[15], 0x80);
    EXPECT_EQ(stored[16], 0x8E);

    CompList loaded;
    Load(loaded, stored);
    EXPECT_EQ(loaded.GetAt(1), glyphs.GetGlyph(0, 0xC4));
    EXPECT_EQ(loaded.GetAt(2), glyphs.GetGlyph(0, 0xE9));
}

TEST_F(CharBlockTest, DamagedBlocksFailTheLoadCleanly) {
    CompList list;
    fakes::AppendChars(list, "ab");
    const std::vector<uint8_t> good = Store(list);
    const size_t faceAt = 4 + 8; // count, tag and length come first

    for (int16_t face : {int16_t{8}, int16_t{-1}, int16_t{0x7FFF}}) {
        SCOPED_TRACE(face);
        std::vector<uint8_t> bad = good;
        bad[faceAt] = static_cast<uint8_t>(face);
        bad[faceAt + 1] = static_cast<uint8_t>(face >> 8);
        CompList loaded;
        EXPECT_THROW(Load(loaded, bad), platform::FileException);
    }

    std::vector<uint8_t> negativeCount = good;
    negativeCount[3] = 0x80;
    CompList loaded;
    EXPECT_THROW(Load(loaded, negativeCount), platform::FileException);
}

TEST_F(CharBlockTest, FailedReadLeavesTheListAsItWas) {
    CompList original;
    fakes::AppendChars(original, "ab");
    original.Append(new fakes::Box);
    fakes::AppendChars(original, "cd");
    std::vector<uint8_t> stored = Store(original);
    ++stored[0]; // one record more than the data holds: the read fails at its end

    CompList loaded;
    fakes::AppendChars(loaded, "q");
    EXPECT_THROW(Load(loaded, stored), platform::FileException);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetAt(1), glyphs.GetGlyph(0, 'q'));
    EXPECT_EQ(fakes::Box::alive, 1); // only the original's box; the one read was destroyed

    CompList empty; // read packed
    EXPECT_THROW(Load(empty, stored), platform::FileException);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_FALSE(empty.IsPacked());
    EXPECT_EQ(fakes::Box::alive, 1);
}

TEST_F(CharBlockTest, PackingRules) {
    CharBlock block;
    EXPECT_EQ(block.GetCount(), 0);
    block.InitFrom(*glyphs.GetGlyph(3, 'x'));
    EXPECT_EQ(block.GetFace(), 3);
    EXPECT_EQ(block.GetCount(), 1);
    EXPECT_TRUE(block.CanTake(*glyphs.GetGlyph(3, 'y')));
    EXPECT_FALSE(block.CanTake(*glyphs.GetGlyph(0, 'y')));
    fakes::Box box;
    EXPECT_FALSE(block.CanTake(box));
    for (int i = 0; i < 300; ++i)
        block.AppendChar('y');
    EXPECT_EQ(block.GetCount(), 255);
    EXPECT_FALSE(block.CanTake(*glyphs.GetGlyph(3, 'y')));
    EXPECT_EQ(block.MakeChar(0), glyphs.GetGlyph(3, 'x'));

    const OwnedComponent clone = block.Clone();
    EXPECT_EQ(static_cast<CharBlock&>(*clone).GetCount(), 0);
}
