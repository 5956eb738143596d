#pragma once

// Memory of a plug-in: records handed to or kept for the library come from the allocator pair
// that the library passed with DEVICE_INIT, or from the process heap when it passed none. The
// pair is the library's own header-only type; the plug-in links no part of the library.

#include "EnvMemory.h"

namespace devices {

using DeviceMemory = corvinet::AllocatorPair;

DeviceMemory deviceMemory(QKAllocator allocate, QKDeallocator deallocate);

} // namespace devices
