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
 * environment's allocator pair and goes back through the matching disown function. No exported
 * function lets an exception out (they are noexcept): running out of memory is QKERR_OUT_OF_
 * MEMORY on the link, or the function's failure value where there is no link.
 *
 * Threads. The library takes no locks around a link or an environment: use each link, and the
 * environment's links, devices and dialogs, from one thread at a time (the thread that opens a
 * link may hand it on to another). QKInitialize and QKDeinitialize may be called from any thread;
 * they guard the process environment and its count. Yield and message-handler records may be
 * made, called and destroyed from any thread (device.h says where their functions run). The
 * dialog functions are called on the thread that calls QKAlert, QKRequest and the others, which
 * for the open functions is the thread that opens the link.
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
/* No exported function lets an exception out: each answers its failure value instead. */
#ifdef __cplusplus
#define QK_NOEXCEPT noexcept
#else
#define QK_NOEXCEPT
#endif

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
QK_API QKENV QKInitialize(QKParametersPointer parameters) QK_NOEXCEPT;
/* Lowers the count; the last matching call ends the environment. Returns it while it lives. */
QK_API QKENV QKDeinitialize(QKENV env) QK_NOEXCEPT;
/* A new environment of its own, outside the process slot; null with the reason in the record. */
QK_API QKENV QKBegin(QKParametersPointer parameters) QK_NOEXCEPT;
QK_API void QKEnd(QKENV env) QK_NOEXCEPT;

/*
 * Fills the record in `block` with this build's defaults for the caller's interface range
 * (`first` and `second` in either order). With a null block and both numbers 0 it returns the
 * packed interface word of the build (level << 16 | revision) instead.
 */
QK_API int32_t QKNewParameters(QKParametersPointer block, int32_t first,
                               int32_t second) QK_NOEXCEPT;
QK_API QKParametersPointer QKSetAllocParameter(QKParametersPointer block, QKAllocator allocator,
                                               QKDeallocator deallocator) QK_NOEXCEPT;
QK_API int32_t QKAllocParameter(QKParametersPointer block, QKAllocator* allocator,
                                QKDeallocator* deallocator) QK_NOEXCEPT;
/* A null text allows device plug-ins, an empty one turns them off; anything else is refused. */
QK_API int32_t QKSetDeviceParameter(QKParametersPointer block, const char* text) QK_NOEXCEPT;
QK_API int32_t QKSetResourceParameter(QKParametersPointer block, void* value) QK_NOEXCEPT;
/* The record's error, or -1 for something that is not a parameter record. */
QK_API int32_t QKErrorParameter(QKParametersPointer block) QK_NOEXCEPT;

QK_API QKLINKENV QKInit(QKAllocator allocator, QKDeallocator deallocator, QKENV env) QK_NOEXCEPT;
QK_API void QKDeinit(QKLINKENV linkEnv) QK_NOEXCEPT;
QK_API QKLINKENV QKLinkEnvironment(QKLINK link) QK_NOEXCEPT;
QK_API QKENV QKEnclosingEnvironment(QKLINKENV linkEnv) QK_NOEXCEPT;

QK_API int32_t QKSetDefaultYieldFunction(QKENV env, QKYieldFunctionObject yielder) QK_NOEXCEPT;
QK_API QKYieldFunctionObject QKDefaultYieldFunction(QKENV env) QK_NOEXCEPT;

