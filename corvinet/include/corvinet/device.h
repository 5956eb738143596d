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
 * Threads: the library calls the entry point from the thread that uses the link. A device may
 * call a link's yield record and message handler record from any thread (see the callback
 * records below).
 *
 * Descriptors: every descriptor a device opens is close-on-exec, so that a program the library
 * launches inherits none of them.
 */

#include <pthread.h>
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
    /* Sends the close mark, releases the stream's yield and handler records and frees the
     * stream. 0. */
    DEVICE_CLOSE = 21,
    /* a: QKCallbackRecord* yield record (null: none); b: data word handed back to it (the link).
     * The device retains the new record and releases the one it replaces. 0, or 19. */
    DEVICE_SETYIELD = 22,
    /* a: QKCallbackRecord** out yield record (not retained for the caller); b: void** out data
     * word (may be null). 0, or 19. */
    DEVICE_GETYIELD = 23,
    /* a: int32_t* message code; b: int32_t* message parameter. 0; 17 refused; 1 failure. */
    DEVICE_WRITEMSG = 24,
    /* a or b (b when not null): int32_t* out 1 when a message waits. 0, or 1 on failure. */
    DEVICE_HASMSG = 25,
    /* a: int32_t* out code; b: int32_t* out parameter. 0; 18 nothing to read; 1 failure. */
    DEVICE_READMSG = 26,
    /* a: QKCallbackRecord* handler record (null: none); b: data word handed back to it (the
     * link). Retained and released as with DEVICE_SETYIELD. 0, or 19. */
    DEVICE_SETMSGHANDLER = 27,
    /* a: QKCallbackRecord** out handler record; b: void** out data word. 0, or 19. */
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

/* ---- Callback records: yield functions and message handlers ------------------------------
 *
 * While a device waits for its peer it calls the link's yield function, so that the program can
 * serve its user or give up; urgent messages that arrive beside the data go to the link's
 * message handler. Both are callback records, made by the library (QKCreateYieldFunction,
 * QKCreateMessageHandler and their "0" forms) and handed to a device with DEVICE_SETYIELD and
 * DEVICE_SETMSGHANDLER. The record is plain data, so that the library and every plug-in can call
 * it with their own copy of the callback module (CallbackRecord.cpp), whichever made it.
 *
 * Threads. A record has an owner thread. A record made "on the calling thread" runs its function
 * on the thread that calls it. A record made "on a callback thread" has a thread of its own that
 * serves a queue: a yield call from another thread is queued and the caller waits for the answer
 * (a call from the callback thread itself runs at once); a handler call is queued and the caller
 * goes on. Every queued call carries its own arguments, so a second call never overwrites a first
 * that has not run yet.
 *
 * Lifetime. A record is counted: its creator holds one reference until it destroys the record,
 * a device holds one for as long as it keeps the record (take one with qkCallbackRetain when the
 * record is set, give it back with qkCallbackRelease when it is replaced or the stream closes),
 * and every call holds one while it runs. Destroying marks the record dead at once: from then on
 * a yield call answers 1 (stop waiting) and a handler call answers 0 without calling anything,
 * and queued calls that have not run are dropped. The memory goes with the last reference, so a
 * record is never freed while a call can reach it.
 */

struct QKLinkRecord;

/* What a waiting device tells its yield function. The device owns the record (usually on its
 * stack for the length of the wait) and passes its address. */
typedef struct QKYieldParametersRecord {
    int32_t active; /* 1 while the wait lasts */
    int32_t sleep;  /* milliseconds the device sleeps between rounds (at most 600) */
    int32_t count;  /* rounds so far */
    int32_t reason; /* one of QKYIELD_... */
} QKYieldParametersRecord;
typedef QKYieldParametersRecord* QKYieldParameters;

enum {
    QKYIELD_CONNECTING = 2, /* waiting for the peer to connect */
    QKYIELD_READING = 3,    /* waiting for input */
    QKYIELD_WRITING = 4,    /* waiting for room to write */
    QKYIELD_TESTING = 6     /* testing for input */
};

/* The program's functions. A yield function answers non-zero to stop the device's wait; any
 * non-zero value counts, not only its low bits. */
typedef int32_t (*QKYieldProc)(struct QKLinkRecord* link, QKYieldParameters parameters);
typedef void (*QKMessageProc)(struct QKLinkRecord* link, int32_t code, int32_t parameter);

enum { QKCALLBACK_YIELD = 1, QKCALLBACK_HANDLER = 2 };

/* One queued call, with its own arguments. A yield call lives on its caller's stack, which waits
 * for it; a handler call is allocated (malloc) by its caller and freed by whoever runs or drops
 * it. */
typedef struct QKCallbackCall {
    struct QKCallbackCall* next;
    struct QKLinkRecord* link;
    QKYieldParameters parameters; /* yield */
    int32_t code;                 /* handler */
    int32_t parameter;            /* handler */
    int32_t done;                 /* yield: set under the lock once `result` holds the answer */
    int32_t result;
} QKCallbackCall;

/* Never touch the fields directly but through the functions below; the layout is shared so that
 * every module's copy of them agrees. Allocated with malloc; freed by the last release. */
typedef struct QKCallbackRecord {
    uint32_t magic;         /* QKCALLBACK_MAGIC for as long as the memory lives */
    int32_t kind;           /* QKCALLBACK_YIELD or QKCALLBACK_HANDLER */
    void (*function)(void); /* QKYieldProc or QKMessageProc; kept after destroy for its return */
    pthread_t owner;        /* the callback thread, or the thread that made the record */
    int32_t threaded;       /* 1 when `owner` is a callback thread that serves `queue` */
    int32_t destroyed;      /* 1 once destroyed: calls answer without running anything */
    int32_t refs;           /* atomic */
    pthread_mutex_t lock;   /* guards the queue, `destroyed` and every call's `done` */
    pthread_cond_t changed; /* signalled when a call is queued or answered, or at destroy */
    QKCallbackCall* queueHead;
    QKCallbackCall* queueTail;
} QKCallbackRecord;

#define QKCALLBACK_MAGIC 0x43424B51u

/* The callback module. Both the library and the plug-ins compile it; its functions have hidden
 * visibility in every module. */

/* Calls a yield record: its function's answer, or 1 when the record is null, not a record or
 * destroyed. Waits for the answer when the call is queued. */
int32_t qkCallbackYield(QKCallbackRecord* record, struct QKLinkRecord* link,
                        QKYieldParameters parameters);
/* Delivers a message to a handler record: 1 when the function ran or the call was queued, 0 when
 * the record is null, not a record, destroyed, or memory for the queued call ran out. */
int32_t qkCallbackMessage(QKCallbackRecord* record, struct QKLinkRecord* link, int32_t code,
                          int32_t parameter);
/* Takes and gives back a reference; releasing the last one frees the record. Both accept null. */
void qkCallbackRetain(QKCallbackRecord* record);
void qkCallbackRelease(QKCallbackRecord* record);

#ifdef __cplusplus
}
#endif

#endif
