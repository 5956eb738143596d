#include "mathbox/LayoutStyleTable.h"

ServiceSlot<LayoutBuilder> gDefaultBuilder;

LayoutStyleTable::LayoutStyleTable() : LayoutStyleTable(MakeStyleBuilder) {}

LayoutStyleTable::LayoutStyleTable(const MakeBuilder& make) {
    // A failure below unwinds the members: the default builder comes back before the builders
    // go, so it never points at a deleted one.
    for (const int32_t style : {3, 1, 6, 0, 4, 2, 5, 7}) {
        m_builders[style] = make(style);
        if (style == ParaStyle::kParagraph) m_default.emplace(gDefaultBuilder, m_builders[3].get());
    }
}

LayoutStyleTable::~LayoutStyleTable() {
    m_default.reset();
}

LayoutBuilder& LayoutStyleTable::GetBuilder(int32_t style) {
    return *m_builders[style >= 0 && style < 8 ? style : ParaStyle::kParagraph];
}

std::unique_ptr<LayoutBuilder> LayoutStyleTable::MakeStyleBuilder(int32_t style) {
    switch (style) {
    case ParaStyle::kTitle:
    case ParaStyle::kPlainEquation:
        return std::make_unique<CentredLayoutBuilder>(style);
    case ParaStyle::kSection:
    case ParaStyle::kListEntry:
        return std::make_unique<LabelledLayoutBuilder>(style);
    case ParaStyle::kNumberedEquation:
        return std::make_unique<EquationLayoutBuilder>();
    case ParaStyle::kSourceCode:
        return std::make_unique<CodeLayoutBuilder>();
    default:
        return std::make_unique<LayoutBuilder>(style);
    }
}

LayoutServices::LayoutServices() = default;
