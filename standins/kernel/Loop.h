#pragma once

// The kernel's request loop over one link: reads a request, answers exactly one packet for it
// (a "ReturnPacket" holding one expression), flushes, and never sends unasked. While a
// request computes, a watcher thread takes the link's urgent messages; an interrupt (code 3)
// stops the running computation, which then answers "$Canceled".

#include "Script.h"
#include "corvinet/corvinet.h"

#include <cstdint>

namespace standin {

// The link's urgent messages. `take` runs on the watcher thread, concurrently with the loop's
// reads and writes, so it must use only the link's message channel, never its data stream.
class UrgentMessages {
public:
    virtual ~UrgentMessages() = default;
    // The code of a waiting message, taken; 0 when none waits.
    virtual int32_t take() = 0;
};

inline constexpr int32_t kInterruptMessage = 3;

enum class LoopEnd {
    Closed, // the link closed or failed
    Quit,   // the editor asked the kernel to quit
    Died    // the script ended the kernel; the caller should leave without a word
};

// Serves requests on the connected `link` until one of the ends above. The link stays open:
// the caller closes it. `messages` may be null (no interrupts then).
LoopEnd runKernel(QKLINK link, UrgentMessages* messages, const Script& script);

} // namespace standin
