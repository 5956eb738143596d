#ifndef CORVINET_CORVINET_H
#define CORVINET_CORVINET_H

/*
 * Corvinet: the link library through which the editor and an algebra kernel exchange typed
 * expressions and packets.
 *
 * Every exported function takes its handle first (an environment QKENV or a link QKLINK),
 * tolerates a null handle and returns non-zero on success and 0 on failure unless its comment
 * says otherwise. The reason of a failed link operation is stored in the link: only the first
 * non-zero code sticks until QKClearError. All memory that the library hands out comes from the
 * environment's allocator pair and goes back through the matching disown function.
 */

#include "corvinet/device.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define QK_EXTERN_C extern "C"
#else
#define QK_EXTERN_C
#endif
#define QK_API QK_EXTERN_C __attribute__((visibility("default")))

/* Handles. A pointer, never narrowed. */
typedef struct QKEnvironment* QKENV;
typedef struct QKLinkRecord* QKLINK;
typedef struct LinkEnvironment* QKLINKENV;
/* Features negotiated for a link; opaque to callers. */
typedef struct LinkFeatures LinkFeatures;

/* The environment's allocator pair. A request of 0 bytes is never passed on. */
typedef void* (*QKAllocator)(size_t size);
typedef void (*QKDeallocator)(void* memory);

/* Called with the link when the link is destroyed, to release the caller's user data. */
typedef void (*QKUserFunction)(QKLINK link);

/* Callback objects of the yield and message machinery: the records of device.h. */
typedef QKCallbackRecord* QKYieldFunctionObject;
typedef QKCallbackRecord* QKMessageHandlerObject;

/* A generic function pointer for the cast exports. */
typedef void (*QKProc)(void);

/*
 * A parameter record lives in a caller-owned block of QK_PARAMETERS_SIZE bytes; the library
 * aligns it to the first 16-byte boundary inside the block, so any byte address will do.
 */
#define QK_PARAMETERS_SIZE 256
typedef unsigned char QKParameters[QK_PARAMETERS_SIZE];
typedef void* QKParametersPointer;

/* Token codes reported by the get side. */
#define QKTOK_STRING 0x22
#define QKTOK_SYMBOL 0x23
#define QKTOK_REAL 0x2A
#define QKTOK_INTEGER 0x2B
#define QKTOK_FUNCTION 0x46
#define QKTOK_ERROR 0

/* Link error codes. Codes without a message of their own read "Error " and the number. */
enum {
    QKERR_UNKNOWN = -1,
    QKERR_OK = 0,
    QKERR_LINK_DIED = 1,
    QKERR_INCONSISTENT_DATA = 2,
    QKERR_GET_SEQUENCE = 3,
    QKERR_BAD_TOKEN = 4,
    QKERR_PUT_SEQUENCE = 5,
    QKERR_TOO_MUCH_DATA = 6,
    QKERR_NUMBER_OVERFLOW = 7,
    QKERR_OUT_OF_MEMORY = 8,
    QKERR_ACCEPT_FAILED = 9,
    QKERR_UNCONNECTED = 10,
    QKERR_PEER_CLOSED = 11,
    QKERR_MESSAGE_REFUSED = 17,
    QKERR_NO_MESSAGE = 18,
    QKERR_CALLBACK_REFUSED = 19,
    QKERR_END_PACKET = 21,
    QKERR_UNREAD_DATA = 22,
    QKERR_UNKNOWN_PACKET = 23,
    QKERR_END_OF_PACKET = 24,
    QKERR_ABORTED = 25,
    QKERR_INPUT_PENDING = 26,
    QKERR_NO_ENVIRONMENT = 32,
    QKERR_FEW_ARGUMENTS = 33,
    QKERR_NO_PROTOCOL = 34,
    QKERR_NO_MODE = 35,
    QKERR_NO_LAUNCH = 36,
    QKERR_LAUNCH_AGAIN = 37,
    QKERR_LAUNCH_SPACE = 38,
    QKERR_NO_PARENT = 39,
    QKERR_NAME_IN_USE = 40,
    QKERR_NOT_LISTENING = 41,
    QKERR_BAD_NAME = 42,
    QKERR_BAD_LOCATION = 43,
    QKERR_NO_NUMERICS = 44,
    QKERR_LAUNCH_MISSING_RESOURCE = 45,
    QKERR_LAUNCH_NOT_FOUND = 46,
    QKERR_DESTROYED = 999
};

