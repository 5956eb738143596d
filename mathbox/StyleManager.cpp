#include "mathbox/StyleManager.h"

#include "document/OutBuffer.h"
#include "document/TextFontPrefs.h"
#include "mathbox/CharTable.h"
#include "mathbox/FontFiles.h"
#include "mathbox/MathGlyphMap.h"
#include "platform/Cp1252.h"

#include <QString>

#include <cmath>

ServiceSlot<StyleManager> gStyleManager;
ServiceSlot<FontFace> gMathFace;
ServiceSlot<FontFace> gTextFace;

namespace {

constexpr int32_t kPointSizes[FontFace::kSizeCount] = {28, 24, 20, 18, 16, 14, 12, 10, 9, 8};

int32_t RoundedAdvance(qreal advance) {
    return static_cast<int32_t>(std::lround(advance));
}

} // namespace

int32_t PointSizeOfSizeIndex(uint8_t index) {
    return index < FontFace::kSizeCount ? kPointSizes[index] : 8;
}

void FontGlyph::WriteText(OutBuffer& out) {
    if (m_faceKind == kMathFontKind)
        out.PutSymbol(m_code, TextSymbol::Kind::MathFace);
    else
        out.PutChar(m_code);
}

FaceFont::FaceFont(QRawFont raw, int32_t kind, int32_t dpi) : m_raw(std::move(raw)), m_dpi(dpi) {
    if (!m_raw.isValid()) return;
    for (int code = 0; code < 256; ++code) {
        const char32_t cp = kind == kMathFontKind
                                ? MathGlyphCodes[code]
                                : platform::Cp1252ToUnicode(static_cast<uint8_t>(code));
        m_glyphs[code] = GlyphIndexFor(cp);
    }
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(
        QList<quint32>(m_glyphs.begin(), m_glyphs.end()), QRawFont::UseDesignMetrics);
    for (int code = 0; code < 256 && code < advances.size(); ++code)
        m_advances[code] = RoundedAdvance(advances[code].x());
    m_ascent = static_cast<int32_t>(std::ceil(m_raw.ascent()));
    m_descent = static_cast<int32_t>(std::ceil(m_raw.descent()));
    m_maxCharWidth = static_cast<int32_t>(std::ceil(m_raw.maxCharWidth()));
}

quint32 FaceFont::GlyphIndexFor(char32_t codePoint) const {
    if (!m_raw.isValid()) return 0;
    const QList<quint32> glyphs = m_raw.glyphIndexesForString(QString::fromUcs4(&codePoint, 1));
    return glyphs.size() == 1 ? glyphs[0] : 0;
}

int32_t FaceFont::AdvanceOfGlyph(quint32 glyph) const {
    if (!m_raw.isValid()) return 0;
    const QList<QPointF> advances =
        m_raw.advancesForGlyphIndexes(QList<quint32>{glyph}, QRawFont::UseDesignMetrics);
    return advances.isEmpty() ? 0 : RoundedAdvance(advances[0].x());
}

FontFace::FontFace(const Str255& name, bool bold, bool italic, int32_t kind)
    : m_kind(kind), m_name(name), m_bold(bold), m_italic(italic) {
    for (int code = 0; code < 256; ++code)
        m_glyphs[code] = std::make_unique<FontGlyph>(static_cast<uint8_t>(code), kind);
}

std::shared_ptr<const FaceFont> FontFace::GetFont(uint8_t sizeIndex, int32_t dpi) {
    const int slot = sizeIndex < kSizeCount ? sizeIndex : kSizeCount - 1;
    std::shared_ptr<const FaceFont>& font = m_fonts[slot];
    if (!font || font->GetDpi() != dpi) {
        const int32_t pixels = PixelSizeOf(kPointSizes[slot], dpi);
        font = std::make_shared<const FaceFont>(
            MakeRawFont(m_name.View(), m_bold, m_italic, pixels), m_kind, dpi);
    }
    return font->IsValid() ? font : nullptr;
}

void FontFace::SetFace(const Str255& name, bool bold, bool italic) {
    m_name = name;
    m_bold = bold;
    m_italic = italic;
    ReleaseFonts();
}

void FontFace::ReleaseFonts() {
    for (auto& font : m_fonts)
        font.reset();
}

StyleManager::StyleManager(const TextFontPrefs& prefs) {
    const Str255 math("Tessary Math");
    const Str255 roman("Tessary Roman");
    m_faces[0] = std::make_unique<FontFace>(prefs.textFont, false, false, 0);
    m_faces[1] = std::make_unique<FontFace>(prefs.italicFont, false, true, 1);
    m_faces[2] = std::make_unique<FontFace>(prefs.boldFont, true, false, 2);
    m_faces[3] = std::make_unique<FontFace>(math, false, false, 3);
    m_faces[4] = std::make_unique<FontFace>(prefs.codeFont, false, false, 4);
    m_faces[5] = std::make_unique<FontFace>(roman, false, false, 5);
    m_faces[6] = std::make_unique<FontFace>(roman, true, false, 6);
    m_faces[7] = std::make_unique<FontFace>(roman, false, false, 7);
}

FontFace* StyleManager::GetFace(int32_t i) {
    return i >= 0 && i < kFaceCount ? m_faces[i].get() : nullptr;
}

FontFace* StyleManager::FaceForKind(int32_t kind) {
    if (kind == 0 || kind == 4) return m_faces[5].get();
    if (kind == 2) return m_faces[6].get();
    return m_faces[7].get();
}

void StyleManager::SetFaceNames(const TextFontPrefs& prefs) {
    m_faces[0]->SetFace(prefs.textFont, false, false);
    m_faces[1]->SetFace(prefs.italicFont, false, true);
    m_faces[2]->SetFace(prefs.boldFont, true, false);
}

void StyleManager::ReleaseFonts() {
    for (auto& face : m_faces)
        face->ReleaseFonts();
}

TextComp* StyleManager::GetGlyph(int32_t face, uint8_t code) {
    FontFace* f = GetFace(face);
    return f != nullptr ? f->GetGlyph(code) : nullptr;
}
