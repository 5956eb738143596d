#pragma once

// How a device waits: on descriptors, in rounds, calling the link's yield function between
// rounds so that the application can serve its user or give up. Data wakes a wait at once; the
// round is only the longest a wait sleeps before it asks the yield function again.

#include "corvinet/corvinet.h"

#include <poll.h>

#include <cstdint>

namespace devices {

// What a yield function is handed while a device waits: the advised sleep in milliseconds, the
// rounds so far and why the device waits.
struct YieldParameters {
    int32_t sleep = 0;
    int32_t count = 0;
    int32_t reason = 0;
};

enum YieldReason : int32_t {
    kYieldConnect = 2,
    kYieldRead = 3,
    kYieldWrite = 4,
    kYieldTestData = 6,
};

// A link's yield function and the data word handed back to it. No object means the device's
// default, which never stops a wait.
struct YieldSlot {
    QKYieldFunctionObject object = nullptr;
    void* data = nullptr;
};

// A link's message handler and its data word.
struct HandlerSlot {
    QKMessageHandlerObject object = nullptr;
    void* data = nullptr;
};

// One round of a wait: counts it and asks the yield function. True when it asks to stop.
bool yieldStops(const YieldSlot& slot, YieldParameters& parameters);

// Hands an urgent message to the handler, which runs on its own thread, never on the caller's.
void postMessage(const HandlerSlot& slot, int32_t code, int32_t parameter);

// poll() for at most `milliseconds` (-1: no limit), retrying interrupted calls: the number of
// ready descriptors, 0 when the time ran out, -1 on failure.
int pollFor(pollfd* fds, nfds_t count, int milliseconds);

enum WaitResult : int { kWaitReady = 1, kWaitStopped = 0, kWaitFailed = -1 };

// Waits until one of `fds` reports an event, in rounds of `round` milliseconds with a call of
// the yield function after each empty round.
WaitResult waitReady(pollfd* fds, nfds_t count, const YieldSlot& slot, int32_t reason,
                     int32_t sleep, int round);

} // namespace devices