/* Errors of a parameter record (QKErrorParameter); they have no message row of their own. */
enum {
    QKPARAM_OUT_OF_MEMORY = 8,
    QKPARAM_INTERFACE_TOO_OLD = 27,
    QKPARAM_INTERFACE_UNSERVED = 28,
    QKPARAM_NOT_A_RECORD = 29,
    QKPARAM_UNSUPPORTED_VALUE = 30,
    QKPARAM_NUMERICS_FAILED = 44
};

/* Packet codes returned by QKNextPacket. */
enum {
    ILLEGALPKT = 0,
    INPUTPKT = 1,
    TEXTPKT = 2,
    RETURNPKT = 3,
    RETURNTEXTPKT = 4,
    MESSAGEPKT = 5,
    MENUPKT = 6,
    CALLPKT = 7,
    INPUTNAMEPKT = 8,
    OUTPUTNAMEPKT = 9,
    SYNTAXPKT = 10,
    DISPLAYPKT = 11,
    DISPLAYENDPKT = 12,
    EVALUATEPKT = 13,
    ENTERTEXTPKT = 14,
    ENTEREXPRPKT = 15,
    RETURNEXPRPKT = 16,
    SUSPENDPKT = 17,
    RESUMEPKT = 18,
    BEGINDLGPKT = 19,
    ENDDLGPKT = 20,
    INPUTSTRPKT = 21
};

/* ---- Environment and parameters ---------------------------------------------------------- */

/* The process environment: built on the first call, shared (and counted) after it. */
QK_API QKENV QKInitialize(QKParametersPointer parameters);
/* Lowers the count; the last matching call ends the environment. Returns it while it lives. */
QK_API QKENV QKDeinitialize(QKENV env);
/* A new environment of its own, outside the process slot; null with the reason in the record. */
QK_API QKENV QKBegin(QKParametersPointer parameters);
QK_API void QKEnd(QKENV env);

/*
 * Fills the record in `block` with this build's defaults for the caller's interface range
 * (`first` and `second` in either order). With a null block and both numbers 0 it returns the
 * packed interface word of the build (level << 16 | revision) instead.
 */
QK_API int32_t QKNewParameters(QKParametersPointer block, int32_t first, int32_t second);
QK_API QKParametersPointer QKSetAllocParameter(QKParametersPointer block, QKAllocator allocator,
                                               QKDeallocator deallocator);
QK_API int32_t QKAllocParameter(QKParametersPointer block, QKAllocator* allocator,
                                QKDeallocator* deallocator);
/* A null text allows device plug-ins, an empty one turns them off; anything else is refused. */
QK_API int32_t QKSetDeviceParameter(QKParametersPointer block, const char* text);
QK_API int32_t QKSetResourceParameter(QKParametersPointer block, void* value);
/* The record's error, or -1 for something that is not a parameter record. */
QK_API int32_t QKErrorParameter(QKParametersPointer block);

QK_API QKLINKENV QKInit(QKAllocator allocator, QKDeallocator deallocator, QKENV env);
QK_API void QKDeinit(QKLINKENV linkEnv);
QK_API QKLINKENV QKLinkEnvironment(QKLINK link);
QK_API QKENV QKEnclosingEnvironment(QKLINKENV linkEnv);

QK_API int32_t QKSetDefaultYieldFunction(QKENV env, QKYieldFunctionObject yielder);
QK_API QKYieldFunctionObject QKDefaultYieldFunction(QKENV env);

QK_API int32_t QKToLinkID(QKLINK link);
QK_API int32_t QKNumber(QKLINK link);
/* The open link with number `id`; for 0 the open link with the smallest number. */
QK_API QKLINK QKFromLinkID(QKENV env, int32_t id);

/* Forwarded to the environment's number converter. */
QK_API int32_t QKNumberControl0(QKENV env, uint32_t flags, void* destination, void* source,
                                int32_t* count);
QK_API int32_t QKTestPoint1(QKENV env, uint32_t flags, void* destination, void* source,
                            int32_t* count);
QK_API int32_t QKTestPoint3(QKENV env);
QK_API int32_t QKTestPoint4(QKENV env);

/* Function-pointer casts for callers: each returns its argument unchanged. */
QK_API QKProc QKAlertCast(QKProc f);
QK_API QKProc QKAllocatorCast(QKProc f);
QK_API QKProc QKConfirmCast(QKProc f);
QK_API QKProc QKDeallocatorCast(QKProc f);
QK_API QKProc QKHandlerCast(QKProc f);
QK_API QKProc QKRequestArgvCast(QKProc f);
QK_API QKProc QKRequestCast(QKProc f);
QK_API QKProc QKRequestToInteractCast(QKProc f);
QK_API QKProc QKUserCast(QKProc f);
QK_API QKProc QKYielderCast(QKProc f);

