#include "NumberConverter.h"

#include "NumberText.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace corvinet {
namespace {

// One value on its way between two codes.
struct Value {
    bool real;
    int64_t integer;
    double number;
};

template <typename T>
T loadAs(const unsigned char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void storeAs(unsigned char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

Value load(NumberKind kind, const unsigned char* p) {
    switch (kind) {
    case NumberKind::Byte:
        return {false, *p, 0};
    case NumberKind::Short:
        return {false, loadAs<int16_t>(p), 0};
    case NumberKind::Int:
        return {false, loadAs<int32_t>(p), 0};
    case NumberKind::Float:
        return {true, 0, loadAs<float>(p)};
    case NumberKind::Double:
        return {true, 0, loadAs<double>(p)};
    case NumberKind::Extended:
        return {true, 0, decodeExtended(p)};
    case NumberKind::None:
        break;
    }
    return {false, 0, 0};
}

// Rounds a real to the nearest integer, ties to even, when the result lies in [lo, hi].
bool roundInto(double d, int64_t lo, int64_t hi, int64_t& out) {
    if (!std::isfinite(d)) return false;
    const double r = std::nearbyint(d);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) return false;
    out = static_cast<int64_t>(r);
    return true;
}

int storeInteger(const Value& v, int64_t lo, int64_t hi, int64_t& out) {
    if (v.real) return roundInto(v.number, lo, hi, out) ? 0 : kConvertOverflow;
    if (v.integer < lo || v.integer > hi) return kConvertOverflow;
    out = v.integer;
    return 0;
}

constexpr uint32_t kFloatNaN = 0xFFC00000u;
constexpr uint64_t kDoubleNaN = 0xFFF8000000000000ull;
constexpr double kFloatLimit = 3.4028235e38;

int store(NumberKind kind, const Value& v, unsigned char* p) {
    int64_t i = 0;
    switch (kind) {
    case NumberKind::Byte:
        if (const int rc = storeInteger(v, 0, 255, i)) return rc;
        *p = static_cast<unsigned char>(i);
        return 0;
    case NumberKind::Short:
        if (const int rc = storeInteger(v, INT16_MIN, INT16_MAX, i)) return rc;
        storeAs(p, static_cast<int16_t>(i));
        return 0;
    case NumberKind::Int:
        if (const int rc = storeInteger(v, INT32_MIN, INT32_MAX, i)) return rc;
        storeAs(p, static_cast<int32_t>(i));
        return 0;
    case NumberKind::Float: {
        if (!v.real) {
            storeAs(p, static_cast<float>(v.integer));
            return 0;
        }
        if (std::isnan(v.number)) {
            storeAs(p, kFloatNaN);
            return 0;
        }
        if (!(std::fabs(v.number) <= kFloatLimit)) return kConvertOverflow;
        // Between FLT_MAX and the limit the value rounds to FLT_MAX; clamp so that the cast
        // never leaves the float range.
        const double clamped = std::clamp(v.number, -double{FLT_MAX}, double{FLT_MAX});
        storeAs(p, static_cast<float>(clamped));
        return 0;
    }
    case NumberKind::Double:
        if (!v.real) {
            storeAs(p, static_cast<double>(v.integer));
        } else if (std::isnan(v.number)) {
            storeAs(p, kDoubleNaN);
        } else {
            storeAs(p, v.number);
        }
        return 0;
    case NumberKind::Extended:
        encodeExtended(v.real ? v.number : static_cast<double>(v.integer), p);
        return 0;
    case NumberKind::None:
        break;
    }
    return kConvertUnsupported;
}

bool isTextType(unsigned t) {
    return t == '*' || t == '+' || t == 'I' || t == 'R';
}
bool isRealText(unsigned t) {
    return t == '*' || t == 'R';
}

} // namespace

const CodeEntry* NumberConverter::find(uint8_t c) const {
    for (const CodeEntry& e : m_codes)
        if (e.code == c) return &e;
    return nullptr;
}

int NumberConverter::sizeOf(uint8_t c) const {
    const CodeEntry* e = find(c);
    return e ? e->size : 0;
}

int NumberConverter::convertValues(uint8_t from, const void* src, uint8_t to, void* dst,
                                   int32_t& count) const {
    const CodeEntry* f = find(from);
    const CodeEntry* t = find(to);
    if (!f || !t || f->kind == NumberKind::None || t->kind == NumberKind::None || count < 0)
        return kConvertUnsupported;
    const auto* in = static_cast<const unsigned char*>(src);
    auto* out = static_cast<unsigned char*>(dst);
    if (f->kind == t->kind) {
        std::memcpy(out, in, static_cast<std::size_t>(count) * f->size);
        return 0;
    }
    for (int32_t n = 0; n < count; ++n) {
        const int rc = store(t->kind, load(f->kind, in + n * f->size), out + n * t->size);
        if (rc != 0) {
            count = n;
            return rc;
        }
    }
    return 0;
}

int NumberConverter::toText(uint8_t from, const void* src, char* out, std::size_t& length) const {
    const CodeEntry* f = find(from);
    if (!f || f->kind == NumberKind::None) return kConvertUnsupported;
    const Value v = load(f->kind, static_cast<const unsigned char*>(src));
    if (!v.real)
        length = formatInteger(v.integer, out);
    else
        length = formatReal(v.number, f->kind == NumberKind::Float ? 9 : 17, out);
    return 0;
}

int NumberConverter::fromText(unsigned char textType, const char* text, std::size_t length,
                              uint8_t to, void* dst, std::size_t& used) const {
    const CodeEntry* t = find(to);
    if (!t || t->kind == NumberKind::None || !isTextType(textType)) return kConvertUnsupported;
    Value v{false, 0, 0};
    int rc;
    if (isRealText(textType) || isRealCode(to)) {
        v.real = true;
        rc = parseReal(text, length, v.number, used);
        // An infinity spelled out is a value of its own, not an overflow.
        if (rc == 0 && t->kind == NumberKind::Float && std::isinf(v.number)) {
            storeAs(static_cast<unsigned char*>(dst), static_cast<float>(v.number));
            return 0;
        }
    } else {
        // Integer text: the value must fit the destination code, whatever its length.
        int64_t lo = INT32_MIN;
        int64_t hi = INT32_MAX;
        if (t->kind == NumberKind::Byte) lo = 0, hi = 255;
        if (t->kind == NumberKind::Short) lo = INT16_MIN, hi = INT16_MAX;
        rc = parseInteger(text, length, lo, hi, v.integer, used);
    }
    if (rc != 0) return rc;
    return store(t->kind, v, static_cast<unsigned char*>(dst));
}

int NumberConverter::convert(uint32_t flags, void* dst, void* src, int32_t* count) const {
    if (flags == 0) {
        if (src) std::memcpy(src, m_accepted.data(), sizeof m_accepted);
        if (dst && count && *count > 0) {
            const auto idLength = static_cast<int32_t>(std::strlen(m_numericsId));
            auto* out = static_cast<char*>(dst);
            std::memset(out, 0, static_cast<std::size_t>(*count));
            std::memcpy(out, m_numericsId, static_cast<std::size_t>(std::min(idLength, *count)));
            *count = std::min(idLength, *count);
        }
        return 0;
    }
    const auto from = static_cast<uint8_t>(flags);
    const auto to = static_cast<uint8_t>(flags >> 8);
    if (to == 0) return sizeOf(from);
    if (!count || !dst || !src) return kConvertUnsupported;

    if (isTextType(from) && isNumberCode(to)) {
        if (*count < 0) return kConvertUnsupported;
        std::size_t used = 0;
        const int rc = fromText(from, static_cast<const char*>(src),
                                static_cast<std::size_t>(*count), to, dst, used);
        *count = static_cast<int32_t>(used);
        return rc;
    }
    if (isNumberCode(from) && isTextType(to)) {
        char text[kMaxNumberText];
        std::size_t length = 0;
        if (const int rc = toText(from, src, text, length)) return rc;
        const auto room = static_cast<std::size_t>(std::min(*count, int32_t{255}));
        if (room < length + 1) return kConvertUnsupported;
        auto* out = static_cast<unsigned char*>(dst);
        const std::size_t start = room - length;
        std::memcpy(out + start, text, length);
        out[0] = static_cast<unsigned char>(start);
        *count = static_cast<int32_t>(length);
        return 0;
    }
    if (isNumberCode(from) && isNumberCode(to)) return convertValues(from, src, to, dst, *count);
    return kConvertUnsupported;
}

namespace {

constexpr NumberConverter kInterface2Converter(kCodeTable.subspan(0, kInterface2CodeCount),
                                               {0, 0x00000002, 0x01000000, 0x00500014}, "setter");

} // namespace

const NumberConverter& interface2NumberConverter() {
    return kInterface2Converter;
}

void encodeExtended(double value, unsigned char out[10]) {
    uint64_t mantissa = 0;
    uint16_t top = std::signbit(value) ? 0x8000 : 0;
    if (std::isnan(value)) {
        top = 0xFFFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        top |= 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int exponent = 0;
        const double fraction = std::frexp(std::fabs(value), &exponent); // in [0.5, 1)
        mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
        top |= static_cast<uint16_t>(exponent - 1 + 16383);
    }
    std::memcpy(out, &mantissa, 8);
    std::memcpy(out + 8, &top, 2);
}

double decodeExtended(const unsigned char in[10]) {
    uint64_t mantissa;
    uint16_t top;
    std::memcpy(&mantissa, in, 8);
    std::memcpy(&top, in + 8, 2);
    const bool negative = (top & 0x8000) != 0;
    const int exponent = top & 0x7FFF;
    double magnitude;
    if (exponent == 0x7FFF)
        magnitude = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                         : std::numeric_limits<double>::quiet_NaN();
    else
        magnitude = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return negative ? -magnitude : magnitude;
}

namespace {
constexpr bool kLongDoubleIsExtended =
    std::numeric_limits<long double>::digits == 64 && std::numeric_limits<long double>::is_iec559;
}

void encodeLongDouble(long double value, unsigned char out[10]) {
    if constexpr (kLongDoubleIsExtended)
        std::memcpy(out, &value, 10);
    else
        encodeExtended(static_cast<double>(value), out);
}

long double decodeLongDouble(const unsigned char in[10]) {
    if constexpr (kLongDoubleIsExtended) {
        long double value = 0;
        std::memcpy(&value, in, 10);
        return value;
    } else {
        return decodeExtended(in);
    }
}

} // namespace corvinet
