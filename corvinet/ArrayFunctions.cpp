// The exported list and array puts, and the list getters. Which number-type code each typed
// function uses is the build's (buildNumberFunctionCodes). Lists handed to the caller come from
// the environment and go back through the matching disown function.

#include "ArrayState.h"
#include "EngineGate.h"
#include "Environment.h"
#include "ExportGuard.h"
#include "NumberConverter.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace corvinet;

namespace {

const NumberFunctionCodes& codes() {
    return buildNumberFunctionCodes();
}

int32_t putArray(QKLINK link, uint8_t code, const void* data, const int32_t* dims,
                 const char* const* heads, int32_t depth) {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        return corvinet::putArray(link->stream, put, code, data, dims, heads, depth);
    });
}

int32_t putList(QKLINK link, uint8_t code, const void* data, int32_t count) {
    return runPut(link, Gate::kConnect, [&](PutState& put) -> LinkError {
        return corvinet::putList(link->stream, put, code, data, count);
    });
}

// Long doubles travel as the build's long-double code; the caller's native values are
// repacked first.
int32_t putLongDoubleArray(QKLINK link, const long double* data, const int32_t* dims,
                           const char* const* heads, int32_t depth) {
    if (!link || !data) return putArray(link, 0, data, dims, heads, depth);
    const LeafLayout layout = LeafLayout::longDoubles(link);
    ArrayState shape(link->linkEnv->memory);
    // A shape that is no array is refused by the array put with its own error.
    if (shape.setShape(dims, heads, depth) != 0)
        return putArray(link, layout.code, data, dims, heads, depth);
    const auto bytes =
        static_cast<std::size_t>(shape.leaves) * static_cast<std::size_t>(layout.wireSize);
    auto* packed = static_cast<uint8_t*>(link->env()->allocate(bytes));
    if (!packed) {
        link->setError(QKERR_OUT_OF_MEMORY);
        return 0;
    }
    layout.toWire(data, packed, shape.leaves);
    const int32_t ok = putArray(link, layout.code, packed, dims, heads, depth);
    link->env()->free(packed);
    return ok;
}

constexpr std::size_t roundUp(std::size_t n) {
    return (n + 15) & ~std::size_t{15};
}

// Memory from the environment for numbers as they arrive. It grows with what arrives, never by
// the count the peer announces, but by steps of four up to that count: an honest list ends in a
// block of exactly its size, which is handed out as it is, and is copied only while small. Nothing
// is zero-filled, since every byte handed out was read.
class ArrivalBuffer {
public:
    ArrivalBuffer(QKENV env, std::size_t announced) : m_env(env), m_announced(announced) {}
    ~ArrivalBuffer() { m_env->free(m_data); }
    ArrivalBuffer(const ArrivalBuffer&) = delete;
    ArrivalBuffer& operator=(const ArrivalBuffer&) = delete;

