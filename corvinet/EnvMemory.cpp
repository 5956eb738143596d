#include "EnvMemory.h"

#include <cstdlib>
#include <cstring>

namespace corvinet {

char* AllocatorPair::copyText(const char* text) const {
    if (!text) return nullptr;
    std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(get(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

namespace {
void* heapAllocate(std::size_t size) {
    return std::malloc(size);
}
void heapFree(void* memory) {
    std::free(memory);
}
} // namespace

AllocatorPair heapAllocator() {
    return {heapAllocate, heapFree};
}

} // namespace corvinet
