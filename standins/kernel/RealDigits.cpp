#include "RealDigits.h"

#include <algorithm>
#include <cstdlib>

namespace standin {

std::optional<std::string> roundedRealText(std::string_view text, int digits) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    // The significant digits, and the power of ten of the first one's place plus one: the
    // value is 0.<significant> times 10 to the `exponent`.
    std::string significant;
    long exponent = 0;
    bool point = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (c == '0' && significant.empty()) {
                if (point) --exponent;
            } else {
                significant += c;
                if (!point) ++exponent;
            }
        } else {
            return std::nullopt;
        }
    }
    if (i < text.size())
        exponent += std::strtol(std::string(text.substr(i + 1)).c_str(), nullptr, 10);
    bool anyDigit = !significant.empty();
    for (std::size_t j = 0; j < i && !anyDigit; ++j)
        anyDigit = text[j] >= '0' && text[j] <= '9';
    if (!anyDigit) return std::nullopt;
    if (significant.empty()) return std::string("0.0");

    digits = std::max(digits, 1);
    if (significant.size() > static_cast<std::size_t>(digits)) {
        const bool up = significant[static_cast<std::size_t>(digits)] >= '5';
        significant.resize(static_cast<std::size_t>(digits));
        for (std::size_t at = significant.size(); up && at-- > 0;) {
            if (significant[at] < '9') {
                ++significant[at];
                break;
            }
            significant[at] = '0';
            if (at == 0) {
                significant.insert(significant.begin(), '1');
                significant.pop_back();
                ++exponent;
            }
        }
    }
    while (significant.size() > 1 && significant.back() == '0')
        significant.pop_back();

    std::string out = negative ? "-" : "";
    const long place = exponent - 1; // of the first digit, as "%g" counts it
    const auto length = static_cast<long>(significant.size());
    if (place < -4 || place >= digits) {
        out += significant[0];
        if (length > 1) out += "." + significant.substr(1);
        return out + "e" + std::to_string(place);
    }
    if (exponent <= 0)
        return out + "0." + std::string(static_cast<std::size_t>(-exponent), '0') + significant;
    if (exponent >= length)
        return out + significant + std::string(static_cast<std::size_t>(exponent - length), '0');
    return out + significant.substr(0, static_cast<std::size_t>(exponent)) + "." +
           significant.substr(static_cast<std::size_t>(exponent));
}

Expr realsAtPrecision(Expr e, int precision) {
    if (e.kind == Expr::Kind::Real) {
        int digits = precision > 0 ? precision : kMachineDigits;
        if (e.machineReal) digits = std::min(digits, kMachineDigits);
        if (std::optional<std::string> rounded = roundedRealText(e.text, digits))
            return Expr::realText(std::move(*rounded));
        return e;
    }
    for (Expr& a : e.args)
        a = realsAtPrecision(std::move(a), precision);
    return e;
}

} // namespace standin
