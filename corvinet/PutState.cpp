#include "PutState.h"

#include "LinkStream.h"
#include "NumberCodes.h"
#include "NumberConverter.h"
#include "NumberText.h"
#include "TextToken.h"
#include "TokenBytes.h"

#include <cstring>

namespace corvinet {
namespace {

bool textTypeContinues(uint8_t current) {
    return wire::isTextType(current);
}

} // namespace

LinkError PutState::writeCount(LinkStream& out, int64_t n, bool compactAllowed) {
    uint8_t field[21];
    const bool compact = compactAllowed && (m_peer.decoders & kDecodeCompactCounts) != 0;
    const uint8_t* end = wire::writeCount(field, n, compact);
    return out.putBytes(field, static_cast<std::size_t>(end - field));
}

LinkError PutState::announce(uint8_t type) {
    switch (m_phase) {
    case kIdle:
        break;
    case kTypeSet:
        if (type == m_type) return 0;
        if (isNumberCode(type) && textTypeOf(type) == m_type) return QKERR_PUT_SEQUENCE;
        if (type == wire::kString && textTypeContinues(m_type)) return 0;
        return QKERR_PUT_SEQUENCE;
    case kData:
        if (m_pending > 0) return QKERR_PUT_SEQUENCE;
        break;
    case kGathering:
        return QKERR_PUT_SEQUENCE;
    }
    m_phase = kTypeSet;
    m_type = type;
    m_pending = -1;
    return 0;
}

LinkError PutState::finish() {
    switch (m_phase) {
    case kIdle:
        return 0;
    case kData:
        if (m_pending > 0) return QKERR_PUT_SEQUENCE;
        m_phase = kIdle;
        return 0;
    case kTypeSet:
        return QKERR_PUT_SEQUENCE;
    case kGathering:
        break;
    }
    return QKERR_DESTROYED;
}

LinkError PutState::putArgCount(LinkStream& out, int64_t count) {
    const bool counted =
        m_type == wire::kFunction || m_type == wire::kArray || m_type == wire::kPackedRun;
    if (m_phase != kTypeSet || !counted || count < 0 || count > wire::kMaxCount)
        return QKERR_PUT_SEQUENCE;
    uint8_t header[1 + 21];
    header[0] = m_type;
    const bool compact = (m_peer.decoders & kDecodeCompactCounts) != 0;
    const uint8_t* end = wire::writeCount(header + 1, count, compact);
    if (const LinkError rc = out.putBytes(header, static_cast<std::size_t>(end - header)))
        return rc;
    m_phase = kData;
    m_pending = -1;
    return 0;
}

LinkError PutState::putFunction(LinkStream& out, const char* head, int64_t count) {
    if (const LinkError rc = announce(wire::kFunction)) return rc;
    if (const LinkError rc = putArgCount(out, count)) return rc;
    if (!head) head = "List";
    return putText(out, wire::kSymbol, {TextSource::k7Bit, head, std::strlen(head)});
}

LinkError PutState::putText(LinkStream& out, uint8_t type, const TextSource& source) {
    if (const LinkError rc = announce(type)) return rc;
    if (const LinkError rc = TextEncoder(m_peer).write(out, m_type, source)) return rc;
    m_phase = kIdle;
    return 0;
}

PutState::PutState(AllocatorPair memory, const LinkFeatures& peer)
    : m_peer(peer), m_memory(memory), m_gathered(PairAllocator<uint8_t>(memory)) {
    for (unsigned c = 0x80; c <= 0xFF; ++c) {
        const auto code = static_cast<uint8_t>(c);
        const int size = wireSizeOf(peer.converter, code);
        m_binarySize[c & 0x7F] = acceptsCode(peer.tokens, code) && size > 0 ? size : 0;
    }
}

LinkError PutState::putNumber(LinkStream& out, uint8_t code, const void* value) {
    // The common case, a number the peer takes in binary between whole tokens, goes straight
    // into the output buffer; it leaves the state as announcing and writing it would.
    const int binary = isNumberCode(code) ? m_binarySize[code & 0x7F] : 0;
    if (binary > 0 && (m_phase == kIdle || (m_phase == kData && m_pending <= 0))) {
        m_phase = kIdle;
        m_type = code;
        m_pending = -1;
        const auto length = static_cast<std::size_t>(binary) + 2;
        uint8_t token[1 + 16 + 1];
        uint8_t* at = out.writable(length);
        uint8_t* w = at ? at : token;
        w[0] = code;
        wire::copyNumberBytes(w + 1, value, binary);
        w[1 + binary] = wire::kTerminator;
        if (!at) return out.putBytes(token, length);
        out.commit(at + length);
        return 0;
    }

    const NumberConverter* converter = m_peer.converter;
    const int size = wireSizeOf(converter, code);
    const LinkError announced = announce(code);
    const bool asTextOfAnnounced =
        announced == QKERR_PUT_SEQUENCE && m_phase == kTypeSet && m_type == textTypeOf(code);
    if (announced != 0 && !asTextOfAnnounced) return announced;

    if (!asTextOfAnnounced && acceptsCode(m_peer.tokens, code) && size > 0) {
        m_phase = kIdle;
        uint8_t token[1 + 16 + 1];
        token[0] = code;
        std::memcpy(token + 1, value, static_cast<std::size_t>(size));
        token[1 + size] = wire::kTerminator;
        return out.putBytes(token, static_cast<std::size_t>(size) + 2);
    }

    if (!converter) return QKERR_UNKNOWN;
    char text[kMaxNumberText];
    std::size_t length = 0;
    if (const LinkError rc = converter->toText(code, value, text, length)) return rc;
    if (!asTextOfAnnounced) m_type = textTypeOf(code);
    const TextSource source{TextSource::k8Bit, text, length};
    if (const LinkError rc = TextEncoder(m_peer).write(out, m_type, source)) return rc;
    m_phase = kIdle;
    return 0;
}

LinkError PutState::putArrayForm(LinkStream& out, int64_t leaves, const ByteVector& shape) {
    if (const LinkError rc = announce(wire::kArray)) return rc;
    if (const LinkError rc = out.putByte(wire::kArray)) return rc;
    if (const LinkError rc = writeCount(out, leaves)) return rc;
    if (const LinkError rc = out.putByte(wire::kArrayData)) return rc;
    if (const LinkError rc = writeCount(out, static_cast<int64_t>(shape.size()))) return rc;
    if (const LinkError rc = out.putBytes(shape.data(), shape.size())) return rc;
    if (const LinkError rc = out.putByte(wire::kTerminator)) return rc;
    m_phase = kIdle;
    return 0;
}

LinkError PutState::putLeaves(LinkStream& out, uint8_t code, int size, const uint8_t* data,
                              int64_t count) {
    const bool packed = (m_peer.decoders & kDecodePackedRuns) && acceptsCode(m_peer.tokens, code);
    if (packed && count > 0) {
        if (const LinkError rc = out.putByte(wire::kPackedRun)) return rc;
        if (const LinkError rc = writeCount(out, count)) return rc;
        if (const LinkError rc = out.putByte(code)) return rc;
        const auto bytes = static_cast<std::size_t>(count) * static_cast<std::size_t>(size);
        if (const LinkError rc = out.putBytes(data, bytes)) return rc;
        return out.putByte(wire::kTerminator);
    }
    for (int64_t i = 0; i < count; ++i, data += size)
        if (const LinkError rc = putNumber(out, code, data)) return rc;
    return 0;
}

LinkError PutState::putRawSize(LinkStream& out, int64_t size) {
    if (m_phase != kTypeSet || m_type == wire::kFunction || size < 0 || size > wire::kMaxCount)
        return QKERR_PUT_SEQUENCE;
    m_phase = kData;
    m_declared = size;
    m_pending = size;
    m_headerOut = false;
    return size == 0 ? putRawData(out, nullptr, 0) : 0;
}

LinkError PutState::putRawData(LinkStream& out, const void* bytes, int64_t count) {
    if (m_phase != kData || m_type == wire::kFunction || m_pending < 0 || count < 0)
        return QKERR_PUT_SEQUENCE;
    if (count > m_pending) return QKERR_TOO_MUCH_DATA;
    if (!m_headerOut) {
        m_headerOut = true;
        if (const LinkError rc = out.putByte(m_type)) return rc;
        // The plain form's length is always decimal, as its oldest readers expect.
        if (!isNumberCode(m_type))
            if (const LinkError rc = writeCount(out, m_declared, !wire::isPlainTextType(m_type)))
                return rc;
    }
    if (count > 0)
        if (const LinkError rc = out.putBytes(bytes, static_cast<std::size_t>(count))) return rc;
    m_pending -= count;
    if (m_pending == 0) {
        m_pending = -1;
        m_headerOut = false;
        return out.putByte(wire::kTerminator);
    }
    return 0;
}

LinkError PutState::beginGathering(TextSource::Width width, int64_t expectedBytes) {
    if (m_phase != kTypeSet || !wire::isTextType(m_type)) return QKERR_PUT_SEQUENCE;
    m_phase = kGathering;
    m_width = width;
    m_pending = expectedBytes;
    m_gathered.clear();
    return 0;
}

LinkError PutState::declareTextSize(int64_t bytes) {
    if (bytes < 0 || bytes > wire::kMaxCount) return QKERR_PUT_SEQUENCE;
    return beginGathering(TextSource::k7Bit, bytes);
}

LinkError PutState::putTextData(LinkStream& out, const void* bytes, int64_t count) {
    if (m_phase != kGathering || m_pending < 0 || count < 0) return QKERR_PUT_SEQUENCE;
    if (count > m_pending) return QKERR_TOO_MUCH_DATA;
    const auto* p = static_cast<const uint8_t*>(bytes);
    m_gathered.insert(m_gathered.end(), p, p + count);
    m_pending -= count;
    return m_pending == 0 ? writeGathered(out) : 0;
}

LinkError PutState::putTextPiece(LinkStream& out, TextSource::Width width, const void* data,
                                 int64_t units, int64_t charactersLeft) {
    if (units < 0 || charactersLeft < 0) return QKERR_PUT_SEQUENCE;
    if (m_phase == kTypeSet) {
        if (const LinkError rc = beginGathering(width, -1)) return rc;
    } else if (m_phase != kGathering || m_pending >= 0 || m_width != width) {
        return QKERR_PUT_SEQUENCE;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    const int64_t bytes = width == TextSource::k16Bit ? units * 2 : units;
    m_gathered.insert(m_gathered.end(), p, p + bytes);
    return charactersLeft == 0 ? writeGathered(out) : 0;
}

LinkError PutState::writeGathered(LinkStream& out) {
    const std::size_t units =
        m_width == TextSource::k16Bit ? m_gathered.size() / 2 : m_gathered.size();
    const TextSource source{m_width, m_gathered.data(), units};
    const LinkError rc = TextEncoder(m_peer).write(out, m_type, source, true);
    m_gathered.clear();
    m_phase = kIdle;
    m_pending = -1;
    return rc;
}

LinkError PutState::endPacket(LinkStream& out) {
    if (finish() != 0) return QKERR_END_PACKET;
    return out.putByte(wire::kEndOfPacket);
}

} // namespace corvinet
