// The interface-2 build's machine numbers: its own converter.

#include "NumberConverter.h"

namespace corvinet {

const NumberConverter& buildNumberConverter() {
    return interface2NumberConverter();
}

const NumberFunctionCodes& buildNumberFunctionCodes() {
    static constexpr NumberFunctionCodes kCodes{
        code::kInteger, code::kInteger, code::kDouble, code::kExtended, code::kShort,
        code::kInteger, code::kInteger, code::kFloat,  code::kDouble,   code::kExtended,
    };
    return kCodes;
}

} // namespace corvinet
