#pragma once

// The library's side of the callback records of device.h: making and destroying them. Calling,
// retaining and releasing are declared in device.h, because the plug-ins do those too.

#include "corvinet/device.h"

namespace corvinet {

// A new record of `kind` (QKCALLBACK_YIELD or QKCALLBACK_HANDLER) holding one reference for its
// creator. With `threaded` the record gets a callback thread of its own that serves its queue;
// when that thread cannot be started the record runs on the calling thread instead. Null for a
// null function or when memory runs out.
QKCallbackRecord* makeCallbackRecord(int32_t kind, void (*function)(void), bool threaded);

// Marks the record dead, drops its queued calls, ends its callback thread (waiting for it, unless
// called on that thread) and gives back the creator's reference. Returns the record's function,
// or null when the record was already destroyed.
void (*destroyCallbackRecord(QKCallbackRecord* record))(void);

} // namespace corvinet
