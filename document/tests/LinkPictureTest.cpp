// Links and pictures: their stored records byte for byte, damaged picture records, layout and
// drawing on the fake port, equality, text, LaTeX, and the size a picture reads from its SVG.

#include "document/ByteStream.h"
#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/LinkComp.h"
#include "document/ListParser.h"
#include "document/MetaPictComp.h"
#include "document/OutBuffer.h"
#include "document/tests/Fakes.h"
#include "document/tests/ParagraphLatexWriter.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using namespace streambytes;
using platform::FileException;

PictureBytes BytesOf(std::string_view text) {
    return PictureBytes(text.begin(), text.end());
}

// Collects what is written.
class TextSink final : public ByteStream {
public:
    int32_t Write(const void* data, int32_t count) override {
        text.append(static_cast<const char*>(data), static_cast<size_t>(count));
        return count;
    }
    int32_t GetSize() override { return static_cast<int32_t>(text.size()); }
    std::string text;
};

// One component in a list, saved as the list's chunk.
Bytes SaveOne(TextComp* comp) {
    CompList list;
    list.Append(comp);
    return Save([&](DocStream& s) { list.Write(s); });
}

class LinkPictureTest : public ::testing::Test {
protected:
    fakes::GlyphSource m_glyphs;
    fakes::DrawPort m_port;
    Installed<DrawPort> m_installed{gDrawPort, &m_port};
};

TEST_F(LinkPictureTest, RecordsAreStoredByteForByteAndReadBack) {
    // Text goes through the file's character set: e acute is 0x8E there.
    const Bytes link = Builder().I32(1).Record(
        "Link", Builder().U8(10).Text("http://a.b").U8(3).Raw({'x', ' ', 0x8E}).U8(1));
    EXPECT_EQ(SaveOne(new LinkComp(Str255("http://a.b"), Str255("x \xE9"), true)), link);

    // An empty picture stores no bytes and loads as one.
    const Bytes empty = Builder().I32(1).Record("Meta", Builder().I32(0).I32(0).I32(0));
    EXPECT_EQ(SaveOne(new MetaPictComp(PictureBytes(), PictureFrame{})), empty);
    CompList emptyRead;
    Load(empty, [&](DocStream& s) { emptyRead.Read(s); });
    ASSERT_EQ(emptyRead.GetCount(), 1);
    EXPECT_TRUE(static_cast<const MetaPictComp*>(emptyRead.GetAt(1))->GetPicture().empty());

    const Bytes picture =
        Builder().I32(1).Record("Meta", Builder().I32(2540).I32(1270).I32(6).Text("<svg/>"));
    EXPECT_EQ(SaveOne(new MetaPictComp(BytesOf("<svg/>"), PictureFrame{2540, 1270})), picture);

    CompList read;
    Load(link, [&](DocStream& s) { read.Read(s); });
    Load(picture, [&](DocStream& s) { read.Read(s); });
    ASSERT_EQ(read.GetCount(), 2);
    const auto* l = static_cast<const LinkComp*>(read.GetAt(1));
    ASSERT_EQ(l->GetTypeTag(), tags::Link);
    EXPECT_EQ(l->GetTarget().ToCString(), "http://a.b");
    EXPECT_EQ(l->GetShownText().ToCString(), "x \xE9");
    EXPECT_TRUE(l->IsExternal());
    const auto* p = static_cast<const MetaPictComp*>(read.GetAt(2));
    ASSERT_EQ(p->GetTypeTag(), tags::Metafile);
    EXPECT_EQ(p->GetSize().width, 2540);
    EXPECT_EQ(p->GetSize().height, 1270);
    EXPECT_EQ(p->GetPicture(), BytesOf("<svg/>"));
}

TEST_F(LinkPictureTest, TheLinkFlagIsReadAsZeroOrOne) {
    const struct {
        uint8_t stored;
        bool external;
    } cases[] = {{0, false}, {1, true}, {7, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int{c.stored});
        const Bytes bytes =
            Builder().I32(1).Record("Link", Builder().U8(1).Text("t").U8(0).U8(c.stored));
        CompList list;
        Load(bytes, [&](DocStream& s) { list.Read(s); });
        ASSERT_EQ(list.GetCount(), 1);
        const auto* link = static_cast<const LinkComp*>(list.GetAt(1));
        EXPECT_EQ(link->IsExternal(), c.external);
        // Stored again as 0 or 1, and an empty shown text survives.
        EXPECT_EQ(SaveOne(link->Clone().release()),
                  Bytes(Builder().I32(1).Record(
                      "Link", Builder().U8(1).Text("t").U8(0).U8(c.external ? 1 : 0))));
    }
}

