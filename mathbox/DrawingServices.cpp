#include "mathbox/DrawingServices.h"

#include "document/GlyphSource.h"

DrawingServices::DrawingServices(const TextFontPrefs& prefs)
    : m_styles(prefs), m_port(m_styles), m_portScope(m_port), m_previousGlyphs(gGlyphSource),
      m_previousStyles(gStyleManager), m_previousMath(gMathFace), m_previousText(gTextFace) {
    gGlyphSource = &m_styles;
    gStyleManager = &m_styles;
    gMathFace = m_styles.GetFace(3);
    gTextFace = m_styles.GetFace(0);
}

DrawingServices::~DrawingServices() {
    gGlyphSource = m_previousGlyphs;
    gStyleManager = m_previousStyles;
    gMathFace = m_previousMath;
    gTextFace = m_previousText;
}
