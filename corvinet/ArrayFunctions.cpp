// The exported list and array puts, and the list getters. Which number-type code each typed
// function uses is the build's (buildNumberFunctionCodes). Lists handed to the caller come from
// the environment and go back through the matching disown function.

#include "Environment.h"
#include "NumberConverter.h"
#include "WireCall.h"

#include <cstring>
#include <limits>

using namespace corvinet;

namespace {

const NumberFunctionCodes& codes() {
    return buildNumberFunctionCodes();
}

int32_t putArray(QKLINK link, uint8_t code, const void* data, const int32_t* dims,
                 const char* const* heads, int32_t depth) {
    return runPut(link, Gate::kConnect, [&](PutState& put) {
        return put.putArray(link, code, data, dims, heads, depth);
    });
}

int32_t putList(QKLINK link, uint8_t code, const void* data, int32_t count) {
    return runPut(link, Gate::kConnect,
                  [&](PutState& put) { return put.putList(link, code, data, count); });
}

// Long doubles travel as 10-byte extended values (0xD8) or as doubles; the caller's array of
// native long doubles is repacked first.
int32_t putLongDoubleArray(QKLINK link, const long double* data, const int32_t* dims,
                           const char* const* heads, int32_t depth) {
    const uint8_t code = codes().getLongDouble;
    int64_t leaves = 1;
    for (int32_t i = 0; dims && i < depth && leaves <= std::numeric_limits<int32_t>::max(); ++i)
        leaves *= dims[i];
    const bool valid = link && data && dims && depth >= 1 && leaves >= 0 &&
                       leaves <= std::numeric_limits<int32_t>::max();
    // Anything else the array put refuses with its own error.
    if (!valid) return putArray(link, code, data, dims, heads, depth);
    const std::size_t size = code == code::kExtended ? 10 : sizeof(double);
    auto* packed =
        static_cast<unsigned char*>(link->env()->allocate(static_cast<std::size_t>(leaves) * size));
    if (!packed) {
        link->setError(QKERR_OUT_OF_MEMORY);
        return 0;
    }
    for (int64_t i = 0; i < leaves; ++i) {
        if (code == code::kExtended) {
            encodeLongDouble(data[i], packed + i * size);
        } else {
            const double narrowed = static_cast<double>(data[i]);
            std::memcpy(packed + i * size, &narrowed, size);
        }
    }
    const int32_t ok = putArray(link, code, packed, dims, heads, depth);
    link->env()->free(packed);
    return ok;
}

// Reads a one-level list of numbers into memory from the environment. The buffer grows with the
// numbers that arrive, never by the count the peer announces.
int32_t getList(QKLINK link, uint8_t code, void** data, int32_t* count) {
    if (data) *data = nullptr;
    if (count) *count = 0;
    return runGet(link, [&](GetState& get) {
        const int size = wireSizeOf(link->features.converter, code);
        if (!data || !count || size <= 0) return int{QKERR_GET_SEQUENCE};
        uint8_t type = 0;
        if (const int rc = get.type(link, false, type)) return rc;
        if (GetState::tokenCode(type) != QKTOK_FUNCTION) return int{QKERR_GET_SEQUENCE};
        int64_t n = 0;
        if (const int rc = get.argCount(link, n)) return rc;
        const TextToken* head = nullptr;
        if (const int rc = get.holdText(link, true, head)) return rc;
        get.release();
        ByteVector values(PairAllocator<uint8_t>(link->linkEnv->memory));
        uint8_t value[16];
        for (int64_t i = 0; i < n; ++i) {
            if (const int rc = get.getNumber(link, code, value)) return rc;
            values.insert(values.end(), value, value + size);
        }
        void* result = link->env()->allocate(values.size());
        if (!result) return int{QKERR_OUT_OF_MEMORY};
        if (!values.empty()) std::memcpy(result, values.data(), values.size());
        *data = result;
        *count = static_cast<int32_t>(n);
        return 0;
    });
}

void disown(QKLINK link, const void* data) {
    if (link && data) link->env()->free(const_cast<void*>(data));
}

} // namespace

QK_API int32_t QKPutIntegerList(QKLINK link, const int32_t* data, int32_t count) {
    return putList(link, codes().putInteger, data, count);
}

QK_API int32_t QKPutRealList(QKLINK link, const double* data, int32_t count) {
    return putList(link, codes().putDouble, data, count);
}

QK_API int32_t QKPutBinaryNumberList(QKLINK link, const void* data, int32_t count, int32_t code) {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return putList(link, static_cast<uint8_t>(code), data, count);
}

QK_API int32_t QKPutByteArray(QKLINK link, const unsigned char* data, const int32_t* dims,
                              const char* const* heads, int32_t depth) {
    return putArray(link, code::kByte, data, dims, heads, depth);
}

QK_API int32_t QKPutShortIntegerArray(QKLINK link, const int16_t* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth) {
    return putArray(link, codes().getShortInteger, data, dims, heads, depth);
}

QK_API int32_t QKPutIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                 const char* const* heads, int32_t depth) {
    return putArray(link, codes().getInteger, data, dims, heads, depth);
}

QK_API int32_t QKPutLongIntegerArray(QKLINK link, const int32_t* data, const int32_t* dims,
                                     const char* const* heads, int32_t depth) {
    return putArray(link, codes().getLongInteger, data, dims, heads, depth);
}

QK_API int32_t QKPutFloatArray(QKLINK link, const float* data, const int32_t* dims,
                               const char* const* heads, int32_t depth) {
    return putArray(link, codes().getFloat, data, dims, heads, depth);
}

QK_API int32_t QKPutDoubleArray(QKLINK link, const double* data, const int32_t* dims,
                                const char* const* heads, int32_t depth) {
    return putArray(link, codes().getDouble, data, dims, heads, depth);
}

QK_API int32_t QKPutLongDoubleArray(QKLINK link, const long double* data, const int32_t* dims,
                                    const char* const* heads, int32_t depth) {
    return putLongDoubleArray(link, data, dims, heads, depth);
}

QK_API int32_t QKPutBinaryNumberArray(QKLINK link, const void* data, const int32_t* dims,
                                      const char* const* heads, int32_t depth, int32_t code) {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return putArray(link, static_cast<uint8_t>(code), data, dims, heads, depth);
}

QK_API int32_t QKGetIntegerList(QKLINK link, int32_t** data, int32_t* count) {
    return getList(link, codes().putInteger, reinterpret_cast<void**>(data), count);
}

QK_API int32_t QKGetRealList(QKLINK link, double** data, int32_t* count) {
    return getList(link, codes().putDouble, reinterpret_cast<void**>(data), count);
}

QK_API int32_t QKGetBinaryNumberList(QKLINK link, void** data, int32_t* count, int32_t code) {
    if (!isNumberCode(static_cast<unsigned>(code))) code = 0;
    return getList(link, static_cast<uint8_t>(code), data, count);
}

QK_API void QKDisownIntegerList(QKLINK link, int32_t* data, int32_t) {
    disown(link, data);
}
QK_API void QKDisownRealList(QKLINK link, double* data, int32_t) {
    disown(link, data);
}
QK_API void QKDisownBinaryNumberList(QKLINK link, void* data, int32_t, int32_t) {
    disown(link, data);
}
