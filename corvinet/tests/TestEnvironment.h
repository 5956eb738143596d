#pragma once

// An environment of the library's own, without device plug-ins, for tests.

#include "BuildProfile.h"
#include "corvinet/corvinet.h"

namespace corvinet::testing {

// Built from `block`, which must outlive the call only, for the interface range of the build
// under test.
inline QKENV beginWithoutDevices(QKParametersPointer block) {
    QKNewParameters(block, buildProfile().defaultFirst, buildProfile().defaultSecond);
    QKSetDeviceParameter(block, "");
    return QKBegin(block);
}

} // namespace corvinet::testing
