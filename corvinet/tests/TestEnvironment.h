#pragma once

// An environment of the library's own, without device plug-ins, for tests.

#include "corvinet/corvinet.h"

namespace corvinet::testing {

// Built from `block`, which must outlive the call only.
inline QKENV beginWithoutDevices(QKParametersPointer block) {
    QKNewParameters(block, 7, 6);
    QKSetDeviceParameter(block, "");
    return QKBegin(block);
}

} // namespace corvinet::testing
