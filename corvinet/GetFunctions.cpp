// The exported get side: token navigation, whole texts, checks, disowning and packet skipping.
// Every text handed out comes from the environment's allocator.

#include "CharacterEscapes.h"
#include "EngineGate.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "RealNumberText.h"
#include "TokenBytes.h"

#include <cstring>
#include <limits>
#include <string>

using namespace corvinet;

namespace {

int32_t narrow(int64_t n) {
    return n > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                   : static_cast<int32_t>(n);
}

int32_t readType(QKLINK link, bool advance, GetState::View view) {
    uint8_t type = 0;
    const int32_t ok = runGet(link, [&](GetState& get) -> LinkError {
        const LinkError rc = get.type(link->stream, advance, type, view);
        if (view == GetState::View::kRaw) type = get.reportedRawType();
        return rc;
    });
    if (!ok) return QKTOK_ERROR;
    return view == GetState::View::kRaw ? type : GetState::tokenCode(type);
}

// Runs a get-state query that answers a count and hands it out narrowed to 32 bits.
template <class Query>
int32_t countQuery(QKLINK link, int32_t* count, Query&& query) {
    return runGet(link, [&](GetState& get) -> LinkError {
        int64_t n = 0;
        const LinkError rc = query(get, n);
        if (rc == 0 && count) *count = narrow(n);
        return rc;
    });
}

int32_t argCount(QKLINK link, int32_t* count, GetState::View view) {
    return countQuery(link, count, [&](GetState& get, int64_t& n) {
        return get.argCount(link->stream, n, view);
    });
}

// Reads a whole text token and hands it out in `width`, zero-terminated, allocated from the
// environment. A number text ends at its first blank; with `programReal` a real-number text
// comes in the program's form (RealNumberText.h).
LinkError takeText(QKLINK link, GetState& get, bool symbolOnly, TextSource::Width width,
                   uint8_t replacement, bool programReal, const void** out, int32_t* length) {
    const TextToken* text = nullptr;
    if (const LinkError rc = get.holdText(link->stream, symbolOnly, text)) return rc;
    uint8_t type = 0;
    if (const LinkError rc = get.type(link->stream, false, type)) return rc;
    const int code = GetState::tokenCode(type);
    // 7-bit text of a string or symbol that came as `A` goes out as it came.
    if (width == TextSource::k7Bit && text->encoding == 'A' && code != QKTOK_INTEGER &&
        code != QKTOK_REAL) {
        const std::size_t n = text->characters.size();
        auto* result = static_cast<char*>(link->env()->allocate(n + 1));
        if (!result) return QKERR_OUT_OF_MEMORY;
        if (n > 0) std::memcpy(result, text->characters.data(), n);
        result[n] = 0;
        *out = result;
        if (length) *length = narrow(static_cast<int64_t>(n));
        get.release();
        return 0;
    }
    ByteVector converted(PairAllocator<uint8_t>(link->linkEnv->memory));
    text->convert(converted, width, replacement);
    const std::size_t unit = width == TextSource::k16Bit ? 2 : 1;
    std::size_t units = converted.size() / unit;
    if (code == QKTOK_INTEGER || code == QKTOK_REAL) {
        std::u16string number;
        for (std::size_t i = 0; i < units; ++i) {
            char16_t c = converted[i];
            if (unit == 2) std::memcpy(&c, converted.data() + 2 * i, 2);
            if (c == ' ') break;
            number.push_back(c);
        }
        if (programReal && code == QKTOK_REAL) number = programRealText(number);
        converted.clear();
        for (const char16_t c : number) {
            if (unit == 2)
                converted.insert(converted.end(), reinterpret_cast<const uint8_t*>(&c),
                                 reinterpret_cast<const uint8_t*>(&c) + 2);
            else
                converted.push_back(static_cast<uint8_t>(c));
        }
        units = number.size();
    }
    auto* result = static_cast<uint8_t*>(link->env()->allocate((units + 1) * unit));
    if (!result) return QKERR_OUT_OF_MEMORY;
    if (units > 0) std::memcpy(result, converted.data(), units * unit);
    std::memset(result + units * unit, 0, unit);
    *out = result;
    if (length) *length = narrow(static_cast<int64_t>(units));
    get.release();
    return 0;
}

template <class Char>
int32_t getText(QKLINK link, bool symbolOnly, TextSource::Width width, uint8_t replacement,
                const Char** out, int32_t* length, bool programReal = false) {
    if (out) *out = nullptr;
    return runGet(link, [&](GetState& get) -> LinkError {
        if (!out) return LinkError{QKERR_GET_SEQUENCE};
        const void* result = nullptr;
        const LinkError rc =
            takeText(link, get, symbolOnly, width, replacement, programReal, &result, length);
        *out = static_cast<const Char*>(result);
        return rc;
    });
}

void disown(QKLINK link, const void* text) {
    if (link && text) link->env()->free(const_cast<void*>(text));
}

// Compares the held token with 7-bit `expected`, both decoded to characters.
bool sameText(const TextToken& token, const char* expected) {
    const auto* p = reinterpret_cast<const unsigned char*>(expected);
    const auto* end = p + std::strlen(expected);
    // Without escapes on either side, `A` text is its characters byte for byte.
    const std::size_t length = token.characters.size();
    if (token.encoding == 'A' && !std::memchr(p, '\\', static_cast<std::size_t>(end - p)) &&
        (length == 0 || !std::memchr(token.characters.data(), '\\', length)))
        return length == static_cast<std::size_t>(end - p) &&
               (length == 0 || std::memcmp(token.characters.data(), p, length) == 0);
    bool same = true;
    token.forEach([&](char16_t c) {
        if (!same) return;
        const int e = decodeCharacter(p, end);
        if (e == kBadCharacter) {
            same = false;
            return;
        }
        same = toCarriedCharacter(e) == c;
    });
    return same && p == end;
}

LinkError check(QKLINK link, GetState& get, uint8_t type, const char* expected) {
    uint8_t current = 0;
    if (const LinkError rc = get.type(link->stream, false, current)) return rc;
    if (GetState::tokenCode(current) != type) return QKERR_GET_SEQUENCE;
    const TextToken* text = nullptr;
    if (const LinkError rc = get.holdText(link->stream, type == wire::kSymbol, text)) return rc;
    if (!expected || !sameText(*text, expected)) return QKERR_GET_SEQUENCE;
    get.release();
    return 0;
}

// A function token and its head symbol, checked against `expected` when given.
LinkError function(QKLINK link, GetState& get, const char* expected, const char** head,
                   int64_t& count) {
    if (!get.takeFunctionHead(link->stream, count)) {
        uint8_t type = 0;
        if (const LinkError rc = get.type(link->stream, false, type)) return rc;
        if (GetState::tokenCode(type) != QKTOK_FUNCTION) return QKERR_GET_SEQUENCE;
        if (const LinkError rc = get.argCount(link->stream, count)) return rc;
        if (const LinkError rc = get.type(link->stream, false, type)) return rc;
    }
    if (expected) return check(link, get, wire::kSymbol, expected);
    const void* name = nullptr;
    if (const LinkError rc = takeText(link, get, true, TextSource::k7Bit, 0, false, &name, nullptr))
        return rc;
    *head = static_cast<const char*>(name);
    return 0;
}

// A function token whose head is `head` and, unless `expected` is negative, whose argument
// count is `expected`.
int32_t checkFunction(QKLINK link, const char* head, int32_t* count, int32_t expected) {
    return runGet(link, [&](GetState& get) -> LinkError {
        if (!head) return LinkError{QKERR_GET_SEQUENCE};
        int64_t n = 0;
        if (const LinkError rc = function(link, get, head, nullptr, n)) return rc;
        if (expected >= 0 && expected != n) return LinkError{QKERR_GET_SEQUENCE};
        if (count) *count = narrow(n);
        return 0;
    });
}

} // namespace