TEST_F(LinkPictureTest, DamagedPictureRecordsFailTheLoadAndForeignBytesAreKept) {
    const struct {
        const char* name;
        Bytes body;
    } damaged[] = {
        {"negative byte count", Builder().I32(10).I32(10).I32(-1)},
        {"count beyond the record", Builder().I32(10).I32(10).I32(9).Text("<svg/>")},
        {"huge count", Builder().I32(10).I32(10).I32(INT32_MAX).Text("ab")},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = Builder().I32(1).Record("Meta", c.body);
        CompList list;
        try {
            Load(bytes, [&](DocStream& s) { list.Read(s); });
            ADD_FAILURE() << "loaded";
        } catch (const FileException& e) {
            EXPECT_EQ(e.GetCause(), FileException::Cause::BadFormat);
        }
    }

    // Bytes that are no picture this program can draw load, are drawn (the drawing layer shows
    // them as an empty frame) and are stored again unchanged.
    const Bytes foreign =
        Builder().I32(1).Record("Meta", Builder().I32(30).I32(20).I32(4).Raw({1, 0, 0, 0}));
    CompList list;
    Load(foreign, [&](DocStream& s) { list.Read(s); });
    ASSERT_EQ(list.GetCount(), 1);
    TextComp* picture = list.GetAt(1);
    picture->Layout();
    picture->SetOrigin(Point(5, 50));
    picture->Draw();
    ASSERT_EQ(m_port.played.size(), 1u);
    EXPECT_EQ(m_port.played[0].picture, PictureBytes({1, 0, 0, 0}));
    EXPECT_EQ(Save([&](DocStream& s) { list.Write(s); }), foreign);
}

TEST_F(LinkPictureTest, LayoutAndDrawing) {
    // A link measures its shown text in the plain face at its own size; an empty one is
    // zero wide.
    LinkComp link(Str255("t"), Str255("abc"), true);
    link.SetSizeLevel(2);
    m_port.SetFace(3);
    link.Layout();
    EXPECT_EQ(link.GetBounds(), Rect(0, -8, 30, 2));
    EXPECT_EQ(m_port.measuredFaces.back(), 0);
    EXPECT_TRUE(m_port.sizes.empty());
    link.SetOrigin(Point(7, 40));
    link.Draw();
    ASSERT_EQ(m_port.links.size(), 1u);
    EXPECT_EQ(m_port.links[0].at, Point(7, 40));
    EXPECT_EQ(m_port.links[0].text, "abc");
    EXPECT_EQ(m_port.links[0].face, 0);
    EXPECT_TRUE(m_port.drawn.empty());
    LinkComp empty;
    empty.Layout();
    EXPECT_EQ(empty.GetWidth(), 0);

    // A picture stands on the baseline (the fake port converts 0.01 mm one to one).
    MetaPictComp picture(BytesOf("<svg/>"), PictureFrame{40, 25});
    picture.Layout();
    EXPECT_EQ(picture.GetBounds(), Rect(0, -25, 40, 0));
    picture.SetOrigin(Point(100, 60));
    picture.Draw();
    ASSERT_EQ(m_port.played.size(), 1u);
    EXPECT_EQ(m_port.played[0].rect, Rect(100, 35, 140, 60));

    // A damaged, negative size lays out as nothing rather than an inverted box; a huge one at
    // the largest frame, in proportion, and is drawn there.
    MetaPictComp negative(BytesOf("<svg/>"), PictureFrame{-40, -25});
    negative.Layout();
    EXPECT_EQ(negative.GetBounds(), Rect(0, 0, 0, 0));
    MetaPictComp huge(BytesOf("<svg/>"), PictureFrame{INT32_MAX - 1, INT32_MAX / 2});
    huge.Layout();
    EXPECT_EQ(huge.GetBounds(), Rect(0, -kLargestPictureFrame / 2, kLargestPictureFrame, 0));
    huge.Draw();
    ASSERT_EQ(m_port.played.size(), 2u);
    EXPECT_EQ(m_port.played[1].rect, Rect(0, -kLargestPictureFrame / 2, kLargestPictureFrame, 0));
    EXPECT_EQ(huge.GetSize(), (PictureFrame{INT32_MAX - 1, INT32_MAX / 2})) << "stored as it was";
}

