#pragma once

// Number text for display, MathML and plain text: the "C" forms of "%ld" and "%g", whatever the
// process locale, and parsing that saturates instead of overflowing.

#include <cstdint>
#include <string>
#include <string_view>

std::string FormatInteger(int64_t value);
// Six significant digits, trailing zeros dropped, an exponent outside 1e-5 to 1e6.
std::string FormatReal(double value);
// Leading digits with an optional sign, as "%ld" reads them into a 32-bit machine integer;
// out-of-range text saturates. Text without digits gives 0.
int32_t ParseMachineInteger(std::string_view text);
// A real as "%lf" reads it; text without a number gives 0.0.
double ParseReal(std::string_view text);
// Rounds to the nearest integer, halves toward minus infinity, saturating at 32 bits.
int32_t RoundToInteger(double value);
