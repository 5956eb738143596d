#include "mathbox/BuiltinNames.h"

constinit StringHash BuiltinNames;
