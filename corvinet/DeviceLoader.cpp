#include "DeviceLoader.h"

#include "AsciiText.h"
#include "Environment.h"
#include "IniFile.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>

namespace corvinet {
namespace {

constexpr const char* kIniFile = "corvinet.ini";
constexpr const char* kSection = "CorvinetDevices";

// The library's string table of built-in device names, by platform base plus key number.
struct BuiltinName {
    int id;
    const char* name;
};
constexpr BuiltinName kBuiltinNames[] = {
    {256, "QKLCL"}, {257, "QKTCP"}, {384, "QKMAP"}, {385, "QKTCP"}, {512, "QKMAP"}, {513, "QKTCP"},
};
// This platform takes the rows of the full 32-bit platform: shared memory, then TCP.
constexpr int kPlatformBase = 512;

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The device-list section of each folder's corvinet.ini that could be read, in folder order.
std::vector<IniSection> readDeviceLists(std::span<const std::string> folders,
                                        const IniTextReader& read) {
    std::vector<IniSection> lists;
    for (const std::string& folder : folders)
        if (std::optional<std::string> text = read(folder + "/" + kIniFile))
            lists.emplace_back(*text, kSection);
    return lists;
}

std::optional<std::string> deviceListValue(int n, std::span<const IniSection> lists) {
    char key[24] = "Device";
    *std::to_chars(key + 6, key + sizeof key - 1, n).ptr = '\0';
    for (const IniSection& list : lists) {
        auto value = list.value(key);
        if (value && !value->empty()) return value;
    }
    return builtinDeviceName(n);
}

void* openModule(const std::string& name, std::span<const std::string> folders) {
    if (name.starts_with('/')) return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    for (const std::string& folder : folders)
        if (void* module = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
    return nullptr;
}

void loadDeviceList(QKENV env, std::span<const std::string> folders, const IniTextReader& read);

void insertByPriority(QKENV env, DeviceEntry* entry) {
    DeviceEntry** at = &env->devices;
    while (*at && (*at)->priority <= entry->priority)
        at = &(*at)->next;
    entry->next = *at;
    *at = entry;
}

} // namespace

std::vector<std::string> deviceSearchFolders() {
    std::vector<std::string> folders;
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0)
        folders.push_back(folderOf(std::string(path, static_cast<std::size_t>(length))));
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&deviceSearchFolders), &info) && info.dli_fname) {
        std::string folder = folderOf(info.dli_fname);
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::string deviceModuleName(std::string_view value) {
    std::size_t quote = value.find('`');
    if (quote != std::string_view::npos) {
        value = value.substr(quote + 1);
        value = value.substr(0, value.find('`'));
    }
    std::string name(value);
    std::size_t separator = name.find_last_of("/\\");
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        name += "32.QKP";
    return name;
}

std::optional<std::string> builtinDeviceName(int n) {
    for (const BuiltinName& row : kBuiltinNames)
        if (row.id == kPlatformBase + n) return std::string(row.name);
    return std::nullopt;
}

DeviceEntry* loadDevices(QKENV env, std::span<const std::string> folders) {
    return loadDevices(env, folders, readIniText);
}

DeviceEntry* loadDevices(QKENV env, std::span<const std::string> folders,
                         const IniTextReader& read) {
    try {
        loadDeviceList(env, folders, read);
    } catch (...) {
        // Out of memory while reading the list: the devices started so far stay, the rest are
        // skipped like any device that fails to start.
    }
    return env->devices;
}

namespace {

void loadDeviceList(QKENV env, std::span<const std::string> folders, const IniTextReader& read) {
    // Each file once, however long the list: a key read from the files one at a time made a
    // list of thousands of devices take minutes.
    const std::vector<IniSection> lists = readDeviceLists(folders, read);
    for (int n = 0;; ++n) {
        std::optional<std::string> value = deviceListValue(n, lists);
        if (!value || equalsIgnoringCase(*value, "end")) break;
        void* module = openModule(deviceModuleName(*value), folders);
        if (!module) continue;
        auto main = reinterpret_cast<DeviceMainProc>(dlsym(module, "winlcl_main"));
        if (!main) main = reinterpret_cast<DeviceMainProc>(dlsym(module, "QKDeviceMain"));
        if (!main) {
            dlclose(module);
            continue;
        }
        auto* entry = env->memory.make<DeviceEntry>();
        if (!entry) break;
        entry->main = main;
        entry->deallocate = env->memory.deallocate;
        entry->module = module;
        if (main(&entry->device, DEVICE_INIT, reinterpret_cast<void*>(env->memory.allocate),
                 reinterpret_cast<void*>(env->memory.deallocate)) != 0) {
            env->memory.destroy(entry);
            continue;
        }
        insertByPriority(env, entry);
    }
}

} // namespace

void endDevices(QKENV env) {
    while (DeviceEntry* entry = env->devices) {
        env->devices = entry->next;
        entry->main(entry->device, DEVICE_DEINIT, nullptr, nullptr);
        if (entry->unload) entry->unload(entry->module);
        env->memory.destroy(entry);
    }
}

DeviceMakeResult makeDeviceStream(QKENV env, const char* openBlock) {
    DeviceMakeResult result;
    for (DeviceEntry* entry = env->devices; entry; entry = entry->next) {
        DeviceStream* stream = nullptr;
        int32_t answer =
            entry->main(entry->device, DEVICE_MAKE, const_cast<char*>(openBlock), &stream);
        if (answer == QKERR_NO_MODE || answer == QKERR_NO_PROTOCOL) {
            if (result.error != QKERR_NO_MODE) result.error = answer;
            continue;
        }
        return {answer, entry->main, stream};
    }
    return result;
}

} // namespace corvinet
