#pragma once

// The pictures of the main toolbar's element buttons and of the Symbols bar: the symbols are
// the math face's glyphs of the characters the buttons type (looked up the way the drawing
// layer looks them up, through the character table), the element buttons small figures of the
// structure they insert, with the math face's signs where the structure has one. The build
// draws them once into PNG files that become the program's resources; the program itself
// only loads them.
//
// Needs the installed style manager; without its math face the signs fall back to the
// default font's.

#include "app/ToolIcons.h"

#include <QImage>

#include <cstdint>

bool HasMathFace();
// The picture of a main-toolbar element command (32791 to 32811); null for other ids.
QImage DrawElementIcon(int32_t toolbarId, qreal scale);
// The picture of a Symbols bar command (32901 to 32968); null for other ids.
QImage DrawSymbolIcon(int32_t symbolId, qreal scale);
