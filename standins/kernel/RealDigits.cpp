#include "RealDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace standin {

namespace {

// The longest real text the editor takes as a machine real.
constexpr std::size_t kLongestMachineText = 15;
// The significant digits in which the link spells a double as text.
constexpr std::size_t kSpelledDigits = 17;

// A real's digits: the value is 0.<significant> times ten to the `exponent`.
struct Decimal {
    bool negative = false;
    std::string significant; // from the first digit that is not zero; empty for zero
    long exponent = 0;
};

std::optional<Decimal> parseDecimal(std::string_view text) {
    Decimal d;
    std::size_t i = 0;
    d.negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool point = false;
    bool anyDigit = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (c == '0' && d.significant.empty()) {
                if (point) --d.exponent;
            } else {
                d.significant += c;
                if (!point) ++d.exponent;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size())
        d.exponent += std::strtol(std::string(text.substr(i + 1)).c_str(), nullptr, 10);
    return d;
}

// `d` rounded half away from zero to exactly `digits` significant digits, zeros padded.
Decimal rounded(Decimal d, int digits) {
    if (d.significant.empty()) return d;
    const auto kept = static_cast<std::size_t>(std::max(digits, 1));
    if (d.significant.size() > kept) {
        const bool up = d.significant[kept] >= '5';
        d.significant.resize(kept);
        for (std::size_t at = kept; up && at-- > 0;) {
            if (d.significant[at] < '9') {
                ++d.significant[at];
                break;
            }
            d.significant[at] = '0';
            if (at == 0) {
                d.significant.insert(d.significant.begin(), '1');
                d.significant.pop_back();
                ++d.exponent;
            }
        }
    }
    d.significant.resize(kept, '0');
    return d;
}

Decimal stripped(Decimal d) {
    while (d.significant.size() > 1 && d.significant.back() == '0')
        d.significant.pop_back();
    return d;
}

std::string sign(const Decimal& d) {
    return d.negative ? "-" : "";
}

// d.ddd "e" place, the place of the first digit.
std::string exponentText(const Decimal& d) {
    std::string out = sign(d) + d.significant[0];
    if (d.significant.size() > 1) out += "." + d.significant.substr(1);
    return out + "e" + std::to_string(d.exponent - 1);
}

// Number text of `d`: with an exponent where "%g" with `digits` digits would write one (the
// first digit's place below -4 or `digits` or more), else plain with a zero before a leading
// point.
std::string numberText(const Decimal& d, int digits) {
    if (d.significant.empty()) return "0.0";
    const long place = d.exponent - 1;
    if (place < -4 || place >= digits) return exponentText(d);
    const auto length = static_cast<long>(d.significant.size());
    if (d.exponent <= 0)
        return sign(d) + "0." + std::string(static_cast<std::size_t>(-d.exponent), '0') +
               d.significant;
    if (d.exponent >= length)
        return sign(d) + d.significant +
               std::string(static_cast<std::size_t>(d.exponent - length), '0');
    const auto whole = static_cast<std::size_t>(d.exponent);
    return sign(d) + d.significant.substr(0, whole) + "." + d.significant.substr(whole);
}

} // namespace

std::optional<std::string> roundedRealText(std::string_view text, int digits) {
    std::optional<Decimal> d = parseDecimal(text);
    if (!d) return std::nullopt;
    return numberText(stripped(rounded(*d, digits)), std::max(digits, 1));
}

std::optional<std::string> answerRealText(std::string_view text, int precision, bool machine) {
    std::optional<Decimal> d = parseDecimal(text);
    if (!d) return std::nullopt;
    const int asked = answerDigits(precision);
    const Decimal shown = stripped(rounded(*d, asked));
    if (shown.significant.size() <= static_cast<std::size_t>(kShortDigits))
        return numberText(shown, asked);
    int sent = asked >= kDefaultDigits ? asked : asked + kGuardDigits;
    if (machine) sent = std::min(sent, kMachineDigits);
    const Decimal all = rounded(*d, sent);
    std::string out = numberText(all, sent);
    // Fifteen digits of a whole number fill no more than 15 characters.
    if (out.size() <= kLongestMachineText) out = exponentText(all);
    return out;
}

bool isMachineRealText(std::string_view text) {
    // Fewer digits spell the double's value exactly: nothing is lost taking them as they are.
    const std::optional<Decimal> digits = parseDecimal(text);
    if (!digits || stripped(*digits).significant.size() != kSpelledDigits) return false;
    double value = 0.0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc() || !std::isfinite(value)) return false;
    char spelled[40];
    const auto end = std::to_chars(spelled, spelled + sizeof spelled, value,
                                   std::chars_format::scientific, int{kSpelledDigits} - 1);
    const std::optional<Decimal> own = parseDecimal(std::string_view(spelled, end.ptr - spelled));
    if (!own) return false;
    return stripped(*own).significant == stripped(*digits).significant &&
           own->exponent == digits->exponent;
}

Expr realsAtPrecision(Expr e, int precision) {
    if (e.kind == Expr::Kind::Real) {
        if (std::optional<std::string> text = answerRealText(e.text, precision, e.machineReal))
            return Expr::realText(std::move(*text));
        return e;
    }
    for (Expr& a : e.args)
        a = realsAtPrecision(std::move(a), precision);
    return e;
}

} // namespace standin
