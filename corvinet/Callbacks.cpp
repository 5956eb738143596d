// Yield functions and message handlers as the program sees them: making and destroying callback
// records, calling them, handing them to a link's device, and the urgent messages themselves.
//
// The library remembers every record it made and has not destroyed, so that a call through a
// stale object answers like a destroyed one (1 for a yield, 0 for a handler) without reading
// freed memory. Devices never need that check: they hold a reference to each record they keep.

#include "CallbackRecord.h"
#include "ExportGuard.h"
#include "Launch.h"
#include "Link.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <set>

namespace corvinet {
namespace {

std::mutex liveMutex;
std::set<QKCallbackRecord*>& liveRecords() {
    static std::set<QKCallbackRecord*> records;
    return records;
}

QKCallbackRecord* make(int32_t kind, void (*function)(void), bool threaded) {
    QKCallbackRecord* record = makeCallbackRecord(kind, function, threaded);
    if (!record) return nullptr;
    try {
        std::lock_guard lock(liveMutex);
        liveRecords().insert(record);
    } catch (...) {
        destroyCallbackRecord(record);
        return nullptr;
    }
    return record;
}

// The record's function, after ending it; null when it is no live record of `kind`.
void (*destroy(QKCallbackRecord* record, int32_t kind))(void) {
    {
        std::lock_guard lock(liveMutex);
        auto found = liveRecords().find(record);
        if (found == liveRecords().end() || record->kind != kind) return nullptr;
        liveRecords().erase(found);
    }
    return destroyCallbackRecord(record);
}

// A reference to `record` when it is live, else null; the caller releases it.
QKCallbackRecord* retainLive(QKCallbackRecord* record) {
    std::lock_guard lock(liveMutex);
    if (!liveRecords().count(record)) return nullptr;
    qkCallbackRetain(record);
    return record;
}

int32_t setOnDevice(QKLINK link, uint32_t selector, QKCallbackRecord* record) {
    if (!link || !link->device->device) return 0;
    DeviceLink& device = *link->device;
    return device.device(device.deviceStream, selector, record, link) == 0;
}

QKCallbackRecord* getFromDevice(QKLINK link, uint32_t selector) {
    if (!link || !link->device->device) return nullptr;
    DeviceLink& device = *link->device;
    QKCallbackRecord* record = nullptr;
    void* data = nullptr;
    if (device.device(device.deviceStream, selector, &record, &data) != 0) return nullptr;
    return record;
}

} // namespace

int32_t setLinkYield(QKLINK link, QKYieldFunctionObject yielder) {
    if (link && link->launch) {
        // The launch watch stays on the device and hands each round on to this one.
        link->launch->chained = yielder;
        return 1;
    }
    return setOnDevice(link, DEVICE_SETYIELD, yielder);
}

} // namespace corvinet

using corvinet::guarded;

QK_API QKYieldFunctionObject QKCreateYieldFunction(QKENV, QKYieldProc function, void*) noexcept {
    return guarded<QKYieldFunctionObject>(nullptr, [&] {
        return corvinet::make(QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(function), false);
    });
}

QK_API QKYieldFunctionObject QKCreateYieldFunction0(QKENV, QKYieldProc function, void*) noexcept {
    return guarded<QKYieldFunctionObject>(nullptr, [&] {
        return corvinet::make(QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(function), true);
    });
}

QK_API QKMessageHandlerObject QKCreateMessageHandler(QKENV, QKMessageProc function,
                                                     void*) noexcept {
    return guarded<QKMessageHandlerObject>(nullptr, [&] {
        return corvinet::make(QKCALLBACK_HANDLER, reinterpret_cast<void (*)()>(function), true);
    });
}

QK_API QKMessageHandlerObject QKCreateMessageHandler0(QKENV, QKMessageProc function,
                                                      void*) noexcept {
    return guarded<QKMessageHandlerObject>(nullptr, [&] {
        return corvinet::make(QKCALLBACK_HANDLER, reinterpret_cast<void (*)()>(function), false);
    });
}

QK_API QKYieldProc QKDestroyYieldFunction(QKYieldFunctionObject yielder) noexcept {
    return guarded<QKYieldProc>(nullptr, [&] {
        return reinterpret_cast<QKYieldProc>(corvinet::destroy(yielder, QKCALLBACK_YIELD));
    });
}

QK_API QKMessageProc QKDestroyMessageHandler(QKMessageHandlerObject handler) noexcept {
    return guarded<QKMessageProc>(nullptr, [&] {
        return reinterpret_cast<QKMessageProc>(corvinet::destroy(handler, QKCALLBACK_HANDLER));
    });
}

