#include "expr/NodePool.h"

#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define TESSARY_NODE_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARY_NODE_POOL 0
#endif
#endif
#ifndef TESSARY_NODE_POOL
#define TESSARY_NODE_POOL 1
#endif

void* SizeClassPool::Allocate(std::size_t size) {
    if (size == 0 || size > kLargest) return ::operator new(size);
    FreeBlock*& head = m_free[ClassOf(size)];
    if (!head) Refill(ClassOf(size));
    FreeBlock* block = head;
    head = block->next;
    return block;
}

void SizeClassPool::Release(void* pointer, std::size_t size) noexcept {
    if (!pointer) return;
    if (size == 0 || size > kLargest) {
        ::operator delete(pointer);
        return;
    }
    auto* block = static_cast<FreeBlock*>(pointer);
    block->next = m_free[ClassOf(size)];
    m_free[ClassOf(size)] = block;
}

void SizeClassPool::Refill(std::size_t index) {
    const std::size_t size = (index + 1) * kGrain;
    m_blocks.push_back(std::make_unique<std::byte[]>(kBlockBytes));
    std::byte* base = m_blocks.back().get();
    for (std::size_t offset = 0; offset + size <= kBlockBytes; offset += size) {
        auto* block = reinterpret_cast<FreeBlock*>(base + offset);
        block->next = m_free[index];
        m_free[index] = block;
    }
}

namespace nodepool {

namespace {

// Per thread, so the count costs no locked instruction on the node path.
thread_local std::int64_t tLiveNodes = 0;

} // namespace

std::int64_t LiveNodes() noexcept {
    return tLiveNodes;
}

#if TESSARY_NODE_POOL

namespace {

SizeClassPool& ThreadPool() {
    // Never destroyed: a node may be freed after the thread's other objects are gone.
    thread_local SizeClassPool* pool = new SizeClassPool;
    return *pool;
}

} // namespace

void* Allocate(std::size_t size) {
    void* block = ThreadPool().Allocate(size);
    ++tLiveNodes;
    return block;
}

void Release(void* block, std::size_t size) noexcept {
    --tLiveNodes;
    ThreadPool().Release(block, size);
}

#else

void* Allocate(std::size_t size) {
    void* block = ::operator new(size);
    ++tLiveNodes;
    return block;
}

void Release(void* block, std::size_t) noexcept {
    --tLiveNodes;
    ::operator delete(block);
}

#endif

} // namespace nodepool
