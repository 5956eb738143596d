// QKTCP32.QKP: the TCP device plug-in.

#include "DeviceEntry.h"
#include "TcpTransport.h"

DEVICE_EXPORT int32_t winlcl_main(void* handle, uint32_t selector, void* a, void* b) {
    return devices::deviceMain(devices::tcp::createDevice, handle, selector, a, b);
}
