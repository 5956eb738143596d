// The exported array-state functions: an array read or written a part at a time. The get side
// reads a shape into the link's get-side state and then its leaves in pieces; the put side
// writes a shape's frame (from its own state, or copied from any link's get-side state) and
// then the leaves in pieces, or copied from the link the shape came from.

#include "ArrayState.h"
#include "EngineGate.h"
#include "ExportGuard.h"
#include "NumberConverter.h"

#include <algorithm>
#include <cstring>

using namespace corvinet;

namespace {

constexpr int64_t kChunk = 256; // leaves converted or copied at a time

bool isLive(QKARRAYSTATE state) {
    return state && state->valid == ArrayState::kValid;
}

// The link's get-side state, when `state` is it.
QKArrayStateRecord* getSide(QKLINK link, QKARRAYSTATE state) {
    return state && state == link->getArray && isLive(state) ? state : nullptr;
}

// The link's put-side state, when `state` is it or the state its shape was copied from.
QKArrayStateRecord* putSide(QKLINK link, QKARRAYSTATE state) {
    if (!state || !link->putArray || !isLive(link->putArray)) return nullptr;
    return state == link->putArray || state == link->putArraySource ? link->putArray : nullptr;
}

LinkError readType(QKLINK link, GetState& get, QKARRAYSTATE* state, int32_t* depth, int32_t* code) {
    if (state) *state = nullptr;
    if (!state) return QKERR_GET_SEQUENCE;
    QKArrayStateRecord* made = renewArrayState(link, &QKLinkRecord::getArray);
    if (!made) return QKERR_OUT_OF_MEMORY;
    if (const LinkError rc = made->readShape(link->stream, get)) return rc;
    if (const LinkError rc = made->peekLeafCode(link->stream, get, made->code)) return rc;
    *state = made;
    if (depth) *depth = made->depth();
    if (code) *code = made->code;
    return 0;
}

int32_t getType(QKLINK link, QKARRAYSTATE* state, int32_t* depth, int32_t* code) {
    return runGet(
        link, [&](GetState& get) -> LinkError { return readType(link, get, state, depth, code); });
}

// `count` leaves of the link's get-side state into `data`, laid out as `layout` says.
int32_t getData(QKLINK link, QKARRAYSTATE state, const LeafLayout& layout, void* data,
                int32_t count) {
    return runGet(link, [&](GetState& get) -> LinkError {
        QKArrayStateRecord* shape = getSide(link, state);
        if (!shape || count < 0 || (!data && count > 0) || layout.wireSize <= 0)
            return LinkError{QKERR_GET_SEQUENCE};
        if (count > shape->leavesLeft()) return LinkError{QKERR_GET_SEQUENCE};
        auto* out = static_cast<uint8_t*>(data);
        uint8_t wire[kChunk * 16];
        for (int64_t left = count; left > 0;) {
            const int64_t n = std::min(left, kChunk);
            if (const LinkError rc =
                    shape->readLeaves(link->stream, get, layout.code, layout.wireSize, wire, n))
                return rc;
            layout.toNative(wire, out, n);
            out += static_cast<std::size_t>(n) * layout.nativeSize;
            left -= n;
        }
        return 0;
    });
}

// `count` leaves from `data`, laid out as `layout` says, onto the link's put-side state.
int32_t putData(QKLINK link, QKARRAYSTATE state, const LeafLayout& layout, const void* data,
                int32_t count) {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        QKArrayStateRecord* shape = putSide(link, state);
        if (!shape || count < 0 || (!data && count > 0)) return LinkError{QKERR_PUT_SEQUENCE};
        if (layout.wireSize <= 0) return LinkError{QKERR_BAD_TOKEN};
        if (count > shape->leavesLeft()) return LinkError{QKERR_TOO_MUCH_DATA};
        if (!layout.longDouble)
            return shape->writeLeaves(link->stream, put, layout.code, layout.wireSize,
                                      static_cast<const uint8_t*>(data), count);
        const auto* in = static_cast<const uint8_t*>(data);
        uint8_t wire[kChunk * 16];
        for (int64_t left = count; left > 0;) {
            const int64_t n = std::min(left, kChunk);
            layout.toWire(in, wire, n);
            if (const LinkError rc =
                    shape->writeLeaves(link->stream, put, layout.code, layout.wireSize, wire, n))
                return rc;
            in += static_cast<std::size_t>(n) * layout.nativeSize;
            left -= n;
        }
        return 0;
    });
}

