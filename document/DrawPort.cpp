#include "document/DrawPort.h"

ServiceSlot<DrawPort> gDrawPort;
