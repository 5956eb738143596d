#include "expr/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

std::string FormatInteger(int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatReal(double value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

int32_t ParseMachineInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(kLimit, value * 10 + (text[i] - '0'));
    if (negative) return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min(value, kLimit - 1));
}

double ParseReal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool negative = i < text.size() && text[i] == '-';
        // Underflow gives zero; overflow the largest finite value of its sign.
        const bool huge = text.find_first_of("eE") != std::string_view::npos &&
                          text.find("e-") == std::string_view::npos &&
                          text.find("E-") == std::string_view::npos;
        if (!huge) return negative ? -0.0 : 0.0;
        const double max = std::numeric_limits<double>::max();
        return negative ? -max : max;
    }
    return result.ec == std::errc() ? value : 0.0;
}

int32_t RoundToInteger(double value) {
    if (std::isnan(value)) return 0;
    double rounded = std::ceil(value);
    if (rounded - value >= 0.5) rounded = std::floor(value);
    if (rounded >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (rounded <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(rounded);
}
