#pragma once

// Real-number text as programs write it and as it travels. A program's text may carry a
// precision mark and an exponent, as in 1.5`20*^3; on the wire a real is the mantissa with an
// `e` exponent, 1.5e3, and the precision stays behind. The getters that ask for it turn an `e`
// exponent back into the program's form.

#include <string>
#include <string_view>

namespace corvinet {

// The text to send for a program's real-number text: it ends at the first blank or control
// character; text with an `E` or `e` exponent goes as it is; otherwise a `*^` exponent becomes
// `e` after the mantissa and a precision mark (from a back-quote on) is left out.
std::u16string wireRealText(std::u16string_view text);

// The program's form of a real-number text off the wire: mantissa, precision mark and `*^`
// exponent; a text without an `e` or `E` exponent comes back as it is.
std::u16string programRealText(std::u16string_view text);

} // namespace corvinet
