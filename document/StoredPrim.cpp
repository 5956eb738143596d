#include "document/StoredPrim.h"

ServiceSlot<PrimitiveFactory> gPrimitiveFactory;
