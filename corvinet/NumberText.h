#pragma once

// Number texts as they travel in `+` and `*` tokens. None of this depends on the locale.

#include <cstddef>
#include <cstdint>

namespace corvinet {

// Longest text that formatInteger() or formatReal() writes.
inline constexpr std::size_t kMaxNumberText = 32;

// Decimal digits with a leading minus sign for negatives; returns the length.
std::size_t formatInteger(int64_t value, char* out);

// `digits` significant digits (17 for double, 9 for float), trailing zeros dropped, written as
// 0.d1...dk times 10 to the e: "12", "1.5", ".001", ".1e3", "-.25", "0.0", "INF", "-NAN".
std::size_t formatReal(double value, int digits, char* out);

// Results of the parsers: 0, or the link error codes for "no digits" and "out of range".
inline constexpr int kTextNoDigits = 2;
inline constexpr int kTextOutOfRange = 7;

// Leading blanks, an optional sign, then decimal digits up to the first other character. The
// value must lie in [lo, hi]. `used` gets the number of characters consumed.
int parseInteger(const char* text, std::size_t length, int64_t lo, int64_t hi, int64_t& value,
                 std::size_t& used);

// Leading blanks, an optional sign, then a decimal number, or "inf" / "nan" in any case (only
// the first three letters count). Empty text is 0.0; a result beyond the double range is
// kTextOutOfRange, one too small for it becomes zero.
int parseReal(const char* text, std::size_t length, double& value, std::size_t& used);

} // namespace corvinet
