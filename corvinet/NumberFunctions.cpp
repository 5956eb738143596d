// The exported typed number puts and gets. Which number-type code each uses is the build's
// (buildNumberFunctionCodes); the long double functions carry 80-bit extended values where the
// code is 0xD8 and doubles otherwise.

#include "EngineGate.h"
#include "ExportGuard.h"
#include "NumberConverter.h"

using namespace corvinet;

namespace {

const NumberFunctionCodes& codes() {
    return buildNumberFunctionCodes();
}

int32_t put(QKLINK link, uint8_t code, const void* value) {
    return runPut(link, Gate::kConnect, [&](PutState& state) -> LinkError {
        return state.putNumber(link->stream, code, value);
    });
}

int32_t get(QKLINK link, uint8_t code, void* value) {
    return runGet(link, [&](GetState& state) -> LinkError {
        if (!value) return LinkError{QKERR_GET_SEQUENCE};
        return state.getNumber(link->stream, code, value);
    });
}

} // namespace

QK_API int32_t QKPutInteger(QKLINK link, int32_t value) noexcept try {
    return put(link, codes().putInteger, &value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutShortInteger(QKLINK link, int32_t value) noexcept try {
    return put(link, codes().putInteger, &value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutLongInteger(QKLINK link, int32_t value) noexcept try {
    return put(link, codes().putLongInteger, &value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutDouble(QKLINK link, double value) noexcept try {
    return put(link, codes().putDouble, &value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutFloat(QKLINK link, double value) noexcept try {
    return put(link, codes().putDouble, &value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKPutLongDouble(QKLINK link, long double value) noexcept try {
    const uint8_t code = codes().putLongDouble;
    if (code == code::kExtended) {
        unsigned char bytes[10];
        encodeLongDouble(value, bytes);
        return put(link, code, bytes);
    }
    const double narrowed = static_cast<double>(value);
    return put(link, code, &narrowed);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetShortInteger(QKLINK link, int16_t* value) noexcept try {
    return get(link, codes().getShortInteger, value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetInteger(QKLINK link, int32_t* value) noexcept try {
    return get(link, codes().getInteger, value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetLongInteger(QKLINK link, int32_t* value) noexcept try {
    return get(link, codes().getLongInteger, value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetFloat(QKLINK link, float* value) noexcept try {
    return get(link, codes().getFloat, value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetDouble(QKLINK link, double* value) noexcept try {
    return get(link, codes().getDouble, value);
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetLongDouble(QKLINK link, long double* value) noexcept try {
    if (!value) return get(link, codes().getLongDouble, nullptr);
    const uint8_t code = codes().getLongDouble;
    if (code == code::kExtended) {
        unsigned char bytes[10];
        if (!get(link, code, bytes)) return 0;
        *value = decodeLongDouble(bytes);
        return 1;
    }
    double narrow = 0;
    if (!get(link, code, &narrow)) return 0;
    *value = narrow;
    return 1;
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}

QK_API int32_t QKGetBinaryNumber(QKLINK link, void* value, int32_t code) noexcept try {
    return runGet(link, [&](GetState& state) -> LinkError {
        if (!value || !isNumberCode(static_cast<unsigned>(code)))
            return LinkError{QKERR_GET_SEQUENCE};
        return state.getNumber(link->stream, static_cast<uint8_t>(code), value);
    });
} catch (...) {
    return corvinet::exportFailed<int32_t>(link);
}
