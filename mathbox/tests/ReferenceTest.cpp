#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/tests/StreamBytes.h"
#include "mathbox/tests/LayoutFixture.h"
#include "platform/Exceptions.h"

#include <functional>
#include <string>

using namespace layouttest;
using streambytes::Bytes;

namespace {

std::string Written(const std::function<void(OutBuffer&)>& write) {
    char block[256] = {};
    MemoryStream memory(block, sizeof block);
    OutBuffer out(memory);
    write(out);
    out.Flush();
    return std::string(block, static_cast<size_t>(memory.GetPosition()));
}

} // namespace

class ReferenceTest : public LayoutTest {
protected:
    // A numbered paragraph of `style` in `doc`, numbered as the first of its kind.
    OwnedPara Numbered(Document& doc, int32_t style, NumberRecord& running) {
        OwnedPara para = MakePara(style, "x");
        doc.Add(para.get());
        para->SetNumber(running);
        return para;
    }
    // A paragraph of `doc` holding one reference.
    RefComp& Holder(Document& doc, std::vector<OwnedPara>& keep, RefComp* ref) {
        keep.push_back(MakePara(ParaStyle::kParagraph));
        doc.Add(keep.back().get());
        keep.back()->GetList(1)->Append(ref);
        return *ref;
    }
};

TEST_F(ReferenceTest, NumbersWriteAsSectionDotEquation) {
    const struct {
        int32_t style;
        NumberRecord before; // the running record the paragraph advances
        const char* text;
    } cases[] = {
        {ParaStyle::kSection, {2, 0, 0}, "3"},
        {ParaStyle::kNumberedEquation, {3, 1, 0}, "3.2"},
        {ParaStyle::kNumberedEquation, {0, 3, 7}, "0.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        OwnedPara para = MakePara(c.style);
        NumberRecord running = c.before;
        para->SetNumber(running);
        const RefSource& source = *para->GetNumberSource();
        EXPECT_EQ(Written([&](OutBuffer& out) { source.WriteNumber(out); }), c.text);
        EXPECT_EQ(Written([&](OutBuffer& out) { source.WriteLatexLabel(out); }),
                  std::string("\\label{") + c.text + "} ");
    }
}

TEST_F(ReferenceTest, AReferenceShowsItsTargetsNumberAndFollowsIt) {
    Document doc;
    NumberRecord running;
    OwnedPara section = Numbered(doc, ParaStyle::kSection, running);
    OwnedPara eq = Numbered(doc, ParaStyle::kNumberedEquation, running);
    std::vector<OwnedPara> keep;
    RefComp& toSection = Holder(doc, keep, new RefComp(*section->GetNumberSource()));
    RefComp& toEq = Holder(doc, keep, new RefComp(*eq->GetNumberSource()));
    toSection.Layout();
    toEq.Layout();
    EXPECT_EQ(toSection.GetLabel().ToCString(), "(\xA4"
                                                "1)");
    EXPECT_EQ(toEq.GetLabel().ToCString(), "(1)");
    EXPECT_EQ(toEq.GetIdentity(), eq->GetIdentity());
    EXPECT_TRUE(eq->GetNumberSource()->IsReferenced());
    // The section sign is shown in the character set of the screen.
    toSection.SetOrigin(Point(0, 0));
    port.drawn.clear();
    toSection.Draw();
    ASSERT_EQ(port.drawn.size(), 1u);
    EXPECT_EQ(port.drawn[0].text, "(\xA7"
                                  "1)");

    // Another equation before it: the number changes and the reference must be laid out again.
    toEq.Layout();
    EXPECT_FALSE(toEq.NeedsLayout());
    NumberRecord again{0, 1, 0};
    eq->SetNumber(again);
    EXPECT_TRUE(toEq.NeedsLayout());
    toEq.Layout();
    EXPECT_EQ(toEq.GetLabel().ToCString(), "(2)");
}

TEST_F(ReferenceTest, AReferenceInAnotherDocumentIsBracketedAndNegated) {
    Document source;
    Document other;
    NumberRecord running;
    OwnedPara eq = Numbered(source, ParaStyle::kNumberedEquation, running);
    std::vector<OwnedPara> keep;
    RefComp& original = Holder(source, keep, new RefComp(*eq->GetNumberSource()));
    OwnedComponent copy = original.Clone();
    RefComp& pasted = Holder(other, keep, static_cast<RefComp*>(copy.release()));
    pasted.Layout();
    EXPECT_EQ(pasted.GetTarget(), eq->GetNumberSource());
    EXPECT_EQ(pasted.GetIdentity(), -eq->GetIdentity());
    EXPECT_EQ(pasted.GetLabel().ToCString(), "[1]");
}

TEST_F(ReferenceTest, ReferencesOutliveTheirTargetAndFindItAgainByIdentity) {
    Document doc;
    NumberRecord running;
    OwnedPara eq = Numbered(doc, ParaStyle::kNumberedEquation, running);
    const int32_t identity = eq->GetIdentity();
    std::vector<OwnedPara> keep;
    RefComp& ref = Holder(doc, keep, new RefComp(*eq->GetNumberSource()));
    ref.Layout();

    doc.paragraphs.erase(doc.paragraphs.begin());
    eq.reset();
    EXPECT_EQ(ref.GetTarget(), nullptr);
    ref.Layout();
    EXPECT_EQ(ref.GetLabel().ToCString(), "(1)");
    EXPECT_EQ(ref.GetIdentity(), identity);

    // A paragraph read with that identity is found on the next layout.
    OwnedPara loaded(new ParaComp);
    Bytes bytes = streambytes::Save([&](DocStream& s) { ParaComp(6).Write(s); });
    bytes[2] = static_cast<uint8_t>(identity);
    streambytes::Load(bytes, [&](DocStream& s) { loaded->Read(s); });
    loaded->AttachToSequence(&doc);
    doc.paragraphs.push_back(loaded.get());
    NumberRecord renumber{0, 4, 0};
    loaded->SetNumber(renumber);
    ref.Layout();
    EXPECT_EQ(ref.GetTarget(), loaded->GetNumberSource());
    EXPECT_EQ(ref.GetLabel().ToCString(), "(5)");
}

TEST_F(ReferenceTest, TheRecordKeepsTheLabelsBytesAsTheyAre) {
    // A label with a byte above 127, as a section reference has: read back unchanged, save
    // after save.
    RefComp ref(7, Str31("(\xA4"
                         "12)"));
    Bytes bytes = streambytes::Save([&](DocStream& s) { ref.Write(s); });
    EXPECT_EQ(bytes, streambytes::Builder()
                         .I32(7)
                         .U8(5)
                         .Text("(\xA4"
                               "12)")
                         .Get());
    for (int round = 0; round < 2; ++round) {
        RefComp read;
        streambytes::Load(bytes, [&](DocStream& s) { read.Read(s); });
        EXPECT_EQ(read.GetIdentity(), 7);
        EXPECT_EQ(read.GetLabel(), ref.GetLabel());
        bytes = streambytes::Save([&](DocStream& s) { read.Write(s); });
    }
    EXPECT_EQ(TextComp::CreateByTag(tags::Reference)->GetTypeTag(), tags::Reference);
}

TEST_F(ReferenceTest, AShortRecordFailsTheLoad) {
    const Bytes bytes = streambytes::Builder().I32(7).U8(20).Text("(1)").Get();
    RefComp read;
    EXPECT_THROW(streambytes::Load(bytes, [&](DocStream& s) { read.Read(s); }),
                 platform::FileException);
}
