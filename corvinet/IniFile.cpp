#include "IniFile.h"

#include "AsciiText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace corvinet {
namespace {

// Values are read into a buffer of this many bytes, the terminating zero included.
constexpr std::size_t kValueBuffer = 280;
// An ini file is small; a larger one is not read at all rather than read in part.
constexpr off_t kMaxFileSize = 1 << 20;

std::string_view trim(std::string_view s) {
    const char* blanks = " \t\r";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

std::string lowerCase(std::string_view s) {
    std::string lower(s);
    for (char& c : lower)
        c = asciiLower(c);
    return lower;
}

} // namespace

IniSection::IniSection(std::string_view text, std::string_view section) {
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
        if (!inSection || equals == std::string_view::npos) continue;
        std::string_view value = trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        // The first of a repeated key counts, as a reader that stops at the first match finds.
        m_values.emplace(lowerCase(trim(line.substr(0, equals))),
                         std::string(value.substr(0, kValueBuffer - 1)));
    }
}

std::optional<std::string> IniSection::value(std::string_view key) const {
    auto found = m_values.find(lowerCase(key));
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> readIniText(const std::string& path) {
    // Close-on-exec: a program launched from another thread meanwhile inherits nothing of ours.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::string text;
    bool whole = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxFileSize;
    if (whole) {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (whole && done < text.size()) {
            ssize_t got = read(fd, text.data() + done, text.size() - done);
            if (got < 0 && errno == EINTR) continue;
            whole = got > 0;
            if (whole) done += static_cast<std::size_t>(got);
        }
    }
    close(fd);
    if (!whole) return std::nullopt;
    return text;
}

std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    return IniSection(text, section).value(key);
}

std::optional<std::string> readIniValue(const std::string& path, std::string_view section,
                                        std::string_view key) {
    std::optional<std::string> text = readIniText(path);
    if (!text) return std::nullopt;
    return findIniValue(*text, section, key);
}

} // namespace corvinet
