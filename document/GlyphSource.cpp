#include "document/GlyphSource.h"

GlyphSource* gGlyphSource = nullptr;
