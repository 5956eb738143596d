#pragma once

// Memory of the link library: every record comes from the environment's allocator pair, so a
// program that installs its own pair sees all of the library's memory.

#include "corvinet/corvinet.h"

#include <cstddef>
#include <new>
#include <utility>

namespace corvinet {

struct AllocatorPair {
    QKAllocator allocate = nullptr;
    QKDeallocator deallocate = nullptr;

    // Null when memory runs out. A request of 0 asks for 1 byte, so success is never null.
    void* get(std::size_t size) const { return allocate(size == 0 ? 1 : size); }
    void put(void* memory) const {
        if (memory) deallocate(memory);
    }

    // Constructs a T in memory from the pair; null when memory runs out. Constructors used this
    // way do not throw.
    template <class T, class... Args>
    T* make(Args&&... args) const {
        void* memory = get(sizeof(T));
        return memory ? new (memory) T(std::forward<Args>(args)...) : nullptr;
    }
    template <class T>
    void destroy(T* object) const {
        if (!object) return;
        object->~T();
        put(object);
    }

    // Copies a zero-terminated text; null for a null text or when memory runs out.
    char* copyText(const char* text) const;
};

// The process heap, the pair that parameter records start with.
AllocatorPair heapAllocator();

// A standard-library allocator over an allocator pair, for containers inside the library.
// Running out of memory throws std::bad_alloc, which the exported function that caused it turns
// into QKERR_OUT_OF_MEMORY.
template <class T>
struct PairAllocator {
    using value_type = T;
    AllocatorPair pair;

    explicit PairAllocator(AllocatorPair p) : pair(p) {}
    template <class U>
    PairAllocator(const PairAllocator<U>& other) : pair(other.pair) {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        void* memory = pair.get(n * sizeof(T));
        if (!memory) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* p, std::size_t) { pair.put(p); }

    template <class U>
    bool operator==(const PairAllocator<U>& other) const {
        return pair.allocate == other.pair.allocate && pair.deallocate == other.pair.deallocate;
    }
};

} // namespace corvinet
