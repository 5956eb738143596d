#include "document/TextComp.h"

#include "document/CompList.h"

#include <array>
#include <stdexcept>

namespace {

constexpr int32_t kFirstElementCommand = 32812;
constexpr int32_t kLastElementCommand = 32832;

struct FactoryEntry {
    TypeTag tag;
    ServiceSlot<TextComp::Creator> creator;
};

// The storable kinds, in the order the factory tries them. Each subsystem installs the
// constructors of its kinds, this library included (character blocks).
std::array<FactoryEntry, 25>& Factory() {
    static std::array<FactoryEntry, 25> entries = {{
        {tags::CharBlock, {}},
        {tags::Product, {}},
        {tags::Sum, {}},
        {tags::AbsValue, {}},
        {tags::BraceGroup, {}},
        {tags::ParenGroup, {}},
        {tags::PartialDerivative, {}},
        {tags::TotalDerivative, {}},
        {tags::Exponent, {}},
        {tags::Fraction, {}},
        {tags::EquationSet, {}},
        {tags::Matrix, {}},
        {tags::Table, {}},
        {tags::Split, {}},
        {tags::Integral, {}},
        {tags::Limit, {}},
        {tags::Missing, {}},
        {tags::Overbar, {}},
        {tags::Metafile, {}},
        {tags::Plot2D, {}},
        {tags::Plot3D, {}},
        {tags::Radical, {}},
        {tags::Subscript, {}},
        {tags::Reference, {}},
        {tags::Link, {}},
    }};
    return entries;
}

} // namespace

DocPos TextComp::PosFromPoint(Point point, bool rightHalf) {
    DocPos pos;
    CompList* parent = GetParent();
    if (parent == nullptr) return pos;
    int32_t index = parent->IndexOf(this);
    const Rect frame = GetFrame();
    if (rightHalf && point.x > (frame.left + frame.right) / 2) ++index;
    pos.SetAt(parent, index);
    return pos;
}

bool TextComp::IsEqual(const TextComp& other) const {
    return GetTypeTag() == other.GetTypeTag() && GetCharCode() == other.GetCharCode();
}

bool TextComp::GetGlyphKey(GlyphKey& key) const {
    if (IsNotChar()) return false;
    key = {GetStyleId(), GetCharCode()};
    return true;
}

ParaComp* TextComp::GetParagraph() const {
    const CompList* parent = GetParent();
    if (parent == nullptr || parent->GetOwner() == nullptr) return nullptr;
    return parent->GetOwner()->GetParagraph();
}

DocPos TextComp::GetCaretAfterInsert() {
    DocPos pos;
    if (CompList* parent = GetParent()) pos.SetAt(parent, parent->IndexOf(this) + 1);
    return pos;
}

bool TextComp::IsCommandEnabled(int32_t id, const DocPos&) const {
    return id >= kFirstElementCommand && id <= kLastElementCommand;
}

OwnedComponent TextComp::CreateByTag(TypeTag tag) {
    for (const FactoryEntry& entry : Factory()) {
        if (entry.tag == tag) {
            Creator* create = entry.creator.Get();
            return create != nullptr ? create() : nullptr;
        }
    }
    return nullptr;
}

ServiceSlot<TextComp::Creator>& TextComp::KindSlot(TypeTag tag) {
    for (FactoryEntry& entry : Factory())
        if (entry.tag == tag) return entry.creator;
    throw std::invalid_argument("no storable component kind has the tag " + DescribeTag(tag));
}