// Copies a shape into the link's put-side state.
LinkError adoptShape(QKLINK link, const ArrayState& from, const void* source) {
    QKArrayStateRecord* made = renewArrayState(link, &QKLinkRecord::putArray);
    if (!made) return QKERR_OUT_OF_MEMORY;
    made->dims = from.dims;
    made->heads = from.heads;
    made->leaves = from.leaves;
    made->code = from.code;
    link->putArraySource = source;
    return 0;
}

const NumberFunctionCodes& codes() {
    return buildNumberFunctionCodes();
}

} // namespace

// ---- Get side ---------------------------------------------------------------------------------

QK_API int32_t QKGetArrayType(QKLINK link, QKARRAYSTATE* state, int32_t* depth) noexcept try {
    return getType(link, state, depth, nullptr);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetArrayType0(QKLINK link, QKARRAYSTATE* state, int32_t* depth,
                               int32_t* code) noexcept try {
    return getType(link, state, depth, code);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetArrayDimensions(QKLINK link, QKARRAYSTATE state, int32_t* dims,
                                    const char** heads) noexcept try {
    return runGet(link, [&](GetState&) -> LinkError {
        const QKArrayStateRecord* shape = getSide(link, state);
        if (!shape) return LinkError{QKERR_GET_SEQUENCE};
        for (int32_t level = 0; level < shape->depth(); ++level) {
            if (dims) dims[level] = shape->dims[static_cast<std::size_t>(level)];
            if (heads) heads[level] = shape->head(level);
        }
        return 0;
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetByteArrayData(QKLINK link, QKARRAYSTATE state, unsigned char* data,
                                  int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, code::kByte), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetShortIntegerArrayData(QKLINK link, QKARRAYSTATE state, int16_t* data,
                                          int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, codes().getShortInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetIntegerArrayData(QKLINK link, QKARRAYSTATE state, int32_t* data,
                                     int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, codes().getInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetLongIntegerArrayData(QKLINK link, QKARRAYSTATE state, int32_t* data,
                                         int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, codes().getLongInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetFloatArrayData(QKLINK link, QKARRAYSTATE state, float* data,
                                   int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, codes().getFloat), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetDoubleArrayData(QKLINK link, QKARRAYSTATE state, double* data,
                                    int32_t count) noexcept try {
    return getData(link, state, LeafLayout::of(link, codes().getDouble), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetLongDoubleArrayData(QKLINK link, QKARRAYSTATE state, long double* data,
                                        int32_t count) noexcept try {
    return getData(link, state, LeafLayout::longDoubles(link), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetBinaryNumberArrayData(QKLINK link, QKARRAYSTATE state, void* data,
                                          int32_t count, int32_t code) noexcept try {
    return getData(link, state, LeafLayout::of(link, static_cast<uint8_t>(code)), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKGetBinaryNumberArrayData0(QKLINK link, QKARRAYSTATE state, void* data,
                                           int32_t count) noexcept try {
    const uint8_t code = link && getSide(link, state) ? state->code : 0;
    return getData(link, state, LeafLayout::of(link, code), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void QKReleaseGetArrayState0(QKLINK link, QKARRAYSTATE state) noexcept try {
    if (link && state && state == link->getArray) releaseArrayState(link, &QKLinkRecord::getArray);
} catch (...) {
    corvinet::exportFailed(link);
}

// ---- Put side ---------------------------------------------------------------------------------

QK_API int32_t QKPutArrayType0(QKLINK link, QKLINK source, QKARRAYSTATE* state) noexcept try {
    if (state) *state = nullptr;
    if (!link) return 0;
    QKARRAYSTATE read = nullptr;
    if (!getType(source, &read, nullptr, nullptr)) {
        link->setError(source ? source->error : QKERR_GET_SEQUENCE);
        return 0;
    }
    return runPut(link, Gate::kConnect, [&](PutState&) -> LinkError {
        if (!state) return LinkError{QKERR_PUT_SEQUENCE};
        if (const LinkError rc = adoptShape(link, *read, nullptr)) return rc;
        *state = link->putArray;
        return 0;
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutArray(QKLINK link, QKARRAYSTATE state) noexcept try {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        if (!isLive(state)) return LinkError{QKERR_PUT_SEQUENCE};
        if (state != link->putArray)
            if (const LinkError rc = adoptShape(link, *state, state)) return rc;
        return link->putArray->writeFrame(link->stream, put);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutByteArrayData(QKLINK link, QKARRAYSTATE state, const unsigned char* data,
                                  int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, code::kByte), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutShortIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int16_t* data,
                                          int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, codes().getShortInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int32_t* data,
                                     int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, codes().getInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutLongIntegerArrayData(QKLINK link, QKARRAYSTATE state, const int32_t* data,
                                         int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, codes().getLongInteger), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutFloatArrayData(QKLINK link, QKARRAYSTATE state, const float* data,
                                   int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, codes().getFloat), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutDoubleArrayData(QKLINK link, QKARRAYSTATE state, const double* data,
                                    int32_t count) noexcept try {
    return putData(link, state, LeafLayout::of(link, codes().getDouble), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutLongDoubleArrayData(QKLINK link, QKARRAYSTATE state, const long double* data,
                                        int32_t count) noexcept try {
    return putData(link, state, LeafLayout::longDoubles(link), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutBinaryNumberArrayData(QKLINK link, QKARRAYSTATE state, const void* data,
                                          int32_t count, int32_t code) noexcept try {
    return putData(link, state, LeafLayout::of(link, static_cast<uint8_t>(code)), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
QK_API int32_t QKPutBinaryNumberArrayData0(QKLINK link, QKARRAYSTATE state, const void* data,
                                           int32_t count) noexcept try {
    const QKArrayStateRecord* shape = link ? putSide(link, state) : nullptr;
    return putData(link, state, LeafLayout::of(link, shape ? shape->code : 0), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutArrayLeaves0(QKLINK link, QKARRAYSTATE state, QKLINK source,
                                 int32_t count) noexcept try {
    if (!link || !source) return 0;
    const QKArrayStateRecord* shape = putSide(link, state);
    const LeafLayout layout = LeafLayout::of(link, shape ? shape->code : 0);
    if (!shape || !source->getArray || count < 0 || layout.wireSize <= 0) {
        link->setError(QKERR_PUT_SEQUENCE);
        return 0;
    }
    // Refused before anything is read from the source.
    if (count > shape->leavesLeft()) {
        link->setError(QKERR_TOO_MUCH_DATA);
        return 0;
    }
    uint8_t wire[kChunk * 16];
    for (int64_t left = count; left > 0;) {
        const auto n = static_cast<int32_t>(std::min(left, kChunk));
        if (!getData(source, source->getArray, layout, wire, n)) {
            link->setError(source->error);
            return 0;
        }
        if (!putData(link, state, layout, wire, n)) return 0;
        left -= n;
    }
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void QKReleasePutArrayState0(QKLINK link, QKARRAYSTATE state) noexcept try {
    if (link && state && state == link->putArray) releaseArrayState(link, &QKLinkRecord::putArray);
} catch (...) {
    corvinet::exportFailed(link);
}
