#pragma once

// The editor's own process-wide services, installed for the life of the object, for benchmarks
// that lay out, draw or compute with the real builders and fonts rather than the test
// stand-ins. Each is installed by its guard and the previous one is back when the object ends.

#include "document/TextFontPrefs.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/DrawingServices.h"
#include "mathbox/LayoutStyleTable.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/parser/ExprParser.h"

namespace tessary::bench {

// The fonts, glyphs and drawing layer, the paragraph styles and the line layout's runs: what
// laying out text needs.
struct RealLayout {
    TextFontPrefs prefs;
    DrawingServices drawing{prefs};
    LayoutServices layout;
};

// Besides, the math boxes, the infix parser and the builtin names: what typed math needs to be
// parsed, sent to a kernel, placed or exported.
struct RealMath : RealLayout {
    MathBoxKinds kinds;
    InfixListParser parser;
    Installed<ListParser> parserInstalled{gListParser, &parser};
    BuiltinNamesScope names;
};

} // namespace tessary::bench
