#include "Waiting.h"

#include <cerrno>

namespace devices {

int pollFor(pollfd* fds, nfds_t count, int milliseconds) {
    for (;;) {
        int ready = poll(fds, count, milliseconds);
        if (ready >= 0) return ready;
        // A signal cut the wait short; waiting the whole time again only lengthens one round.
        if (errno != EINTR) return -1;
    }
}

WaitResult waitReady(pollfd* fds, nfds_t count, const CallbackSlot& slot, int32_t reason,
                     int32_t sleep, int round) {
    QKYieldParametersRecord parameters = yieldParameters(reason, sleep);
    for (;;) {
        int ready = pollFor(fds, count, round);
        if (ready > 0) return kWaitReady;
        if (ready < 0) return kWaitFailed;
        if (yieldStops(slot, parameters)) return kWaitStopped;
    }
}

} // namespace devices
