#pragma once

// The button icons and the application icon, from the program's resources (the button
// pictures are drawn by the build, see ToolIconArt.h).

#include <QIcon>
#include <QString>

#include <cstdint>

// Button sizes in device-independent pixels.
inline constexpr int kElementIconWidth = 16;
inline constexpr int kElementIconHeight = 15;
inline constexpr int kSymbolIconWidth = 15;
inline constexpr int kSymbolIconHeight = 20;
// The pictures are drawn at this multiple of their size, for dense screens.
inline constexpr int kIconScale = 2;

// The icon of a main-toolbar element command (32791 to 32811); a null icon for other ids.
QIcon ElementIcon(int32_t toolbarId);
// The icon of a Symbols bar command (32901 to 32968).
QIcon SymbolIcon(int32_t symbolId);
QIcon ApplicationIcon();
// The resource names of the button pictures.
QString ElementIconResource(int32_t toolbarId);
QString SymbolIconResource(int32_t symbolId);
