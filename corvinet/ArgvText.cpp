#include "ArgvText.h"

#include "ExportGuard.h"
#include "corvinet/corvinet.h"

#include <cstring>

namespace corvinet {
namespace {

constexpr unsigned char kPilcrow = 0xB6; // escapes like a backslash

bool isSeparator(unsigned char c) {
    return c == ' ' || (c >= 9 && c <= 13);
}
bool isEscape(unsigned char c) {
    return c == '\\' || c == kPilcrow;
}

} // namespace

bool scanWord(const char*& text, char*& out) {
    const char* p = text;
    while (*p && isSeparator(static_cast<unsigned char>(*p)))
        ++p;
    if (!*p) {
        text = p;
        return false;
    }
    char quote = 0;
    for (; *p; ++p) {
        auto c = static_cast<unsigned char>(*p);
        if (quote) {
            if (c == static_cast<unsigned char>(quote)) {
                quote = 0;
                continue;
            }
            if (quote == '"' && isEscape(c) && p[1]) c = static_cast<unsigned char>(*++p);
            *out++ = static_cast<char>(c);
            continue;
        }
        if (isSeparator(c)) break;
        if (c == '\'' || c == '"') {
            quote = static_cast<char>(c);
            continue;
        }
        if (isEscape(c) && p[1]) c = static_cast<unsigned char>(*++p);
        *out++ = static_cast<char>(c);
    }
    *out++ = '\0';
    text = p;
    return true;
}

std::vector<std::string> splitWords(std::string_view text) {
    std::string source(text);
    std::string buffer(source.size() + 1, '\0');
    std::vector<std::string> words;
    const char* p = source.c_str();
    char* out = buffer.data();
    char* word = out;
    while (scanWord(p, out)) {
        words.emplace_back(word);
        word = out;
    }
    return words;
}

int printWords(char* buffer, char* end, const char* const* words, std::size_t count) {
    char* out = buffer;
    auto put = [&](char c) {
        if (out + 1 >= end) // keep room for the terminator
            return false;
        *out++ = c;
        return true;
    };
    for (std::size_t i = 0; i < count; ++i) {
        char* wordStart = out;
        const char* word = words[i] ? words[i] : "";
        bool hasDouble = false, hasSingle = false, hasEscape = false, hasWhite = false;
        for (const char* p = word; *p; ++p) {
            auto c = static_cast<unsigned char>(*p);
            hasDouble |= c == '"';
            hasSingle |= c == '\'';
            hasEscape |= isEscape(c);
            hasWhite |= isSeparator(c);
        }
        bool fits = i == 0 || put(' ');
        if (!*word || hasDouble || hasEscape || hasWhite || hasSingle) {
            if (!hasSingle) {
                fits = fits && put('\'');
                for (const char* p = word; fits && *p; ++p)
                    fits = put(*p);
                fits = fits && put('\'');
            } else if (hasDouble || hasEscape) {
                for (const char* p = word; fits && *p; ++p) {
                    auto c = static_cast<unsigned char>(*p);
                    if (c == '"' || c == '\'' || isEscape(c) || isSeparator(c)) fits = put('\\');
                    fits = fits && put(*p);
                }
            } else {
                fits = fits && put('"');
                for (const char* p = word; fits && *p; ++p)
                    fits = put(*p);
                fits = fits && put('"');
            }
        } else {
            for (const char* p = word; fits && *p; ++p)
                fits = put(*p);
        }
        if (!fits) {
            out = wordStart;
            if (out < end) *out = '\0';
            return static_cast<int>(count - i);
        }
    }
    if (out < end) *out = '\0';
    return 0;
}

} // namespace corvinet

QK_API int32_t QKStringToArgv(const char* string, char* buffer, char** argv,
                              int32_t capacity) noexcept try {
    if (!string || !buffer || !argv || capacity < 0) return 0;
    int32_t stored = 0;
    char* out = buffer;
    char* word = out;
    const char* p = string;
    while (stored < capacity && corvinet::scanWord(p, out)) {
        argv[stored++] = word;
        word = out;
    }
    if (stored < capacity) argv[stored] = nullptr;
    return stored;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKPrintArgv(char* buffer, char* bufferEnd, char** argv, char** argvEnd) noexcept
    try {
    if (!buffer || !bufferEnd || bufferEnd <= buffer || !argv || argvEnd < argv)
        return argv && argvEnd > argv ? static_cast<int32_t>(argvEnd - argv) : 0;
    return corvinet::printWords(buffer, bufferEnd, argv, static_cast<std::size_t>(argvEnd - argv));
} catch (...) {
    return corvinet::exportFailed<int32_t>(
        nullptr, argv && argvEnd > argv ? static_cast<int32_t>(argvEnd - argv) : 0);
}

QK_API int32_t QKScanString(char*** argv, char** argvEnd, const char** string,
                            char** buffer) noexcept {
    return corvinet::guarded<int32_t>(0, [&]() -> int32_t {
        if (!argv || !*argv || !string || !*string || !buffer || !*buffer) return 0;
        while (*argv < argvEnd) {
            char* word = *buffer;
            if (!corvinet::scanWord(*string, *buffer)) return 0;
            *(*argv)++ = word;
        }
        // Count what did not fit without storing it; the string cursor stays before it.
        std::string scratch(std::strlen(*string) + 1, '\0');
        const char* p = *string;
        int32_t left = 0;
        for (char* out = scratch.data(); corvinet::scanWord(p, out); out = scratch.data())
            ++left;
        return left;
    });
}
