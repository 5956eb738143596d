#include "document/RunFactory.h"

ServiceSlot<RunFactory> gRunFactory;
