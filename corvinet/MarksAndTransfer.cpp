// Marks (a saved read position with the get state at it) and the copy of one expression from a
// link's get side to another link's put side.

#include "ArrayState.h"
#include "EngineGate.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "NumberCodes.h"
#include "TokenBytes.h"

#include <algorithm>
#include <new>

// A saved read position. Allocated from the environment; the stream mark pins the data after
// it, so the link can return there until the mark is destroyed.
struct QKMarkRecord {
    explicit QKMarkRecord(const corvinet::GetState& state) : get(state) {}
    corvinet::StreamMark stream;
    corvinet::GetState get;
};

using namespace corvinet;

namespace {

// Skips `count` whole expressions from where the get state stands.
LinkError skipExpressions(QKLINK link, GetState& get, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (const LinkError rc = get.skipExpression(link->stream)) return rc;
    return 0;
}

LinkError seek(QKLINK link, QKMARK mark, int32_t count) {
    if (!mark) return QKERR_GET_SEQUENCE;
    if (const LinkError rc = link->stream.seekMark(mark->stream)) return rc;
    *link->get = mark->get;
    return skipExpressions(link, *link->get, count);
}

// The width that text of this element encoding is copied at, so that it goes out as it came.
TextSource::Width widthOf(const TextToken& text) {
    switch (text.encoding) {
    case 'A':
        return TextSource::k7Bit;
    case 'B':
        return TextSource::k8Bit;
    default:
        return TextSource::k16Bit;
    }
}

// Copies an array that arrived in the array form as one array, so that it goes out in the
// destination's array form where the destination's peer reads it.
LinkError copyArray(QKLINK source, GetState& get, QKLINK destination, PutState& put,
                    LinkError& destinationError) {
    ArrayState in(source->linkEnv->memory);
    if (const LinkError rc = in.readShape(source->stream, get)) return rc;
    uint8_t code = 0;
    if (const LinkError rc = in.peekLeafCode(source->stream, get, code)) return rc;
    ArrayState out(destination->linkEnv->memory);
    out.dims = in.dims;
    out.heads = in.heads;
    out.leaves = in.leaves;
    destinationError = out.writeFrame(destination->stream, put);
    const LeafLayout layout = LeafLayout::of(source, code);
    constexpr int64_t kChunk = 256;
    uint8_t leaves[kChunk * 16];
    while (destinationError == 0 && in.leavesLeft() > 0) {
        const int64_t n = std::min(kChunk, in.leavesLeft());
        if (const LinkError rc =
                in.readLeaves(source->stream, get, code, layout.wireSize, leaves, n))
            return rc;
        destinationError =
            out.writeLeaves(destination->stream, put, code, layout.wireSize, leaves, n);
    }
    return 0;
}

// Tokens that a copy may pass on as they lie on the wire: the plain form and the pass-through
// bytes (but `.`, refused before). Toward a destination that does not read the plain form they are
// read as text (which a pass-through byte is not: QKERR_GET_SEQUENCE, and it stays in hand).
bool copiesRaw(uint8_t type) {
    return wire::isPlainTextType(type) || wire::isPassThrough(type);
}

// Copies the token in hand byte for byte: its type, its length, its bytes and a terminator. A
// token partly read raw goes on with what is left of it.
LinkError copyRawToken(QKLINK source, GetState& get, uint8_t type, QKLINK destination,
                       PutState* put, LinkError& destinationError) {
    int64_t left = 0;
    if (const LinkError rc = get.rawBytesToGet(source->stream, left)) return rc;
    if (put) {
        destinationError = put->announce(type);
        if (!destinationError) destinationError = put->putRawSize(destination->stream, left);
    }
    uint8_t chunk[256];
    do {
        int64_t copied = 0;
        if (const LinkError rc =
                get.getData(source->stream, chunk, sizeof chunk, copied, GetState::View::kRaw))
            return rc;
        if (put && destinationError == 0 && copied > 0)
            destinationError = put->putRawData(destination->stream, chunk, copied);
        left -= copied;
    } while (left > 0);
    return 0;
}

// Copies one token from `source` to `destination` (or drops it when there is none); errors of
// either side come back with the side they belong to.
LinkError copyToken(QKLINK source, GetState& get, QKLINK destination, LinkError& destinationError) {
    uint8_t type = 0;
    if (const LinkError rc = get.type(source->stream, false, type)) return rc;
    PutState* put = destination ? destination->put : nullptr;
    if (put && get.atArrayStart())
        return copyArray(source, get, destination, *put, destinationError);
    // A shape's closing byte has no meaning as a token of its own.
    if (type == wire::kShapeEnd) return QKERR_DESTROYED;
    const bool rawWanted = !put || maskHas(destination->features.formats, wire::kFormatPlain);
    if (copiesRaw(type) && rawWanted && get.phase() != GetState::kCounted)
        return copyRawToken(source, get, type, destination, put, destinationError);
    if (type == wire::kFunction || type == wire::kArray) {
        int64_t n = 0;
        if (const LinkError rc = get.argCount(source->stream, n)) return rc;
        if (put) {
            destinationError = put->announce(wire::kFunction);
            if (!destinationError) destinationError = put->putArgCount(destination->stream, n);
        }
        return 0;
    }
    if (isNumberCode(type)) {
        uint8_t value[16];
        if (const LinkError rc = get.getNumber(source->stream, type, value)) return rc;
        if (put) destinationError = put->putNumber(destination->stream, type, value);
        return 0;
    }
    const TextToken* text = nullptr;
    if (const LinkError rc = get.holdText(source->stream, false, text)) return rc;
    if (put) {
        const TextSource::Width width = widthOf(*text);
        ByteVector characters(PairAllocator<uint8_t>(source->linkEnv->memory));
        std::size_t units = text->characters.size();
        const void* data = text->characters.data();
        if (text->encoding != 'A' && text->encoding != 'B') {
            text->to16Bit(characters);
            data = characters.data();
            units = characters.size() / 2;
        }
        const auto textType = static_cast<uint8_t>(GetState::tokenCode(type));
        destinationError = put->putText(destination->stream, textType, {width, data, units});
    }
    get.release();
    return 0;
}

} // namespace