TEST_F(LinkPictureTest, ACaretNeverEntersALink) {
    CompList list;
    fakes::AppendChars(list, "a");
    auto* link = new LinkComp(Str255("t"), Str255("abc"), true);
    list.Append(link);
    link->Layout();
    link->SetOrigin(Point(10, 0));
    for (const bool right : {false, true}) {
        const DocPos pos = link->PosFromPoint(Point(38, -1), right);
        EXPECT_EQ(pos.GetList(), &list);
        EXPECT_EQ(pos.index, 2);
    }
}

TEST_F(LinkPictureTest, EqualityTextAndCopies) {
    const LinkComp a(Str255("one"), Str255("same"), true);
    const LinkComp b(Str255("two"), Str255("same"), true);
    const LinkComp c(Str255("one"), Str255("same"), false);
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_TRUE(a.IsEqual(c));
    const OwnedComponent copy = c.Clone();
    EXPECT_TRUE(a.IsEqual(*copy));
    EXPECT_FALSE(static_cast<const LinkComp&>(*copy).IsExternal());

    MetaPictComp picture(BytesOf("<svg/>"), PictureFrame{1, 2});
    const OwnedComponent clone = picture.Clone();
    const auto& other = static_cast<const MetaPictComp&>(*clone);
    EXPECT_FALSE(picture.IsEqual(other));
    EXPECT_FALSE(picture.IsEqual(picture));
    EXPECT_EQ(other.GetPicture(), picture.GetPicture());
    EXPECT_NE(other.GetPicture().data(), picture.GetPicture().data());
    EXPECT_EQ(other.GetSize().height, 2);

    const auto text = [](TextComp& comp) {
        TextSink sink;
        OutBuffer out(sink);
        comp.WriteText(out);
        out.Flush();
        return sink.text;
    };
    LinkComp shown(Str255("t"), Str255("see here"), true);
    EXPECT_EQ(text(shown), "see here");
    EXPECT_EQ(text(picture), "picture");
}

TEST_F(LinkPictureTest, LatexHandsLinksAndPicturesToTheWriter) {
    fakes::ParagraphTraceLatex latex;
    LinkComp link(Str255("http://x.y"), Str255("why"), true);
    link.WriteLatex(latex);
    const struct {
        int32_t width;
        int32_t height;
        const char* expected;
    } cases[] = {
        {2540, 1270, "\\fbox{$picture(72x36,6)$} "},
        {2539, 35, "\\fbox{$picture(71x0,6)$} "}, // truncated toward zero
        {0, 0, "\\fbox{$picture(0x0,6)$} "},
        // Exported at the largest frame, in proportion: a metre is 2834 points.
        {INT32_MAX, INT32_MAX, "\\fbox{$picture(2834x2834,6)$} "},
        {4000000, 1000000, "\\fbox{$picture(2834x708,6)$} "},
    };
    EXPECT_EQ(latex.out, "link(http://x.y,why)");
    for (const auto& c : cases) {
        latex.out.clear();
        MetaPictComp picture(BytesOf("<svg/>"), PictureFrame{c.width, c.height});
        picture.WriteLatex(latex);
        EXPECT_EQ(latex.out, c.expected);
    }
}

// Records the symbol a picture asks for.
class SymbolRecorder final : public ListParser {
public:
    ExprNode* Parse(CompList&, int32_t, int32_t) override { return nullptr; }
    ExprNode* NullSymbol(CompList&) override { return nullptr; }
    ExprNode* NamedSymbol(CompList& list, int32_t from, int32_t to, const char* name) override {
        asked = {&list, from, to, name};
        return nullptr;
    }
    struct Asked {
        CompList* list = nullptr;
        int32_t from = 0;
        int32_t to = 0;
        std::string name;
    } asked;
};

