#include "expr/BoxFactory.h"

#include "document/GlyphSource.h"

constinit ServiceSlot<BoxFactory> gBoxFactory;

void BoxList::AddGlyph(uint8_t code, int32_t face) {
    if (gGlyphSource == nullptr) return;
    // Glyphs are shared: the owning handle's Destroy leaves them to their face.
    Add(OwnedComponent(gGlyphSource->GetGlyph(face, code)));
}

void BoxList::AddGlyphs(std::string_view text, int32_t face) {
    for (const char c : text)
        AddGlyph(static_cast<uint8_t>(c), face);
}

void BoxList::Append(BoxList&& other) {
    for (OwnedComponent& box : other.m_boxes)
        m_boxes.push_back(std::move(box));
    other.m_boxes.clear();
}
