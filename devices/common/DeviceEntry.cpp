#include "DeviceEntry.h"

#include "DeviceStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace devices {
namespace {

// What DEVICE_INIT makes: the transport's device object and the memory that both came from.
struct DeviceObject {
    DeviceMemory memory;
    TransportDevice* transport = nullptr;
};

void* heapAllocate(std::size_t size) {
    return std::malloc(size);
}
void heapFree(void* memory) {
    std::free(memory);
}

uint32_t numberText(const char* text) {
    uint32_t value = 0;
    for (; *text; ++text)
        value = value * 10 + (static_cast<uint8_t>(*text) & 0x0F);
    return value;
}

int32_t initDevice(TransportFactory factory, void** slot, QKAllocator allocate,
                   QKDeallocator deallocate) {
    if (!slot) return -1;
    DeviceMemory memory = deviceMemory(allocate, deallocate);
    auto* device = memory.make<DeviceObject>();
    if (!device) return QKERR_OUT_OF_MEMORY;
    device->memory = memory;
    device->transport = factory(memory);
    if (!device->transport) {
        memory.destroy(device);
        return QKERR_NO_ENVIRONMENT;
    }
    *slot = device;
    return kOk;
}

int32_t makeStream(DeviceObject* device, const char* block, DeviceStream** out) {
    if (!device || !block || !out) return -1;
    *out = nullptr;
    OpenArguments arguments = unpackOpenArguments(block);
    TransportLink* link = nullptr;
    if (int32_t error = device->transport->make(arguments, link)) return error;
    int32_t error = kOk;
    *out = DeviceStream::create(device->memory, *device->transport, link, arguments.mode, error);
    return *out ? kOk : error;
}

int32_t streamSelector(DeviceStream* stream, uint32_t selector, void* a, void* b) {
    TransportLink& link = *stream->link;
    switch (selector) {
    case DEVICE_GETOUTBUF:
        return stream->nextOutput(static_cast<uint8_t**>(a), static_cast<int32_t*>(b));
    case DEVICE_PUTOUTBUF:
        return stream->putOutput(static_cast<uint8_t**>(a), static_cast<int32_t*>(b));
    case DEVICE_READYCOUNT:
    case DEVICE_READY:
        return stream->readyCount(static_cast<int32_t*>(b));
    case DEVICE_GETINBLOCK:
        return stream->nextInput(static_cast<const uint8_t**>(a), static_cast<int32_t*>(b));
    case DEVICE_INPUTSTATE:
        return stream->inputState();
    case DEVICE_OUTPENDING:
        return stream->outputPending();
    case DEVICE_CONNECT:
        return stream->connect();
    case DEVICE_CLOSE:
        DeviceStream::close(stream);
        return kOk;
    case DEVICE_SETYIELD:
        return link.setYieldFunction(static_cast<QKCallbackRecord*>(a), b) ? kOk
                                                                           : QKERR_CALLBACK_REFUSED;
    case DEVICE_GETYIELD: {
        QKYieldFunctionObject object = nullptr;
        void* data = nullptr;
        if (!link.yieldFunction(object, data)) return QKERR_CALLBACK_REFUSED;
        if (a) *static_cast<QKYieldFunctionObject*>(a) = object;
        if (b) *static_cast<void**>(b) = data;
        return kOk;
    }
    case DEVICE_SETMSGHANDLER:
        return link.setMessageHandler(static_cast<QKCallbackRecord*>(a), b)
                   ? kOk
                   : QKERR_CALLBACK_REFUSED;
    case DEVICE_GETMSGHANDLER: {
        QKMessageHandlerObject object = nullptr;
        void* data = nullptr;
        if (!link.messageHandler(object, data)) return QKERR_CALLBACK_REFUSED;
        if (a) *static_cast<QKMessageHandlerObject*>(a) = object;
        if (b) *static_cast<void**>(b) = data;
        return kOk;
    }
    case DEVICE_WRITEMSG: {
        if (!a || !b) return kLinkDied;
        int32_t sent = link.writeMessage(*static_cast<int32_t*>(a), *static_cast<int32_t*>(b));
        return sent > 0 ? kOk : sent == 0 ? QKERR_MESSAGE_REFUSED : kLinkDied;
    }
    case DEVICE_HASMSG: {
        int32_t waiting = link.hasMessage();
        if (waiting < 0) return kLinkDied;
        if (int32_t* flag = static_cast<int32_t*>(b ? b : a)) *flag = waiting;
        return kOk;
    }
    case DEVICE_READMSG: {
        int32_t code = 0;
        int32_t parameter = 0;
        int32_t read = link.readMessage(code, parameter);
        if (read < 0) return kLinkDied;
        if (read == 0) return QKERR_NO_MESSAGE;
        if (a) *static_cast<int32_t*>(a) = code;
        if (b) *static_cast<int32_t*>(b) = parameter;
        return kOk;
    }
    default:
        if (selector & DEVICE_INFO)
            return link.deviceInfo(selector & ~DEVICE_INFO, a, static_cast<int32_t*>(b));
        if (selector & WORLD_INFO)
            return stream->transport->worldInfo(selector & ~WORLD_INFO, a,
                                                static_cast<int32_t*>(b));
        return -1;
    }
}

} // namespace

DeviceMemory deviceMemory(QKAllocator allocate, QKDeallocator deallocate) {
    if (allocate && deallocate) return {allocate, deallocate};
    return {heapAllocate, heapFree};
}

OpenArguments unpackOpenArguments(const char* block) {
    const char* texts[6];
    for (const char*& text : texts) {
        text = block;
        block += std::strlen(block) + 1;
    }
    OpenArguments arguments;
    arguments.protocol = texts[0];
    arguments.mode = numberText(texts[1]);
    arguments.name = texts[2];
    arguments.host = texts[3];
    arguments.authentication = texts[4];
    arguments.options = numberText(texts[5]);
    return arguments;
}

int32_t deviceMain(TransportFactory factory, void* handle, uint32_t selector, void* a, void* b) {
    try {
        switch (selector) {
        case DEVICE_INIT:
            return initDevice(factory, static_cast<void**>(handle),
                              reinterpret_cast<QKAllocator>(a), reinterpret_cast<QKDeallocator>(b));
        case DEVICE_DEINIT: {
            auto* device = static_cast<DeviceObject*>(handle);
            if (!device) return kOk;
            const DeviceMemory memory = device->memory;
            memory.destroy(device->transport);
            memory.destroy(device);
            return kOk;
        }
        case DEVICE_MAKE:
            return makeStream(static_cast<DeviceObject*>(handle), static_cast<const char*>(a),
                              static_cast<DeviceStream**>(b));
        default:
            if (!handle) return -1;
            return streamSelector(static_cast<DeviceStream*>(handle), selector, a, b);
        }
    } catch (const std::bad_alloc&) {
        return QKERR_OUT_OF_MEMORY;
    } catch (...) {
        return kLinkDied;
    }
}

} // namespace devices
