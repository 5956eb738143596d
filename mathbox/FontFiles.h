#pragma once

// The program's own typefaces, loaded from the files the Debian font packages install, so the
// exact design (and no other optical size of it) is what measures and draws. A face name the
// user picks that is not one of these goes through the system's font matching.

#include <QByteArray>
#include <QRawFont>

#include <string_view>

enum class ProgramFont {
    Roman,       // "Tessary Roman": Latin Modern Roman 10
    RomanBold,   //
    RomanItalic, //
    Math,        // "Tessary Math": Latin Modern Math
    Mono,        // "Courier": Latin Modern Mono 10
    Label,       // the plot-label face: DejaVu Sans
};

// The installed file of a program font.
const char* ProgramFontFile(ProgramFont font);

// The program font that a face name with its weight and slant stands for, or false when the name
// is none of the program's ("Tessary Roman", "Tessary Math", "Courier", "Arial").
bool ProgramFontForName(std::string_view name, bool bold, bool italic, ProgramFont& out);

// The font's bytes, read once per process and shared by every size made from them; empty when
// the file cannot be read. Also registers the font with the application's font database the
// first time, so the rest of the program can name it.
const QByteArray& ProgramFontData(ProgramFont font);

// The longest face name that the drawing layer looks up: the platform's face-name field holds
// 31 characters, and a longer name is cut, not refused.
inline constexpr int kFaceNameLength = 31;

// A font at a pixel size, unhinted so that advances scale exactly with the size. Invalid when
// the face cannot be had.
QRawFont MakeRawFont(std::string_view name, bool bold, bool italic, int pixelSize);
