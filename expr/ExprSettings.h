#pragma once

// What the kernel session's preferences decide about the display of expressions. The session
// installs its values in `gExprSettings` with an `Installed` guard; without them the defaults
// hold.

#include "platform/Installed.h"

#include <cstdint>
#include <string>

struct ExprSettings {
    // Significant digits of a real number shown; 0 means 16.
    int32_t precision = 0;
    // Terms with an integration constant are drawn after the others.
    bool constantsToBack = false;
    // What the kernel's default and transform variables stand for.
    std::string defaultVariable = "x";
    std::string transformVariable = "t";

    int32_t DigitLimit() const { return precision > 0 ? precision : 16; }
};

extern ServiceSlot<const ExprSettings> gExprSettings;

// The installed settings, or the defaults.
const ExprSettings& CurrentExprSettings();
