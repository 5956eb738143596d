#include "LinkEnvironment.h"

#include "Environment.h"
#include "ExportGuard.h"
#include "Link.h"

LinkEnvironment::~LinkEnvironment() {
    dropSpares();
}

void* LinkEnvironment::allocate(std::size_t size) {
    if (void* memory = this->memory.get(size)) return memory;
    dropSpares();
    return this->memory.get(size);
}

void* LinkEnvironment::allocateLinkRecord() {
    if (void* record = spareLink) {
        spareLink = nullptr;
        return record;
    }
    return allocate(sizeof(QKLinkRecord));
}

void LinkEnvironment::freeLinkRecord(void* record) {
    if (!spareLink)
        spareLink = record;
    else
        memory.put(record);
}

void LinkEnvironment::dropSpares() {
    memory.put(spareLink);
    spareLink = nullptr;
    pool.dropSpares();
}

QK_API QKLINKENV QKInit(QKAllocator allocator, QKDeallocator deallocator, QKENV env) noexcept try {
    if (!allocator || !deallocator) return nullptr;
    corvinet::AllocatorPair pair{allocator, deallocator};
    return pair.make<LinkEnvironment>(env, pair);
} catch (...) {
    return corvinet::exportFailed<QKLINKENV>(nullptr);
}

QK_API void QKDeinit(QKLINKENV linkEnv) noexcept try {
    if (linkEnv) corvinet::AllocatorPair(linkEnv->memory).destroy(linkEnv);
} catch (...) {
    corvinet::exportFailed(nullptr);
}

QK_API QKLINKENV QKLinkEnvironment(QKLINK link) noexcept try {
    return link ? link->linkEnv : nullptr;
} catch (...) {
    return corvinet::exportFailed<QKLINKENV>(link);
}

QK_API QKENV QKEnclosingEnvironment(QKLINKENV linkEnv) noexcept try {
    return linkEnv ? linkEnv->env : nullptr;
} catch (...) {
    return corvinet::exportFailed<QKENV>(nullptr);
}
