#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace corvinet {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithWord(const char* p, const char* end, const char* word) {
    if (end - p < 3) return false;
    for (int i = 0; i < 3; ++i)
        if (lower(p[i]) != word[i]) return false;
    return true;
}

// The decimal exponent of the first significant digit of a number text that the runtime
// reported out of range: tells an overflow (large) from an underflow (tiny).
long decimalMagnitude(const char* p, const char* end) {
    long magnitude = 0;
    bool seenSignificant = false;
    bool afterPoint = false;
    for (; p < end; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (isDigit(*p)) {
            if (*p != '0') seenSignificant = true;
            if (!afterPoint && seenSignificant) ++magnitude;
            if (afterPoint && !seenSignificant) --magnitude;
        } else {
            break;
        }
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        long exponent = 0;
        if (std::from_chars(p + 1, end, exponent).ec == std::errc::result_out_of_range)
            exponent =
                p[1] == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
        magnitude += exponent;
    }
    return magnitude;
}

} // namespace

std::size_t formatInteger(int64_t value, char* out) {
    return static_cast<std::size_t>(std::to_chars(out, out + kMaxNumberText, value).ptr - out);
}

std::size_t formatReal(double value, int digits, char* out) {
    char* w = out;
    if (std::signbit(value) && value != 0) *w++ = '-';
    if (std::isnan(value)) {
        std::memcpy(w, "NAN", 3);
        return static_cast<std::size_t>(w + 3 - out);
    }
    if (std::isinf(value)) {
        std::memcpy(w, "INF", 3);
        return static_cast<std::size_t>(w + 3 - out);
    }
    if (value == 0) {
        std::memcpy(out, "0.0", 3);
        return 3;
    }
    // d.ddd...e±x from the runtime, then re-spelled as 0.ddd times 10 to the (x + 1).
    char sci[40];
    const auto r = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                 std::chars_format::scientific, digits - 1);
    char mantissa[24];
    int k = 0;
    const char* p = sci;
    for (; p < r.ptr && *p != 'e'; ++p)
        if (isDigit(*p)) mantissa[k++] = *p;
    int e = 0;
    std::from_chars(p + 1 + (p[1] == '+'), r.ptr, e);
    e += 1;
    while (k > 1 && mantissa[k - 1] == '0')
        --k;

    if (e < -4 || e > k) {
        *w++ = '.';
        std::memcpy(w, mantissa, static_cast<std::size_t>(k));
        w += k;
        *w++ = 'e';
        w = std::to_chars(w, w + 8, e).ptr;
    } else if (e >= 0) {
        std::memcpy(w, mantissa, static_cast<std::size_t>(e));
        w += e;
        if (k > e) {
            *w++ = '.';
            std::memcpy(w, mantissa + e, static_cast<std::size_t>(k - e));
            w += k - e;
        }
    } else {
        *w++ = '.';
        for (int i = 0; i < -e; ++i)
            *w++ = '0';
        std::memcpy(w, mantissa, static_cast<std::size_t>(k));
        w += k;
    }
    return static_cast<std::size_t>(w - out);
}

int parseInteger(const char* text, std::size_t length, int64_t lo, int64_t hi, int64_t& value,
                 std::size_t& used) {
    const char* p = text;
    const char* end = text + length;
    while (p < end && *p == ' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    const char* digits = p;
    // Saturates far above every range, so long texts cannot wrap around.
    constexpr int64_t kCeiling = int64_t{1} << 40;
    int64_t magnitude = 0;
    for (; p < end && isDigit(*p); ++p)
        if (magnitude < kCeiling) magnitude = magnitude * 10 + (*p - '0');
    used = static_cast<std::size_t>(p - text);
    if (p == digits) return kTextNoDigits;
    value = negative ? -magnitude : magnitude;
    return value < lo || value > hi ? kTextOutOfRange : 0;
}

int parseReal(const char* text, std::size_t length, double& value, std::size_t& used) {
    const char* p = text;
    const char* end = text + length;
    while (p < end && *p == ' ')
        ++p;
    used = 0;
    if (p == end) {
        value = 0.0;
        return 0;
    }
    const bool specialWord =
        !isDigit(p[0]) && (static_cast<unsigned char>(p[0]) >= 0x46 ||
                           (p + 1 < end && static_cast<unsigned char>(p[1]) >= 0x46));
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (specialWord) {
        if (startsWithWord(p, end, "inf")) {
            value = negative ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
        } else if (startsWithWord(p, end, "nan")) {
            value = std::numeric_limits<double>::quiet_NaN();
        } else {
            return kTextNoDigits;
        }
        used = static_cast<std::size_t>(p + 3 - text);
        return 0;
    }
    if (p == end || !(isDigit(*p) || (*p == '.' && p + 1 < end && isDigit(p[1]))))
        return kTextNoDigits;
    double magnitude = 0;
    const auto r = std::from_chars(p, end, magnitude, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return kTextNoDigits;
    used = static_cast<std::size_t>(r.ptr - text);
    if (r.ec == std::errc::result_out_of_range) {
        if (decimalMagnitude(p, r.ptr) > 0) return kTextOutOfRange;
        magnitude = 0.0;
    }
    value = negative ? -magnitude : magnitude;
    return 0;
}

} // namespace corvinet
