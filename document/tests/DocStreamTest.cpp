#include "document/DocStream.h"

#include "document/CharBlock.h"
#include "document/CompList.h"
#include "document/CountStream.h"
#include "document/FileOutStream.h"
#include "document/GlyphSource.h"
#include "document/StoredPrim.h"
#include "document/tests/Fakes.h"
#include "document/tests/StoredKinds.h"
#include "document/tests/StreamBytes.h"
#include "platform/File.h"
#include "platform/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace streambytes;
using platform::testing::CauseOf;
using Cause = platform::FileException::Cause;
using storedkinds::Stored;

class DocStreamTest : public ::testing::Test {
protected:
    // The body of a freshly made Stored component with no lists.
    static Bytes EmptyStoredBody() { return Builder().U8(0).I16(0).I32(0).F64(0).U8(0).I16(0); }

    fakes::GlyphSource m_glyphs;
    storedkinds::Registration m_kinds;
};

// A component whose body is `size` bytes of 0xB0.
class Blob final : public TextComp {
public:
    explicit Blob(int32_t size) : m_size(size) {}
    OwnedComponent Clone() const override { return OwnedComponent(new Blob(m_size)); }
    TypeTag GetTypeTag() const override { return tags::Sum; }
    void Write(DocStream& stream) const override {
        for (int32_t i = 0; i < m_size; ++i)
            stream.WriteByte(0xB0);
    }

private:
    int32_t m_size;
};

TEST_F(DocStreamTest, ValuesAreLittleEndianInTheirPlainWidths) {
    const Bytes bytes = Save([](DocStream& s) {
        s.WriteByte(0xAB);
        s.WriteShort(-2);
        s.WriteLong(1400);
        s.WriteDouble(-1.5);
        s.WriteBytes("xy", 2);
    });
    EXPECT_EQ(bytes, Builder()
                         .Raw({0xAB, 0xFE, 0xFF, 0x78, 0x05, 0x00, 0x00})
                         .Raw({0, 0, 0, 0, 0, 0, 0xF8, 0xBF})
                         .Text("xy")
                         .Get());

    Load(bytes, [](DocStream& s) {
        EXPECT_TRUE(s.ReadBool());
        EXPECT_EQ(s.ReadShort(), -2);
        EXPECT_EQ(s.ReadLong(), 1400);
        EXPECT_EQ(s.ReadDouble(), -1.5);
        s.Skip(1);
        EXPECT_EQ(s.ReadByte(), 'y');
    });
}

TEST_F(DocStreamTest, CharactersAroundABoxBecomeBlocksAroundItsRecord) {
    CompList list;
    fakes::AppendChars(list, "abc");
    list.Append(new Stored(tags::Fraction, 0));
    fakes::AppendChars(list, "d");

    const Bytes bytes = Save([&](DocStream& s) { list.Write(s); });

    const Bytes expected = Builder()
                               .I32(3)
                               .Record("chBk", Builder().I16(0).U8(3).Text("abc"))
                               .Record("Frac", EmptyStoredBody())
                               .Record("chBk", Builder().I16(0).U8(1).Text("d"));
    EXPECT_EQ(bytes, expected);
    // The tag packs big-endian and is stored as a little-endian 32-bit value.
    const Bytes frac(bytes.begin() + 4 + 14, bytes.begin() + 4 + 18);
    EXPECT_EQ(frac, (Bytes{0x63, 0x61, 0x72, 0x46}));
}

TEST_F(DocStreamTest, RecordLengthCountsItsOwnFieldAndTheBody) {
    CompList list;
    list.Append(new Blob(10));
    const Bytes bytes = Save([&](DocStream& s) { list.Write(s); });
    EXPECT_EQ(bytes, Builder().I32(1).Tag("Sum ").I32(14).Append(Bytes(10, 0xB0)).Get());
}

