#pragma once

// The link environment: one per environment; it numbers the links, keeps the registry from link
// number to link, the stream pool and the allocator cache that link records and blocks come
// from.

#include "EnvMemory.h"
#include "LinkStream.h"
#include "corvinet/corvinet.h"

#include <functional>
#include <map>

struct LinkEnvironment {
    using Registry = std::map<int32_t, QKLINK, std::less<int32_t>,
                              corvinet::PairAllocator<std::pair<const int32_t, QKLINK>>>;

    LinkEnvironment(QKENV owner, corvinet::AllocatorPair pair)
        : env(owner), memory(pair), registry(Registry::allocator_type(pair)), pool(pair) {}
    ~LinkEnvironment();

    QKENV env;
    corvinet::AllocatorPair memory;
    int32_t lastNumber = 0; // the last link number given out
    Registry registry;
    corvinet::StreamPool pool;
    void* spareLink = nullptr; // one recycled link record

    // Memory through the cache: when the allocator fails, the spares are given back and the
    // request is tried exactly once more.
    void* allocate(std::size_t size);
    void free(void* memory) { this->memory.put(memory); }
    // Link records recycle through the one spare.
    void* allocateLinkRecord();
    void freeLinkRecord(void* record);
    void dropSpares();
};
