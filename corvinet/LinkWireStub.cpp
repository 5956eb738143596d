// Stand-in for the token engines' hooks while they are not part of the build: a link then has
// no put or get state, and only the byte layer works.

#include "LinkWire.h"

namespace corvinet {
int32_t wireAttach(QKLINK, const LinkFeatures&) {
    return 0;
}
int32_t wireDuplicate(QKLINK, QKLINK) {
    return 0;
}
void wireRelease(QKLINK) {}
} // namespace corvinet
