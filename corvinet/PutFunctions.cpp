// The exported put side: every call goes through the gate and the link's put engine.

#include "EngineGate.h"
#include "ExportGuard.h"
#include "NumberCodes.h"
#include "RealNumberText.h"
#include "TokenBytes.h"

#include <cstring>
#include <string>

using namespace corvinet;

namespace {

int32_t putText(QKLINK link, uint8_t type, TextSource::Width width, const void* data,
                int64_t length) {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (!data || length < 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.putText(link->stream, type, {width, data, static_cast<std::size_t>(length)});
    });
}

bool isAnnounceable(int32_t type) {
    if (type < 0 || type > 0xFF) return false;
    const auto t = static_cast<uint8_t>(type);
    return isNumberCode(t) || wire::isTextType(t) || wire::isPlainTextType(t) ||
           t == wire::kFunction || t == wire::kArray || t == wire::kPackedRun;
}

} // namespace

QK_API int32_t QKPutNext(QKLINK link, int32_t type) noexcept try {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (!isAnnounceable(type)) return LinkError{QKERR_BAD_TOKEN};
        return put.announce(static_cast<uint8_t>(type));
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutType(QKLINK link, int32_t type) noexcept try {
    return QKPutNext(link, type);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutArgCount(QKLINK link, int32_t count) noexcept try {
    return runPut(link, Gate::kClean,
                  [&](PutState& put) -> LinkError { return put.putArgCount(link->stream, count); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutComposite(QKLINK link, int32_t count) noexcept try {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (const LinkError rc = put.announce(wire::kFunction)) return rc;
        return put.putArgCount(link->stream, count);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutFunction(QKLINK link, const char* head, int32_t count) noexcept try {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        return put.putFunction(link->stream, head, count);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutString(QKLINK link, const char* text) noexcept try {
    return putText(link, wire::kString, TextSource::k7Bit, text, text ? std::strlen(text) : 0);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutSymbol(QKLINK link, const char* name) noexcept try {
    return putText(link, wire::kSymbol, TextSource::k7Bit, name, name ? std::strlen(name) : 0);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutByteString(QKLINK link, const unsigned char* text, int32_t length) noexcept
    try {
    return putText(link, wire::kString, TextSource::k8Bit, text, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutByteSymbol(QKLINK link, const unsigned char* name, int32_t length) noexcept
    try {
    return putText(link, wire::kSymbol, TextSource::k8Bit, name, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutUnicodeString(QKLINK link, const char16_t* text, int32_t length) noexcept try {
    return putText(link, wire::kString, TextSource::k16Bit, text, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutUnicodeSymbol(QKLINK link, const char16_t* name, int32_t length) noexcept try {
    return putText(link, wire::kSymbol, TextSource::k16Bit, name, length);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPut7BitCount(QKLINK link, int32_t characters, int32_t bytes) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (characters < 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.declareTextSize(bytes);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPut7BitCharacters(QKLINK link, int32_t charactersLeft, const char* bytes,
                                   int32_t byteCount, int32_t /*characterCount*/) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (!bytes && byteCount > 0) return LinkError{QKERR_PUT_SEQUENCE};
        // After QKPut7BitCount the totals are declared and the pieces simply fill them.
        if (put.gatheringDeclared()) return put.putTextData(link->stream, bytes, byteCount);
        return put.putTextPiece(link->stream, TextSource::k7Bit, bytes, byteCount, charactersLeft);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPut8BitCharacters(QKLINK link, int32_t charactersLeft, const unsigned char* bytes,
                                   int32_t count) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (!bytes && count > 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.putTextPiece(link->stream, TextSource::k8Bit, bytes, count, charactersLeft);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPut16BitCharacters(QKLINK link, int32_t charactersLeft, const char16_t* chars,
                                    int32_t count) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (!chars && count > 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.putTextPiece(link->stream, TextSource::k16Bit, chars, count, charactersLeft);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutSize(QKLINK link, int32_t bytes) noexcept try {
    return runPut(link, Gate::kClean,
                  [&](PutState& put) -> LinkError { return put.declareTextSize(bytes); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutData(QKLINK link, const char* bytes, int32_t count) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (!bytes && count > 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.putTextData(link->stream, bytes, count);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutRawSize(QKLINK link, int32_t bytes) noexcept try {
    return runPut(link, Gate::kClean,
                  [&](PutState& put) -> LinkError { return put.putRawSize(link->stream, bytes); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutRawData(QKLINK link, const unsigned char* bytes, int32_t count) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (!bytes && count > 0) return LinkError{QKERR_PUT_SEQUENCE};
        return put.putRawData(link->stream, bytes, count);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKBytesToPut(QKLINK link, int32_t* count) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState& put) -> LinkError {
        if (count) *count = static_cast<int32_t>(put.bytesToPut());
        return 0;
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutBinaryNumber(QKLINK link, const void* value, int32_t code) noexcept try {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (!value || !isNumberCode(static_cast<unsigned>(code))) return LinkError{QKERR_BAD_TOKEN};
        return put.putNumber(link->stream, static_cast<uint8_t>(code), value);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKEndPacket(QKLINK link) noexcept try {
    return runPut(link, Gate::kClean,
                  [&](PutState& put) -> LinkError { return put.endPacket(link->stream); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKFlush(QKLINK link) noexcept try {
    return runPut(link, Gate::kClean, [&](PutState&) -> LinkError { return link->stream.flush(); });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

namespace {

// A program's real-number text, zero-terminated, sent as a real token in its wire form.
template <class Char>
int32_t putRealText(QKLINK link, const Char* text, TextSource::Width width) {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (!text) return LinkError{QKERR_PUT_SEQUENCE};
        std::u16string wide;
        for (const Char* p = text; *p; ++p)
            wide.push_back(static_cast<char16_t>(*p));
        const std::u16string sent = wireRealText(wide);
        std::basic_string<Char> out(sent.begin(), sent.end());
        return put.putText(link->stream, wire::kRealText, {width, out.data(), out.size()});
    });
}

} // namespace

QK_API int32_t QKPutRealByteString0(QKLINK link, const unsigned char* text) noexcept try {
    return putRealText(link, text, TextSource::k8Bit);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutRealUnicodeString0(QKLINK link, const char16_t* text) noexcept try {
    return putRealText(link, text, TextSource::k16Bit);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
