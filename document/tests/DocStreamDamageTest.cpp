// A damaged file is a clean load failure: never a crash, a hang, a leak or an allocation sized by
// a number nobody checked.

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/tests/Fakes.h"
#include "document/tests/StoredKinds.h"
#include "document/tests/StreamBytes.h"
#include "platform/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace streambytes;
using platform::testing::CauseOf;
using Cause = platform::FileException::Cause;

// The body of a Stored component holding the given lists, each already encoded.
Bytes StoredBody(const std::vector<Bytes>& lists) {
    Builder body;
    body.U8(0).I16(0).I32(0).F64(0).U8(0).I16(static_cast<int16_t>(lists.size()));
    for (const Bytes& list : lists)
        body.Append(list);
    return body;
}

Bytes Block(int16_t face, std::string_view text) {
    return Builder().I16(face).U8(static_cast<uint8_t>(text.size())).Text(text);
}

// A list holding one record after another.
Bytes List(std::initializer_list<Bytes> records) {
    Builder list;
    list.I32(static_cast<int32_t>(records.size()));
    for (const Bytes& record : records)
        list.Append(record);
    return list;
}

Bytes Record(const char* tag, const Bytes& body) {
    return Builder().Record(tag, body);
}

// `depth` radicals, each inside the one list of the one before.
Bytes NestedRadicals(int32_t depth) {
    Bytes inner = List({});
    for (int32_t i = 0; i < depth; ++i)
        inner = List({Record("Sqrt", StoredBody({inner}))});
    return inner;
}

class DocStreamDamageTest : public ::testing::Test {
protected:
    Cause LoadList(const Bytes& bytes) {
        return CauseOf([&] {
            CompList list;
            Load(bytes, [&](DocStream& s) { list.Read(s); });
        });
    }

    fakes::GlyphSource m_glyphs;
    storedkinds::Registration m_kinds;
};

TEST_F(DocStreamDamageTest, DamagedRecordsFailTheLoad) {
    struct Case {
        const char* name;
        Bytes bytes;
        Cause cause;
    };
    const Bytes link = Record("Link", StoredBody({}));
    const Case cases[] = {
        {"length shorter than its own field", Builder().I32(1).Tag("Link").I32(3).Raw({0, 0, 0}),
         Cause::BadFormat},
        {"length zero", Builder().I32(1).Tag("Zzzz").I32(0), Cause::BadFormat},
        {"negative length", Builder().I32(1).Tag("Zzzz").I32(-8).Raw({0, 0, 0, 0}),
         Cause::BadFormat},
        {"length past the end of the data", Builder().I32(1).Tag("Zzzz").I32(40).Raw({1, 2}),
         Cause::BadFormat},
        {"length past the end of the enclosing record",
         // The inner record claims 100 bytes inside a radical whose whole record is far shorter,
         // though the file goes on long enough.
         Builder()
             .I32(1)
             .Tag("Sqrt")
             .I32(4 + 18 + 4 + 8)
             .Append(StoredBody({Builder().I32(1).Tag("Zzzz").I32(100)}))
             .Append(Bytes(200, 0)),
         Cause::BadFormat},
        {"body runs past its length",
         Builder().I32(2).Tag("Link").I32(9).Append(StoredBody({})).Append(link), Cause::BadFormat},
        {"face number above 7", List({Record("chBk", Block(8, "a"))}), Cause::BadFormat},
        {"negative face number", List({Record("chBk", Block(-1, "a"))}), Cause::BadFormat},
        {"negative record count", Builder().I32(-1), Cause::BadFormat},
        {"more records counted than stored", Builder().I32(2).Append(link), Cause::EndOfFile},
        {"record cut short", Builder().I32(1).Tag("Link").I32(22).Raw({0, 0}), Cause::BadFormat},
        {"file ends inside a tag", Builder().I32(1).Raw({0x6B, 0x42}), Cause::EndOfFile},
        {"list count larger than the record can hold",
         List({Record("Matr", Builder().U8(0).I16(0).I32(0).F64(0).U8(0).I16(30000))}),
         Cause::BadFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LoadList(c.bytes), c.cause);
    }
}

TEST_F(DocStreamDamageTest, RecordsNestAtMost1024Deep) {
    CompList list;
    Load(NestedRadicals(DocStream::kMaxDepth), [&](DocStream& s) { list.Read(s); });
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(LoadList(NestedRadicals(DocStream::kMaxDepth + 1)), Cause::BadFormat);
}

// A body that reads a 4-byte count, asks whether `ask` more bytes are left, and skips 6.
class CountProbe final : public TextComp {
public:
    OwnedComponent Clone() const override { return OwnedComponent(new CountProbe); }
    TypeTag GetTypeTag() const override { return tags::Sum; }
    void Read(DocStream& s) override {
        s.ReadLong();
        fits = CauseOf([&] {
                   s.RequireBytes(ask);
                   throw platform::FileException(Cause::Generic, 0, "fits");
               }) == Cause::Generic;
        s.Skip(6);
    }

    static inline int64_t ask = 0;
    static inline bool fits = false;
};

TEST_F(DocStreamDamageTest, CountsFromTheFileAreCheckedAgainstTheirRecord) {
    // 6 body bytes are left after the count; the data goes on after the record.
    const Bytes bytes = Builder().Tag("Sum ").I32(14).I32(0).Raw({1, 2, 3, 4, 5, 6}).I32(77);
    struct Case {
        const char* name;
        int64_t count;
        bool fits;
    };
    const Case cases[] = {
        {"all that remains", 6, true},
        {"one more", 7, false},
        {"reaching into the next record", 10, false},
        {"negative", -1, false},
    };
    const Installed probeKind(TextComp::KindSlot(tags::Sum),
                              [] { return OwnedComponent(new CountProbe); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountProbe::ask = c.count;
        CountProbe::fits = !c.fits;
        Load(bytes, [](DocStream& s) {
            s.ReadComponent();
            EXPECT_EQ(s.ReadLong(), 77);
        });
        EXPECT_EQ(CountProbe::fits, c.fits);
    }
}

TEST_F(DocStreamDamageTest, SkipStaysInsideTheData) {
    const Bytes bytes = Builder().I32(7).Raw({1, 2});
    EXPECT_EQ(CauseOf([&] { Load(bytes, [](DocStream& s) { s.Skip(7); }); }), Cause::BadFormat);
    EXPECT_EQ(CauseOf([&] { Load(bytes, [](DocStream& s) { s.Skip(-1); }); }), Cause::BadFormat);
    Load(bytes, [](DocStream& s) {
        s.Skip(6);
        EXPECT_THROW(s.ReadByte(), platform::FileException);
    });
}

TEST_F(DocStreamDamageTest, FailureNamesTheRecordAndTheOffset) {
    try {
        CompList list;
        Load(Builder().I32(1).Tag("Frac").I32(2), [&](DocStream& s) { list.Read(s); });
        FAIL() << "no failure";
    } catch (const platform::FileException& e) {
        EXPECT_EQ(std::string(e.what()), "The document is damaged at byte 8 (record \"Frac\").");
    }
}

} // namespace