TEST_F(LinkPictureTest, APictureConvertsToTheSymbolPictureAtItsPlace) {
    SymbolRecorder parser;
    const Installed<ListParser> installed(gListParser, &parser);
    CompList list;
    fakes::AppendChars(list, "ab");
    auto* picture = new MetaPictComp(BytesOf("<svg/>"), PictureFrame{1, 1});
    list.Append(picture);
    picture->ToExpression();
    EXPECT_EQ(parser.asked.list, &list);
    EXPECT_EQ(parser.asked.from, 3);
    EXPECT_EQ(parser.asked.to, 4);
    EXPECT_EQ(parser.asked.name, "picture");
}

TEST(SvgFrameTest, TheSizeComesFromTheRootElement) {
    const struct {
        const char* name;
        const char* svg;
        int32_t width; // -1: no size
        int32_t height;
    } cases[] = {
        {"millimetres as recorded", "<?xml?>\n<svg width=\"52.9167mm\" height=\"26.4583mm\">", 5291,
         2645},
        {"inches", "<svg width='2in' height='1in'>", 5080, 2540},
        {"points", "<svg width=\"72pt\" height=\"36pt\"/>", 2540, 1270},
        {"bare pixels at 96 to the inch", "<svg height=\"48\" width=\"96\">", 2540, 1270},
        {"view box only", "<svg viewBox=\"0 0 96 48\">", 2540, 1270},
        {"percentages fall back to the view box",
         "<svg width=\"100%\" height=\"100%\" viewBox=\"0,0,192,96\">", 5080, 2540},
        {"an attribute ending in width is not the width",
         "<svg stroke-width=\"3\" width=\"1in\" height=\"1in\">", 2540, 2540},
        {"negative sizes are none", "<svg width=\"-1in\" height=\"1in\">", 0, 2540},
        {"no size", "<svg xmlns=\"http://www.w3.org/2000/svg\">", -1, -1},
        {"no svg", "GIF89a", -1, -1},
        {"an unclosed tag", "<svg width=\"1in", -1, -1},
        {"a huge size is held within the largest frame, in proportion",
         "<svg width='1e300' height='5e299'>", kLargestPictureFrame, kLargestPictureFrame / 2},
        {"so is a huge view box", "<svg viewBox='0 0 1e308 1e308'>", kLargestPictureFrame,
         kLargestPictureFrame},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frame = SvgFrame(BytesOf(c.svg));
        if (c.width < 0) {
            EXPECT_FALSE(frame.has_value());
            continue;
        }
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->width, c.width);
        EXPECT_EQ(frame->height, c.height);
    }
    // A picture made from bytes takes their size.
    const MetaPictComp picture(BytesOf("<svg width='1in' height='2in'>"));
    EXPECT_EQ(picture.GetSize().width, 2540);
    EXPECT_EQ(picture.GetSize().height, 5080);
}

// Images of pictures keep their size up to the limits, and beyond them are made smaller in
// proportion: never larger than the limits allow, never smaller than a pixel a side.
TEST(PictureSizeTest, ImagesAreHeldWithinTheirLimitsInProportion) {
    const struct {
        const char* name;
        int64_t width;
        int64_t height;
        PixelSize size;
    } cases[] = {
        {"small", 40, 30, {40, 30}},
        {"nothing", 0, -5, {1, 1}},
        {"as large as allowed", 1024, 1024, {1024, 1024}},
        {"too large an area", 4096, 2048, {1448, 724}},
        {"long and thin, within its side", 8192, 100, {8192, 100}},
        {"too long a side", 16384, 100, {8192, 50}},
        {"the largest a file can ask", INT32_MAX, INT32_MAX, {1024, 1024}},
        {"a line of a pixel", 1, int64_t{1} << 40, {1, 8192}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PixelSize size = CappedImageSize(c.width, c.height);
        EXPECT_EQ(size, c.size);
        EXPECT_LE(int64_t{size.width} * size.height, kLargestImageArea);
    }
    EXPECT_EQ(CappedPictureFrame(-1, std::nan("")), (PictureFrame{0, 0}));
    EXPECT_EQ(CappedPictureFrame(HUGE_VAL, 1e5), (PictureFrame{kLargestPictureFrame, 0}));
    EXPECT_EQ(CappedPictureFrame(3e5, 1e5), (PictureFrame{kLargestPictureFrame, 33333}));
}

} // namespace
