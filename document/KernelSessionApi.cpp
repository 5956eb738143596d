#include "document/KernelSessionApi.h"

constinit ServiceSlot<KernelSessionApi> gKernelSession;
