#include "mathbox/DrawingServices.h"

#include "document/GlyphSource.h"

DrawingServices::DrawingServices(const TextFontPrefs& prefs)
    : m_styles(prefs), m_port(m_styles), m_portInstalled(gDrawPort, &m_port),
      m_glyphsInstalled(gGlyphSource, &m_styles), m_previousStyles(gStyleManager),
      m_previousMath(gMathFace), m_previousText(gTextFace) {
    gStyleManager = &m_styles;
    gMathFace = m_styles.GetFace(3);
    gTextFace = m_styles.GetFace(0);
}

DrawingServices::~DrawingServices() {
    gStyleManager = m_previousStyles;
    gMathFace = m_previousMath;
    gTextFace = m_previousText;
}
