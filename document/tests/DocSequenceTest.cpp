// The document over its real body, the paragraph sequence.

#include "document/CompSequence.h"
#include "document/ExportWriters.h"
#include "document/Material.h"
#include "document/MemoryStream.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/DocFiles.h"
#include "document/tests/FakeHost.h"
#include "document/tests/ParagraphLatexWriter.h"
#include "document/tests/RecordingWriters.h"
#include "document/tests/SequenceFakes.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using docfiles::Builder;
using docfiles::Bytes;

class DocSequenceTest : public ::testing::Test {
protected:
    CompSequence& Sequence() { return static_cast<SequenceBody&>(m_doc.GetBody()).GetSequence(); }
    // A document of one paragraph of every style, 0 to 7, holding `texts` in that order.
    void FillEveryStyle(const std::array<const char*, 8>& texts) {
        m_doc.OnNewDocument();
        Sequence().Clear();
        for (int32_t style = 0; style < 8; ++style)
            Sequence().Append(seqfakes::Para(texts[static_cast<size_t>(style)], style));
    }

    platform::testing::TempDir m_dir;
    seqfakes::Services m_services;
    fakes::Host m_host;
    CTessaryDoc m_doc{m_host};
};

TEST_F(DocSequenceTest, ANewDocumentSavesToTheGoldenBytes) {
    ASSERT_TRUE(m_doc.OnNewDocument());
    ASSERT_EQ(Sequence().GetCount(), 1);
    EXPECT_EQ(Sequence().GetAt(1)->GetStyle().GetKind(), ParaStyle::kPlainEquation);
    EXPECT_EQ(Sequence().GetAt(1)->GetIdentity(), 1);

    const Bytes golden = Builder()
                             .Long(1400)
                             .Short(3)
                             .Pool(1, {})
                             .Settings(5)
                             .Defaults(2, 2, 2)
                             .Long(1)
                             .Para(5, 1)
                             .bytes;
    ASSERT_EQ(golden.size(), 75u);
    for (int64_t limit : {int64_t{1} << 20, int64_t{70}}) {
        m_doc.SetBlockLimit(limit);
        const std::string path = m_dir.File("new" + std::to_string(limit) + ".tsy");
        ASSERT_TRUE(m_doc.OnSaveDocument(path));
        EXPECT_EQ(docfiles::ReadFile(path), golden) << "block limit " << limit;
    }
}

// Paragraphs attach with their stored identities, then the document makes them unique, so a
// reference finds the one paragraph of its number.
TEST_F(DocSequenceTest, LoadedParagraphsGetUniqueIdentities) {
    const Bytes file = Builder()
                           .Long(1400)
                           .Short(1)
                           .Pool(6, {2})
                           .Long(5)
                           .Para(3, 3)
                           .Para(1, 3)
                           .Para(9, 0)
                           .Para(5, 2)
                           .Para(6, 6)
                           .bytes;
    docfiles::WriteFile(m_dir.File("ids.tsy"), file);
    ASSERT_TRUE(m_doc.OnOpenDocument(m_dir.File("ids.tsy")));
    ASSERT_EQ(Sequence().GetCount(), 5);
    std::set<int32_t> ids;
    for (int32_t i = 1; i <= 5; ++i)
        ids.insert(Sequence().GetAt(i)->GetIdentity());
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_EQ(Sequence().GetAt(1)->GetIdentity(), 3);
    EXPECT_EQ(Sequence().GetAt(5)->GetIdentity(), 6);
    EXPECT_EQ(Sequence().GetAt(3)->GetStyle().GetKind(), ParaStyle::kParagraph)
        << "a style outside 0 to 7 reads as Paragraph";
    for (int32_t id : ids)
        EXPECT_EQ(m_doc.FindParagraph(id)->GetIdentity(), id);
    EXPECT_FALSE(ids.count(2)) << "2 was free: references to it lead nowhere, not to a new one";
    EXPECT_TRUE(m_doc.GetNumberPool().GetFree().size() == 1);
}

// Material that names the document and outlives it gives no numbers back to it.
TEST_F(DocSequenceTest, MaterialOutlivingItsDocumentForgetsIt) {
    Material material;
    {
        seqfakes::Services services;
        fakes::Host host;
        CTessaryDoc doc(host);
        doc.OnNewDocument();
        material = CompSequence::WrapAsSequence(&doc, CompArray());
        ASSERT_EQ(material.sequence->GetDocument(), &doc);
        auto moved = std::make_unique<CompSequence>();
        moved->MoveTo(&doc);
        moved->MoveTo(nullptr);
    }
    EXPECT_EQ(material.sequence->GetDocument(), nullptr);
    material.sequence.reset(); // would release into the freed document without the registry
}

