// Reading packet heads: the next expression's head names the packet kind.

#include "ErrorTable.h"
#include "ExportGuard.h"
#include "Link.h"

QK_API int32_t QKNextPacket(QKLINK link) noexcept try {
    if (!link || !link->linkEnv) return 0;
    int32_t owed = 0;
    if (QKExpressionsToGet(link, &owed) && owed > 0) {
        link->setError(QKERR_UNREAD_DATA);
        return 0;
    }
    const char* head = nullptr;
    int32_t count = 0;
    if (!QKGetFunction(link, &head, &count)) return 0;
    int32_t code = corvinet::packetCode(head);
    QKDisownSymbol(link, head);
    if (code == 0) link->setError(QKERR_UNKNOWN_PACKET);
    return code;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
