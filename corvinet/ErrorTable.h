#pragma once

// The fixed tables of link error messages and packet heads.

#include <cstdint>
#include <string_view>

namespace corvinet {

// The message of an error code with a row of its own, or null.
const char* errorMessage(int32_t code);

// The packet code of a head name (exact, case-sensitive), or 0 for an unknown head.
int32_t packetCode(std::string_view head);

} // namespace corvinet