TEST_F(DocStreamTest, RunsPackIntoBlocksOfOneFaceAndAtMost255) {
    struct Case {
        const char* name;
        std::function<void(CompList&)> fill;
        std::vector<int32_t> blockSizes; // 0 stands for a non-character record
    };
    const Case cases[] = {
        {"300 characters of one face",
         [](CompList& l) { fakes::AppendChars(l, std::string(300, 'x')); },
         {255, 45}},
        {"a face change starts a block",
         [](CompList& l) {
             fakes::AppendChars(l, "ab", 0);
             fakes::AppendChars(l, "cd", 1);
             fakes::AppendChars(l, "e", 0);
         },
         {2, 2, 1}},
        {"exactly 255", [](CompList& l) { fakes::AppendChars(l, std::string(255, 'y')); }, {255}},
        {"a box between runs",
         [](CompList& l) {
             fakes::AppendChars(l, "ab");
             l.Append(new Stored(tags::Radical, 1));
             l.Append(new Stored(tags::Link, 0));
             fakes::AppendChars(l, "c");
         },
         {2, 0, 0, 1}},
        {"no characters at all", [](CompList&) {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList list;
        c.fill(list);
        const Bytes bytes = Save([&](DocStream& s) { list.Write(s); });

        std::vector<int32_t> sizes;
        Load(bytes, [&](DocStream& s) {
            const int32_t count = s.ReadLong();
            for (int32_t i = 0; i < count; ++i) {
                const OwnedComponent comp = s.ReadComponent();
                sizes.push_back(comp->IsCharBlock() ? static_cast<CharBlock&>(*comp).GetCount()
                                                    : 0);
            }
        });
        EXPECT_EQ(sizes, c.blockSizes);
    }
}

// A list's characters are packed straight into their block's record; the bytes are those of a
// character block written as a component, in both character sets and at every code.
TEST_F(DocStreamTest, PackedRunsMatchTheBlockWrittenAsAComponent) {
    for (const int32_t face : {0, kMathFace, 7}) {
        for (const int32_t length : {1, 100, 255}) {
            SCOPED_TRACE("face " + std::to_string(face) + ", " + std::to_string(length));
            CompList list;
            CharBlock block;
            for (int32_t i = 0; i < length; ++i) {
                const auto code = static_cast<uint8_t>((i * 7 + face) % 256);
                list.Append(m_glyphs.GetGlyph(face, code));
                if (i == 0)
                    block.Start(face, code);
                else
                    block.AppendChar(code);
            }
            const Bytes packed = Save([&](DocStream& s) { list.Write(s); });
            const Bytes framed = Save([&](DocStream& s) {
                s.BeginChunk();
                s.WriteRecord(block);
                s.EndChunk();
            });
            EXPECT_EQ(packed, framed);
        }
    }
}

TEST_F(DocStreamTest, ClosingAChunkWritesItsPendingBlockOnlyOnce) {
    // The inner list ends in characters: its chunk writes them, and the outer chunk, which
    // closes right after, must not write them again.
    auto* box = new Stored(tags::Radical, 1);
    fakes::AppendChars(*box->GetList(1), "xy");
    CompList list;
    list.Append(box);

    const Bytes bytes = Save([&](DocStream& s) { list.Write(s); });
    const Bytes inner = Builder().I32(1).Record("chBk", Builder().I16(0).U8(2).Text("xy"));
    const Bytes body = Builder().U8(0).I16(0).I32(0).F64(0).U8(0).I16(1).Append(inner);
    EXPECT_EQ(bytes, Builder().I32(1).Record("Sqrt", body).Get());
}

TEST_F(DocStreamTest, NestedChunkCountsArePatchedWhereEachChunkBegan) {
    auto* inner = new Stored(tags::Radical, 1);
    fakes::AppendChars(*inner->GetList(1), "c");
    auto* outer = new Stored(tags::Fraction, 2);
    fakes::AppendChars(*outer->GetList(1), "b");
    outer->GetList(1)->Append(inner);
    outer->GetList(1)->Append(new Stored(tags::Link, 0));
    CompList list;
    fakes::AppendChars(list, "a");
    list.Append(outer);
    fakes::AppendChars(list, "d");

    const Bytes bytes = Save([&](DocStream& s) { list.Write(s); });
    CompList back;
    Load(bytes, [&](DocStream& s) { back.Read(s); });
    EXPECT_TRUE(back.IsEqual(list));
    EXPECT_EQ(back.GetCount(), 3);
    EXPECT_EQ(back.GetAt(2)->GetList(1)->GetCount(), 3);
    EXPECT_EQ(back.GetAt(2)->GetList(2)->GetCount(), 0);
}

TEST_F(DocStreamTest, UnknownRecordsAreSkippedByTheirLength) {
    const Bytes bytes = Builder()
                            .I32(3)
                            .Tag("Zzzz")
                            .I32(20)
                            .Append(Bytes(16, 0xEE))
                            .Record("Char", Builder().U8(1))
                            .Record("chBk", Builder().I16(0).U8(1).Text("q"));

    // Without a placeholder kind the unknown records leave nothing behind.
    CompList plain;
    Load(bytes, [&](DocStream& s) { plain.Read(s); });
    ASSERT_EQ(plain.GetCount(), 1);
    EXPECT_EQ(plain.GetAt(1)->GetCharCode(), 'q');

    // With one, each becomes an empty placeholder in its place.
    CompList held;
    {
        const Installed missingKind(TextComp::KindSlot(tags::Missing),
                                    [] { return OwnedComponent(new Stored(tags::Missing, 0)); });
        Load(bytes, [&](DocStream& s) { held.Read(s); });
    }
    ASSERT_EQ(held.GetCount(), 3);
    EXPECT_EQ(held.GetAt(1)->GetTypeTag(), tags::Missing);
    EXPECT_EQ(held.GetAt(2)->GetTypeTag(), tags::Missing);
    EXPECT_EQ(held.GetAt(3)->GetCharCode(), 'q');
}

TEST_F(DocStreamTest, BodyShorterThanItsRecordIsSkippedToTheRecordEnd) {
    // A later version added 5 bytes to the box's body.
    const Bytes body = Builder().Append(EmptyStoredBody()).Raw({1, 2, 3, 4, 5});
    const Bytes bytes =
        Builder().I32(2).Record("Link", body).Record("chBk", Builder().I16(0).U8(1).Text("z"));
    CompList list;
    const int32_t end = Load(bytes, [&](DocStream& s) { list.Read(s); });
    EXPECT_EQ(end, static_cast<int32_t>(bytes.size()));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(2)->GetCharCode(), 'z');
}

TEST_F(DocStreamTest, StringsAreMappedToTheFilesCharacterSets) {
    struct Case {
        const char* name;
        uint8_t memory;
        bool symbol;
        uint8_t stored;
    };
    const Case cases[] = {
        {"e acute", 0xE9, false, 0x8E},
        {"A diaeresis", 0xC4, false, 0x80},
        {"eth, in the control range", 0xD0, false, 0x01},
        {"symbol face's own glyph", 0x80, true, 0x1A},
        {"en dash, text face", 0x96, false, 0x1C},
        {"en dash, symbol face", 0x96, true, 0xD0},
        {"plain letter", 'A', true, 'A'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Str255 text;
        text.AppendChar(static_cast<char>(c.memory));
        const Bytes bytes = Save([&](DocStream& s) { s.WriteStr255(text, c.symbol); });
        EXPECT_EQ(bytes, (Bytes{1, c.stored}));
        Str255 back;
        Load(bytes, [&](DocStream& s) { s.ReadStr255(back, c.symbol); });
        EXPECT_EQ(back, text);
    }
}

TEST_F(DocStreamTest, StoredZeroByteEndsTheString) {
    Str255 text("old");
    const int32_t end = Load(Builder().Raw({3, 0x41, 0x00, 0x42, 0x7A}),
                             [&](DocStream& s) { s.ReadStr255(text, false); });
    EXPECT_EQ(text, Str255("A"));
    EXPECT_EQ(end, 4) << "the dropped bytes are consumed";
}

// Reading gives back every character that writing stored, except the control codes that the
// file uses for letters of its own (and 0x81, which has no place in the text set). Either way a
// file's bytes survive a load and a save unchanged.
TEST_F(DocStreamTest, CharacterMapsRoundTrip) {
    const std::vector<int> textLossy = {0x01, 0x02, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C, 0x15,
                                        0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x81};
    const std::vector<int> symbolLossy = {0x01, 0x02, 0x04, 0x05, 0x06, 0x07, 0x0B, 0x0C,
                                          0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C};
    for (bool symbol : {false, true}) {
        SCOPED_TRACE(symbol ? "symbol" : "text");
        Str255 all;
        for (int code = 1; code < 256; ++code)
            all.AppendChar(static_cast<char>(code));
        const Bytes stored = Save([&](DocStream& s) { s.WriteStr255(all, symbol); });
        Str255 loaded;
        Load(stored, [&](DocStream& s) { s.ReadStr255(loaded, symbol); });
        ASSERT_EQ(loaded.GetLength(), 255);

        std::vector<int> lossy;
        for (int code = 1; code < 256; ++code)
            if (loaded.GetAt(code - 1) != code) lossy.push_back(code);
        EXPECT_EQ(lossy, symbol ? symbolLossy : textLossy);
        EXPECT_EQ(Save([&](DocStream& s) { s.WriteStr255(loaded, symbol); }), stored);
    }
}

class FakePrim final : public StoredPrim {
public:
    explicit FakePrim(int32_t code) : code(code) {}
    int32_t GetTypeCode() const override { return code; }
    void Write(DocStream& s) const override {
        s.WriteDouble(x);
        s.WriteDouble(y);
    }
    void Read(DocStream& s) override {
        x = s.ReadDouble();
        y = s.ReadDouble();
    }
    int32_t code;
    double x = 0, y = 0;
};

class FakePrim3D final : public StoredPrim {
public:
    explicit FakePrim3D(int32_t code) : code(code) {}
    int32_t GetTypeCode() const override { return code; }
    void Write(DocStream& s) const override { s.WriteByte(flag); }
    void Read(DocStream& s) override { flag = s.ReadByte(); }
    int32_t code;
    uint8_t flag = 0;
};

class FakePrimitiveFactory final : public PrimitiveFactory {
public:
    std::unique_ptr<StoredPrim> New2D(int32_t code) override {
        return std::make_unique<FakePrim>(code);
    }
    std::unique_ptr<StoredPrim> New3D(int32_t code) override {
        return std::make_unique<FakePrim3D>(code);
    }
};

class PrimitiveTest : public DocStreamTest {
protected:
    FakePrimitiveFactory m_factory;
    Installed<PrimitiveFactory> m_installed{gPrimitiveFactory, &m_factory};
};

TEST_F(PrimitiveTest, RecordsAreFramedAndNotCountedInTheChunk) {
    FakePrim prim(3);
    prim.x = 2;
    prim.y = -0.5;
    FakePrim3D prim3D(7);
    prim3D.flag = 1;
    const Bytes bytes = Save([&](DocStream& s) {
        s.BeginChunk();
        s.WritePrimitive2D(prim);
        s.WritePrimitive3D(prim3D);
        s.EndChunk();
    });
    EXPECT_EQ(bytes, Builder().I32(0).I32(3).I32(20).F64(2).F64(-0.5).I32(7).I32(5).U8(1).Get());

    Load(bytes, [](DocStream& s) {
        s.Skip(4);
        const std::unique_ptr<StoredPrim> back = s.ReadPrimitive2D();
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(static_cast<FakePrim&>(*back).y, -0.5);
        const std::unique_ptr<StoredPrim> back3D = s.ReadPrimitive3D();
        ASSERT_NE(back3D, nullptr);
        EXPECT_EQ(static_cast<FakePrim3D&>(*back3D).flag, 1);
    });
}

TEST_F(PrimitiveTest, CodesOutsideTheKindsAreSkipped) {
    struct Case {
        const char* name;
        int32_t code;
        bool is3D;
    };
    const Case cases[] = {
        {"3-D code 9", 9, true},
        {"2-D code 7", 7, false},
        {"3-D code 0", 0, true},
        {"2-D code -1", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = Builder().I32(c.code).I32(12).F64(1).I32(0x5A5A5A5A);
        Load(bytes, [&](DocStream& s) {
            if (c.is3D)
                EXPECT_EQ(s.ReadPrimitive3D(), nullptr);
            else
                EXPECT_EQ(s.ReadPrimitive2D(), nullptr);
            EXPECT_EQ(s.ReadLong(), 0x5A5A5A5A) << "reading goes on after the record";
        });
    }
}

TEST_F(DocStreamTest, PrimitivesAreSkippedWhileNoFactoryIsInstalled) {
    const Bytes bytes = Builder().I32(2).I32(36).F64(1).F64(2).F64(3).F64(4).U8(9);
    Load(bytes, [](DocStream& s) {
        EXPECT_EQ(s.ReadPrimitive2D(), nullptr);
        EXPECT_EQ(s.ReadByte(), 9);
    });
}

TEST_F(DocStreamTest, ChunksNestAtMost1024Deep) {
    const auto nest = [](int32_t depth) {
        return Save([&](DocStream& s) {
            for (int32_t i = 0; i < depth; ++i)
                s.BeginChunk();
            for (int32_t i = 0; i < depth; ++i)
                s.EndChunk();
        });
    };
    EXPECT_EQ(static_cast<int32_t>(nest(DocStream::kMaxDepth).size()), 4 * DocStream::kMaxDepth);
    EXPECT_EQ(CauseOf([&] { nest(DocStream::kMaxDepth + 1); }), Cause::TooLarge);
}

TEST_F(DocStreamTest, ComponentsAreWrittenOnlyInsideChunks) {
    CompList list;
    fakes::AppendChars(list, "a");
    EXPECT_THROW(Save([&](DocStream& s) { s.WriteComponent(list.GetAt(1)); }), std::logic_error);
    EXPECT_THROW(Save([](DocStream& s) { s.EndChunk(); }), std::logic_error);
}

TEST_F(DocStreamTest, SegmentedSaveFitsABlockOfTheLargestSegment) {
    // A save short of memory commits between top-level records, so a block no larger than the
    // largest segment (as a counting pass measures it) holds every patch.
    CompList first, second;
    fakes::AppendChars(first, std::string(600, 'a'));
    second.Append(new Stored(tags::Radical, 1));
    fakes::AppendChars(*second.GetAt(1)->GetList(1), "b");
    const auto writeAll = [&](DocStream& s) {
        s.WriteLong(1400);
        s.Commit();
        first.Write(s);
        s.Commit();
        second.Write(s);
        s.Commit();
    };

    CountStream counter;
    {
        DocStream s(counter);
        writeAll(s);
    }
    const Bytes whole = Save(writeAll);
    ASSERT_EQ(counter.GetSize(), static_cast<int32_t>(whole.size()));

    platform::testing::TempDir dir;
    platform::File file(dir.File("doc.tsy"), platform::File::Mode::Create);
    {
        FileOutStream out(file, counter.GetLargest());
        DocStream s(out);
        writeAll(s);
        out.Flush();
    }
    Bytes written(whole.size());
    file.Seek(0);
    EXPECT_EQ(file.Read(written.data(), static_cast<int64_t>(written.size())),
              static_cast<int64_t>(whole.size()));
    EXPECT_EQ(written, whole);
}

} // namespace
