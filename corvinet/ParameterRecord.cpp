#include "ParameterRecord.h"

#include "BuildProfile.h"
#include "EnvMemory.h"
#include "ExportGuard.h"

#include <algorithm>

namespace corvinet {

ParameterRecord* alignedRecord(void* block) {
    if (!block) return nullptr;
    auto address = (reinterpret_cast<uintptr_t>(block) + 15) & ~uintptr_t{15};
    return reinterpret_cast<ParameterRecord*>(address);
}

ParameterRecord* validRecord(void* block) {
    ParameterRecord* record = alignedRecord(block);
    return record && record->magic == kParameterMagic ? record : nullptr;
}

} // namespace corvinet

using corvinet::ParameterRecord;

QK_API int32_t QKNewParameters(QKParametersPointer block, int32_t first, int32_t second) noexcept
    try {
    const corvinet::BuildProfile& build = corvinet::buildProfile();
    if (!block) return first == 0 && second == 0 ? build.packedWord : 0;
    ParameterRecord* record = corvinet::alignedRecord(block);
    corvinet::AllocatorPair heap = corvinet::heapAllocator();
    *record = ParameterRecord{corvinet::kParameterMagic,
                              corvinet::kParameterRevision,
                              build.level,
                              1,
                              0,
                              heap.allocate,
                              heap.deallocate,
                              0,
                              0};
    int32_t lower = std::min(first, second);
    int32_t upper = std::max(first, second);
    if (lower == 0) lower = upper;
    if (int32_t error = build.checkRange(lower, upper)) {
        record->error = error;
        return 0;
    }
    return corvinet::kParameterRevision;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API QKParametersPointer QKSetAllocParameter(QKParametersPointer block, QKAllocator allocator,
                                               QKDeallocator deallocator) noexcept try {
    ParameterRecord* record = corvinet::validRecord(block);
    if (record && record->error == 0 && allocator && deallocator) {
        record->allocator = allocator;
        record->deallocator = deallocator;
    }
    return record;
} catch (...) {
    return corvinet::exportFailed<QKParametersPointer>(nullptr);
}

QK_API int32_t QKAllocParameter(QKParametersPointer block, QKAllocator* allocator,
                                QKDeallocator* deallocator) noexcept try {
    ParameterRecord* record = corvinet::validRecord(block);
    if (!record) return QKPARAM_NOT_A_RECORD;
    if (record->error) return record->error;
    if (!allocator || !deallocator) return QKERR_DESTROYED;
    *allocator = record->allocator;
    *deallocator = record->deallocator;
    return 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, QKPARAM_NOT_A_RECORD);
}

QK_API int32_t QKSetDeviceParameter(QKParametersPointer block, const char* text) noexcept try {
    ParameterRecord* record = corvinet::validRecord(block);
    if (!record) return QKPARAM_NOT_A_RECORD;
    if (record->error) return record->error;
    if (!text) {
        record->flags &= ~corvinet::kNoDevices;
        return 0;
    }
    if (*text == '\0') {
        record->flags |= corvinet::kNoDevices;
        return 0;
    }
    return QKPARAM_UNSUPPORTED_VALUE;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, QKPARAM_NOT_A_RECORD);
}

QK_API int32_t QKSetResourceParameter(QKParametersPointer block, void*) noexcept try {
    ParameterRecord* record = corvinet::validRecord(block);
    if (!record) return QKPARAM_NOT_A_RECORD;
    return record->error ? record->error : QKPARAM_UNSUPPORTED_VALUE;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, QKPARAM_NOT_A_RECORD);
}

QK_API int32_t QKErrorParameter(QKParametersPointer block) noexcept try {
    ParameterRecord* record = corvinet::validRecord(block);
    return record ? record->error : -1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr, -1);
}