QK_API int32_t QKGetNext(QKLINK link) noexcept try {
    return readType(link, true, GetState::View::kMapped);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetType(QKLINK link) noexcept try {
    return readType(link, false, GetState::View::kMapped);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetNextRaw(QKLINK link) noexcept try {
    return readType(link, true, GetState::View::kRaw);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetRawType(QKLINK link) noexcept try {
    return readType(link, false, GetState::View::kRaw);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetArgCount(QKLINK link, int32_t* count) noexcept try {
    return argCount(link, count, GetState::View::kMapped);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

// On an array in hand: the number of its leaves, and the array is read raw from here on.
QK_API int32_t QKGetRawArgCount(QKLINK link, int32_t* count) noexcept try {
    return argCount(link, count, GetState::View::kRaw);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKBytesToGet(QKLINK link, int32_t* count) noexcept try {
    return countQuery(link, count,
                      [&](GetState& get, int64_t& n) { return get.bytesToGet(link->stream, n); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKRawBytesToGet(QKLINK link, int32_t* count) noexcept try {
    return countQuery(
        link, count, [&](GetState& get, int64_t& n) { return get.rawBytesToGet(link->stream, n); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

namespace {

int32_t getData(QKLINK link, void* buffer, int32_t capacity, int32_t* copied, GetState::View view) {
    if (copied) *copied = 0;
    return runGet(link, [&](GetState& get) -> LinkError {
        if (!buffer && capacity > 0) return LinkError{QKERR_GET_SEQUENCE};
        int64_t n = 0;
        const LinkError rc = get.getData(link->stream, buffer, capacity, n, view);
        if (copied) *copied = narrow(n);
        return rc;
    });
}

} // namespace

QK_API int32_t QKGetData(QKLINK link, char* buffer, int32_t capacity, int32_t* copied) noexcept
    try {
    return getData(link, buffer, capacity, copied, GetState::View::kMapped);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

// The same as QKGetData, but a held token's wire bytes come from memory.
QK_API int32_t QKGetRawData(QKLINK link, unsigned char* buffer, int32_t capacity,
                            int32_t* copied) noexcept try {
    return getData(link, buffer, capacity, copied, GetState::View::kRaw);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

namespace {

// One piece of the current text token at `width` (see GetState::countText).
int32_t getCharacters(QKLINK link, TextSource::Width width, uint8_t replacement, void* buffer,
                      int32_t capacity, int32_t* charactersLeft, int32_t* unitsCopied,
                      int32_t* charactersCopied) {
    if (unitsCopied) *unitsCopied = 0;
    if (charactersCopied) *charactersCopied = 0;
    return runGet(link, [&](GetState& get) -> LinkError {
        if ((!buffer && capacity > 0) || capacity < 0) return LinkError{QKERR_GET_SEQUENCE};
        if (const LinkError rc = get.countText(link->stream, width, replacement)) return rc;
        int64_t units = 0;
        int64_t characters = 0;
        int64_t left = 0;
        get.takeCharacters(buffer, capacity, units, characters, left);
        if (unitsCopied) *unitsCopied = narrow(units);
        if (charactersCopied) *charactersCopied = narrow(characters);
        if (charactersLeft) *charactersLeft = narrow(left);
        return 0;
    });
}

} // namespace

QK_API int32_t QKGet7BitCharacters(QKLINK link, int32_t* charactersLeft, char* buffer,
                                   int32_t capacity, int32_t* bytesCopied,
                                   int32_t* charactersCopied) noexcept try {
    return getCharacters(link, TextSource::k7Bit, 0, buffer, capacity, charactersLeft, bytesCopied,
                         charactersCopied);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGet8BitCharacters(QKLINK link, int32_t* charactersLeft, unsigned char* buffer,
                                   int32_t capacity, int32_t* copied, int32_t replacement) noexcept
    try {
    return getCharacters(link, TextSource::k8Bit, static_cast<uint8_t>(replacement), buffer,
                         capacity, charactersLeft, copied, nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGet16BitCharacters(QKLINK link, int32_t* charactersLeft, char16_t* buffer,
                                    int32_t capacity, int32_t* copied) noexcept try {
    return getCharacters(link, TextSource::k16Bit, 0, buffer, capacity, charactersLeft, copied,
                         nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetString(QKLINK link, const char** text) noexcept try {
    return getText(link, false, TextSource::k7Bit, 0, text, nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetSymbol(QKLINK link, const char** name) noexcept try {
    return getText(link, true, TextSource::k7Bit, 0, name, nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetByteString(QKLINK link, const unsigned char** text, int32_t* length,
                               int32_t replacement) noexcept try {
    return getText(link, false, TextSource::k8Bit, static_cast<uint8_t>(replacement), text, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetByteSymbol(QKLINK link, const unsigned char** name, int32_t* length,
                               int32_t replacement) noexcept try {
    return getText(link, true, TextSource::k8Bit, static_cast<uint8_t>(replacement), name, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetUnicodeString(QKLINK link, const char16_t** text, int32_t* length) noexcept
    try {
    return getText(link, false, TextSource::k16Bit, 0, text, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetUnicodeSymbol(QKLINK link, const char16_t** name, int32_t* length) noexcept
    try {
    return getText(link, true, TextSource::k16Bit, 0, name, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetString0(QKLINK link, const char** text) noexcept try {
    return getText(link, false, TextSource::k7Bit, 0, text, nullptr, true);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetByteString0(QKLINK link, const unsigned char** text, int32_t* length,
                                int32_t replacement) noexcept try {
    return getText(link, false, TextSource::k8Bit, static_cast<uint8_t>(replacement), text, length,
                   true);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetUnicodeString0(QKLINK link, const char16_t** text, int32_t* length) noexcept
    try {
    return getText(link, false, TextSource::k16Bit, 0, text, length, true);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void QKDisownString(QKLINK link, const char* text) noexcept try {
    disown(link, text);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownSymbol(QKLINK link, const char* name) noexcept try {
    disown(link, name);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownByteString(QKLINK link, const unsigned char* text, int32_t) noexcept try {
    disown(link, text);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownByteSymbol(QKLINK link, const unsigned char* name, int32_t) noexcept try {
    disown(link, name);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownUnicodeString(QKLINK link, const char16_t* text, int32_t) noexcept try {
    disown(link, text);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownUnicodeSymbol(QKLINK link, const char16_t* name, int32_t) noexcept try {
    disown(link, name);
} catch (...) {
    corvinet::exportFailed(link);
}

QK_API int32_t QKCheckString(QKLINK link, const char* text) noexcept try {
    return runGet(
        link, [&](GetState& get) -> LinkError { return check(link, get, wire::kString, text); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKCheckSymbol(QKLINK link, const char* text) noexcept try {
    return runGet(
        link, [&](GetState& get) -> LinkError { return check(link, get, wire::kSymbol, text); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetFunction(QKLINK link, const char** head, int32_t* count) noexcept try {
    if (head) *head = nullptr;
    return runGet(link, [&](GetState& get) -> LinkError {
        if (!head) return LinkError{QKERR_GET_SEQUENCE};
        int64_t n = 0;
        const LinkError rc = function(link, get, nullptr, head, n);
        if (rc == 0 && count) *count = narrow(n);
        return rc;
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKCheckFunction(QKLINK link, const char* head, int32_t* count) noexcept try {
    return checkFunction(link, head, count, -1);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKCheckFunctionWithArgCount(QKLINK link, const char* head, int32_t* count) noexcept
    try {
    return checkFunction(link, head, count, count ? *count : -1);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKNewPacket(QKLINK link) noexcept try {
    return runGet(link,
                  [&](GetState& get) -> LinkError { return get.skipUntilOwed(link->stream, 0); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKTakeLast(QKLINK link, int32_t count) noexcept try {
    // A negative count would skip past the packet's end and on into the next packets.
    return runGet(link, [&](GetState& get) -> LinkError {
        return count < 0 ? LinkError{QKERR_GET_SEQUENCE} : get.skipUntilOwed(link->stream, count);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKExpressionsToGet(QKLINK link, int32_t* count) noexcept try {
    if (!link) return 0;
    if (count) *count = 0;
    if (link->error == QKERR_UNCONNECTED || !link->get) return 1;
    if (count) *count = narrow(link->get->owed());
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKReady(QKLINK link) noexcept try {
    if (!link) return 0;
    if (link->error == QKERR_LINK_DIED) return 1;
    if (link->error == QKERR_UNCONNECTED) {
        DeviceLink* device = link->stream.deviceLink();
        if (!device || !device->device) return 1;
        int32_t ready = 0;
        device->device(device->deviceStream, DEVICE_READY, nullptr, &ready);
        return ready;
    }
    bool answer = true;
    if (!runGet(link, [&](GetState& get) -> LinkError { return get.ready(link->stream, answer); }))
        return 1;
    return answer ? 1 : 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKFill(QKLINK link) noexcept try {
    return runGet(
        link, [&](GetState&) -> LinkError { return link->stream.refill(); }, Gate::kConnect);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
