// The device's side of yield functions and message handlers.

#include "Waiting.h"

namespace devices {

bool yieldStops(const YieldSlot& slot, YieldParameters& parameters) {
    ++parameters.count;
    if (!slot.object) return false;
    return false;
}

void postMessage(const HandlerSlot& slot, int32_t code, int32_t parameter) {
    (void)slot;
    (void)code;
    (void)parameter;
}

} // namespace devices