QK_API int32_t QKCallYieldFunction(QKYieldFunctionObject yielder, QKLINK link,
                                   QKYieldParameters parameters) noexcept {
    return guarded<int32_t>(1, [&] {
        QKCallbackRecord* record = corvinet::retainLive(yielder);
        if (!record) return 1;
        int32_t answer = qkCallbackYield(record, link, parameters);
        qkCallbackRelease(record);
        return answer;
    });
}

QK_API int32_t QKCallMessageHandler(QKMessageHandlerObject handler, QKLINK link, int32_t code,
                                    int32_t parameter) noexcept {
    return guarded<int32_t>(0, [&] {
        QKCallbackRecord* record = corvinet::retainLive(handler);
        if (!record) return 0;
        int32_t answer = qkCallbackMessage(record, link, code, parameter);
        qkCallbackRelease(record);
        return answer;
    });
}

QK_API int32_t QKSleepYP(QKYieldParameters parameters) noexcept {
    return parameters ? parameters->sleep : 0;
}

QK_API int32_t QKCountYP(QKYieldParameters parameters) noexcept {
    return parameters ? parameters->count : 0;
}

QK_API int32_t QKSetYieldFunction(QKLINK link, QKYieldFunctionObject yielder) noexcept {
    return guarded<int32_t>(0, [&] { return corvinet::setLinkYield(link, yielder); });
}

QK_API int32_t QKSetYieldFunction0(QKLINK link, QKYieldFunctionObject yielder) noexcept {
    return QKSetYieldFunction(link, yielder);
}

QK_API QKYieldFunctionObject QKYieldFunction(QKLINK link) noexcept {
    return guarded<QKYieldFunctionObject>(nullptr, [&] {
        if (link && link->launch) return link->launch->chained;
        return corvinet::getFromDevice(link, DEVICE_GETYIELD);
    });
}

QK_API int32_t QKSetMessageHandler(QKLINK link, QKMessageHandlerObject handler) noexcept {
    return guarded<int32_t>(
        0, [&] { return corvinet::setOnDevice(link, DEVICE_SETMSGHANDLER, handler); });
}

QK_API int32_t QKSetMessageHandler0(QKLINK link, QKMessageHandlerObject handler) noexcept {
    return QKSetMessageHandler(link, handler);
}

QK_API QKMessageHandlerObject QKMessageHandler(QKLINK link) noexcept {
    return guarded<QKMessageHandlerObject>(
        nullptr, [&] { return corvinet::getFromDevice(link, DEVICE_GETMSGHANDLER); });
}

QK_API int32_t QKPutMessage(QKLINK link, int32_t code) noexcept {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (!link) return 0;
        corvinet::DeviceLink& device = *link->device;
        // An interrupt (5) or abort (8) tells the peer how far this end had written.
        int32_t parameter = 0;
        if (code == 5 || code == 8)
            parameter = static_cast<int32_t>(std::min<int64_t>(device.bytesWritten(), INT32_MAX));
        if (!device.device) {
            device.messageCode = code;
            device.messageParameter = parameter;
            return 1;
        }
        return device.device(device.deviceStream, DEVICE_WRITEMSG, &code, &parameter) == 0;
    });
}

QK_API int32_t QKGetMessage(QKLINK link, int32_t* code, int32_t* parameter) noexcept {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (!link) return 0;
        corvinet::DeviceLink& device = *link->device;
        if (!device.device) {
            int32_t kept = device.messageCode;
            if (code) *code = kept;
            if (parameter) *parameter = device.messageParameter;
            device.messageCode = device.messageParameter = 0;
            return kept != 0;
        }
        int32_t readCode = 0, readParameter = 0;
        switch (device.device(device.deviceStream, DEVICE_READMSG, &readCode, &readParameter)) {
        case 0:
            if (code) *code = readCode;
            if (parameter) *parameter = readParameter;
            return 1;
        case QKERR_NO_MESSAGE:
            return 0;
        default:
            return -1;
        }
    });
}

QK_API int32_t QKMessageReady(QKLINK link) noexcept {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (!link) return 0;
        corvinet::DeviceLink& device = *link->device;
        if (!device.device) return device.messageCode;
        int32_t waiting = 0;
        if (device.device(device.deviceStream, DEVICE_HASMSG, &waiting, &waiting) != 0) return 0;
        return waiting;
    });
}
