#ifndef CORVINET_DEVICE_H
#define CORVINET_DEVICE_H

/*
 * The contract between the link library and its device plug-ins.
 *
 * A plug-in is a shared module that the library loads by file name and drives through one entry
 * point, looked up as "winlcl_main" or, when that is missing, "QKDeviceMain". The entry point
 * takes a handle, a selector and two arguments and answers 0 for success, a link error code, or
 * -1 for a selector it does not serve (or a failed information request).
 *
 * The handle is the address of the slot for the new device object with DEVICE_INIT, the device
 * object with DEVICE_DEINIT and DEVICE_MAKE, and the link's DeviceStream with every other
 * selector.
 *
 * Memory: the library hands its allocator pair over with DEVICE_INIT; whoever allocates a record
 * frees it. Output buffers and input blocks belong to the device; the library copies input
 * blocks before it asks for the next one and writes into an output buffer only until it hands
 * it back with DEVICE_PUTOUTBUF.
 *
 * Threads: the library calls the entry point from the thread that uses the link.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A device's per-link stream, made by DEVICE_MAKE and ended by DEVICE_CLOSE. Opaque to the
 * library. */
typedef struct DeviceStream DeviceStream;

typedef int32_t (*DeviceMainProc)(void* handle, uint32_t selector, void* a, void* b);

enum {
    /* a: uint8_t** out next output buffer (null: none free now); b: int32_t* out its capacity
     * (at most 1022). 0, or 11 when the peer closed. */
    DEVICE_GETOUTBUF = 0,
    /* a: uint8_t** in the filled buffer, out the next one as for DEVICE_GETOUTBUF;
     * b: int32_t* in bytes filled, out capacity of the next buffer. Sends the filled bytes. */
    DEVICE_PUTOUTBUF = 1,
    /* b: int32_t* out 1 when input is waiting, else 0. 0, 11 peer closed, 1 transport failure. */
    DEVICE_READYCOUNT = 2,
    /* a: const uint8_t** out next input block; b: int32_t* out its length (0: nothing now).
     * 0; 11 peer closed; 25 nothing to read; 1 the link died. */
    DEVICE_GETINBLOCK = 3,
    /* 26 while unread input remains in the device, 11 when the peer closed, else 0. */
    DEVICE_INPUTSTATE = 4,
    /* 15 while output is pending, else 0. */
    DEVICE_OUTPENDING = 5,
    /* handle: void** slot for the device object; a: the allocator; b: the deallocator (both
     * QKAllocator/QKDeallocator passed as pointers). 0; 8 out of memory; 32 transport failed. */
    DEVICE_INIT = 16,
    /* handle: the device object. 0. */
    DEVICE_DEINIT = 17,
    /* a: const char* open-argument block (six zero-terminated texts: protocol, mode flags in
     * decimal, link name, host, authentication, link options in decimal); b: DeviceStream** out.
     * 0; 34 protocol unavailable and 35 mode unavailable let the next device try. */
    DEVICE_MAKE = 18,
    /* As DEVICE_READYCOUNT. */
    DEVICE_READY = 19,
    /* 0 connected; 1, 9, 25, 41, 43 otherwise (25 and 41: try again later). */
    DEVICE_CONNECT = 20,
    /* Sends the close mark and frees the stream. 0. */
    DEVICE_CLOSE = 21,
    /* a: yield function object; b: data word handed back to it (the link). 0, or 19. */
    DEVICE_SETYIELD = 22,
    /* a: out yield function object; b: out data word (may be null). 0, or 19. */
    DEVICE_GETYIELD = 23,
    /* a: int32_t* message code; b: int32_t* message parameter. 0; 17 refused; 1 failure. */
    DEVICE_WRITEMSG = 24,
    /* a or b (b when not null): int32_t* out 1 when a message waits. 0, or 1 on failure. */
    DEVICE_HASMSG = 25,
    /* a: int32_t* out code; b: int32_t* out parameter. 0; 18 nothing to read; 1 failure. */
    DEVICE_READMSG = 26,
    /* a: message handler object; b: data word handed back to it (the link). 0, or 19. */
    DEVICE_SETMSGHANDLER = 27,
    /* a: out message handler object; b: out data word. 0, or 19. */
    DEVICE_GETMSGHANDLER = 28
};

/* Information selectors: the item number is added to the base. a: out buffer; b: int32_t*
 * in the buffer size, out the bytes written. 0 or -1. */
#define DEVICE_INFO 0x80000000u
#define WORLD_INFO 0x40000000u

/* Mode flags of the open-argument block. */
enum {
    QKMODE_LOOPBACK = 0x1,
    QKMODE_LISTEN = 0x2,
    QKMODE_CONNECT = 0x4,
    QKMODE_LAUNCH = 0x8,
    QKMODE_PARENTCONNECT = 0x10,
    QKMODE_READ = 0x20,
    QKMODE_WRITE = 0x40,
    QKMODE_SERVER = 0x80
};

#ifdef __cplusplus
}
#endif

#endif
