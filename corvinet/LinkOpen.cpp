// Opening links that need no device: the loopback link, which reads back what it writes.

#include "Environment.h"
#include "Link.h"

namespace {

QKLINK openLoopback(QKENV env, int32_t* error, const char* features) {
    if (!env) {
        if (error) *error = QKERR_NO_ENVIRONMENT;
        return nullptr;
    }
    QKLINK link = QKCreate0(env, nullptr, nullptr, error);
    if (!link) return nullptr;
    int32_t established =
        features ? QKEstablishString(link, features) : QKEstablish(link, &env->features);
    if (!established) {
        if (error) *error = link->error;
        QKClose(link);
        return nullptr;
    }
    return link;
}

} // namespace

QK_API QKLINK QKLoopbackOpen(QKENV env, int32_t* error) {
    return openLoopback(env, error, nullptr);
}

QK_API QKLINK QKLoopbackOpen0(QKENV env, const char* features, int32_t* error) {
    return openLoopback(env, error, features);
}
