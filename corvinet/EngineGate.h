#pragma once

// How every exported put and get function meets the link: the gate that a stored error closes,
// the engine step, and the step's result stored as the link's error (only the first non-zero
// code sticks). No exception crosses the interface: running out of memory inside a step is
// QKERR_OUT_OF_MEMORY.

#include "GetState.h"
#include "Link.h"
#include "PutState.h"

#include <new>

namespace corvinet {

enum class Gate {
    // Typed puts and gets: an unconnected link (QKERR_UNCONNECTED) connects first.
    kConnect,
    // Gets: besides, the peer having closed (QKERR_PEER_CLOSED) still lets delivered data be read.
    kConnectOrClosed,
    // Everything else: any stored error refuses the call.
    kClean,
};

inline bool passes(QKLINK link, Gate gate) {
    switch (link->error) {
    case 0:
        return true;
    case QKERR_UNCONNECTED:
        return gate != Gate::kClean && QKConnect(link) != 0;
    case QKERR_PEER_CLOSED:
        return gate == Gate::kConnectOrClosed;
    default:
        return false;
    }
}

// Runs `step(state)` on the link's put or get state; returns non-zero on success.
template <class State, class Step>
int32_t runStep(QKLINK link, Gate gate, State* QKLinkRecord::*slot, Step&& step) {
    if (!link || !passes(link, gate)) return 0;
    State* state = link->*slot;
    if (!state) {
        link->setError(QKERR_UNCONNECTED);
        return 0;
    }
    LinkError rc;
    try {
        rc = step(*state);
    } catch (const std::bad_alloc&) {
        rc = QKERR_OUT_OF_MEMORY;
    }
    link->setError(rc.code());
    return !rc;
}

template <class Step>
int32_t runPut(QKLINK link, Gate gate, Step&& step) {
    return runStep(link, gate, &QKLinkRecord::put, step);
}

template <class Step>
int32_t runGet(QKLINK link, Step&& step, Gate gate = Gate::kConnectOrClosed) {
    return runStep(link, gate, &QKLinkRecord::get, step);
}

} // namespace corvinet
