#pragma once

// The parameter record inside a caller's QKParameters block, from which an environment is built.
// The record starts at the first 16-byte boundary of the block; every function that takes a
// block aligns it so.

#include "corvinet/corvinet.h"

#include <cstdint>

namespace corvinet {

struct ParameterRecord {
    uint32_t magic;
    int32_t revision;
    int32_t level; // interface level
    int32_t one;
    int32_t error; // 0, or the first failure
    QKAllocator allocator;
    QKDeallocator deallocator;
    int32_t zero;
    uint32_t flags;
};

inline constexpr uint32_t kNoDevices = 0x1; // flags: load no device plug-ins

static_assert(sizeof(ParameterRecord) + 15 <= QK_PARAMETERS_SIZE);

// The aligned record of a block (null for a null block), whatever it holds.
ParameterRecord* alignedRecord(void* block);
// The aligned record when it carries the magic word, else null.
ParameterRecord* validRecord(void* block);

} // namespace corvinet
