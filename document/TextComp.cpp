#include "document/TextComp.h"

#include "document/CharBlock.h"
#include "document/CompList.h"

#include <array>

namespace {

constexpr int32_t kFirstElementCommand = 32812;
constexpr int32_t kLastElementCommand = 32832;

struct FactoryEntry {
    TypeTag tag;
    TextComp::Creator creator;
};

TextComp* NewCharBlock() {
    return new CharBlock;
}

// The storable kinds, in the order the factory tries them. Character blocks belong to this
// library; the other kinds are registered by their subsystems.
std::array<FactoryEntry, 25>& Factory() {
    static std::array<FactoryEntry, 25> entries = {{
        {tags::CharBlock, &NewCharBlock},
        {tags::Product, nullptr},
        {tags::Sum, nullptr},
        {tags::AbsValue, nullptr},
        {tags::BraceGroup, nullptr},
        {tags::ParenGroup, nullptr},
        {tags::PartialDerivative, nullptr},
        {tags::TotalDerivative, nullptr},
        {tags::Exponent, nullptr},
        {tags::Fraction, nullptr},
        {tags::EquationSet, nullptr},
        {tags::Matrix, nullptr},
        {tags::Table, nullptr},
        {tags::Split, nullptr},
        {tags::Integral, nullptr},
        {tags::Limit, nullptr},
        {tags::Missing, nullptr},
        {tags::Overbar, nullptr},
        {tags::Metafile, nullptr},
        {tags::Plot2D, nullptr},
        {tags::Plot3D, nullptr},
        {tags::Radical, nullptr},
        {tags::Subscript, nullptr},
        {tags::Reference, nullptr},
        {tags::Link, nullptr},
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

TextComp* TextComp::CreateByTag(TypeTag tag) {
    for (const FactoryEntry& entry : Factory())
        if (entry.tag == tag) return entry.creator ? entry.creator() : nullptr;
    return nullptr;
}

bool TextComp::RegisterKind(TypeTag tag, Creator creator) {
    for (FactoryEntry& entry : Factory()) {
        if (entry.tag == tag) {
            entry.creator = creator;
            return true;
        }
    }
    return false;
}
