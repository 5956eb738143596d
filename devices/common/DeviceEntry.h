#pragma once

// The entry point that both plug-ins export as "winlcl_main": the selectors of the device
// contract over a transport. Each plug-in forwards its entry point here with its own factory.
// No exception leaves it: a failure inside answers 1 (8 when memory ran out).

#include "Transport.h"
#include "corvinet/device.h"

namespace devices {

int32_t deviceMain(TransportFactory factory, void* handle, uint32_t selector, void* a, void* b);

// The open-argument block unpacked: six zero-terminated texts, the two numbers read digit by
// digit from the low four bits of each byte.
OpenArguments unpackOpenArguments(const char* block);

} // namespace devices

#define DEVICE_EXPORT extern "C" __attribute__((visibility("default")))
