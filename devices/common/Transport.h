#pragma once

// What the shared device entry asks of a transport. Each plug-in implements one TransportDevice
// (made at DEVICE_INIT, one per loaded plug-in and environment) and one TransportLink per link
// (made at DEVICE_MAKE, destroyed at DEVICE_CLOSE). Both live in memory from the library's
// allocator pair (DeviceMemory) and are destroyed through it.
//
// Every operation runs on the thread that uses the link; a transport that keeps a thread of its
// own serialises its shared state itself and never runs an application callback on that thread.

#include "DeviceMemory.h"
#include "corvinet/corvinet.h"

#include <cstdint>

namespace devices {

// The six texts of the open-argument block, unpacked. The pointers stay valid during make only.
struct OpenArguments {
    const char* protocol = "";
    uint32_t mode = 0;
    const char* name = "";
    const char* host = "";
    const char* authentication = "";
    uint32_t options = 0;
};

// Results of connect.
enum ConnectResult : int32_t {
    kConnected = 1,
    kConnectFailed = 0,
    kConnectStopped = -2, // the yield function stopped the wait
    kConnectNoListener = -3,
    kConnectBadHost = -4,
    kConnectRefused = -5,
};

// Results of read, write and the data test besides a byte count or a flag.
enum TransferResult : int32_t {
    kTransferStopped = 0,   // the yield function stopped the wait (read and write)
    kTransferPeerGone = -1, // the peer closed or died: the link ends with 11
    kTransferFailed = -2,   // the transport failed: the link ends with 1
};

class TransportLink {
public:
    virtual ~TransportLink() = default;

    // A listener waits for its peer; a connecting side attaches to its listener.
    virtual int32_t connect() = 0;
    // Waits until input arrives, then reads up to `size` bytes: the count, or a TransferResult.
    virtual int32_t read(uint8_t* buffer, int32_t size) = 0;
    // Sends all `length` bytes: `length`, or a TransferResult; nothing short of all counts.
    virtual int32_t write(const uint8_t* bytes, int32_t length) = 0;
    // 1 input waits, 0 none, or kTransferPeerGone / kTransferFailed. Does not block.
    virtual int32_t hasData() = 0;

    // Urgent messages: 1 sent / read, 0 refused / nothing to read, -1 failure.
    virtual int32_t writeMessage(int32_t code, int32_t parameter) = 0;
    virtual int32_t hasMessage() = 0; // 1, 0, or -1 on failure
    virtual int32_t readMessage(int32_t& code, int32_t& parameter) = 0;

    // Callback objects; false when the transport refuses.
    virtual bool setYieldFunction(QKYieldFunctionObject object, void* data) = 0;
    virtual bool yieldFunction(QKYieldFunctionObject& object, void*& data) = 0;
    virtual bool setMessageHandler(QKMessageHandlerObject object, void* data) = 0;
    virtual bool messageHandler(QKMessageHandlerObject& object, void*& data) = 0;

    // Device information item `item` into `buffer` of `*size` bytes: 0, or -1.
    virtual int32_t deviceInfo(uint32_t item, void* buffer, int32_t* size) = 0;
};

class TransportDevice {
public:
    virtual ~TransportDevice() = default;

    // A new link, or a link error code: 34 and 35 let the loader try the next device.
    virtual int32_t make(const OpenArguments& arguments, TransportLink*& link) = 0;
    // World information item `item`: 0, or -1. Item 4 is the transport's buffer size.
    virtual int32_t worldInfo(uint32_t item, void* buffer, int32_t* size) = 0;
};

// Makes a plug-in's device object; null when the transport cannot start.
using TransportFactory = TransportDevice* (*)(const DeviceMemory& memory);

} // namespace devices
