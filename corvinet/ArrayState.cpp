#include "ArrayState.h"

#include "GetState.h"
#include "Link.h"
#include "NumberCodes.h"
#include "NumberConverter.h"
#include "PutState.h"
#include "TokenBytes.h"

#include <algorithm>
#include <cstring>

namespace corvinet {
namespace {

class VectorSink final : public ByteSink {
public:
    explicit VectorSink(ByteVector& out) : m_out(out) {}
    LinkError putBytes(const void* bytes, std::size_t count) override {
        const auto* p = static_cast<const uint8_t*>(bytes);
        m_out.insert(m_out.end(), p, p + count);
        return 0;
    }

private:
    ByteVector& m_out;
};

} // namespace

LinkError ArrayState::addLevel(int64_t dimension, ByteVector head, int overflow) {
    if (dimension < 0) return overflow;
    const int64_t product = (dims.empty() ? 1 : leaves) * dimension;
    if (product > wire::kMaxCount) return overflow;
    leaves = product;
    dims.push_back(static_cast<int32_t>(dimension));
    head.push_back(0);
    heads.push_back(std::move(head));
    return 0;
}

LinkError ArrayState::setShape(const int32_t* dimensions, const char* const* headNames,
                               int32_t depth) {
    dims.clear();
    heads.clear();
    leaves = done = 0;
    if (!dimensions || depth < 1) return QKERR_PUT_SEQUENCE;
    for (int32_t i = 0; i < depth; ++i) {
        const char* name = headNames && headNames[i] ? headNames[i] : "List";
        ByteVector head(name, name + std::strlen(name), PairAllocator<uint8_t>(m_memory));
        if (const LinkError rc = addLevel(dimensions[i], std::move(head), QKERR_PUT_SEQUENCE))
            return rc;
    }
    return 0;
}

int32_t ArrayState::firstNewLevel() const {
    int64_t k = done;
    auto level = static_cast<int32_t>(dims.size());
    while (level > 1 && k % dims[static_cast<std::size_t>(level - 1)] == 0) {
        k /= dims[static_cast<std::size_t>(level - 1)];
        --level;
    }
    return done == 0 ? depth() : level;
}

// ---- Get side -------------------------------------------------------------------------------

LinkError ArrayState::readShape(LinkStream& in, GetState& get) {
    dims.clear();
    heads.clear();
    leaves = done = 0;
    code = 0;
    for (;;) {
        uint8_t type = 0;
        if (const LinkError rc = get.type(in, false, type)) return rc;
        if (GetState::tokenCode(type) != QKTOK_FUNCTION)
            return dims.empty() ? QKERR_GET_SEQUENCE : 0;
        int64_t n = 0;
        if (const LinkError rc = get.argCount(in, n)) return rc;
        const TextToken* text = nullptr;
        if (const LinkError rc = get.holdText(in, true, text)) return rc;
        ByteVector head{PairAllocator<uint8_t>(m_memory)};
        text->to7Bit(head);
        get.release();
        if (const LinkError rc = addLevel(n, std::move(head), QKERR_INCONSISTENT_DATA)) return rc;
        if (n == 0) break;
    }
    // No leaves: the empty functions that follow the first one are part of the array too.
    const int32_t empty = depth() - 1;
    int64_t units = 1;
    for (int32_t level = 0; level < empty; ++level)
        units *= dims[static_cast<std::size_t>(level)];
    for (int64_t k = 1; k < units; ++k) {
        int64_t rest = k;
        int32_t first = empty;
        while (first > 1 && rest % dims[static_cast<std::size_t>(first - 1)] == 0)
            rest /= dims[static_cast<std::size_t>(--first)];
        for (int32_t level = first; level <= empty; ++level)
            if (const LinkError rc = expectFunction(in, get, level)) return rc;
    }
    return 0;
}

LinkError ArrayState::expectFunction(LinkStream& in, GetState& get, int32_t level) {
    uint8_t type = 0;
    if (const LinkError rc = get.type(in, false, type)) return rc;
    if (GetState::tokenCode(type) != QKTOK_FUNCTION) return QKERR_GET_SEQUENCE;
    int64_t n = 0;
    if (const LinkError rc = get.argCount(in, n)) return rc;
    if (n != dims[static_cast<std::size_t>(level)]) return QKERR_GET_SEQUENCE;
    const TextToken* text = nullptr;
    if (const LinkError rc = get.holdText(in, true, text)) return rc;
    ByteVector head{PairAllocator<uint8_t>(m_memory)};
    text->to7Bit(head);
    head.push_back(0);
    get.release();
    return head == heads[static_cast<std::size_t>(level)] ? 0 : QKERR_GET_SEQUENCE;
}

LinkError ArrayState::peekLeafCode(LinkStream& in, GetState& get, uint8_t& leafCode) {
    leafCode = 0;
    if (leavesLeft() <= 0) return 0;
    uint8_t type = 0;
    if (const LinkError rc = get.type(in, false, type)) return rc;
    if (isNumberCode(type)) {
        leafCode = type;
    } else {
        const int token = GetState::tokenCode(type);
        if (token != QKTOK_INTEGER && token != QKTOK_REAL) return QKERR_GET_SEQUENCE;
        const NumberFunctionCodes& codes = buildNumberFunctionCodes();
        leafCode = token == QKTOK_REAL ? codes.getDouble : codes.getInteger;
    }
    return 0;
}

LinkError ArrayState::readLeaves(LinkStream& in, GetState& get, uint8_t leafCode, int size,
                                 uint8_t* out, int64_t count) {
    if (count > leavesLeft()) return QKERR_GET_SEQUENCE;
    const int64_t row = dims.empty() ? 1 : dims.back();
    while (count > 0) {
        for (int32_t level = firstNewLevel(); level < depth(); ++level)
            if (const LinkError rc = expectFunction(in, get, level)) return rc;
        // Leaves of a packed run go in one move, up to the end of their row.
        int64_t taken = 0;
        const int64_t rowLeft = row - done % row;
        if (const LinkError rc = get.takeRun(in, leafCode, out, std::min(count, rowLeft), taken))
            return rc;
        if (taken == 0) {
            if (const LinkError rc = get.getNumber(in, leafCode, out)) return rc;
            taken = 1;
        }
        done += taken;
        count -= taken;
        out += taken * size;
    }
    return 0;
}

// ---- Put side -------------------------------------------------------------------------------

LinkError ArrayState::writeFrame(LinkStream& out, PutState& put) {
    done = 0;
    arrayForm = (put.peer().decoders & kDecodeArrays) != 0;
    if (!arrayForm) {
        if (leaves == 0) return writeEmptyLevels(out, put, 0);
        for (int32_t level = 0; level < depth(); ++level)
            if (const LinkError rc = put.putFunction(out, head(level), dims[std::size_t(level)]))
                return rc;
        return 0;
    }
    // The shape: one function token per level, then the shape's end.
    ByteVector shape{PairAllocator<uint8_t>(m_memory)};
    VectorSink sink(shape);
    const TextEncoder encoder(put.peer());
    const bool compact = (put.peer().decoders & kDecodeCompactCounts) != 0;
    for (int32_t level = 0; level < depth(); ++level) {
        uint8_t field[22];
        field[0] = wire::kFunction;
        const uint8_t* end = wire::writeCount(field + 1, dims[std::size_t(level)], compact);
        if (const LinkError rc = sink.putBytes(field, static_cast<std::size_t>(end - field)))
            return rc;
        const char* name = head(level);
        const TextSource symbol{TextSource::k7Bit, name, std::strlen(name)};
        if (const LinkError rc = encoder.write(sink, wire::kSymbol, symbol)) return rc;
    }
    shape.push_back(wire::kShapeEnd);
    return put.putArrayForm(out, leaves, shape);
}

LinkError ArrayState::writeEmptyLevels(LinkStream& out, PutState& put, int32_t level) {
    const int32_t dimension = dims[static_cast<std::size_t>(level)];
    if (const LinkError rc = put.putFunction(out, head(level), dimension)) return rc;
    if (level + 1 == depth()) return 0;
    for (int32_t i = 0; i < dimension; ++i)
        if (const LinkError rc = writeEmptyLevels(out, put, level + 1)) return rc;
    return 0;
}

LinkError ArrayState::writeLeaves(LinkStream& out, PutState& put, uint8_t leafCode, int size,
                                  const uint8_t* data, int64_t count) {
    if (count > leavesLeft()) return QKERR_TOO_MUCH_DATA;
    while (count > 0) {
        int64_t n = count;
        if (!arrayForm) {
            for (int32_t level = firstNewLevel(); level < depth(); ++level)
                if (const LinkError rc =
                        put.putFunction(out, head(level), dims[std::size_t(level)]))
                    return rc;
            const int64_t row = dims.back();
            n = std::min(count, row - done % row);
        }
        if (const LinkError rc = put.putLeaves(out, leafCode, size, data, n)) return rc;
        data += n * size;
        done += n;
        count -= n;
    }
    return 0;
}

LeafLayout LeafLayout::of(QKLINK link, uint8_t code) {
    LeafLayout layout;
    if (!link || !isNumberCode(code)) return layout;
    layout.code = code;
    layout.wireSize = std::max(wireSizeOf(link->features.converter, code), 0);
    layout.nativeSize = static_cast<std::size_t>(layout.wireSize);
    return layout;
}

LeafLayout LeafLayout::longDoubles(QKLINK link) {
    LeafLayout layout = of(link, buildNumberFunctionCodes().getLongDouble);
    layout.nativeSize = sizeof(long double);
    layout.longDouble = true;
    return layout;
}

void LeafLayout::toNative(const uint8_t* wire, void* native, int64_t count) const {
    auto* out = static_cast<uint8_t*>(native);
    if (!longDouble) {
        if (count > 0) std::memcpy(out, wire, static_cast<std::size_t>(count) * nativeSize);
        return;
    }
    for (int64_t i = 0; i < count; ++i, wire += wireSize, out += nativeSize) {
        long double value;
        if (code == code::kExtended) {
            value = decodeLongDouble(wire);
        } else {
            double narrow;
            std::memcpy(&narrow, wire, sizeof narrow);
            value = narrow;
        }
        std::memcpy(out, &value, sizeof value);
    }
}

void LeafLayout::toWire(const void* native, uint8_t* wire, int64_t count) const {
    const auto* in = static_cast<const uint8_t*>(native);
    if (!longDouble) {
        if (count > 0) std::memcpy(wire, in, static_cast<std::size_t>(count) * nativeSize);
        return;
    }
    for (int64_t i = 0; i < count; ++i, wire += wireSize, in += nativeSize) {
        long double value;
        std::memcpy(&value, in, sizeof value);
        if (code == code::kExtended) {
            encodeLongDouble(value, wire);
        } else {
            const double narrow = static_cast<double>(value);
            std::memcpy(wire, &narrow, sizeof narrow);
        }
    }
}

QKArrayStateRecord* renewArrayState(QKLINK link, QKArrayStateRecord* QKLinkRecord::*slot) {
    releaseArrayState(link, slot);
    link->*slot = link->linkEnv->memory.make<QKArrayStateRecord>(link->linkEnv->memory);
    return link->*slot;
}

void releaseArrayState(QKLINK link, QKArrayStateRecord* QKLinkRecord::*slot) {
    if (QKArrayStateRecord* state = link->*slot) {
        state->valid = 0;
        link->linkEnv->memory.destroy(state);
        link->*slot = nullptr;
    }
    if (slot == &QKLinkRecord::putArray) link->putArraySource = nullptr;
}

LinkError putArray(LinkStream& out, PutState& put, uint8_t code, const void* data,
                   const int32_t* dims, const char* const* heads, int32_t depth) {
    const int size = wireSizeOf(put.peer().converter, code);
    if (size <= 0) return QKERR_BAD_TOKEN;
    ArrayState shape(put.memory());
    if (const LinkError rc = shape.setShape(dims, heads, depth)) return rc;
    if (!data && shape.leaves > 0) return QKERR_PUT_SEQUENCE;
    if (const LinkError rc = shape.writeFrame(out, put)) return rc;
    return shape.writeLeaves(out, put, code, size, static_cast<const uint8_t*>(data), shape.leaves);
}

LinkError putList(LinkStream& out, PutState& put, uint8_t code, const void* data, int32_t count) {
    if (count < 0 || (!data && count > 0)) return QKERR_PUT_SEQUENCE;
    if (count >= kListArrayThreshold) return putArray(out, put, code, data, &count, nullptr, 1);
    const int size = wireSizeOf(put.peer().converter, code);
    if (size <= 0) return QKERR_BAD_TOKEN;
    if (const LinkError rc = put.putFunction(out, nullptr, count)) return rc;
    return put.putLeaves(out, code, size, static_cast<const uint8_t*>(data), count);
}

} // namespace corvinet
