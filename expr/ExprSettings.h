#pragma once

// What the kernel session's preferences decide about the display of expressions. The session
// installs its values with an ExprSettingsScope; without one the defaults hold.

#include <cstdint>

struct ExprSettings {
    // Digits of a real number shown; 0 means 16.
    int32_t precision = 0;
    // Terms with an integration constant are drawn after the others.
    bool constantsToBack = false;

    int32_t DigitLimit() const { return precision > 0 ? precision : 16; }
};

const ExprSettings& CurrentExprSettings();

class ExprSettingsScope {
public:
    explicit ExprSettingsScope(const ExprSettings& settings);
    ~ExprSettingsScope();
    ExprSettingsScope(const ExprSettingsScope&) = delete;
    ExprSettingsScope& operator=(const ExprSettingsScope&) = delete;

private:
    ExprSettings m_previous;
};
