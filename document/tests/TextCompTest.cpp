#include "document/CharBlock.h"
#include "document/tests/Fakes.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Stands for the paragraph at the top of an ownership chain. Paragraphs answer themselves; the
// pointer is only compared, never used.
class TopOfChain final : public TextComp {
public:
    OwnedComponent Clone() const override { return nullptr; }
    TypeTag GetTypeTag() const override { return tags::Paragraph; }
    ParaComp* GetParagraph() const override {
        return reinterpret_cast<ParaComp*>(const_cast<TopOfChain*>(this));
    }
};

class Plain final : public TextComp {
public:
    OwnedComponent Clone() const override { return OwnedComponent(new Plain); }
};

// A character that answers only the three separate questions, as characters other than the
// shared glyphs may.
class PlainChar final : public TextComp {
public:
    OwnedComponent Clone() const override { return OwnedComponent(new PlainChar); }
    TypeTag GetTypeTag() const override { return tags::Char; }
    int32_t GetStyleId() const override { return 6; }
    uint8_t GetCharCode() const override { return 0xE9; }
};

OwnedComponent NewBox() {
    return OwnedComponent(new fakes::Box(tags::Limit));
}

} // namespace

TEST(TextComp, FactoryCreatesOnlyStorableInstalledKinds) {
    // Character blocks install themselves: every reader of the stream needs them.
    const OwnedComponent block = TextComp::CreateByTag(TypeTag("chBk"));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block->IsCharBlock());

    for (const char* tag : {"Para", "Char", "null", "word", "xyzw", "Limt"}) {
        SCOPED_TRACE(tag);
        EXPECT_EQ(TextComp::CreateByTag(TypeTag(tag)), nullptr);
    }

    for (const char* tag : {"Para", "Char", "word", "xyzw"}) {
        SCOPED_TRACE(tag);
        EXPECT_THROW(TextComp::KindSlot(TypeTag(tag)), std::invalid_argument);
    }
    {
        const Installed limitKind(TextComp::KindSlot(tags::Limit), &NewBox);
        const OwnedComponent limit = TextComp::CreateByTag(tags::Limit);
        ASSERT_NE(limit, nullptr);
        EXPECT_EQ(limit->GetTypeTag(), tags::Limit);
    }
    EXPECT_EQ(TextComp::CreateByTag(tags::Limit), nullptr);
}

TEST(TextComp, ElementCommandsAreEnabledByDefault) {
    Plain comp;
    const DocPos nowhere;
    const struct {
        int32_t id;
        bool enabled;
    } cases[] = {{32811, false}, {32812, true}, {32820, true}, {32832, true}, {32833, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(comp.IsCommandEnabled(c.id, nowhere), c.enabled);
    }
}

TEST(TextComp, CharactersCompareByCodeAcrossFacesAndKinds) {
    fakes::GlyphSource glyphs;
    TextComp* a0 = glyphs.GetGlyph(0, 'a');
    TextComp* a3 = glyphs.GetGlyph(3, 'a');
    TextComp* b0 = glyphs.GetGlyph(0, 'b');
    EXPECT_TRUE(a0->IsEqual(*a3));
    EXPECT_FALSE(a0->IsEqual(*b0));
    fakes::Box box;
    EXPECT_FALSE(box.IsEqual(*a0));
    EXPECT_FALSE(a0->IsEqual(box));
    EXPECT_FALSE(a0->IsNotChar());
    EXPECT_TRUE(box.IsNotChar());
}

TEST(TextComp, ParagraphIsFoundThroughOwnersAtAnyDepth) {
    TopOfChain top;
    CompList body;
    body.SetOwner(&top, 0);
    auto* outer = new fakes::Box;
    body.Append(outer);
    auto* inner = new fakes::Box;
    outer->GetList(1)->Append(inner);

    EXPECT_EQ(reinterpret_cast<void*>(inner->GetParagraph()), &top);
    DocPos pos;
    pos.SetAt(inner->GetList(1), 1);
    EXPECT_EQ(reinterpret_cast<void*>(pos.paragraph), &top);

    CompList loose; // no owner
    auto* orphan = new fakes::Box;
    loose.Append(orphan);
    EXPECT_EQ(orphan->GetParagraph(), nullptr);
    fakes::Box unplaced;
    EXPECT_EQ(unplaced.GetParagraph(), nullptr);
}

// A position is reused as the caret moves: setting it in a list must forget everything a
// boundary position held, and only a list position may be taken for a list.
TEST(DocPos, AListPositionForgetsWhatTheLastPositionHeld) {
    DocPos pos;
    EXPECT_EQ(pos.kind, DocPos::kNone);
    EXPECT_EQ(pos.index, -1);
    EXPECT_EQ(pos.GetList(), nullptr);

    fakes::Box grid; // stands for a grid box: a boundary between its columns
    TopOfChain top;
    pos.target = &grid;
    pos.paragraph = reinterpret_cast<ParaComp*>(&top);
    pos.kind = DocPos::kOnGrid;
    pos.columns = 1;
    pos.index = 2;
    EXPECT_EQ(pos.GetList(), nullptr) << "a box is never handed out as a list";

    CompList loose; // in no paragraph
    pos.SetAt(&loose, 3);
    EXPECT_EQ(pos.GetList(), &loose);
    EXPECT_EQ(pos.index, 3);
    EXPECT_EQ(pos.columns, 0);
    EXPECT_EQ(pos.paragraph, nullptr) << "the paragraph of the last position is forgotten";

    pos.Clear();
    EXPECT_EQ(pos.kind, DocPos::kNone);
    EXPECT_EQ(pos.GetList(), nullptr);
    EXPECT_EQ(pos.paragraph, nullptr);
}

// The save asks every component once for its glyph key; whatever answers must agree with the
// tag, face and code it gives when asked one by one.
TEST(TextComp, GlyphKeysAgreeWithTagFaceAndCode) {
    fakes::GlyphSource glyphs;
    PlainChar plainChar;
    fakes::Box box;
    Plain plain;
    const TextComp* comps[] = {glyphs.GetGlyph(0, 'a'),
                               glyphs.GetGlyph(3, 0xFF),
                               glyphs.GetGlyph(7, 0),
                               &plainChar,
                               &box,
                               &plain};
    for (const TextComp* comp : comps) {
        SCOPED_TRACE(DescribeTag(comp->GetTypeTag()) + " face " +
                     std::to_string(comp->GetStyleId()));
        GlyphKey key{-1, 0};
        ASSERT_EQ(comp->GetGlyphKey(key), !comp->IsNotChar());
        if (comp->IsNotChar()) continue;
        EXPECT_EQ(key.face, comp->GetStyleId());
        EXPECT_EQ(key.code, comp->GetCharCode());
    }
}