// The identities of the body's paragraphs, in order.
std::vector<int32_t> Identities(const CompSequence& seq) {
    std::vector<int32_t> ids;
    for (int32_t k = 1; k <= seq.GetCount(); ++k)
        ids.push_back(seq.GetAt(k)->GetIdentity());
    return ids;
}

// An undo holds a paragraph it took out: the number stays its own until the paragraph is back,
// and goes back to the pool once when the holder is dropped.
TEST_F(DocSequenceTest, AHeldParagraphKeepsItsNumberUntilItsHolderGoes) {
    ASSERT_TRUE(m_doc.OnNewDocument());
    for (int k = 0; k < 3; ++k)
        Sequence().Append(seqfakes::Para("p"));
    ASSERT_EQ(Identities(Sequence()), (std::vector<int32_t>{1, 2, 3, 4}));
    ParaComp* second = Sequence().GetAt(2);

    auto held = Sequence().HoldAt(2);
    EXPECT_EQ(second->GetIdentity(), 2);
    EXPECT_EQ(m_doc.FindParagraph(2), nullptr) << "out of the document while held";
    Sequence().Append(seqfakes::Para("new"));
    EXPECT_EQ(Sequence().GetAt(4)->GetIdentity(), 5) << "a held number is not handed out";
    Sequence().InsertHeldAt(std::move(held), 2);
    EXPECT_EQ(Sequence().GetAt(2), second);
    EXPECT_EQ(m_doc.FindParagraph(2), second);
    EXPECT_EQ(docfiles::IdentityFault(m_doc), "");

    Sequence().HoldAt(2).reset();
    EXPECT_EQ(m_doc.GetNumberPool().GetFree(), std::vector<int32_t>{2});
    Sequence().Append(seqfakes::Para("again"));
    Sequence().Append(seqfakes::Para("fresh"));
    EXPECT_EQ(Identities(Sequence()), (std::vector<int32_t>{1, 3, 4, 5, 2, 6}));
    EXPECT_EQ(docfiles::IdentityFault(m_doc), "");
}

