#pragma once

// The TCP transport: a listening end binds a port and takes one connection; a connecting end
// connects to "port@host". Right after connecting the ends agree on an optional second
// connection for urgent messages (8 bytes each: code and parameter, big-endian); without it an
// urgent code travels as one out-of-band byte on the data connection.

#include "Transport.h"

namespace devices::tcp {

// The plug-in's device object; null when it cannot start.
TransportDevice* createDevice(const DeviceMemory& memory);

} // namespace devices::tcp
