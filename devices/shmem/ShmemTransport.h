#pragma once

// The shared-memory transport: links between two processes on one machine, each end owning one
// mapping (ShmemMapping.h) that the other writes into, met through ShmemHandshake.h.

#include "Transport.h"

namespace devices::shmem {

// The plug-in's device object; null when it cannot start.
TransportDevice* createDevice(const DeviceMemory& memory);

// "Local" when the plug-in's file name holds "lcl" or "local" in any letter case, else
// "FileMap".
const char* deviceNameForFile(const char* fileName);

} // namespace devices::shmem