/* ---- Devices ----------------------------------------------------------------------------- */

/* Asks the link's device for information item `item`; `size` is in/out. */
QK_API int32_t QKDeviceInformation(QKLINK link, uint32_t item, void* buffer, int32_t* size);

/* ---- Errors and packets ------------------------------------------------------------------ */

/* The link's error code; 1 for a null link. */
QK_API int32_t QKError(QKLINK link);
/* Stores `code` only while the link has no error; 1 when stored. */
QK_API int32_t QKSetError(QKLINK link, int32_t code);
/* Errors 1 and 9 stay; error 10 retries the connection; any other becomes 0. */
QK_API int32_t QKClearError(QKLINK link);
/* The message of `code`. A code without a row gets "Error <code>", valid until the next such
 * call on the same environment. */
QK_API const char* QKErrorString(QKENV env, int32_t code);
QK_API const char* QKErrorMessage(QKLINK link);
/* Reads the next packet's head and argument count and returns its packet code; 0 with error 22
 * while the current packet has unread expressions, with error 23 for an unknown head. */
QK_API int32_t QKNextPacket(QKLINK link);

/* ---- Link objects ------------------------------------------------------------------------ */

QK_API QKLINK QKMake(QKLINKENV linkEnv, DeviceMainProc device, DeviceStream* stream,
                     int32_t* error);
QK_API QKLINK QKCreate0(QKENV env, DeviceMainProc device, DeviceStream* stream, int32_t* error);
/* Connects and negotiates once; with `features` the negotiation is skipped. Error 25 or 41
 * leaves the link unconnected (error 10) so that it may be tried again. */
QK_API int32_t QKEstablish(QKLINK link, const LinkFeatures* features);
QK_API int32_t QKConnect(QKLINK link);
QK_API int32_t QKEstablishString(QKLINK link, const char* features);
/* Writes the negotiated features as words; 0 when all fitted, else the number of words that
 * did not; -1 for a null link. */
QK_API int32_t QKFeatureString(QKLINK link, char* buffer, int32_t size);
QK_API QKLINK QKDuplicateLink(QKLINK link, const char* name, int32_t* error);
/* Ends the link. When it was the last user of its device stream, the device entry point and the
 * stream come back through the out-pointers (if given) for the caller to close. */
QK_API int32_t QKDestroy(QKLINK link, DeviceMainProc* device, DeviceStream** stream);
/* Destroys the link and closes its device stream when it was the last user. */
QK_API int32_t QKClose(QKLINK link);

QK_API const char* QKName(QKLINK link);
QK_API int32_t QKSetName(QKLINK link, const char* name);

/* The caller's data word on a link and the function that releases it at destroy. */
typedef struct QKUserBlockRecord {
    int32_t number;
    const char* name;
    void* data;
    QKUserFunction release;
} QKUserBlockRecord;

QK_API void* QKUserData(QKLINK link, QKUserFunction* release);
QK_API void QKSetUserData(QKLINK link, void* data, QKUserFunction release);
/* A snapshot of the user block (number, name, data word, release function). */
QK_API QKUserBlockRecord QKUserBlock(QKLINK link);
/* Sets the data word and release function; the link's number and name are its own and stay. */
QK_API void QKSetUserBlock(QKLINK link, QKUserBlockRecord block);

/* Copies the next `count` bytes of encoded data from `source` to `destination`. */
QK_API int32_t QKTransfer0(QKLINK destination, QKLINK source, int32_t count);
/* Copies everything a loopback `source` holds; a null destination discards it. */
QK_API int32_t QKTransferToEndOfLoopbackLink(QKLINK destination, QKLINK source);

/* ---- Opening ----------------------------------------------------------------------------- */

/* A link without a device: what it writes it reads back. */
QK_API QKLINK QKLoopbackOpen(QKENV env, int32_t* error);
QK_API QKLINK QKLoopbackOpen0(QKENV env, const char* features, int32_t* error);

/* Splits `string` into at most `capacity` words stored in `buffer` (as large as the string plus
 * one byte); returns the number of words. */
QK_API int32_t QKStringToArgv(const char* string, char* buffer, char** argv, int32_t capacity);
/* Joins words, quoted so that splitting gives them back; 0 when all fitted, else the number of
 * words from the first that did not fit. */
QK_API int32_t QKPrintArgv(char* buffer, char* bufferEnd, char** argv, char** argvEnd);

#include "corvinet/qkwire.h"

#endif
