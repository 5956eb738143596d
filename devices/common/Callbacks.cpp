// The device's side of yield functions and message handlers, over the callback module that the
// plug-in compiles in.

#include "Waiting.h"

namespace devices {

QKYieldParametersRecord yieldParameters(int32_t reason, int32_t sleep) {
    QKYieldParametersRecord parameters{};
    parameters.active = 1;
    parameters.sleep = sleep;
    parameters.reason = reason;
    return parameters;
}

bool yieldStops(const CallbackSlot& slot, QKYieldParametersRecord& parameters) {
    ++parameters.count;
    if (!slot.record()) return false;
    return qkCallbackYield(slot.record(), static_cast<QKLinkRecord*>(slot.data()), &parameters) !=
           0;
}

void deliverMessage(QKCallbackRecord* handler, void* data, int32_t code, int32_t parameter) {
    qkCallbackMessage(handler, static_cast<QKLinkRecord*>(data), code, parameter);
}

bool handlerHasItsThread(const QKCallbackRecord* handler) {
    // Set when the record is made and never changed after.
    return handler && handler->threaded;
}

} // namespace devices
