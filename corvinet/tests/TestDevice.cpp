// A device plug-in for the loader's tests. It reads how to behave from its own file name, so one
// module copied under several names plays several devices:
//   "initfails"  DEVICE_INIT answers 32
//   "make<N>"    DEVICE_MAKE answers N (0: success with a stream of its own)
// Built three times: with "winlcl_main", with "QKDeviceMain" only, and with neither.

#include "corvinet/corvinet.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Device {
    QKAllocator allocate;
    QKDeallocator deallocate;
    int closes = 0;
};

int deinits = 0;

std::string ownFileName();

int32_t deviceMain(void* handle, uint32_t selector, void* a, void* b) {
    std::string name = ownFileName();
    switch (selector) {
    case DEVICE_INIT: {
        if (name.find("initfails") != std::string::npos) return QKERR_NO_ENVIRONMENT;
        auto allocate = reinterpret_cast<QKAllocator>(a);
        auto* device = static_cast<Device*>(allocate(sizeof(Device)));
        device->allocate = allocate;
        device->deallocate = reinterpret_cast<QKDeallocator>(b);
        device->closes = 0;
        *static_cast<void**>(handle) = device;
        return 0;
    }
    case DEVICE_DEINIT: {
        ++deinits;
        auto* device = static_cast<Device*>(handle);
        device->deallocate(device);
        return 0;
    }
    case DEVICE_MAKE: {
        std::size_t at = name.find("make");
        int answer = at == std::string::npos ? QKERR_NO_PROTOCOL : std::atoi(name.c_str() + at + 4);
        if (answer == 0) *static_cast<DeviceStream**>(b) = static_cast<DeviceStream*>(handle);
        return answer;
    }
    default:
        return -1;
    }
}

std::string ownFileName() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&deviceMain), &info);
    std::string path = info.dli_fname ? info.dli_fname : "";
    return path.substr(path.rfind('/') + 1);
}

} // namespace

#if defined(TEST_DEVICE_WINLCL)
extern "C" __attribute__((visibility("default"))) int32_t winlcl_main(void* h, uint32_t s, void* a,
                                                                      void* b) {
    return deviceMain(h, s, a, b);
}
#elif defined(TEST_DEVICE_ALTERNATE)
extern "C" __attribute__((visibility("default"))) int32_t QKDeviceMain(void* h, uint32_t s, void* a,
                                                                       void* b) {
    return deviceMain(h, s, a, b);
}
#endif

// How many device objects this module has ended.
extern "C" __attribute__((visibility("default"))) int testDeviceDeinits() {
    return deinits;
}
