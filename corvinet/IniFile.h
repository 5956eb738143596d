#pragma once

// A small reader of ini files ("[Section]" headers and "key=value" lines), enough for the
// library's device list. Section and key names match without regard to letter case; values are
// trimmed of blanks and of one pair of matching surrounding quotes, and cut to the size the
// library reads them into. Where a key appears more than once in its section, the first counts.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace corvinet {

// The keys of one section, taken from a file's text in one pass, so that a long list of keys
// costs one read and one scan of the file rather than one of each per key.
class IniSection {
public:
    IniSection() = default;
    IniSection(std::string_view text, std::string_view section);

    // The key's value; nothing when the section has no such key.
    std::optional<std::string> value(std::string_view key) const;

private:
    std::map<std::string, std::string, std::less<>> m_values; // by key in lower case
};

// The whole text of the (small) file at `path`; nothing when it cannot be read, is no regular
// file or is too large to be an ini file.
std::optional<std::string> readIniText(const std::string& path);

// The value of `key` in `section` of the file at `path`; nothing when the file cannot be read or
// has no such key.
std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key);

// The same over text already in memory.
std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

} // namespace corvinet
