#pragma once

// The pictures of the main toolbar's element buttons and of the Symbols bar, drawn by the
// program itself: the symbols are the math face's glyphs of the characters the buttons type,
// the element buttons small figures of the structure they insert, with the math face's signs
// where a structure has one. Needs the installed style manager; without its math face the
// symbols fall back to the character's Unicode form in the default font.

#include <QIcon>

#include <cstdint>

// Button sizes in device-independent pixels.
inline constexpr int kElementIconWidth = 16;
inline constexpr int kElementIconHeight = 15;
inline constexpr int kSymbolIconWidth = 15;
inline constexpr int kSymbolIconHeight = 20;

// The icon of a main-toolbar element command (32791 to 32811); a null icon for other ids.
QIcon ElementIcon(int32_t toolbarId);
// The icon of a Symbols bar command (32901 to 32968).
QIcon SymbolIcon(int32_t symbolId);
// The application's icon, from the program's resources.
QIcon ApplicationIcon();
