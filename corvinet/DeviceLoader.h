#pragma once

// Finds, loads, starts, orders and ends the device plug-ins of an environment, and offers a link
// open to them. The plug-ins come from the keys "Device0", "Device1", ... of section
// "CorvinetDevices" in "corvinet.ini", or from the built-in list when a key is missing. Modules
// stay loaded for the life of the process; their device objects live from DEVICE_INIT to
// DEVICE_DEINIT.

#include "corvinet/corvinet.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvinet {

// One started plug-in. Allocated from the environment; the list belongs to the environment.
struct DeviceEntry {
    DeviceEntry* next = nullptr;
    void (*unload)(void* module) = nullptr; // none: a started module stays loaded
    DeviceMainProc main = nullptr;
    QKDeallocator deallocate = nullptr;
    void* module = nullptr;
    void* device = nullptr; // made by DEVICE_INIT
    int32_t priority = 0;
};

// Where corvinet.ini and plug-ins named without a full path are looked for: the program's
// folder, then the library's folder. Never the current directory, so that a document folder
// cannot plant a plug-in.
std::vector<std::string> deviceSearchFolders();

// Builds the environment's device list from the ini files and plug-ins in `folders`. Each
// folder's corvinet.ini is read once, through `read` (the file's whole text, or nothing when it
// cannot be read; tests count the reads).
using IniTextReader = std::function<std::optional<std::string>(const std::string& path)>;
DeviceEntry* loadDevices(QKENV env, std::span<const std::string> folders);
DeviceEntry* loadDevices(QKENV env, std::span<const std::string> folders,
                         const IniTextReader& read);
// DEVICE_DEINIT for every entry in list order; frees the list.
void endDevices(QKENV env);

// The module file name for a device-list value: the text between back-quotes when it holds one,
// with "32.QKP" appended when the file name has no extension.
std::string deviceModuleName(std::string_view value);
// The built-in device name for key n on this platform, or nothing past the list's end.
std::optional<std::string> builtinDeviceName(int n);

struct DeviceMakeResult {
    int32_t error = QKERR_NO_PROTOCOL;
    DeviceMainProc main = nullptr;
    DeviceStream* stream = nullptr;
};
// Offers an open-argument block to the devices in list order. Answers 34 and 35 pass it on (35
// is remembered over 34); the first other answer ends the search.
DeviceMakeResult makeDeviceStream(QKENV env, const char* openBlock);

} // namespace corvinet
