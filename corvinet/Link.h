#pragma once

// The link object (QKLINK): one end of a connection. It holds the stored error, the read and
// write stream over its device link (shared with its duplicates), the negotiated features and
// the token engines' states.
//
// Errors: a new link holds QKERR_UNCONNECTED until it is established. Only the first non-zero
// error sticks: setError never overwrites a stored error and never stores 0; QKClearError (or
// clearError) is the only way back to 0.

#include "LinkEnvironment.h"
#include "LinkFeatures.h"
#include "LinkStream.h"
#include "corvinet/corvinet.h"

#include <cstdint>

namespace corvinet {
class PutState;
class GetState;
struct LaunchWatch;
} // namespace corvinet
struct QKArrayStateRecord;

struct QKLinkRecord {
    int32_t error = QKERR_UNCONNECTED;
    LinkEnvironment* linkEnv = nullptr;
    corvinet::DeviceLink* device = nullptr; // shared with duplicates

    int32_t number = 0;
    char* name = nullptr; // owned copy, or none
    void* userData = nullptr;
    QKUserFunction userRelease = nullptr;

    corvinet::LinkStream stream;
    LinkFeatures features; // valid once established
    bool established = false;

    // The token engines' states, made at establish (attachEngines) and released at destroy.
    corvinet::PutState* put = nullptr; // shared with duplicates
    corvinet::GetState* get = nullptr; // this link's own
    // The array states of either side (ArrayState.h), this link's own; freed with the link.
    QKArrayStateRecord* getArray = nullptr;
    QKArrayStateRecord* putArray = nullptr;
    const void* putArraySource = nullptr; // the state whose shape putArray copied, never read
    // The program this link launched, watched until the link ends (Launch.h); owned.
    corvinet::LaunchWatch* launch = nullptr;

    QKENV env() const { return linkEnv->env; }
    // Stores the first non-zero error; returns `code` so callers can `return link->setError(c)`.
    int32_t setError(int32_t code) {
        if (code != 0 && error == 0) error = code;
        return code;
    }
    void clearError() { error = 0; }
};
