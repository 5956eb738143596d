#pragma once

// The reals of an answer as the kernel sends them. The algebra computes approximate numbers
// with more digits than an answer shows (`workingDigits`), so the last digit shown is rounded
// from the value and not from the noise of binary arithmetic (1.5 * 0.3 is 0.45, not
// 0.449999999999998); the answer's reals are then rounded to the digits the calculation
// preferences ask for, 15 by default.
//
// The editor keeps a real's text only when it is longer than 15 characters; a shorter one it
// takes as a machine real and shows with six digits. So a real that needs more than six digits
// goes out with at least 16 characters, as a kernel of arbitrary-precision numbers sends them:
// every digit asked for, trailing zeros included (1.41421356237310), and when fewer than 15
// are asked for, guard digits after them, which the editor's display rounds away. A real that
// rounds to six digits or fewer goes out short (0.45).

#include "Expr.h"

#include <optional>
#include <string>
#include <string_view>

namespace standin {

// Digits of an answer's reals when the preferences ask for none (precision 0).
inline constexpr int kDefaultDigits = 15;
// A double carries 15 digits that survive a trip through text and back; a machine real
// answered keeps no more.
inline constexpr int kMachineDigits = 15;
// The digits the editor shows of a real it takes as a machine real ("%g").
inline constexpr int kShortDigits = 6;
// Digits sent past the ones asked for, when fewer than 15 are asked for.
inline constexpr int kGuardDigits = 10;

// The digits an answer's reals are rounded to, for the preferences' precision.
constexpr int answerDigits(int precision) {
    return precision > 0 ? precision : kDefaultDigits;
}
// The digits the algebra computes approximate numbers with: enough that the last digit sent,
// a guard digit too, is rounded from the digits after it.
constexpr int workingDigits(int precision) {
    return answerDigits(precision) + 2 * kGuardDigits;
}

// `text` (a sign, digits with one point, an exponent after "e") rounded half away from zero to
// `digits` significant digits, trailing zeros dropped, with a zero before a leading point and
// an exponent only where "%g" would write one. Nothing when the text holds no digit (an
// infinity, a NaN).
std::optional<std::string> roundedRealText(std::string_view text, int digits);

// `text` as an answer sends it for the preferences' `precision` (0: the default): short when
// it rounds to six digits or fewer, else more than 15 characters long (see above). A machine
// real gives no more than its 15 digits. Nothing when the text holds no digit.
std::optional<std::string> answerRealText(std::string_view text, int precision, bool machine);

// True when `text` holds the 17 digits that a double gives: the way the link spells a machine
// real that cannot travel in binary (0.29999999999999999 for 0.3).
bool isMachineRealText(std::string_view text);

// Every real of `e` as `answerRealText` sends it.
Expr realsAtPrecision(Expr e, int precision);

} // namespace standin
