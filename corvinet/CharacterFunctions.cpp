// The exported text codec: converters into escaped and old-form text, and the scanners that
// programs walk link strings with.

#include "CharacterEscapes.h"
#include "ExportGuard.h"
#include "corvinet/corvinet.h"

#include <cstring>

namespace corvinet {
namespace {

using Byte = unsigned char;

// Stores a byte count where the output pointer was: the counting mode of the converters.
template <class Char>
void storeCount(Char** out, std::size_t count) {
    *out = reinterpret_cast<Char*>(static_cast<uintptr_t>(count));
}

// The shared loop of every converter: `character(i)` gives source character i, `size` and
// `write` its output form.
template <class Out, class CharacterAt, class Size, class Write>
int32_t convert(int32_t length, Out** out, Out* end, CharacterAt character, Size size,
                Write write) {
    if (length < 0 || !out) return 0;
    if (!end) {
        std::size_t total = 0;
        for (int32_t i = 0; i < length; ++i)
            total += static_cast<std::size_t>(size(character(i)));
        storeCount(out, total);
        return 0;
    }
    auto* p = reinterpret_cast<Byte*>(*out);
    const auto* limit = reinterpret_cast<const Byte*>(end);
    int32_t i = 0;
    for (; i < length; ++i) {
        const uint32_t c = character(i);
        if (limit - p < size(c)) break;
        p = write(c, p);
    }
    *out = reinterpret_cast<Out*>(p);
    return length - i;
}

template <class CharacterAt>
int32_t convertEscaped(int32_t length, char** out, char* end, CharacterAt character,
                       int newline = -1) {
    return convert(
        length, out, end, character, [newline](uint32_t c) { return escapedSize(c, newline); },
        [newline](uint32_t c, Byte* p) { return writeEscaped(c, p, newline); });
}

template <class CharacterAt>
int32_t convertOld(int32_t length, Byte** out, Byte* end, CharacterAt character) {
    return convert(length, out, end, character, oldFormSize, writeOldForm);
}

// The end of zero-terminated text as QKNextCharacter looks at it: one character, within six
// bytes.
const Byte* characterWindow(const Byte* p) {
    const Byte* e = p;
    while (e < p + 6 && *e)
        ++e;
    return e;
}

const Byte* bytes(const char* p) {
    return reinterpret_cast<const Byte*>(p);
}

} // namespace
} // namespace corvinet

using namespace corvinet;

