#pragma once

// The environment (QKENV): the one object that owns the allocator pair, the device plug-ins,
// the link environment with its links, the number converter and the identifiers that the
// negotiation sends. Built by QKBegin from a parameter record, ended by QKEnd.

#include "EnvMemory.h"
#include "LinkFeatures.h"
#include "corvinet/corvinet.h"

#include <cstdint>

namespace corvinet {
struct DeviceEntry;

enum DialogSlot { kAlert, kRequest, kConfirm, kRequestArgv, kRequestToInteract, kDialogSlots };
} // namespace corvinet

struct QKEnvironment {
    corvinet::DeviceEntry* devices = nullptr; // ordered by priority; owned
    LinkEnvironment* linkEnv = nullptr;       // owned
    QKYieldFunctionObject defaultYield = nullptr;
    corvinet::AllocatorPair memory;
    QKProc dialogs[corvinet::kDialogSlots] = {};
    QKProc defaultDialogs[corvinet::kDialogSlots] = {};
    char errorText[24] = {}; // "Error <code>" for codes without a message row
    // What this end offers in the negotiation: its token and formats masks and its converter.
    LinkFeatures features;
    int32_t highestLevel = 3;
    char numericsId[64] = {};
    char textId[64] = {};
    int32_t interfaceLevel = 0;
    int32_t refCount = 0;

    void* allocate(std::size_t size) const { return memory.get(size); }
    void free(void* p) const { memory.put(p); }
};
