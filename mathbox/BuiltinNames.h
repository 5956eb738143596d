#pragma once

// The name table lives with the built-in symbol table it indexes.
#include "expr/symbols/BuiltinNames.h"