QK_API int32_t QKConvertByteString(const unsigned char* s, int32_t n, char** out,
                                   char* end) noexcept try {
    return convertEscaped(n, out, end, [s](int32_t i) { return uint32_t{s[i]}; });
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertByteStringNL(const unsigned char* s, int32_t n, char** out, char* end,
                                     int32_t newline) noexcept try {
    return convertEscaped(
        n, out, end, [s](int32_t i) { return uint32_t{s[i]}; }, newline);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertUnicodeString(const char16_t* s, int32_t n, char** out, char* end) noexcept
    try {
    return convertEscaped(n, out, end, [s](int32_t i) { return uint32_t{s[i]}; });
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertUnicodeStringNL(const char16_t* s, int32_t n, char** out, char* end,
                                        int32_t newline) noexcept try {
    return convertEscaped(
        n, out, end, [s](int32_t i) { return uint32_t{s[i]}; }, newline);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertDoubleByteString(const unsigned char* s, int32_t n, char** out,
                                         char* end) noexcept try {
    return convertEscaped(n, out, end,
                          [s](int32_t i) { return uint32_t(s[2 * i] << 8 | s[2 * i + 1]); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertDoubleByteStringNL(const unsigned char* s, int32_t n, char** out, char* end,
                                           int32_t newline) noexcept try {
    return convertEscaped(
        n, out, end, [s](int32_t i) { return uint32_t(s[2 * i] << 8 | s[2 * i + 1]); }, newline);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertCharacter(int32_t character, char** out) noexcept try {
    const auto c = static_cast<uint32_t>(character);
    if (out && *out) *out = reinterpret_cast<char*>(writeEscaped(c, reinterpret_cast<Byte*>(*out)));
    return escapedSize(c);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKConvertNewLine(char** out) noexcept try {
    if (out && *out) {
        *(*out)++ = '\\';
        *(*out)++ = 'n';
    }
    return 2;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKNextCharacter(const char** text, const char* end) noexcept try {
    if (!text || !*text) return kBadCharacter;
    const Byte* p = bytes(*text);
    const int c = decodeCharacter(p, end ? bytes(end) : characterWindow(p));
    *text = reinterpret_cast<const char*>(p);
    return c;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKStringCharacter(const char* text, const char* end) noexcept try {
    return QKNextCharacter(&text, end);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKNextCharacter0(const char* text, int32_t* offset, int32_t length) noexcept try {
    if (!text || !offset || *offset < 0 || (length >= 0 && *offset > length)) return kBadCharacter;
    const char* p = text + *offset;
    const int32_t c = QKNextCharacter(&p, length >= 0 ? text + length : nullptr);
    *offset = static_cast<int32_t>(p - text);
    return c;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKCharacterOffset(const char** text, const char* end, int32_t count) noexcept try {
    if (!text || !*text) return kBadCharacter;
    const Byte* p = bytes(*text);
    const Byte* e = end ? bytes(end) : p + std::strlen(*text);
    int32_t passed = 0;
    while (count - passed != 0 && p < e) {
        if (decodeCharacter(p, e) == kBadCharacter) {
            *text = reinterpret_cast<const char*>(p);
            return kBadCharacter;
        }
        ++passed;
    }
    *text = reinterpret_cast<const char*>(p);
    return count - passed;
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API void QKStringFirstPosFun(const char* text, QKStringPosition* position) noexcept try {
    if (!position) return;
    position->cursor = text;
    position->end = text ? text + std::strlen(text) : nullptr;
} catch (...) {
    corvinet::exportFailed(nullptr);
}

// ---- Old form ---------------------------------------------------------------------------------

QK_API int32_t QKOldPutCharToString(int32_t character, unsigned char** out) noexcept try {
    const auto c = static_cast<uint32_t>(character);
    if (out && *out) *out = writeOldForm(c, *out);
    return oldFormSize(c);
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKOldConvertByteString(const unsigned char* s, int32_t n, unsigned char** out,
                                      unsigned char* end) noexcept try {
    return convertOld(n, out, end, [s](int32_t i) { return uint32_t{s[i]}; });
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

QK_API int32_t QKOldConvertUnicodeString(const char16_t* s, int32_t n, unsigned char** out,
                                         unsigned char* end) noexcept try {
    return convertOld(n, out, end, [s](int32_t i) { return uint32_t{s[i]}; });
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}

namespace {

// Classifies the character that starts at position->start, never reading past a zero byte.
void classifyOld(QKOldStringPosition* position) {
    const Byte* p = position->start;
    position->cursor = p;
    position->stepsLeft = 0;
    const auto withFollower = [&](int32_t kind, int32_t steps) {
        for (int32_t i = 1; i <= steps; ++i)
            if (p[i] == 0) {
                position->kind = 0; // cut off by the end of the text
                return;
            }
        position->kind = kind;
        position->stepsLeft = steps;
    };
    switch (*p) {
    case 0:
        position->kind = 0;
        break;
    case 0xFF:
        position->kind = 0xFF;
        break;
    case 0xF8:
    case 0xF9:
        withFollower(0xF9, 1);
        break;
    case 0xFA:
        withFollower(0xFA, 1);
        break;
    case 0xFB:
        withFollower(2, 2);
        break;
    default:
        position->kind = 1;
        break;
    }
}

} // namespace

QK_API void QKOldStringFirstPosFun(const unsigned char* text,
                                   QKOldStringPosition* position) noexcept try {
    if (!position || !text) return;
    position->start = text;
    classifyOld(position);
} catch (...) {
    corvinet::exportFailed(nullptr);
}

QK_API void QKOldStringNextPosFun(QKOldStringPosition* position) noexcept try {
    if (!position || !position->start || position->kind == 0) return;
    position->start += 1 + position->stepsLeft;
    classifyOld(position);
} catch (...) {
    corvinet::exportFailed(nullptr);
}

QK_API int32_t QKOldStringCharFun(const QKOldStringPosition* position) noexcept try {
    if (!position || !position->start) return 0;
    const Byte* p = position->start;
    switch (position->kind) {
    case 1:
        return p[0];
    case 0xF9:
        return p[1];
    case 2:
        return p[1] << 8 | p[2];
    case 0xFA:
        return p[1] << 8;
    default:
        return 0;
    }
} catch (...) {
    return corvinet::exportFailed<int32_t>(nullptr);
}