QK_API QKMARK QKCreateMark(QKLINK link) noexcept try {
    if (!link || link->error != 0 || !link->get) return nullptr;
    QKMARK mark = nullptr;
    try {
        mark = link->env()->memory.make<QKMarkRecord>(*link->get);
    } catch (const std::bad_alloc&) {
    }
    if (!mark) {
        link->setError(QKERR_OUT_OF_MEMORY);
        return nullptr;
    }
    if (const LinkError rc = link->stream.saveMark(mark->stream)) {
        link->env()->memory.destroy(mark);
        link->setError(rc.code());
        return nullptr;
    }
    return mark;
} catch (...) {
    return corvinet::exportFailed<QKMARK>(link);
}

QK_API QKMARK QKSeekMark(QKLINK link, QKMARK mark, int32_t count) noexcept try {
    return runGet(link, [&](GetState&) -> LinkError { return seek(link, mark, count); }) ? mark
                                                                                         : nullptr;
} catch (...) {
    return corvinet::exportFailed<QKMARK>(link);
}

QK_API QKMARK QKSeekToMark(QKLINK link, QKMARK mark, int32_t count) noexcept try {
    return QKSeekMark(link, mark, count);
} catch (...) {
    return corvinet::exportFailed<QKMARK>(link);
}

QK_API void QKDestroyMark(QKLINK link, QKMARK mark) noexcept try {
    if (!link || !mark) return;
    link->stream.releaseMark(mark->stream);
    link->env()->memory.destroy(mark);
} catch (...) {
    corvinet::exportFailed(link);
}

QK_API int32_t QKAlign(QKLINK link, QKLINK other) noexcept try {
    if (!link || !other || link->error != 0 || other->error != 0) return 0;
    if (!link->put || link->put != other->put || !link->get || !other->get) return 0;
    if (link == other) return 1;
    try {
        *link->get = *other->get;
    } catch (const std::bad_alloc&) {
        link->setError(QKERR_OUT_OF_MEMORY);
        return 0;
    }
    if (const LinkError error = link->stream.duplicateFrom(other->stream)) {
        link->setError(error.code());
        return 0;
    }
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKForwardReset(QKLINK link, int32_t offset) noexcept try {
    if (!link) return 0;
    LinkError rc = link->get ? link->stream.seek(offset) : QKERR_UNCONNECTED;
    if (rc == 0) {
        try {
            *link->get = GetState(link->linkEnv->memory, link->features.converter);
        } catch (const std::bad_alloc&) {
            rc = QKERR_OUT_OF_MEMORY;
        }
    }
    link->setError(rc.code());
    return !rc;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKTransferExpression(QKLINK destination, QKLINK source) noexcept try {
    if (destination && !passes(destination, Gate::kConnect)) return 0;
    if (destination && !destination->put) return 0;
    LinkError destinationError;
    const int32_t ok = runGet(source, [&](GetState& get) -> LinkError {
        const int64_t done = get.owedAfterNext();
        do {
            if (const LinkError rc = copyToken(source, get, destination, destinationError))
                return rc;
        } while (destinationError == 0 && get.owed() > done);
        return 0;
    });
    if (destination) {
        if (!ok && destinationError == 0)
            destinationError = source ? source->error : QKERR_LINK_DIED;
        destination->setError(destinationError.code());
    }
    return ok && destinationError == 0;
} catch (...) {
    return corvinet::exportFailed<int32_t>(destination);
}
