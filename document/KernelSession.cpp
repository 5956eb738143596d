#include "document/KernelSession.h"

ServiceSlot<KernelSession> gKernelSession;