QK_API int32_t QKToLinkID(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKNumber(QKLINK link) QK_NOEXCEPT;
/* The open link with number `id`; for 0 the open link with the smallest number. */
QK_API QKLINK QKFromLinkID(QKENV env, int32_t id) QK_NOEXCEPT;

/* Forwarded to the environment's number converter. */
QK_API int32_t QKNumberControl0(QKENV env, uint32_t flags, void* destination, void* source,
                                int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKTestPoint1(QKENV env, uint32_t flags, void* destination, void* source,
                            int32_t* count) QK_NOEXCEPT;
QK_API int32_t QKTestPoint3(QKENV env) QK_NOEXCEPT;
QK_API int32_t QKTestPoint4(QKENV env) QK_NOEXCEPT;

/* Function-pointer casts for callers: each returns its argument unchanged. */
QK_API QKProc QKAlertCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKAllocatorCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKConfirmCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKDeallocatorCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKHandlerCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKRequestArgvCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKRequestCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKRequestToInteractCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKUserCast(QKProc f) QK_NOEXCEPT;
QK_API QKProc QKYielderCast(QKProc f) QK_NOEXCEPT;

/* ---- Devices ----------------------------------------------------------------------------- */

/* Asks the link's device for information item `item`; `size` is in/out. */
QK_API int32_t QKDeviceInformation(QKLINK link, uint32_t item, void* buffer,
                                   int32_t* size) QK_NOEXCEPT;

/* ---- Errors and packets ------------------------------------------------------------------ */

/* The link's error code; 1 for a null link. */
QK_API int32_t QKError(QKLINK link) QK_NOEXCEPT;
/* Stores `code` only while the link has no error; 1 when stored. */
QK_API int32_t QKSetError(QKLINK link, int32_t code) QK_NOEXCEPT;
/* QKERR_LINK_DIED and QKERR_ACCEPT_FAILED stay; QKERR_UNCONNECTED retries the connection; any
 * other becomes QKERR_OK. */
QK_API int32_t QKClearError(QKLINK link) QK_NOEXCEPT;
/* The message of `code`. A code without a row gets "Error <code>", valid until the next such
 * call on the same environment. */
QK_API const char* QKErrorString(QKENV env, int32_t code) QK_NOEXCEPT;
QK_API const char* QKErrorMessage(QKLINK link) QK_NOEXCEPT;
/* Reads the next packet's head and argument count and returns its packet code; 0 with
 * QKERR_UNREAD_DATA while the current packet has unread expressions, with QKERR_UNKNOWN_PACKET
 * for an unknown head. */
QK_API int32_t QKNextPacket(QKLINK link) QK_NOEXCEPT;

/* ---- Link objects ------------------------------------------------------------------------ */

/*
 * A new, unconnected link (QKERR_UNCONNECTED until QKConnect or QKEstablish) over `stream` of the
 * device `device`, or a loopback link when both are null. The link takes over the stream: it is
 * closed with the link's last user (QKClose), never by the caller. QKCreate0 is QKMake on the
 * environment's link environment. Null with QKERR_NO_ENVIRONMENT or QKERR_OUT_OF_MEMORY in *error
 * (which may be null); the stream then still belongs to the caller.
 */
QK_API QKLINK QKMake(QKLINKENV linkEnv, DeviceMainProc device, DeviceStream* stream,
                     int32_t* error) QK_NOEXCEPT;
QK_API QKLINK QKCreate0(QKENV env, DeviceMainProc device, DeviceStream* stream,
                        int32_t* error) QK_NOEXCEPT;
/* Connects and negotiates once; with `features` the negotiation is skipped. When the device's
 * connect answers QKERR_ABORTED or QKERR_NOT_LISTENING (a yield function stopped the wait, or
 * nobody listens yet) the link stays unconnected (QKERR_UNCONNECTED) and may be tried again; a
 * stop once the exchange has begun, and a launched program that has ended, leave
 * QKERR_LINK_DIED. */
QK_API int32_t QKEstablish(QKLINK link, const LinkFeatures* features) QK_NOEXCEPT;
QK_API int32_t QKConnect(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKEstablishString(QKLINK link, const char* features) QK_NOEXCEPT;
/* Writes the negotiated features as words; 0 when all fitted, else the number of words that
 * did not; -1 for a null link. */
QK_API int32_t QKFeatureString(QKLINK link, char* buffer, int32_t size) QK_NOEXCEPT;
/* A second link over the same device stream and input, reading where `link` reads; the stream is
 * closed when the last of them is closed. `name` (may be null) is copied. Null with the link's
 * error, QKERR_LINK_DIED for a null link, or QKERR_OUT_OF_MEMORY in *error. */
QK_API QKLINK QKDuplicateLink(QKLINK link, const char* name, int32_t* error) QK_NOEXCEPT;
/* Ends the link. When it was the last user of its device stream, the device entry point and the
 * stream come back through the out-pointers (if given) for the caller to close. */
QK_API int32_t QKDestroy(QKLINK link, DeviceMainProc* device, DeviceStream** stream) QK_NOEXCEPT;
/* Destroys the link and closes its device stream when it was the last user. */
QK_API int32_t QKClose(QKLINK link) QK_NOEXCEPT;

/* The link's name, owned by the link: valid until the next QKSetName on the link or its close;
 * copy it to keep it. Null for a null link or one without a name. */
QK_API const char* QKName(QKLINK link) QK_NOEXCEPT;
/* Replaces the name with a copy of `name` (null removes it); the caller keeps its text. 0 for a
 * null link or when the copy cannot be made, and then the old name stays. */
QK_API int32_t QKSetName(QKLINK link, const char* name) QK_NOEXCEPT;

/* The caller's data word on a link and the function that releases it at destroy. */
typedef struct QKUserBlockRecord {
    int32_t number;
    const char* name;
    void* data;
    QKUserFunction release;
} QKUserBlockRecord;

QK_API void* QKUserData(QKLINK link, QKUserFunction* release) QK_NOEXCEPT;
QK_API void QKSetUserData(QKLINK link, void* data, QKUserFunction release) QK_NOEXCEPT;
/* A snapshot of the user block (number, name, data word, release function). */
QK_API QKUserBlockRecord QKUserBlock(QKLINK link) QK_NOEXCEPT;
/* Sets the data word and release function; the link's number and name are its own and stay. */
QK_API void QKSetUserBlock(QKLINK link, QKUserBlockRecord block) QK_NOEXCEPT;

/* Copies the next `count` bytes of encoded data from `source` to `destination`. */
QK_API int32_t QKTransfer0(QKLINK destination, QKLINK source, int32_t count) QK_NOEXCEPT;
/* Copies everything a loopback `source` holds; a null destination discards it. */
QK_API int32_t QKTransferToEndOfLoopbackLink(QKLINK destination, QKLINK source) QK_NOEXCEPT;

/* ---- Opening ----------------------------------------------------------------------------- */

/*
 * Opening from option words. The "-link..." options (names and keywords in any letter case):
 *   -corvinet                 recognised and consumed
 *   -linkname TEXT            the link name; for a launch, the command of the program
 *   -linkprotocol TEXT        the device to use (empty: the first device that accepts)
 *   -linkmode KEYWORD         Loopback, Launch, ParentConnect, Listen, Connect, Read, Write,
 *                             Server
 *   -linkhost TEXT, -linkauthentication TEXT, -linkdevice TEXT
 *   -linkoptions ITEMS        QK... keywords, or numbers v or v|m (decimal, 0x, 0b), at commas,
 *                             blanks or tabs; a bad item leaves the options as they were
 *   -linklaunch, -linkcreate, -linkconnect   mode Launch, Listen, Connect, in that precedence
 * Without any option the request-argv dialog is asked for words (unless interaction is refused
 * or the options hold QKDontInteract, when the link connects to its parent).
 *
 * Errors through the out-pointer (which may be null): QKERR_NO_ENVIRONMENT (32), QKERR_FEW_
 * ARGUMENTS (33) when no options came, QKERR_NO_PROTOCOL (34) and QKERR_NO_MODE (35) from the
 * devices, QKERR_LAUNCH_NOT_FOUND (46) when there is no program to launch, QKERR_UNKNOWN (-1)
 * when it could not be started, QKERR_OUT_OF_MEMORY (8), or the devices' own codes. A device
 * link is returned unconnected: QKConnect (or the first get or put) connects it.
 *
 * Launching: the library listens on the protocol and starts the program (found beside the
 * calling program, in the current folder or on PATH; never through a shell) with the options
 * that make it connect back. If the program ends before it connects, the connect fails with
 * QKERR_LINK_DIED (1). The child is reaped in any case.
 */
QK_API QKLINK QKOpenArgv(QKENV env, char** first, char** end, int32_t* error) QK_NOEXCEPT;
QK_API QKLINK QKOpenInEnv(QKENV env, int32_t argc, char** argv, int32_t* error) QK_NOEXCEPT;
/* Splits the string into at most 32 words first. */
QK_API QKLINK QKOpenString(QKENV env, const char* string, int32_t* error) QK_NOEXCEPT;
/* As QKOpenInEnv and QKOpenString on the process environment (QKInitialize(null)). */
QK_API QKLINK QKOpen(int32_t argc, char** argv) QK_NOEXCEPT;
QK_API QKLINK QKOpenS(const char* string) QK_NOEXCEPT;
/* Removes the words that the option parser consumes, keeping the order of the rest; returns the
 * new end. */
QK_API char** QKFilterArgv0(QKENV env, char** first, char** end) QK_NOEXCEPT;
/* QKStringToArgv through caller-kept cursors, so a long string can be split in several calls:
 * stores words while *argv < argvEnd, advancing all three cursors, and returns the number of
 * words that did not fit (the string cursor stays before them). */
QK_API int32_t QKScanString(char*** argv, char** argvEnd, const char** string,
                            char** buffer) QK_NOEXCEPT;

/* A link without a device: what it writes it reads back. */
QK_API QKLINK QKLoopbackOpen(QKENV env, int32_t* error) QK_NOEXCEPT;
QK_API QKLINK QKLoopbackOpen0(QKENV env, const char* features, int32_t* error) QK_NOEXCEPT;

/* Splits `string` into at most `capacity` words stored in `buffer` (as large as the string plus
 * one byte); returns the number of words. */
QK_API int32_t QKStringToArgv(const char* string, char* buffer, char** argv,
                              int32_t capacity) QK_NOEXCEPT;
/* Joins words, quoted so that splitting gives them back; 0 when all fitted, else the number of
 * words from the first that did not fit. */
QK_API int32_t QKPrintArgv(char* buffer, char* bufferEnd, char** argv, char** argvEnd) QK_NOEXCEPT;

/* ---- Yield functions and message handlers -------------------------------------------------
 *
 * Records made here are handed to a link with QKSetYieldFunction and QKSetMessageHandler; see
 * device.h for how a device calls them and on which thread they run. QKCreateYieldFunction and
 * QKCreateMessageHandler0 make records that run on the thread that calls them;
 * QKCreateYieldFunction0 and QKCreateMessageHandler make records with a callback thread of their
 * own (falling back to the calling thread when no thread can be started). The environment and
 * data arguments are not used. Destroying returns the program's function; once destroyed, a
 * record answers 1 to a yield call and 0 to a handler call, and a destroyed or stale record may
 * still be passed to the call functions safely. Any thread may create, call and destroy.
 */
QK_API QKYieldFunctionObject QKCreateYieldFunction(QKENV env, QKYieldProc function,
                                                   void* data) QK_NOEXCEPT;
QK_API QKYieldFunctionObject QKCreateYieldFunction0(QKENV env, QKYieldProc function,
                                                    void* data) QK_NOEXCEPT;
QK_API QKMessageHandlerObject QKCreateMessageHandler(QKENV env, QKMessageProc function,
                                                     void* data) QK_NOEXCEPT;
QK_API QKMessageHandlerObject QKCreateMessageHandler0(QKENV env, QKMessageProc function,
                                                      void* data) QK_NOEXCEPT;
QK_API QKYieldProc QKDestroyYieldFunction(QKYieldFunctionObject yielder) QK_NOEXCEPT;
QK_API QKMessageProc QKDestroyMessageHandler(QKMessageHandlerObject handler) QK_NOEXCEPT;
/* The function's answer (any non-zero value stops a wait); 1 for a destroyed record. */
QK_API int32_t QKCallYieldFunction(QKYieldFunctionObject yielder, QKLINK link,
                                   QKYieldParameters parameters) QK_NOEXCEPT;
/* 1 when delivered or queued; 0 for a destroyed record. */
QK_API int32_t QKCallMessageHandler(QKMessageHandlerObject handler, QKLINK link, int32_t code,
                                    int32_t parameter) QK_NOEXCEPT;
/* The sleep time and round count of a waiting device; 0 for null. */
QK_API int32_t QKSleepYP(QKYieldParameters parameters) QK_NOEXCEPT;
QK_API int32_t QKCountYP(QKYieldParameters parameters) QK_NOEXCEPT;

/* Per link, through its device; a loopback link has none and these fail (0). The link does not
 * own the record: destroy it after the link is closed, or set another first. */
QK_API int32_t QKSetYieldFunction(QKLINK link, QKYieldFunctionObject yielder) QK_NOEXCEPT;
QK_API int32_t QKSetYieldFunction0(QKLINK link, QKYieldFunctionObject yielder) QK_NOEXCEPT;
QK_API QKYieldFunctionObject QKYieldFunction(QKLINK link) QK_NOEXCEPT;
QK_API int32_t QKSetMessageHandler(QKLINK link, QKMessageHandlerObject handler) QK_NOEXCEPT;
QK_API int32_t QKSetMessageHandler0(QKLINK link, QKMessageHandlerObject handler) QK_NOEXCEPT;
QK_API QKMessageHandlerObject QKMessageHandler(QKLINK link) QK_NOEXCEPT;

/* Urgent messages beside the data. For codes 5 (interrupt) and 8 (abort) the parameter is the
 * number of bytes written on the link since it was established. A loopback link keeps one
 * message for itself (a later one replaces it). QKGetMessage: 1 with the message, 0 when none
 * waits, -1 when the device failed. QKMessageReady: non-zero while a message waits. */
QK_API int32_t QKPutMessage(QKLINK link, int32_t code) QK_NOEXCEPT;
QK_API int32_t QKGetMessage(QKLINK link, int32_t* code, int32_t* parameter) QK_NOEXCEPT;
QK_API int32_t QKMessageReady(QKLINK link) QK_NOEXCEPT;

/* ---- Dialogs -------------------------------------------------------------------------------
 *
 * Five slots per environment, numbered for QKSetDialogFunction: 1 alert, 2 request, 3 confirm,
 * 4 request-argv, 5 request-to-interact. Installing the value (QKProc)1 brings back the slot's
 * default. The defaults need no window system: the alert writes to standard error; confirm and
 * the requests ask on the terminal only when standard input and standard error are terminals
 * and otherwise answer as if cancelled; request-to-interact allows. Every dialog call but
 * QKRequestToInteract first asks the request-to-interact function (with 1) and shows nothing
 * when it refuses. The library calls the dialogs from the thread that opens the link.
 */
typedef int32_t (*QKAlertProc)(QKENV env, const char* text);
/* The prompt of the request a launch makes for the program to start when it finds none: a
 * request function may answer it with a file chooser. */
#define QK_LAUNCH_CHOOSER_PROMPT "Choose a Corvinet program to launch"
/* Writes the answer into `response` (at most `size` bytes with the terminator); 1 for OK. */
typedef int32_t (*QKRequestProc)(QKENV env, const char* prompt, char* response, int32_t size);
typedef int32_t (*QKConfirmProc)(QKENV env, const char* text, int32_t answer);
/* Stores words (their text in `buffer`) into argv and returns their number, or 0; a function
 * that cannot fit its words writes nothing and answers 0. */
typedef int32_t (*QKRequestArgvProc)(QKENV env, char** argv, int32_t capacity, char* buffer,
                                     int32_t size);
typedef int32_t (*QKRequestToInteractProc)(QKENV env, int32_t wait);

QK_API int32_t QKSetDialogFunction(QKENV env, int32_t slot, QKProc function) QK_NOEXCEPT;
/* The alert's answer; 0 for a null text or when interaction is refused. */
QK_API int32_t QKAlert(QKENV env, const char* text) QK_NOEXCEPT;
/* The confirm function's answer, or `answer` (also for a null text). */
QK_API int32_t QKConfirm(QKENV env, const char* text, int32_t answer) QK_NOEXCEPT;
/* The request function's answer; 1 for a null prompt or when interaction is refused. */
QK_API int32_t QKRequest(QKENV env, const char* prompt, char* response, int32_t size) QK_NOEXCEPT;
/* The number of words stored, or 0 with argv[0] null. */
QK_API int32_t QKRequestArgv(QKENV env, char** argv, int32_t capacity, char* buffer,
                             int32_t size) QK_NOEXCEPT;
QK_API int32_t QKRequestToInteract(QKENV env, int32_t wait) QK_NOEXCEPT;

/* Reads the next expression and shows its tokens through QKAlert as " <type ...>" items. */
QK_API int32_t QKTestPoint2(QKLINK link) QK_NOEXCEPT;

#include "corvinet/qkwire.h"

#endif
