#pragma once

// What differs between the interface-2 and the interface-1 build of the library besides the
// number converter: the interface level that parameter records carry and the interface ranges a
// caller may ask for. Each build defines `buildProfile()` in its own sources.

#include <cstdint>

namespace corvinet {

struct BuildProfile {
    int32_t level;        // interface level of this build's parameter records
    int32_t packedWord;   // level << 16 | revision, for QKNewParameters(null, 0, 0)
    int32_t defaultFirst; // the range a record built without parameters asks for
    int32_t defaultSecond;
    // Checks a caller's interface range (bounds ordered, lower bound 0 already replaced by the
    // upper one): 0 when served, else the parameter error (27 or 28).
    int32_t (*checkRange)(int32_t lower, int32_t upper);
};

const BuildProfile& buildProfile();

inline constexpr uint32_t kParameterMagic = 0xFEEDAC0F;
inline constexpr int32_t kParameterRevision = 7;

} // namespace corvinet
