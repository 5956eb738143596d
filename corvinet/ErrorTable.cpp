#include "ErrorTable.h"

#include "Environment.h"
#include "ExportGuard.h"
#include "Link.h"

#include <charconv>
#include <cstring>

namespace corvinet {
namespace {

struct ErrorRow {
    int32_t code;
    const char* message;
};

constexpr ErrorRow kErrors[] = {
    {QKERR_OK, "everything ok so far"},
    {QKERR_LINK_DIED, "link died"},
    {QKERR_INCONSISTENT_DATA, "inconsistent data was read"},
    {QKERR_GET_SEQUENCE, "QKGet out of sequence"},
    {QKERR_BAD_TOKEN, "QKPutNext() was passed a bad token"},
    {QKERR_PUT_SEQUENCE, "QKPut out of sequence"},
    {QKERR_TOO_MUCH_DATA, "QKPutData given too much data"},
    {QKERR_NUMBER_OVERFLOW, "machine number overflow"},
    {QKERR_OUT_OF_MEMORY, "out of memory"},
    {QKERR_ACCEPT_FAILED, "failure to accept socket connection"},
    {QKERR_UNCONNECTED, "a deferred connection is still unconnected"},
    {QKERR_END_PACKET, "unexpected or missing call of QKEndPacket"},
    {QKERR_UNREAD_DATA, "QKNextPacket called while the current packet has unread data"},
    {QKERR_UNKNOWN_PACKET, "QKNextPacket read in an unknown packet head"},
    {QKERR_END_OF_PACKET, "unexpected end of packet"},
    {QKERR_ABORTED, "a put or get was aborted before affecting the link"},
    {QKERR_PEER_CLOSED, "the other side closed the link, you may still get undelivered data"},
    {QKERR_NO_ENVIRONMENT, "the Corvinet environment was not initialized"},
    {QKERR_FEW_ARGUMENTS, "insufficient arguments to open the link"},
    {QKERR_NO_PROTOCOL, "protocol unavailable"},
    {QKERR_NO_MODE, "mode unavailable"},
    {QKERR_NO_LAUNCH, "launch unsupported"},
    {QKERR_LAUNCH_AGAIN, "cannot launch the program again from the same file"},
    {QKERR_LAUNCH_SPACE, "insufficient space to launch the program"},
    {QKERR_NO_PARENT, "found no parent to connect to"},
    {QKERR_NAME_IN_USE, "the linkname was already in use"},
    {QKERR_NOT_LISTENING, "the linkname was not found to be listening"},
    {QKERR_BAD_NAME, "the linkname was missing or not in the proper form"},
    {QKERR_BAD_LOCATION, "the location was unreachable or not in the proper form"},
    {QKERR_LAUNCH_MISSING_RESOURCE,
     "the program failed to launch because a resource or library was missing"},
    {QKERR_LAUNCH_NOT_FOUND, "the launch failed because the program could not be found"},
    {QKERR_UNKNOWN, "unknown error"},
};

struct PacketRow {
    std::string_view head;
    int32_t code;
};

constexpr PacketRow kPackets[] = {
    {"CallPacket", CALLPKT},
    {"EvaluatePacket", EVALUATEPKT},
    {"ReturnPacket", RETURNPKT},
    {"InputNamePacket", INPUTNAMEPKT},
    {"Enter", ENTERTEXTPKT},
    {"EnterTextPacket", ENTERTEXTPKT},
    {"EnterExpressionPacket", ENTEREXPRPKT},
    {"OutputNamePacket", OUTPUTNAMEPKT},
    {"ReturnTextPacket", RETURNTEXTPKT},
    {"ReturnExpressionPacket", RETURNEXPRPKT},
    {"DisplayPacket", DISPLAYPKT},
    {"DisplayEndPacket", DISPLAYENDPKT},
    {"MessagePacket", MESSAGEPKT},
    {"TextPacket", TEXTPKT},
    {"InputPacket", INPUTPKT},
    {"InputStringPacket", INPUTSTRPKT},
    {"MenuPacket", MENUPKT},
    {"SyntaxPacket", SYNTAXPKT},
    {"ErrorPacket", SYNTAXPKT},
    {"SuspendPacket", SUSPENDPKT},
    {"ResumePacket", RESUMEPKT},
    {"BeginDialogPacket", BEGINDLGPKT},
    {"EndDialogPacket", ENDDLGPKT},
};

} // namespace

const char* errorMessage(int32_t code) {
    for (const ErrorRow& row : kErrors)
        if (row.code == code) return row.message;
    return nullptr;
}

int32_t packetCode(std::string_view head) {
    for (const PacketRow& row : kPackets)
        if (row.head == head) return row.code;
    return 0;
}

} // namespace corvinet

QK_API int32_t QKError(QKLINK link) noexcept try {
    return link ? link->error : QKERR_LINK_DIED;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link, 1);
}

QK_API int32_t QKSetError(QKLINK link, int32_t code) noexcept try {
    if (!link || link->error != 0) return 0;
    link->error = code;
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKClearError(QKLINK link) noexcept try {
    if (!link) return 0;
    switch (link->error) {
    case QKERR_LINK_DIED:
    case QKERR_ACCEPT_FAILED:
        return 0;
    case QKERR_UNCONNECTED:
        return QKConnect(link);
    default:
        link->clearError();
        return 1;
    }
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API const char* QKErrorString(QKENV env, int32_t code) noexcept try {
    if (!env) return nullptr;
    if (const char* message = corvinet::errorMessage(code)) return message;
    char* text = env->errorText;
    std::memcpy(text, "Error ", 6);
    auto end = std::to_chars(text + 6, text + sizeof env->errorText - 1, code).ptr;
    *end = '\0';
    return text;
} catch (...) {
    return corvinet::exportFailed<const char*>(nullptr);
}

QK_API const char* QKErrorMessage(QKLINK link) noexcept try {
    return link ? QKErrorString(link->env(), link->error) : nullptr;
} catch (...) {
    return corvinet::exportFailed<const char*>(link);
}
