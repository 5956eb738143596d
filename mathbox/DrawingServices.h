#pragma once

// The fonts, the styles and the drawing layer as one installed service: the application makes
// one at start-up, after the text preferences are read, and tests make their own. For its
// lifetime the style manager is the glyph source and the layer is the drawing port; on
// destruction whatever was installed before comes back.

#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "mathbox/PaintPort.h"
#include "mathbox/StyleManager.h"

class FontFace;
struct TextFontPrefs;

class DrawingServices {
public:
    explicit DrawingServices(const TextFontPrefs& prefs);
    ~DrawingServices();
    DrawingServices(const DrawingServices&) = delete;
    DrawingServices& operator=(const DrawingServices&) = delete;

    StyleManager& Styles() { return m_styles; }
    PaintPort& Port() { return m_port; }

private:
    StyleManager m_styles;
    PaintPort m_port;
    Installed<DrawPort> m_portInstalled;
    Installed<GlyphSource> m_glyphsInstalled;
    StyleManager* m_previousStyles;
    FontFace* m_previousMath;
    FontFace* m_previousText;
};
