// The document over its real body, the paragraph sequence.

#include "document/CompSequence.h"
#include "document/ExportWriters.h"
#include "document/Material.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/DocFiles.h"
#include "document/tests/FakeHost.h"
#include "document/tests/SequenceFakes.h"
#include "platform/tests/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using docfiles::Builder;
using docfiles::Bytes;

// Records the paragraph calls and the children's characters.
class CallLatex final : public LatexWriter {
public:
    void BeginGroup(bool) override { out += "{"; }
    void EndGroup(bool) override { out += "}"; }
    void WriteComponentChar(TextComp& comp, bool) override {
        out += comp.IsNotChar() ? '#' : static_cast<char>(comp.GetCharCode());
    }
    void WriteRaw(const char* text) override { out += text; }
    void WriteReference(const RefSource&, bool) override { out += "ref"; }
    void WriteHeader(bool numberPages, int32_t firstPage) override {
        out += "head" + std::to_string(numberPages) + std::to_string(firstPage) + " ";
    }
    void EndDocument() override { out += "end"; }
    void BeginTitle() override { out += "T("; }
    void EndTitle() override { out += ") "; }
    void BeginSection() override { out += "S("; }
    void EndSection(const RefSource& label) override { out += Label(label) + ") "; }
    void BeginSubsection() override { out += "H("; }
    void EndHeading() override { out += ") "; }
    void BeginParagraph(bool indented) override { out += indented ? "P>(" : "P("; }
    void EndParagraph() override { out += ") "; }
    void BeginListItem(const RefSource& label) override { out += "L" + Label(label) + "("; }
    void EndListItem(const RefSource&) override { out += ") "; }
    void BeginDisplayMath() override { out += "D("; }
    void EndDisplayMath() override { out += ") "; }
    void BeginEquation() override { out += "E("; }
    void EndEquation(const RefSource& label) override { out += Label(label) + ") "; }
    void BeginEqnarray() override { out += "A("; }
    void EndEqnarray() override { out += ") "; }
    void BeginVerbatim() override { out += "V("; }
    void NewLine() override { out += ") "; }
    void WriteLink(const Str255&, const Str255&) override { out += "link"; }

    std::string out;

private:
    static std::string Label(const RefSource& source) {
        return std::string("#") + source.GetOwner().GetList(1)->GetText().GetCString();
    }
};

class DocSequenceTest : public ::testing::Test {
protected:
    CompSequence& Sequence() { return static_cast<SequenceBody&>(m_doc.GetBody()).GetSequence(); }

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

// Every style opens and closes its block; numbered ones pass their number source. The fake
// style table numbers only equations, so sections and list entries without a number source are
// written as plain paragraphs.
TEST_F(DocSequenceTest, TheLatexExportWritesEveryParagraphByItsStyle) {
    m_doc.OnNewDocument();
    Sequence().Clear();
    const char* texts[] = {"ti", "se", "he", " pa", "li", "eq", "nu", "co"};
    for (int32_t style = 0; style < 8; ++style)
        Sequence().Append(seqfakes::Para(texts[style], style));
    Sequence().Append(seqfakes::Para("pl", ParaStyle::kParagraph));
    m_doc.GetSettings().numberPages = 0;
    m_doc.GetSettings().firstPage = 4;

    CallLatex writer;
    m_doc.GetBody().WriteLatex(writer);
    EXPECT_EQ(writer.out, "head04 T(ti) P(se) H(he) P>( pa) P(li) D(eq) E(nu#nu) P(co) P(pl) end");

    // Code text stays verbatim; an equation that is only an unreferenced equation set is one
    // equation block.
    Sequence().Clear();
    auto code = std::make_unique<ParaComp>(ParaStyle::kSourceCode);
    fakes::AppendChars(*code->GetList(1), "x", 4);
    Sequence().Append(std::move(code));
    auto set = std::make_unique<ParaComp>(ParaStyle::kNumberedEquation);
    set->GetList(1)->Append(std::make_unique<seqfakes::Grid>(tags::EquationSet, 1, 2).release());
    Sequence().Append(std::move(set));
    writer.out.clear();
    m_doc.GetBody().WriteLatex(writer);
    EXPECT_EQ(writer.out, "head04 V(x) A() end");
}

} // namespace
