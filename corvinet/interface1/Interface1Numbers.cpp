// The interface-1 build's machine numbers: one code per native type, and the converter that
// knows them.

#include "NumberConverter.h"

namespace corvinet {
namespace {

constexpr CodeEntry kInterface1Codes[] = {
    {code::kByte, NumberKind::Byte, 1},
    {code::kShort1, NumberKind::Short, 2},
    {code::kInt1, NumberKind::Int, 4},
    {code::kLong1, NumberKind::Int, 4},
    {code::kFloat1, NumberKind::Float, 4},
    {code::kDouble1, NumberKind::Double, 8},
    {code::kLongDouble1, NumberKind::Double, 8},
    // Sized, so that a token of it can be skipped, but never converted here.
    {code::kExtended, NumberKind::None, 10},
};

constexpr NumberConverter kInterface1Converter(kInterface1Codes, {0, 0x00000002, 0x000E000E, 0},
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
