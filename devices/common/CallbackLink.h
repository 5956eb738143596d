#pragma once

// What both transports keep per link besides their transport: the yield function, the message
// handler and the delivery of urgent messages to it. The handler slot is guarded, because a
// transport's watcher thread reads it while the program's thread may replace it.

#include "Transport.h"
#include "Waiting.h"

#include <mutex>

namespace devices {

class CallbackLink : public TransportLink {
public:
    bool setYieldFunction(QKYieldFunctionObject object, void* data) override;
    bool yieldFunction(QKYieldFunctionObject& object, void*& data) override;
    bool setMessageHandler(QKMessageHandlerObject object, void* data) override;
    bool messageHandler(QKMessageHandlerObject& object, void*& data) override;

protected:
    // False refuses a handler (the link cannot deliver messages).
    virtual bool acceptsHandler() const { return true; }
    // Called after the handler changed, outside the lock.
    virtual void handlerChanged() {}

    // Hands the waiting urgent messages to the handler. On a transport's watcher thread only a
    // handler with a thread of its own gets them; a handler made on the program's thread gets
    // them from the program's thread, while it waits on the link.
    void deliverMessages(bool onWatcher);
    // True while a handler with a thread of its own is set.
    bool handlerHasThread();

    // Items 0 (the device type), 1 (the link name) and 5 (the build stamp); -1 for others.
    static int32_t commonInfo(int32_t type, const char* name, uint32_t item, void* buffer,
                              int32_t* size);

    CallbackSlot m_yield;

private:
    std::mutex m_handlerMutex;
    CallbackSlot m_handler;
};

} // namespace devices
