#pragma once

// The shared one-character components. Every character a list holds is the glyph of its face
// and code, owned by the style manager's face and never allocated per occurrence. The style
// manager installs itself in `gGlyphSource` with an `Installed` guard at start-up, before any
// document is read.

#include "platform/Installed.h"

#include <cstdint>

class TextComp;

// The math face: boxes measure and draw their signs in it, typed math takes it, and its
// characters are stored in the math font's own code rather than as text.
inline constexpr int32_t kMathFace = 3;

class GlyphSource {
public:
    virtual ~GlyphSource() = default;

    // The glyph for a face (0 to 7) and a character code, or null for a face outside 0 to 7.
    // Not owned by the caller.
    virtual TextComp* GetGlyph(int32_t face, uint8_t code) = 0;
};

// The installed source; not owned here.
extern ServiceSlot<GlyphSource> gGlyphSource;

// The face that characters typed into text of style `style` take (the style as
// `DocRange::GetTextStyle` tells it): the style itself for the text faces 0 to 4, the math face
// for anything else. Typing and replacing put characters in alike.
int32_t TypingFace(int32_t style);
// The installed source's glyph for a face and code, to go into a list: std::logic_error when
// the face has none, so that no null is ever inserted.
TextComp* RequireGlyph(int32_t face, uint8_t code);