    // Room for `bytes` more after the filled part; null when memory runs out.
    uint8_t* room(std::size_t bytes) {
        const std::size_t need = m_size + bytes;
        if (need > m_capacity) {
            constexpr std::size_t kFirst = 64 * 1024;
            const std::size_t step = std::max(kFirst, m_capacity * 4);
            const std::size_t capacity = std::max(need, std::min(step, m_announced));
            auto* grown = static_cast<uint8_t*>(m_env->allocate(capacity));
            if (!grown) return nullptr;
            if (m_size) std::memcpy(grown, m_data, m_size);
            m_env->free(m_data);
            m_data = grown;
            m_capacity = capacity;
        }
        return m_data + m_size;
    }
    void filled(std::size_t bytes) { m_size += bytes; }
    const uint8_t* data() const { return m_data; }
    // Hands the block over to the caller (one from the environment even when nothing arrived).
    void* release() {
        void* block = m_data ? m_data : m_env->allocate(0);
        m_data = nullptr;
        return block;
    }

private:
    QKENV m_env;
    std::size_t m_announced;
    uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Reads a whole array into one block from the environment: the leaves (laid out as `layout`
// says; with no code, in the code the first leaf arrives in), then the dimensions, the head
// pointers and the head texts. The block is the data pointer, which the array disown functions
// give back. Memory grows with the leaves that arrive, never by the count the peer announces.
LinkError getArray(QKLINK link, GetState& get, LeafLayout layout, void** data, int32_t** dims,
                   char*** heads, int32_t* depth, uint8_t* codeUsed) {
    if (!data || !dims || !heads || !depth) return QKERR_GET_SEQUENCE;
    ArrayState shape(link->linkEnv->memory);
    if (const LinkError rc = shape.readShape(link->stream, get)) return rc;
    if (layout.code == 0) {
        uint8_t code = 0;
        if (const LinkError rc = shape.peekLeafCode(link->stream, get, code)) return rc;
        layout = LeafLayout::of(link, code);
    }
    if (layout.wireSize <= 0 && shape.leaves > 0) return QKERR_GET_SEQUENCE;

    constexpr int64_t kChunk = 4096;
    ArrivalBuffer wire(link->env(),
                       static_cast<std::size_t>(shape.leaves) * std::size_t(layout.wireSize));
    while (shape.leavesLeft() > 0) {
        const int64_t n = std::min(kChunk, shape.leavesLeft());
        const auto bytes = static_cast<std::size_t>(n * layout.wireSize);
        uint8_t* at = wire.room(bytes);
        if (!at) return QKERR_OUT_OF_MEMORY;
        if (const LinkError rc =
                shape.readLeaves(link->stream, get, layout.code, layout.wireSize, at, n))
            return rc;
        wire.filled(bytes);
    }

    const auto levels = static_cast<std::size_t>(shape.depth());
    const std::size_t leafBytes =
        roundUp(static_cast<std::size_t>(shape.leaves) * layout.nativeSize);
    const std::size_t dimBytes = roundUp(levels * sizeof(int32_t));
    const std::size_t pointerBytes = levels * sizeof(char*);
    std::size_t textBytes = 0;
    for (const ByteVector& head : shape.heads)
        textBytes += head.size();
    auto* block = static_cast<uint8_t*>(
        link->env()->allocate(leafBytes + dimBytes + pointerBytes + textBytes));
    if (!block) return QKERR_OUT_OF_MEMORY;
    layout.toNative(wire.data(), block, shape.leaves);
    auto* dimensions = reinterpret_cast<int32_t*>(block + leafBytes);
    auto* pointers = reinterpret_cast<char**>(block + leafBytes + dimBytes);
    auto* text = reinterpret_cast<char*>(block + leafBytes + dimBytes + pointerBytes);
    for (std::size_t i = 0; i < levels; ++i) {
        dimensions[i] = shape.dims[i];
        pointers[i] = text;
        std::memcpy(text, shape.heads[i].data(), shape.heads[i].size());
        text += shape.heads[i].size();
    }
    *data = block;
    *dims = dimensions;
    *heads = pointers;
    *depth = shape.depth();
    if (codeUsed) *codeUsed = layout.code;
    return 0;
}

template <class T>
int32_t getTypedArray(QKLINK link, LeafLayout (*layoutOf)(QKLINK), T** data, int32_t** dims,
                      char*** heads, int32_t* depth) {
    if (data) *data = nullptr;
    return runGet(link, [&](GetState& get) -> LinkError {
        void* block = nullptr;
        const LinkError rc =
            getArray(link, get, layoutOf(link), &block, dims, heads, depth, nullptr);
        if (data) *data = static_cast<T*>(block);
        return rc;
    });
}

LeafLayout bytes(QKLINK link) {
    return LeafLayout::of(link, code::kByte);
}
LeafLayout shorts(QKLINK link) {
    return LeafLayout::of(link, codes().getShortInteger);
}
LeafLayout integers(QKLINK link) {
    return LeafLayout::of(link, codes().getInteger);
}
LeafLayout longIntegers(QKLINK link) {
    return LeafLayout::of(link, codes().getLongInteger);
}
LeafLayout floats(QKLINK link) {
    return LeafLayout::of(link, codes().getFloat);
}
LeafLayout doubles(QKLINK link) {
    return LeafLayout::of(link, codes().getDouble);
}

// Reads a one-level list of numbers into memory from the environment. The buffer grows with the
// numbers that arrive, never by the count the peer announces.
int32_t getList(QKLINK link, uint8_t code, void** data, int32_t* count) {
    if (data) *data = nullptr;
    if (count) *count = 0;
    return runGet(link, [&](GetState& get) -> LinkError {
        const int size = wireSizeOf(link->features.converter, code);
        if (!data || !count || size <= 0) return LinkError{QKERR_GET_SEQUENCE};
        uint8_t type = 0;
        if (const LinkError rc = get.type(link->stream, false, type)) return rc;
        if (GetState::tokenCode(type) != QKTOK_FUNCTION) return LinkError{QKERR_GET_SEQUENCE};
        int64_t n = 0;
        if (const LinkError rc = get.argCount(link->stream, n)) return rc;
        const TextToken* head = nullptr;
        if (const LinkError rc = get.holdText(link->stream, true, head)) return rc;
        get.release();
        ArrivalBuffer values(link->env(), static_cast<std::size_t>(n) * std::size_t(size));
        constexpr int64_t kChunk = 4096;
        for (int64_t i = 0; i < n;) {
            const int64_t want = std::min(n - i, kChunk);
            uint8_t* out = values.room(static_cast<std::size_t>(want * size));
            if (!out) return LinkError{QKERR_OUT_OF_MEMORY};
            int64_t taken = 0;
            if (const LinkError rc = get.takeRun(link->stream, code, out, want, taken)) return rc;
            if (taken == 0) {
                if (const LinkError rc = get.getNumber(link->stream, code, out)) return rc;
                taken = 1;
            }
            values.filled(static_cast<std::size_t>(taken * size));
            i += taken;
        }
        void* result = values.release();
        if (!result) return LinkError{QKERR_OUT_OF_MEMORY};
        *data = result;
        *count = static_cast<int32_t>(n);
        return 0;
    });
}

void disown(QKLINK link, const void* data) {
    if (link && data) link->env()->free(const_cast<void*>(data));
}

} // namespace

QK_API int32_t QKPutIntegerList(QKLINK link, const int32_t* data, int32_t count) noexcept try {
    return putList(link, codes().putInteger, data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutRealList(QKLINK link, const double* data, int32_t count) noexcept try {
    return putList(link, codes().putDouble, data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutBinaryNumberList(QKLINK link, const void* data, int32_t count,
                                     int32_t code) noexcept try {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return putList(link, static_cast<uint8_t>(code), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutByteArray(QKLINK link, const unsigned char* data, const int32_t* dims,
                              const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, code::kByte, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutShortIntegerArray(QKLINK link, const int16_t* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, codes().getShortInteger, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                 const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, codes().getInteger, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutLongIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                     const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, codes().getLongInteger, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutFloatArray(QKLINK link, const float* data, const int32_t* dims,
                               const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, codes().getFloat, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutDoubleArray(QKLINK link, const double* data, const int32_t* dims,
                                const char* const* heads, int32_t depth) noexcept try {
    return putArray(link, codes().getDouble, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutLongDoubleArray(QKLINK link, const long double* data, const int32_t* dims,
                                    const char* const* heads, int32_t depth) noexcept try {
    return putLongDoubleArray(link, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutBinaryNumberArray(QKLINK link, const void* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth,
                                      int32_t code) noexcept try {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return putArray(link, static_cast<uint8_t>(code), data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetByteArray(QKLINK link, unsigned char** data, int32_t** dims, char*** heads,
                              int32_t* depth) noexcept try {
    return getTypedArray(link, bytes, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetShortIntegerArray(QKLINK link, int16_t** data, int32_t** dims, char*** heads,
                                      int32_t* depth) noexcept try {
    return getTypedArray(link, shorts, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetIntegerArray(QKLINK link, int32_t** data, int32_t** dims, char*** heads,
                                 int32_t* depth) noexcept try {
    return getTypedArray(link, integers, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetLongIntegerArray(QKLINK link, int32_t** data, int32_t** dims, char*** heads,
                                     int32_t* depth) noexcept try {
    return getTypedArray(link, longIntegers, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetFloatArray(QKLINK link, float** data, int32_t** dims, char*** heads,
                               int32_t* depth) noexcept try {
    return getTypedArray(link, floats, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetDoubleArray(QKLINK link, double** data, int32_t** dims, char*** heads,
                                int32_t* depth) noexcept try {
    return getTypedArray(link, doubles, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetLongDoubleArray(QKLINK link, long double** data, int32_t** dims, char*** heads,
                                    int32_t* depth) noexcept try {
    return getTypedArray(link, LeafLayout::longDoubles, data, dims, heads, depth);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetBinaryNumberArray(QKLINK link, void** data, int32_t** dims, char*** heads,
                                      int32_t* depth, int32_t code) noexcept try {
    if (data) *data = nullptr;
    return runGet(link, [&](GetState& get) -> LinkError {
        const LeafLayout layout = LeafLayout::of(link, static_cast<uint8_t>(code));
        if (!isNumberCode(static_cast<unsigned>(code)) || layout.wireSize <= 0)
            return LinkError{QKERR_GET_SEQUENCE};
        return getArray(link, get, layout, data, dims, heads, depth, nullptr);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetBinaryNumberArray0(QKLINK link, void** data, int32_t** dims, char*** heads,
                                       int32_t* depth, int32_t* code) noexcept try {
    if (data) *data = nullptr;
    return runGet(link, [&](GetState& get) -> LinkError {
        if (!code) return LinkError{QKERR_GET_SEQUENCE};
        LeafLayout layout;
        if (*code != 0) {
            layout = LeafLayout::of(link, static_cast<uint8_t>(*code));
            if (!isNumberCode(static_cast<unsigned>(*code)) || layout.wireSize <= 0)
                return LinkError{QKERR_GET_SEQUENCE};
        }
        uint8_t used = 0;
        const LinkError rc = getArray(link, get, layout, data, dims, heads, depth, &used);
        if (rc == 0) *code = used;
        return rc;
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void QKDisownByteArray(QKLINK link, unsigned char* data, int32_t*, char**, int32_t) noexcept
    try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownShortIntegerArray(QKLINK link, int16_t* data, int32_t*, char**,
                                      int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownIntegerArray(QKLINK link, int32_t* data, int32_t*, char**, int32_t) noexcept
    try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownLongIntegerArray(QKLINK link, int32_t* data, int32_t*, char**, int32_t) noexcept
    try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownFloatArray(QKLINK link, float* data, int32_t*, char**, int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownDoubleArray(QKLINK link, double* data, int32_t*, char**, int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownLongDoubleArray(QKLINK link, long double* data, int32_t*, char**,
                                    int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownBinaryNumberArray(QKLINK link, void* data, int32_t*, char**, int32_t,
                                      int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}

QK_API int32_t QKGetIntegerList(QKLINK link, int32_t** data, int32_t* count) noexcept try {
    return getList(link, codes().putInteger, reinterpret_cast<void**>(data), count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetRealList(QKLINK link, double** data, int32_t* count) noexcept try {
    return getList(link, codes().putDouble, reinterpret_cast<void**>(data), count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetBinaryNumberList(QKLINK link, void** data, int32_t* count,
                                     int32_t code) noexcept try {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return getList(link, static_cast<uint8_t>(code), data, count);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API void QKDisownIntegerList(QKLINK link, int32_t* data, int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownRealList(QKLINK link, double* data, int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
QK_API void QKDisownBinaryNumberList(QKLINK link, void* data, int32_t, int32_t) noexcept try {
    disown(link, data);
} catch (...) {
    corvinet::exportFailed(link);
}
