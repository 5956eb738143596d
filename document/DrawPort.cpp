#include "document/DrawPort.h"

DrawPort* gDrawPort = nullptr;