// Material held across a new document or an open belongs to contents that are gone: dropped,
// it must not free a number the new contents hold; put back, it takes fresh numbers.
TEST_F(DocSequenceTest, MaterialOfEmptiedContentsLeavesTheNewNumbersAlone) {
    ASSERT_TRUE(m_doc.OnNewDocument());
    Sequence().Append(seqfakes::Para("a"));
    Sequence().Append(seqfakes::Para("b"));
    auto dropped = Sequence().HoldAt(3);
    auto putBack = Sequence().HoldAt(2);
    ASSERT_EQ(dropped->GetAt(1)->GetIdentity(), 3);
    ASSERT_EQ(putBack->GetAt(1)->GetIdentity(), 2);

    ASSERT_TRUE(m_doc.OnNewDocument());
    Sequence().Append(seqfakes::Para("x"));
    Sequence().Append(seqfakes::Para("y"));
    ASSERT_EQ(Identities(Sequence()), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(dropped->GetDocument(), nullptr);
    dropped.reset();
    EXPECT_TRUE(m_doc.GetNumberPool().GetFree().empty()) << "3 belongs to a new paragraph";
    Sequence().InsertHeldAt(std::move(putBack), 2);
    Sequence().Append(seqfakes::Para("z"));
    EXPECT_EQ(Identities(Sequence()), (std::vector<int32_t>{1, 4, 2, 3, 5}));
    EXPECT_EQ(docfiles::IdentityFault(m_doc), "");
}

// A cut keeps the numbers of the whole paragraphs it takes; every pasted copy takes fresh
// ones, and the cut material itself, put back, brings its own.
TEST_F(DocSequenceTest, CutThenPasteTwiceGivesFreshNumbers) {
    ASSERT_TRUE(m_doc.OnNewDocument());
    Sequence().Clear();
    for (const char* text : {"ab", "cd", "ef", "gh"})
        Sequence().Append(seqfakes::Para(text));
    Sequence().PlaceAll(false);
    const auto at = [&](int32_t para, int32_t index) {
        return seqfakes::ListPos(Sequence().GetAt(para)->GetList(1), index);
    };
    ParaComp* whole = Sequence().GetAt(2);
    const int32_t kept = whole->GetIdentity();
    DocRange range;
    range.Assign(at(1, 2), at(3, 2));
    Material cut;
    range.RemoveContent(cut);
    ASSERT_EQ(seqfakes::Text(Sequence()), "3:af|3:gh");
    EXPECT_EQ(whole->GetIdentity(), kept);
    EXPECT_EQ(m_doc.FindParagraph(kept), nullptr);

    for (int paste = 1; paste <= 2; ++paste) {
        SCOPED_TRACE(paste);
        Material copy = range.ExtractContent();
        copy.MoveInto(at(Sequence().GetCount(), 3));
        Sequence().PlaceAll(false);
        EXPECT_EQ(docfiles::IdentityFault(m_doc), "");
        EXPECT_EQ(m_doc.FindParagraph(kept), nullptr) << "the cut material still holds it";
    }
    EXPECT_EQ(seqfakes::Text(Sequence()), "3:af|3:ghb|3:cd|3:eb|3:cd|3:e");

    cut.MoveInto(at(1, 2));
    EXPECT_EQ(Sequence().GetAt(2), whole);
    EXPECT_EQ(m_doc.FindParagraph(kept), whole);
    EXPECT_EQ(docfiles::IdentityFault(m_doc), "");
}

// The header with the document's page numbering, every paragraph in order by its style, the end.
TEST_F(DocSequenceTest, TheLatexExportWritesEveryParagraphByItsStyle) {
    FillEveryStyle({"ti", "se", "he", " pa", "li", "eq", "nu", "co"});
    Sequence().Append(seqfakes::Para("pl", ParaStyle::kParagraph));
    m_doc.GetSettings().numberPages = 0;
    m_doc.GetSettings().firstPage = 4;

    fakes::ParagraphTraceLatex writer(" ");
    m_doc.GetBody().WriteLatex(writer);
    EXPECT_EQ(writer.out, "head04 <0>ti</0> <1>se</1> <2>he</2> <3w> pa</3> <4>li</4> <5>eq</5> "
                          "<6n>nu</6> <3>co</3> <3>pl</3> end");
}

// The notebook and page exports: the header, every paragraph through the operation its style
// chooses, the end. A source-code paragraph stays code only when all of it is code text, and on
// a page a paragraph that holds only a picture becomes an image.
TEST_F(DocSequenceTest, TheNotebookAndPageExportsWriteEveryParagraphByItsStyle) {
    FillEveryStyle({"ti", "se", "he", "pa", "li", "eq", "nu", "co"});
    auto code = std::make_unique<ParaComp>(ParaStyle::kSourceCode);
    fakes::AppendChars(*code->GetList(1), "tt", 4); // the code text face
    Sequence().Append(std::move(code));
    auto picture = std::make_unique<ParaComp>(ParaStyle::kParagraph);
    picture->GetList(1)->Append(new fakes::Box(tags::Metafile));
    Sequence().Append(std::move(picture));
    Sequence().PlaceAll(false);

    const auto trace = [](const std::function<std::optional<DocPos>(ByteStream&)>& write) {
        std::vector<char> block(4096);
        MemoryStream memory(block.data(), static_cast<int32_t>(block.size()));
        EXPECT_FALSE(write(memory));
        return std::string(block.data(), static_cast<size_t>(memory.GetPosition()));
    };
    EXPECT_EQ(trace([&](ByteStream& stream) {
                  fakes::TraceNotebook writer(stream);
                  return m_doc.GetBody().WriteNotebook(writer);
              }),
              "Notebook[{\ntitle ti\nsection se\nsubsection he\ntext pa\ntext li\ndisplay eq\n"
              "numbered nu\ntext co\ninput tt\ntext \n}]\n");
    const std::string page = "h1 ti\nh2 se\nh3 he\ntext pa\nitem li\ndisplay eq\nnumbered[(1)] nu\n"
                             "text co\ncode tt\nimage \n</page>\n";
    EXPECT_EQ(trace([&](ByteStream& stream) {
                  fakes::TraceXhtml writer(stream, "xhtml");
                  return m_doc.GetBody().WriteXhtml(writer);
              }),
              "<xhtml>\n" + page);
    EXPECT_EQ(trace([&](ByteStream& stream) {
                  fakes::TraceHtml writer(stream, "html");
                  m_doc.GetBody().WriteHtml(writer);
                  return std::optional<DocPos>();
              }),
              "<html>\n" + page);

    // The LaTeX export decides about code the same way.
    fakes::ParagraphTraceLatex latex(" ");
    m_doc.GetBody().WriteLatex(latex);
    EXPECT_NE(latex.out.find("<3>co</3> <7>tt</7> "), std::string::npos) << latex.out;
}

} // namespace
