#include "document/GlyphSource.h"

ServiceSlot<GlyphSource> gGlyphSource;
