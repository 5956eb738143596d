#pragma once

// The fonts, the styles and the drawing layer as one installed service: the application makes
// one at start-up, after the text preferences are read, and tests make their own. For its
// lifetime the style manager is the glyph source and the layer is the drawing port; on
// destruction whatever was installed before comes back. Needs the GUI application, which
// provides the font engine.

#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "mathbox/PaintPort.h"
#include "mathbox/StyleManager.h"
#include "platform/Installed.h"

struct TextFontPrefs;

class DrawingServices {
public:
    explicit DrawingServices(const TextFontPrefs& prefs);
    DrawingServices(const DrawingServices&) = delete;
    DrawingServices& operator=(const DrawingServices&) = delete;

    StyleManager& Styles() { return m_styles; }
    PaintPort& Port() { return m_port; }

private:
    StyleManager m_styles;
    PaintPort m_port;
    Installed<::DrawPort> m_installedPort{gDrawPort, &m_port};
    Installed<::GlyphSource> m_installedGlyphs{gGlyphSource, &m_styles};
    Installed<StyleManager> m_installedStyles{gStyleManager, &m_styles};
    Installed<FontFace> m_installedMath{gMathFace, m_styles.GetFace(3)};
    Installed<FontFace> m_installedText{gTextFace, m_styles.GetFace(0)};
};
