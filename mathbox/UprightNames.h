#pragma once

// Whether a name typed in the math face is a built-in name set upright (sin, log, ...): the
// built-in symbol table answers through the row the name table gives (its flag 0x1). The table
// installs its answer with an `Installed` guard at start-up; without one, every name stays in
// the math face.

#include "platform/Installed.h"

#include <string_view>

using UprightNameTest = bool(std::string_view name);

extern ServiceSlot<UprightNameTest> gUprightNames;

// The installed answer, false when none is installed.
bool IsUprightName(std::string_view name);
