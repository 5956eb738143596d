#include "expr/ExprSettings.h"

constinit ServiceSlot<const ExprSettings> gExprSettings;

const ExprSettings& CurrentExprSettings() {
    static const ExprSettings kDefaults;
    const ExprSettings* installed = gExprSettings.Get();
    return installed ? *installed : kDefaults;
}
