#include "document/GlyphSource.h"

#include <stdexcept>
#include <string>

ServiceSlot<GlyphSource> gGlyphSource;

int32_t TypingFace(int32_t style) {
    return style >= 0 && style <= 4 ? style : kMathFace;
}

TextComp* RequireGlyph(int32_t face, uint8_t code) {
    TextComp* glyph = gGlyphSource->GetGlyph(face, code);
    if (glyph == nullptr)
        throw std::logic_error("the glyph source has no characters in face " +
                               std::to_string(face));
    return glyph;
}
