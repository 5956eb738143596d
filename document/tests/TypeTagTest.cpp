#include "document/TypeTag.h"

#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "document/TextComp.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <stdexcept>

TEST(TypeTag, PacksBigEndianAndPadsWithBlanks) {
    EXPECT_EQ(TypeTag("Char").Value(), 0x43686172u);
    EXPECT_EQ(TypeTag("Sum").Value(), 0x53756D20u);
    EXPECT_EQ(TypeTag("Sum"), TypeTag("Sum "));
    EXPECT_EQ(TypeTag("Ref"), tags::Reference);
    EXPECT_EQ(TypeTag("").Value(), 0x20202020u);
    EXPECT_EQ(TypeTag("Paragraph"), TypeTag("Para")); // only four characters count
    EXPECT_EQ(TypeTag::FromValue(0x6368426Bu), tags::CharBlock);
}

TEST(TypeTag, SharedListIsDistinct) {
    const TypeTag all[] = {
        tags::Null,
        tags::Plot3D,
        tags::Plot2D,
        tags::Char,
        tags::Exponent,
        tags::EquationSet,
        tags::CharBlock,
        tags::TotalDerivative,
        tags::PartialDerivative,
        tags::Split,
        tags::BraceGroup,
        tags::ParenGroup,
        tags::Table,
        tags::Fraction,
        tags::Subscript,
        tags::Matrix,
        tags::AbsValue,
        tags::Missing,
        tags::Overbar,
        tags::Integral,
        tags::Product,
        tags::Sum,
        tags::Radical,
        tags::Limit,
        tags::Reference,
        tags::Paragraph,
        tags::Link,
        tags::Metafile,
        tags::None,
        tags::PlaceholderRun,
        tags::GrayRun,
        tags::WordRun,
        tags::SpaceRun,
        tags::TabRun,
        tags::OperatorRun,
        tags::StructureRun,
        tags::LabelRun,
        tags::LineRun,
        tags::ListNode,
        tags::SymbolNode,
        tags::StringNode,
        tags::GraphicsNode,
        tags::LineNode,
        tags::PointNode,
        tags::TextNode,
        tags::SurfaceNode,
        tags::PolygonNode,
    };
    std::set<uint32_t> values;
    for (TypeTag tag : all)
        values.insert(tag.Value());
    EXPECT_EQ(values.size(), 47u);
}

namespace {

// A component that is nothing but its tag.
class Tagged final : public TextComp {
public:
    explicit Tagged(TypeTag tag) : m_tag(tag) {}
    OwnedComponent Clone() const override { return OwnedComponent(new Tagged(m_tag)); }
    TypeTag GetTypeTag() const override { return m_tag; }

private:
    TypeTag m_tag;
};

// The first four bytes of the record the stream writes for a component of the tag.
std::array<uint8_t, 4> StoredHead(TypeTag tag) {
    std::array<uint8_t, 16> block{};
    MemoryStream bytes(block.data(), static_cast<int32_t>(block.size()));
    DocStream stream(bytes);
    stream.WriteRecord(Tagged(tag));
    return {block[0], block[1], block[2], block[3]};
}

} // namespace

// Every tag is stored and compared by its value, so a changed letter makes old files unreadable.
// Each row spells the four characters out; the stored form is the big-endian packing written as
// a little-endian 32-bit value, so the bytes come in reverse order. `factory` marks the kinds
// the component factory makes from a stored record.
TEST(TypeTag, EveryTagIsPinnedToItsFourBytes) {
    const struct {
        const char* name;
        TypeTag tag;
        const char text[5];
        bool factory;
    } rows[] = {
        {"Null", tags::Null, "null", false},
        {"Plot3D", tags::Plot3D, "3Plt", true},
        {"Plot2D", tags::Plot2D, "2Plt", true},
        {"Char", tags::Char, "Char", false},
        {"Exponent", tags::Exponent, "Expo", true},
        {"EquationSet", tags::EquationSet, "eqSt", true},
        {"CharBlock", tags::CharBlock, "chBk", true},
        {"TotalDerivative", tags::TotalDerivative, "totD", true},
        {"PartialDerivative", tags::PartialDerivative, "parD", true},
        {"Split", tags::Split, "splF", true},
        {"BraceGroup", tags::BraceGroup, "brcG", true},
        {"ParenGroup", tags::ParenGroup, "parG", true},
        {"Table", tags::Table, "Tabl", true},
        {"Fraction", tags::Fraction, "Frac", true},
        {"Subscript", tags::Subscript, "Subs", true},
        {"Matrix", tags::Matrix, "Matr", true},
        {"AbsValue", tags::AbsValue, "AbsV", true},
        {"Missing", tags::Missing, "Miss", true},
        {"Overbar", tags::Overbar, "Over", true},
        {"Integral", tags::Integral, "Inte", true},
        {"Product", tags::Product, "Prod", true},
        {"Sum", tags::Sum, "Sum ", true},
        {"Radical", tags::Radical, "Sqrt", true},
        {"Limit", tags::Limit, "Limt", true},
        {"Reference", tags::Reference, "Ref ", true},
        {"Paragraph", tags::Paragraph, "Para", false},
        {"Link", tags::Link, "Link", true},
        {"Metafile", tags::Metafile, "Meta", true},
        {"None", tags::None, "none", false},
        {"PlaceholderRun", tags::PlaceholderRun, "plac", false},
        {"GrayRun", tags::GrayRun, "gray", false},
        {"WordRun", tags::WordRun, "word", false},
        {"SpaceRun", tags::SpaceRun, "spcL", false},
        {"TabRun", tags::TabRun, "tabL", false},
        {"OperatorRun", tags::OperatorRun, "nonA", false},
        {"StructureRun", tags::StructureRun, "strL", false},
        {"LabelRun", tags::LabelRun, "labl", false},
        {"LineRun", tags::LineRun, "line", false},
        {"ListNode", tags::ListNode, "lisN", false},
        {"SymbolNode", tags::SymbolNode, "symN", false},
        {"StringNode", tags::StringNode, "strN", false},
        {"GraphicsNode", tags::GraphicsNode, "grfN", false},
        {"LineNode", tags::LineNode, "linN", false},
        {"PointNode", tags::PointNode, "poiN", false},
        {"TextNode", tags::TextNode, "texN", false},
        {"SurfaceNode", tags::SurfaceNode, "surN", false},
        {"PolygonNode", tags::PolygonNode, "plyN", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto* c = reinterpret_cast<const uint8_t*>(row.text);
        EXPECT_EQ(row.tag.Value(),
                  uint32_t{c[0]} << 24 | uint32_t{c[1]} << 16 | uint32_t{c[2]} << 8 | c[3]);
        EXPECT_EQ(StoredHead(row.tag), (std::array<uint8_t, 4>{c[3], c[2], c[1], c[0]}));
        if (row.factory)
            EXPECT_NO_THROW(TextComp::KindSlot(row.tag));
        else
            EXPECT_THROW(TextComp::KindSlot(row.tag), std::invalid_argument);
    }
}
