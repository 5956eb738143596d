#pragma once

// How a device waits: on descriptors, in rounds, calling the link's yield function between
// rounds so that the application can serve its user or give up. Data wakes a wait at once; the
// round is only the longest a wait sleeps before it asks the yield function again.

#include "corvinet/corvinet.h"

#include <poll.h>

#include <cstdint>

namespace devices {

// A link's yield function or message handler record and the data word handed back to it (the
// library passes the link). The slot holds a reference to its record for as long as it keeps
// it. No record in the yield slot means the device's default, which never stops a wait.
class CallbackSlot {
public:
    CallbackSlot() = default;
    ~CallbackSlot() { qkCallbackRelease(m_record); }
    CallbackSlot(const CallbackSlot&) = delete;
    CallbackSlot& operator=(const CallbackSlot&) = delete;

    void set(QKCallbackRecord* record, void* data) {
        qkCallbackRetain(record);
        qkCallbackRelease(m_record);
        m_record = record;
        m_data = data;
    }
    QKCallbackRecord* record() const { return m_record; }
    void* data() const { return m_data; }

private:
    QKCallbackRecord* m_record = nullptr;
    void* m_data = nullptr;
};

// One round of a wait: counts it and asks the yield function. True when it asks to stop.
bool yieldStops(const CallbackSlot& slot, QKYieldParametersRecord& parameters);
QKYieldParametersRecord yieldParameters(int32_t reason, int32_t sleep);

// Hands an urgent message to a handler record (retained by the caller for the call).
void deliverMessage(QKCallbackRecord* handler, void* data, int32_t code, int32_t parameter);
// True when the handler runs on a callback thread of its own, so that a device's own thread
// may hand it a message; a handler made on the program's thread gets its messages there, while
// that thread waits on the link.
bool handlerHasItsThread(const QKCallbackRecord* handler);

// poll() for at most `milliseconds` (-1: no limit), retrying interrupted calls: the number of
// ready descriptors, 0 when the time ran out, -1 on failure.
int pollFor(pollfd* fds, nfds_t count, int milliseconds);

enum WaitResult : int { kWaitReady = 1, kWaitStopped = 0, kWaitFailed = -1 };

// Waits until one of `fds` reports an event, in rounds of `round` milliseconds with a call of
// the yield function after each empty round.
WaitResult waitReady(pollfd* fds, nfds_t count, const CallbackSlot& slot, int32_t reason,
                     int32_t sleep, int round);

} // namespace devices
