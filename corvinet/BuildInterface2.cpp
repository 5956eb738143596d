#include "BuildProfile.h"

namespace corvinet {
namespace {

// Interface 2 serves callers whose range starts at level 6 and ends at revision 7 at the latest.
int32_t checkRange(int32_t lower, int32_t upper) {
    if (upper > kParameterRevision) return 28;
    if (lower < 6) return 27;
    return lower == 6 ? 0 : 28;
}

constexpr BuildProfile kProfile{6, 0x60007, 7, 6, checkRange};

} // namespace

const BuildProfile& buildProfile() {
    return kProfile;
}

} // namespace corvinet
