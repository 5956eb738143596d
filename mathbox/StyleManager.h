#pragma once

// The one owner of every typeface the editor draws with: eight faces (three text faces named by
// the user's preferences, the math face, the code face and three roman faces for mathematics),
// each with its fonts by size index and its 256 shared one-character components.

#include "document/GlyphSource.h"
#include "document/Str255.h"
#include "document/TextComp.h"
#include "platform/Installed.h"

#include <QRawFont>

#include <array>
#include <cstdint>
#include <memory>

struct TextFontPrefs;

// Point sizes by font size index (a larger index is smaller type); 8 for an index above 9.
int32_t PointSizeOfSizeIndex(uint8_t index);

// The pixel size of a font of `points` on a device of `dpi` dots per inch, truncated as every
// metric of the layout is.
inline int32_t PixelSizeOf(int32_t points, int32_t dpi) {
    return points * dpi / 72;
}

// The shared component for one character of one face. Glyphs are created by their face and
// deleted only with it; a list holds a pointer and never copies or deletes one.
class FontGlyph final : public TextComp {
public:
    FontGlyph(uint8_t code, int32_t faceKind) : m_code(code), m_faceKind(faceKind) {}
    ~FontGlyph() override = default;

    void Destroy() override {}
    // The glyph itself: its handle's deleter calls `Destroy`, which does nothing.
    OwnedComponent Clone() const override { return OwnedComponent(const_cast<FontGlyph*>(this)); }
    TypeTag GetTypeTag() const override { return tags::Char; }
    uint8_t GetCharCode() const override { return m_code; }
    void WriteText(OutBuffer& out) override;
    int32_t GetStyleId() const override { return m_faceKind; }
    bool GetGlyphKey(GlyphKey& key) const override {
        key = {m_faceKind, m_code};
        return true;
    }

private:
    uint8_t m_code;
    int32_t m_faceKind;
};

// One face at one pixel size: the platform font and the whole-pixel metrics that layout reads.
// Every character has an integer advance, so a text's width is the sum of its characters'
// and carets inside it add up exactly.
class FaceFont {
public:
    FaceFont(QRawFont raw, int32_t kind, int32_t dpi);

    // False when the platform refused the face; such a font measures every character as 0.
    bool IsValid() const { return m_raw.isValid(); }
    const QRawFont& Raw() const { return m_raw; }
    int32_t GetDpi() const { return m_dpi; }

    quint32 GlyphIndex(uint8_t code) const { return m_glyphs[code]; }
    int32_t Advance(uint8_t code) const { return m_advances[code]; }
    // A glyph outside the face's 256 slots: the roles some slots take when drawn big or as a
    // piece, looked up when asked.
    quint32 GlyphIndexFor(char32_t codePoint) const;
    int32_t AdvanceOfGlyph(quint32 glyph) const;

    int32_t Ascent() const { return m_ascent; }
    int32_t Descent() const { return m_descent; }
    int32_t MaxCharWidth() const { return m_maxCharWidth; }

private:
    QRawFont m_raw;
    int32_t m_dpi;
    std::array<quint32, 256> m_glyphs{};
    std::array<int32_t, 256> m_advances{};
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
    int32_t m_maxCharWidth = 0;
};

class FontFace {
public:
    static constexpr int32_t kSizeCount = 10;

    FontFace(const Str255& name, bool bold, bool italic, int32_t kind);
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    FontGlyph* GetGlyph(uint8_t code) { return m_glyphs[code].get(); }
    // The font for a size index (above 9 counts as 9) on a device of `dpi`, made on first
    // request and remade when the resolution differs from the one it was made for. Null when
    // the platform refuses the face; the refusal is remembered until the fonts are released.
    // Shared, so a drawing layer holding the font it selected keeps it alive across a release.
    std::shared_ptr<const FaceFont> GetFont(uint8_t sizeIndex, int32_t dpi);
    void SetFace(const Str255& name, bool bold, bool italic);
    void ReleaseFonts();

    int32_t GetKind() const { return m_kind; }
    const Str255& GetName() const { return m_name; }
    bool IsBold() const { return m_bold; }
    bool IsItalic() const { return m_italic; }

private:
    std::array<std::shared_ptr<const FaceFont>, kSizeCount> m_fonts;
    int32_t m_kind;
    Str255 m_name;
    bool m_bold;
    bool m_italic;
    std::array<std::unique_ptr<FontGlyph>, 256> m_glyphs;
};

class StyleManager final : public GlyphSource {
public:
    static constexpr int32_t kFaceCount = 8;

    explicit StyleManager(const TextFontPrefs& prefs);
    StyleManager(const StyleManager&) = delete;
    StyleManager& operator=(const StyleManager&) = delete;

    // Face i, or null outside 0 to 7.
    FontFace* GetFace(int32_t i);
    // The upright roman face in which a run of the given face's kind is drawn as a function name.
    FontFace* FaceForKind(int32_t kind);
    // Renames the three text faces and releases their fonts; the code face keeps its name.
    void SetFaceNames(const TextFontPrefs& prefs);
    void ReleaseFonts();

    TextComp* GetGlyph(int32_t face, uint8_t code) override;

private:
    std::array<std::unique_ptr<FontFace>, kFaceCount> m_faces;
};

// The style manager, its math face and its plain text face, for the code that builds characters
// without a list to ask; installed together with the drawing layer (see `DrawingServices`).
extern ServiceSlot<StyleManager> gStyleManager;
extern ServiceSlot<FontFace> gMathFace;
extern ServiceSlot<FontFace> gTextFace;
