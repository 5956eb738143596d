#pragma once

// The reals of an answer as the kernel shows them: number text of the precision the
// calculation preferences ask for. A double carries 15 digits that survive a trip through text
// and back, so 15 is the default and the most a machine real shows: the digits past them are
// the noise of binary arithmetic (1.508099999999998 for 1.5081).

#include "Expr.h"

#include <optional>
#include <string>
#include <string_view>

namespace standin {

inline constexpr int kMachineDigits = 15;

// `text` (a sign, digits with one point, an exponent after "e") rounded half away from zero to
// `digits` significant digits, trailing zeros dropped, with a zero before a leading point and
// an exponent only where "%g" would write one. Nothing when the text holds no digit (an
// infinity, a NaN).
std::optional<std::string> roundedRealText(std::string_view text, int digits);

// Every real of `e` as number text of `precision` digits (0: the default). Machine reals keep
// at most the digits a double holds.
Expr realsAtPrecision(Expr e, int precision);

} // namespace standin
