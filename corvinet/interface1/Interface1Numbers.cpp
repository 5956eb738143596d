// The interface-1 build's machine numbers: one code per native type, and the converter that
// knows them.

#include "NumberConverter.h"

namespace corvinet {
namespace {

constexpr NumberConverter kInterface1Converter(kCodeTable.subspan(kInterface1CodeStart),
                                               {0, 0x00000002, 0x000E000E, 0},
                                               "Sep 13 1996, 13:46:34");

} // namespace

const NumberConverter& interface1NumberConverter() {
    return kInterface1Converter;
}

const NumberConverter& buildNumberConverter() {
    return kInterface1Converter;
}

// One code per native type; the short and float puts share the int and double codes.
const NumberFunctionCodes& buildNumberFunctionCodes() {
    static constexpr NumberFunctionCodes kCodes{
        code::kInt1, code::kLong1, code::kDouble1, code::kLongDouble1, code::kShort1,
        code::kInt1, code::kLong1, code::kFloat1,  code::kDouble1,     code::kLongDouble1,
    };
    return kCodes;
}

} // namespace corvinet
