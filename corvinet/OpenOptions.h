#pragma once

// The "-link..." options of an argument vector: what a link open gathers from them, and which
// words the parser consumed (so that QKFilterArgv0 can remove them).
//
// Option names and keywords match in any letter case. A word that names an option is always an
// option, also where a value was expected. A value that the option refuses (no mode keyword, a
// bad link-options item) is not consumed, stays a plain argument and leaves the gathered value
// as it was.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvinet {

// Link-option bits of the QK... keywords.
inline constexpr uint32_t kDontBrowse = 0x10;
inline constexpr uint32_t kDontInteract = 0x100;

struct OpenOptions {
    std::string protocol, name, host, authentication, device;
    uint32_t mode = 0;
    uint32_t options = 0;
    // Some option other than "-linkoptions" was accepted.
    bool present = false;
};

// Parses `words` into `out`; marks each consumed word in `consumed` when given (resized to the
// word count).
void parseOpenOptions(const char* const* words, std::size_t count, OpenOptions& out,
                      std::vector<bool>* consumed = nullptr);

// Applies one "-linkoptions" value (items split at commas, blanks and tabs: keywords, or numbers
// "v" or "v|m" that set the options to v | (options & m)); false, leaving `options`, when any
// item is bad.
bool applyLinkOptions(std::string_view value, uint32_t& options);

// A number in decimal, or with "0x" in hexadecimal, or with "0b" in base 2; false unless the
// whole text is one such number that fits 32 bits.
bool parseOptionNumber(std::string_view text, uint32_t& value);

} // namespace corvinet
