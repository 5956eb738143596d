// The interface-2 build's machine numbers: its own converter.

#include "NumberConverter.h"

namespace corvinet {

const NumberConverter& buildNumberConverter() {
    return interface2NumberConverter();
}

} // namespace corvinet
