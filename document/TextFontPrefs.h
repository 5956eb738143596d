#pragma once

// The four face names of the text fonts that the user chooses, kept in the profile section
// "Text Prefs". Loaded once at start-up; the Text Preferences dialog saves them.

#include "document/Str255.h"

class QSettings;

struct TextFontPrefs {
    TextFontPrefs();

    // Each key holding a non-empty name replaces the default; missing or empty keys keep it.
    void Load(QSettings& profile);
    void Save(QSettings& profile) const;

    Str255 textFont;
    Str255 codeFont;
    Str255 boldFont;
    Str255 italicFont;
};
