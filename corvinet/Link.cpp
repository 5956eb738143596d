#include "Link.h"

#include "EngineStates.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "Launch.h"

#include <algorithm>
#include <new>

namespace {

using corvinet::DeviceLink;

void report(int32_t* error, int32_t code) {
    if (error) *error = code;
}

// Enters the link in the registry under the next link number; false when memory runs out.
bool registerLink(QKLINK link) {
    LinkEnvironment& linkEnv = *link->linkEnv;
    int32_t number = ++linkEnv.lastNumber;
    try {
        linkEnv.registry.emplace(number, link);
    } catch (const std::bad_alloc&) {
        --linkEnv.lastNumber;
        return false;
    }
    link->number = number;
    return true;
}

// A link record over `device` (whose count the link takes over), reading where `readFrom`
// reads, or from the start of the device link's chain.
QKLINK newLink(LinkEnvironment& linkEnv, DeviceLink* device, const QKLinkRecord* readFrom) {
    void* memory = linkEnv.allocateLinkRecord();
    if (!memory) return nullptr;
    auto* link = new (memory) QKLinkRecord;
    link->linkEnv = &linkEnv;
    link->device = device;
    bool ready = true;
    if (readFrom)
        ready = !link->stream.duplicateFrom(readFrom->stream);
    else
        link->stream.open(device);
    if (!ready || !registerLink(link)) {
        link->~QKLinkRecord();
        linkEnv.freeLinkRecord(memory);
        return nullptr;
    }
    return link;
}

// The watch on a launched program stays on the device while a duplicate still uses it: the
// duplicate takes it over and becomes the link the device hands to the yield functions, so its
// waits are neither stopped by an ended watch nor handed a destroyed link.
void passLaunchWatchOn(QKLINK link) {
    if (!link->launch || link->device->refs < 2) return;
    for (const auto& [number, other] : link->linkEnv->registry) {
        if (other == link || other->device != link->device || other->launch) continue;
        other->launch = link->launch;
        link->launch = nullptr;
        DeviceLink& device = *link->device;
        if (other->launch->watch)
            device.device(device.deviceStream, DEVICE_SETYIELD, other->launch->watch, other);
        return;
    }
}

// Drops one user of a device link. The last one hands the device stream back to the caller
// (for DEVICE_CLOSE) or frees the loopback buffer, and frees the record.
void releaseDeviceLink(DeviceLink* device, DeviceMainProc* main, DeviceStream** stream) {
    if (--device->refs > 0) return;
    if (main) *main = device->device;
    if (stream) *stream = device->deviceStream;
    corvinet::AllocatorPair memory = device->memory;
    memory.put(device->loopbackBuffer);
    device->chain->release();
    memory.destroy(device);
}

} // namespace

QK_API QKLINK QKMake(QKLINKENV linkEnv, DeviceMainProc device, DeviceStream* stream,
                     int32_t* error) noexcept try {
    if (!linkEnv) {
        report(error, QKERR_NO_ENVIRONMENT);
        return nullptr;
    }
    DeviceLink* record = linkEnv->memory.make<DeviceLink>();
    if (record) {
        record->memory = linkEnv->memory;
        record->device = device;
        record->deviceStream = stream;
        record->chain = corvinet::BlockChain::create(linkEnv->pool);
    }
    QKLINK link = record && record->chain ? newLink(*linkEnv, record, nullptr) : nullptr;
    if (!link) {
        if (record && record->chain) record->chain->release();
        linkEnv->memory.destroy(record);
        report(error, QKERR_OUT_OF_MEMORY);
        return nullptr;
    }
    report(error, 0);
    return link;
} catch (...) {
    return corvinet::exportFailed<QKLINK>(nullptr);
}

QK_API QKLINK QKCreate0(QKENV env, DeviceMainProc device, DeviceStream* stream,
                        int32_t* error) noexcept try {
    return QKMake(env ? env->linkEnv : nullptr, device, stream, error);
} catch (...) {
    return corvinet::exportFailed<QKLINK>(nullptr);
}

QK_API QKLINK QKDuplicateLink(QKLINK link, const char* name, int32_t* error) noexcept try {
    if (!link) {
        report(error, QKERR_LINK_DIED);
        return nullptr;
    }
    if (link->error != 0) {
        report(error, link->error);
        return nullptr;
    }
    ++link->device->refs;
    QKLINK copy = newLink(*link->linkEnv, link->device, link);
    if (copy) {
        copy->features = link->features;
        copy->established = link->established;
        copy->error = 0;
        if ((name && !QKSetName(copy, name)) || corvinet::shareEngines(copy, link) != 0) {
            QKClose(copy);
            copy = nullptr;
        }
    } else {
        --link->device->refs;
    }
    report(error, copy ? 0 : QKERR_OUT_OF_MEMORY);
    return copy;
} catch (...) {
    return corvinet::exportFailed<QKLINK>(link);
}

