#pragma once

// Comparisons of option words, ini names and keywords: ASCII letters match in either case,
// whatever the locale.

#include <algorithm>
#include <string_view>

namespace corvinet {

inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

} // namespace corvinet
