#include "IniFile.h"

#include "AsciiText.h"

#include <fstream>
#include <iterator>

namespace corvinet {
namespace {

// Values are read into a buffer of this many bytes, the terminating zero included.
constexpr std::size_t kValueBuffer = 280;
// An ini file is small; a larger one is not read at all rather than read in part.
constexpr std::streamoff kMaxFileSize = 1 << 20;

std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    bool inSection = false;
    while (!text.empty()) {
        std::size_t eol = text.find('\n');
        std::string_view line = trim(text.substr(0, eol));
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        equalsIgnoringCase(line.substr(1, close - 1), section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !equalsIgnoringCase(trim(line.substr(0, equals)), key))
            continue;
        std::string_view value = trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value.substr(0, kValueBuffer - 1));
    }
    return std::nullopt;
}

std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileSize) return std::nullopt;
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), size)) return std::nullopt;
    return findIniValue(text, section, key);
}

} // namespace corvinet
