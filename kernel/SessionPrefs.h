#pragma once

// The calculation preferences the session sends to the kernel, kept in the profile section
// "Kernel Preferences". Missing or damaged values read as their defaults; the variables are
// cut to 31 characters, and an empty variable name falls back to its default, since the kernel
// cannot take an empty symbol.

#include "document/Str255.h"

#include <cstdint>

class QSettings;

namespace kernel {

struct SessionPrefs {
    static constexpr const char* kSection = "Kernel Preferences";

    SessionPrefs() = default;
    // Loads from the profile.
    explicit SessionPrefs(QSettings& profile) { Load(profile); }

    void Load(QSettings& profile);
    void Save(QSettings& profile) const;

    bool resultsAtEnd = false;
    bool showWarnings = false;
    Str31 defaultVariable{"x"};
    Str31 transformVariable{"xi"};
    int32_t precision = 0; // 0: the kernel's default
};

} // namespace kernel