QK_API int32_t QKDestroy(QKLINK link, DeviceMainProc* device, DeviceStream** stream) noexcept try {
    if (device) *device = nullptr;
    if (stream) *stream = nullptr;
    if (!link) return 0;
    // Pending output goes out while the link still can; a link that is going away has no one
    // left to report a failed flush to.
    if (link->error == 0) static_cast<void>(link->stream.flush());
    if (link->userRelease) link->userRelease(link);
    LinkEnvironment& linkEnv = *link->linkEnv;
    linkEnv.memory.put(link->name);
    link->name = nullptr;
    linkEnv.registry.erase(link->number);
    passLaunchWatchOn(link);
    corvinet::endLaunchWatch(link->launch);
    link->launch = nullptr;
    corvinet::releaseEngines(link);
    link->stream.close();
    releaseDeviceLink(link->device, device, stream);
    link->error = QKERR_DESTROYED;
    link->~QKLinkRecord();
    linkEnv.freeLinkRecord(link);
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKClose(QKLINK link) noexcept try {
    DeviceMainProc device = nullptr;
    DeviceStream* stream = nullptr;
    if (!QKDestroy(link, &device, &stream)) return 0;
    if (device && stream) device(stream, DEVICE_CLOSE, nullptr, nullptr);
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API const char* QKName(QKLINK link) noexcept try {
    return link ? link->name : nullptr;
} catch (...) {
    return corvinet::exportFailed<const char*>(link);
}

QK_API int32_t QKSetName(QKLINK link, const char* name) noexcept try {
    if (!link) return 0;
    char* copy = nullptr;
    if (name && !(copy = link->linkEnv->memory.copyText(name))) return 0;
    link->linkEnv->memory.put(link->name);
    link->name = copy;
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void* QKUserData(QKLINK link, QKUserFunction* release) noexcept try {
    if (release) *release = link ? link->userRelease : nullptr;
    return link ? link->userData : nullptr;
} catch (...) {
    return corvinet::exportFailed<void*>(link);
}

QK_API void QKSetUserData(QKLINK link, void* data, QKUserFunction release) noexcept try {
    if (!link) return;
    link->userData = data;
    link->userRelease = release;
} catch (...) {
    corvinet::exportFailed(link);
}

QK_API QKUserBlockRecord QKUserBlock(QKLINK link) noexcept try {
    if (!link) return {};
    return {link->number, link->name, link->userData, link->userRelease};
} catch (...) {
    return corvinet::exportFailed<QKUserBlockRecord>(link);
}

QK_API void QKSetUserBlock(QKLINK link, QKUserBlockRecord block) noexcept try {
    QKSetUserData(link, block.data, block.release);
} catch (...) {
    corvinet::exportFailed(link);
}

QK_API int32_t QKDeviceInformation(QKLINK link, uint32_t item, void* buffer, int32_t* size) noexcept
    try {
    if (!link || !link->device->device) return 0;
    DeviceLink& device = *link->device;
    return device.device(device.deviceStream, DEVICE_INFO + item, buffer, size) == 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKTransfer0(QKLINK destination, QKLINK source, int32_t count) noexcept try {
    if (!source || source->error != 0 || count < 0) return 0;
    if (destination && destination->error != 0) return 0;
    uint8_t piece[256];
    while (count > 0) {
        std::size_t want = std::min<std::size_t>(sizeof piece, static_cast<std::size_t>(count));
        std::size_t got = source->stream.getBytes(piece, want);
        if (got != want) {
            source->setError(source->stream.lastError().code());
            if (destination) destination->setError(source->stream.lastError().code());
            return 0;
        }
        if (destination) {
            if (const corvinet::LinkError error = destination->stream.putBytes(piece, got)) {
                destination->setError(error.code());
                return 0;
            }
        }
        count -= static_cast<int32_t>(got);
    }
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(destination);
}

QK_API int32_t QKTransferToEndOfLoopbackLink(QKLINK destination, QKLINK source) noexcept try {
    if (!source || source->device->device) return 0;
    std::size_t available = source->stream.available();
    return QKTransfer0(destination, source,
                       static_cast<int32_t>(
                           std::min<std::size_t>(available, static_cast<std::size_t>(INT32_MAX))));
} catch (...) {
    return corvinet::exportFailed<int32_t>(destination);
}
