#pragma once

// A small reader of ini files ("[Section]" headers and "key=value" lines), enough for the
// library's device list. Section and key names match without regard to letter case; values are
// trimmed of blanks and of one pair of matching surrounding quotes, and cut to the size the
// library reads them into.

#include <optional>
#include <string>
#include <string_view>

namespace corvinet {

// The value of `key` in `section` of the file at `path`; nothing when the file cannot be read or
// has no such key.
std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key);

// The same over text already in memory.
std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

} // namespace corvinet
