#include "BuildProfile.h"

namespace corvinet {
namespace {

// Interface 1 counts every lower bound below 6 as level 1 and serves exactly that level.
// A record built without parameters asks for 1 to 7, a range this build serves.
int32_t checkRange(int32_t lower, int32_t upper) {
    int32_t level = lower < 6 ? 1 : lower;
    return upper < 8 && level == 1 ? 0 : 28;
}

constexpr BuildProfile kProfile{1, 0x10007, 7, 1, checkRange};

} // namespace

const BuildProfile& buildProfile() {
    return kProfile;
}

} // namespace corvinet
