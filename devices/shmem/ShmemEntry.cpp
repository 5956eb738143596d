// QKMAP32.QKP: the shared-memory device plug-in.

#include "DeviceEntry.h"
#include "ShmemTransport.h"

DEVICE_EXPORT int32_t winlcl_main(void* handle, uint32_t selector, void* a, void* b) {
    return devices::deviceMain(devices::shmem::createDevice, handle, selector, a, b);
}

// Yield functions that stop every wait, for programs that want a link never to block.
DEVICE_EXPORT int32_t winlcl_yield(void*, void*) {
    return 1;
}
DEVICE_EXPORT int32_t defaultYielder(void*, void*) {
    return 1;
}
