#include "Environment.h"

#include "BuildProfile.h"
#include "DeviceLoader.h"
#include "Dialogs.h"
#include "ExportGuard.h"
#include "Link.h"
#include "NumberConverter.h"
#include "ParameterRecord.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// The process environment of QKInitialize. The editor opens links from worker threads too, so
// the slot and its count are guarded.
std::mutex processMutex;
QKENV processEnv = nullptr;

void copyIdentifier(char (&to)[64], const char* from) {
    std::strncpy(to, from, sizeof to - 1);
    to[sizeof to - 1] = '\0';
}

// The negotiation sends this end's identifiers and masks; the token mask comes from the number
// converter, the formats are the text encodings this library reads.
void setUpFeatures(QKENV env) {
    const corvinet::NumberConverter& converter = corvinet::buildNumberConverter();
    LinkFeatures& features = env->features;
    features.converter = &converter;
    features.tokens = converter.acceptedCodes();
    features.formats = {};
    for (unsigned format : {1u, 2u, 3u, 7u})
        corvinet::maskSet(features.formats, format);
    features.level = env->highestLevel;
    copyIdentifier(env->numericsId, converter.numericsId());
    copyIdentifier(env->textId, __DATE__ ", " __TIME__);
}

} // namespace

QK_API QKENV QKBegin(QKParametersPointer parameters) noexcept try {
    QKParameters defaults;
    if (!parameters) {
        const corvinet::BuildProfile& build = corvinet::buildProfile();
        QKNewParameters(defaults, build.defaultFirst, build.defaultSecond);
        parameters = defaults;
    }
    corvinet::ParameterRecord* record = corvinet::alignedRecord(parameters);
    if (record->magic != corvinet::kParameterMagic) {
        record->error = QKPARAM_NOT_A_RECORD;
        return nullptr;
    }
    if (record->error) return nullptr;
    if (!record->allocator || !record->deallocator) {
        record->error = QKPARAM_UNSUPPORTED_VALUE;
        return nullptr;
    }
    corvinet::AllocatorPair memory{record->allocator, record->deallocator};
    QKENV env = memory.make<QKEnvironment>();
    if (!env) {
        record->error = QKPARAM_OUT_OF_MEMORY;
        return nullptr;
    }
    env->memory = memory;
    env->interfaceLevel = record->level;
    env->refCount = 1;
    env->linkEnv = QKInit(memory.allocate, memory.deallocate, env);
    if (!env->linkEnv) {
        record->error = QKPARAM_OUT_OF_MEMORY;
        memory.destroy(env);
        return nullptr;
    }
    try {
        if (!(record->flags & corvinet::kNoDevices))
            corvinet::loadDevices(env, corvinet::deviceSearchFolders());
    } catch (...) {
        // Out of memory while finding the plug-ins: nothing half-built may stay behind.
        corvinet::endDevices(env);
        QKDeinit(env->linkEnv);
        memory.destroy(env);
        record->error = QKPARAM_OUT_OF_MEMORY;
        return nullptr;
    }
    setUpFeatures(env);
    corvinet::installDefaultDialogs(env);
    return env;
} catch (...) {
    return corvinet::exportFailed<QKENV>(nullptr);
}

QK_API void QKEnd(QKENV env) noexcept try {
    if (!env) return;
    LinkEnvironment::Registry& links = env->linkEnv->registry;
    while (!links.empty())
        QKClose(links.begin()->second);
    QKDeinit(env->linkEnv);
    corvinet::endDevices(env);
    corvinet::AllocatorPair(env->memory).destroy(env);
} catch (...) {
    corvinet::exportFailed(nullptr);
}

QK_API QKENV QKInitialize(QKParametersPointer parameters) noexcept try {
    std::lock_guard lock(processMutex);
    if (!processEnv) {
        processEnv = QKBegin(parameters);
        if (!processEnv) return nullptr;
    }
    ++processEnv->refCount;
    return processEnv;
} catch (...) {
    return corvinet::exportFailed<QKENV>(nullptr);
}

QK_API QKENV QKDeinitialize(QKENV env) noexcept try {
    if (!env) return nullptr;
    std::lock_guard lock(processMutex);
    if (env->refCount-- == 2) {
        if (env == processEnv) processEnv = nullptr;
        QKEnd(env);
        return nullptr;
    }
    return env;
} catch (...) {
    return corvinet::exportFailed<QKENV>(nullptr);
}

QK_API int32_t QKSetDefaultYieldFunction(QKENV env, QKYieldFunctionObject yielder) noexcept try {
    if (!env) return 0;
    env->defaultYield = yielder;
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API QKYieldFunctionObject QKDefaultYieldFunction(QKENV env) noexcept try {
    return env ? env->defaultYield : nullptr;
} catch (...) {
    return corvinet::exportFailed<QKYieldFunctionObject>(nullptr);
}

QK_API int32_t QKToLinkID(QKLINK link) noexcept try {
    return link ? link->number : 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKNumber(QKLINK link) noexcept try { return link ? link->number : 0; } catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API QKLINK QKFromLinkID(QKENV env, int32_t id) noexcept try {
    if (!env) return nullptr;
    const LinkEnvironment::Registry& links = env->linkEnv->registry;
    auto found = id == 0 ? links.begin() : links.find(id);
    return found == links.end() ? nullptr : found->second;
} catch (...) {
    return corvinet::exportFailed<QKLINK>(nullptr);
}

QK_API int32_t QKNumberControl0(QKENV env, uint32_t flags, void* destination, void* source,
                                int32_t* count) noexcept try {
    if (!env || !env->features.converter) return -1;
    return env->features.converter->convert(flags, destination, source, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, -1);
}

QK_API int32_t QKTestPoint1(QKENV env, uint32_t flags, void* destination, void* source,
                            int32_t* count) noexcept try {
    return QKNumberControl0(env, flags, destination, source, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, -1);
}

QK_API int32_t QKTestPoint3(QKENV) noexcept try { return -1; } catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, -1);
}

QK_API int32_t QKTestPoint4(QKENV) noexcept try { return 0; } catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

// One function under ten names, for callers that need a function-pointer cast.
QK_API QKProc QKAlertCast(QKProc f) noexcept try { return f; } catch (...) {
    return corvinet::exportFailed<QKProc>(nullptr);
}
#define CORVINET_CAST_ALIAS(name)                                                                  \
    QK_API QKProc name(QKProc) noexcept __attribute__((alias("QKAlertCast")));
CORVINET_CAST_ALIAS(QKAllocatorCast)
CORVINET_CAST_ALIAS(QKConfirmCast)
CORVINET_CAST_ALIAS(QKDeallocatorCast)
CORVINET_CAST_ALIAS(QKHandlerCast)
CORVINET_CAST_ALIAS(QKRequestArgvCast)
CORVINET_CAST_ALIAS(QKRequestCast)
CORVINET_CAST_ALIAS(QKRequestToInteractCast)
CORVINET_CAST_ALIAS(QKUserCast)
CORVINET_CAST_ALIAS(QKYielderCast)
