#include "CallbackLink.h"

#include "DeviceInfo.h"

namespace devices {

bool CallbackLink::setYieldFunction(QKYieldFunctionObject object, void* data) {
    m_yield.set(object, data);
    return true;
}

bool CallbackLink::yieldFunction(QKYieldFunctionObject& object, void*& data) {
    object = m_yield.record();
    data = m_yield.data();
    return true;
}

bool CallbackLink::setMessageHandler(QKMessageHandlerObject object, void* data) {
    if (!acceptsHandler()) return false;
    {
        std::lock_guard lock(m_handlerMutex);
        m_handler.set(object, data);
    }
    handlerChanged();
    return true;
}

bool CallbackLink::messageHandler(QKMessageHandlerObject& object, void*& data) {
    std::lock_guard lock(m_handlerMutex);
    object = m_handler.record();
    data = m_handler.data();
    return true;
}

bool CallbackLink::handlerHasThread() {
    std::lock_guard lock(m_handlerMutex);
    return handlerHasItsThread(m_handler.record());
}

void CallbackLink::deliverMessages(bool onWatcher) {
    QKCallbackRecord* handler = nullptr;
    void* data = nullptr;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_handler.record();
        if (!handler || handlerHasItsThread(handler) != onWatcher) return;
        data = m_handler.data();
        // The call may outlive a replacement of the handler.
        qkCallbackRetain(handler);
    }
    while (hasMessage() == 1) {
        int32_t code = 0;
        int32_t parameter = 0;
        int32_t read = readMessage(code, parameter);
        if (read < 0) break;
        if (read > 0) deliverMessage(handler, data, code, parameter);
    }
    qkCallbackRelease(handler);
}

int32_t CallbackLink::commonInfo(int32_t type, const char* name, uint32_t item, void* buffer,
                                 int32_t* size) {
    switch (item) {
    case 0:
        return infoNumber(type, buffer, size);
    case 1:
        return infoText(name, buffer, size);
    case 5:
        return infoText(buildStamp(), buffer, size);
    default:
        return -1;
    }
}

} // namespace devices
