#include "expr/ExprSettings.h"

namespace {
ExprSettings gSettings;
}

const ExprSettings& CurrentExprSettings() {
    return gSettings;
}

ExprSettingsScope::ExprSettingsScope(const ExprSettings& settings) : m_previous(gSettings) {
    gSettings = settings;
}

ExprSettingsScope::~ExprSettingsScope() {
    gSettings = m_previous;
}
