#include "document/TypeTag.h"

#include <gtest/gtest.h>

#include <set>

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
