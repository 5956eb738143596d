#include "GetState.h"

#include "CharacterEscapes.h"
#include "LinkStream.h"
#include "NumberCodes.h"
#include "NumberConverter.h"
#include "TokenBytes.h"

#include <algorithm>
#include <cstring>

namespace corvinet {
namespace {

constexpr int kReadRetries = 2; // a read that reports 25 is tried this many more times

// Tokens that carry an argument count and no data.
bool isCountToken(uint8_t t) {
    return t == wire::kFunction || t == wire::kArray;
}

// Tokens that may stand as an array's leaves.
bool isNumberToken(uint8_t t) {
    return isNumberCode(t) || t == wire::kIntegerText || t == wire::kRealText ||
           t == wire::kPlainInteger || t == wire::kPlainReal;
}

} // namespace

int GetState::tokenCode(uint8_t t) {
    if (isNumberCode(t)) return isRealCode(t) ? QKTOK_REAL : QKTOK_INTEGER;
    if (t == wire::kArray) return QKTOK_FUNCTION;
    if (wire::isPlainTextType(t)) return wire::textTypeOfPlain(t);
    return t;
}

uint8_t GetState::reportedRawType() const {
    const bool number =
        isNumberCode(m_type) || m_type == wire::kPlainInteger || m_type == wire::kPlainReal;
    if (m_phase == kCounted && number) return static_cast<uint8_t>(tokenCode(m_type));
    return m_type;
}

LinkError GetState::readByte(LinkStream& in, uint8_t& b) {
    LinkError rc = in.getByte(b);
    for (int i = 0; rc == QKERR_ABORTED && i < kReadRetries; ++i)
        rc = in.getByte(b);
    return rc;
}

LinkError GetState::readCount(LinkStream& in, int64_t& n, int64_t* fieldBytes) {
    uint8_t b;
    if (const LinkError rc = readByte(in, b)) return rc;
    if (b & 0x40) {
        n = b & 0x3F;
        if (fieldBytes) *fieldBytes = 1;
        return 0;
    }
    int64_t value = 0;
    int64_t bytes = 0;
    for (; b >= '0' && b <= '9'; ++bytes) {
        value = value * 10 + (b - '0');
        if (value > wire::kMaxCount) return QKERR_INCONSISTENT_DATA;
        if (const LinkError rc = readByte(in, b)) return rc;
    }
    if (b != ' ' || bytes == 0) return QKERR_INCONSISTENT_DATA;
    n = value;
    if (fieldBytes) *fieldBytes = bytes + 1;
    return 0;
}

LinkError GetState::readTerminator(LinkStream& in) {
    uint8_t b;
    if (const LinkError rc = readByte(in, b)) return rc;
    return wire::isTerminator(b) ? 0 : QKERR_INCONSISTENT_DATA;
}

GetState::GetState(AllocatorPair memory, const NumberConverter* converter)
    : m_memory(memory), m_converter(converter), m_text(memory),
      m_counted(PairAllocator<uint8_t>(memory)), m_arrayDims(PairAllocator<int64_t>(memory)),
      m_arrayLeft(PairAllocator<int64_t>(memory)), m_arrayHeads(PairAllocator<TextToken>(memory)) {
    for (unsigned c = 0x80; c <= 0xFF; ++c)
        m_numberSizes[c & 0x7F] =
            static_cast<int8_t>(wireSizeOf(converter, static_cast<uint8_t>(c)));
}

int GetState::numberSize(uint8_t code) const {
    return isNumberCode(code) ? m_numberSizes[code & 0x7F] : wireSizeOf(m_converter, code);
}

bool GetState::isTokenWithTerminator() const {
    if (isNumberCode(m_type)) return m_runLeft == 0;
    return !isCountToken(m_type);
}

LinkError GetState::readTypeByte(LinkStream& in) {
    m_heldNumber = false;
    m_synthetic = false;
    m_counted.clear();
    m_countedPos = 0;
    if (m_arrayActive && m_arrayNext != kArrayLeaf) {
        m_owed = std::max<int64_t>(m_owed, 1) - 1;
        return nextArrayToken();
    }
    uint8_t b;
    if (m_runLeft > 0) {
        --m_runLeft;
        b = m_runCode;
    } else {
        for (;;) {
            if (const LinkError rc = readByte(in, b)) return rc;
            // A newline or `]` where an expression is still owed ends the packet early; where
            // none is owed it is skipped, like the other terminators anywhere.
            if (b == wire::kTerminator || b == wire::kEndOfPacket) {
                if (m_owed > 0) return QKERR_END_OF_PACKET;
                continue;
            }
            if (wire::isTerminator(b) || b == wire::kIgnored) continue;
            if (b != wire::kPackedRun) break;
            int64_t n;
            if (const LinkError rc = readCount(in, n)) return rc;
            uint8_t code;
            if (const LinkError rc = readByte(in, code)) return rc;
            if (!isNumberCode(code) || numberSize(code) < 0) return QKERR_INCONSISTENT_DATA;
            if (n == 0) {
                if (const LinkError rc = readTerminator(in)) return rc;
                continue;
            }
            m_runCode = code;
            m_runLeft = n - 1;
            b = code;
            break;
        }
    }
    if (b == 0) return QKERR_DESTROYED;
    // `D` is a token only where a raw-read array's shape block comes.
    const bool known = wire::isTextType(b) || wire::isPlainTextType(b) || isCountToken(b) ||
                       wire::isPassThrough(b) || isNumberCode(b) ||
                       (b == wire::kArrayData && m_rawArrayData);
    if (!known) return QKERR_INCONSISTENT_DATA;
    // A code whose size works out to 0 is a number of no bytes.
    if (isNumberCode(b) && numberSize(b) < 0) return QKERR_INCONSISTENT_DATA;
    if (const LinkError rc = checkArrayMember(b)) return rc;
    m_type = b;
    m_owed = std::max<int64_t>(m_owed, 1) - 1;
    m_phase = kFresh;
    m_remaining = -1;
    return 0;
}

// Inside an array only its own parts may come: in the mapped view its leaves (the functions
// and heads come from the shape), in the raw view its `D` token and then its leaves.
LinkError GetState::checkArrayMember(uint8_t b) {
    if (m_rawArrayData) {
        if (b != wire::kArrayData) return QKERR_INCONSISTENT_DATA;
        m_rawArrayData = false;
        return 0;
    }
    if (!m_arrayActive && m_rawArrayLeaves == 0) return 0;
    if (!isNumberToken(b)) return QKERR_INCONSISTENT_DATA;
    if (m_arrayActive)
        arrayChildDone();
    else
        --m_rawArrayLeaves;
    return 0;
}

// An array token's size is its count field, read raw: the `D` token and the leaves follow as
// the head and the arguments of a function would. The mapped view never gets here: it turns
// the array into its function form first (enterArray).
LinkError GetState::readSize(LinkStream& in) {
    if (m_phase != kFresh) return 0;
    if (isCountToken(m_type)) {
        int64_t n = m_argCount;
        if (!m_synthetic)
            if (const LinkError rc = readCount(in, n)) return rc;
        m_argCount = n;
        m_owed += 1 + n;
        m_remaining = 0;
        if (m_type == wire::kArray) {
            m_rawArrayData = true;
            m_rawArrayLeaves = n;
        }
    } else if (isNumberCode(m_type)) {
        m_remaining = numberSize(m_type);
    } else {
        if (const LinkError rc = readCount(in, m_remaining)) return rc;
    }
    m_size = m_remaining;
    m_phase = kSized;
    return 0;
}

LinkError GetState::readArrayFrame(LinkStream& in) {
    int64_t leaves = 0;
    if (const LinkError rc = readCount(in, leaves)) return rc;
    uint8_t b;
    if (const LinkError rc = readByte(in, b)) return rc;
    if (b != wire::kArrayData) return QKERR_INCONSISTENT_DATA;
    if (const LinkError rc = readCount(in, m_remaining)) return rc;
    ByteVector shape(PairAllocator<uint8_t>{m_memory});
    if (const LinkError rc = readBounded(in, m_remaining, shape)) return rc;
    if (const LinkError rc = readTerminator(in)) return rc;

    // The shape: per level `F`, the dimension, the head symbol; then `.`.
    m_arrayDims.clear();
    m_arrayHeads.clear();
    const uint8_t* p = shape.data();
    const uint8_t* end = p + shape.size();
    int64_t product = 1;
    while (p < end && *p == wire::kFunction) {
        ++p;
        int64_t dim = 0;
        int64_t length = 0;
        if (!wire::parseCount(p, end, dim) || p >= end || *p++ != wire::kSymbol ||
            !wire::parseCount(p, end, length) || length >= end - p ||
            !wire::isTerminator(p[length]))
            return QKERR_INCONSISTENT_DATA;
        TextToken head(m_memory);
        head.characters.assign(p, p + length);
        if (const LinkError rc = head.parseWire()) return rc;
        p += length + 1;
        product *= dim;
        if (product > wire::kMaxCount) return QKERR_INCONSISTENT_DATA;
        m_arrayDims.push_back(dim);
        m_arrayHeads.push_back(std::move(head));
    }
    if (m_arrayDims.empty() || p + 1 != end || *p != wire::kShapeEnd || product != leaves)
        return QKERR_INCONSISTENT_DATA;
    m_arrayLeft.clear();
    m_arrayNext = kArrayFunction;
    m_arrayActive = true;
    return 0;
}

// Turns the undecided array token in hand into its function form: reads the frame and makes the
// outermost function the token in hand (the owed count took the array's one when `A` was read).
LinkError GetState::enterArray(LinkStream& in) {
    if (const LinkError rc = readArrayFrame(in)) return rc;
    return nextArrayToken();
}

LinkError GetState::nextArrayToken() {
    m_remaining = -1;
    if (m_arrayNext == kArrayFunction) {
        const int64_t dim = m_arrayDims[m_arrayLeft.size()];
        m_type = wire::kFunction;
        m_synthetic = true;
        m_argCount = dim;
        m_arrayLeft.push_back(dim);
        m_arrayNext = kArrayHead;
        m_phase = kFresh;
        return 0;
    }
    m_type = wire::kSymbol;
    m_text = m_arrayHeads[m_arrayLeft.size() - 1];
    m_size = m_remaining = 0;
    m_phase = kHeld;
    if (m_arrayLeft.back() == 0) {
        m_arrayLeft.pop_back();
        arrayChildDone();
    } else {
        m_arrayNext = m_arrayLeft.size() == m_arrayDims.size() ? kArrayLeaf : kArrayFunction;
    }
    return 0;
}

void GetState::arrayChildDone() {
    while (!m_arrayLeft.empty()) {
        if (--m_arrayLeft.back() > 0) {
            m_arrayNext = m_arrayLeft.size() == m_arrayDims.size() ? kArrayLeaf : kArrayFunction;
            return;
        }
        m_arrayLeft.pop_back();
    }
    m_arrayActive = false;
}

LinkError GetState::skipRemaining(LinkStream& in) {
    uint8_t scratch[128];
    while (m_remaining > 0) {
        const auto piece = static_cast<std::size_t>(std::min<int64_t>(m_remaining, sizeof scratch));
        const std::size_t got = in.getBytes(scratch, piece);
        m_remaining -= static_cast<int64_t>(got);
        if (got < piece) return in.lastError() ? in.lastError() : QKERR_INCONSISTENT_DATA;
    }
    return 0;
}

LinkError GetState::finish(LinkStream& in, View view) {
    switch (m_phase) {
    case kIdle:
        return 0;
    case kFresh:
        if (m_type == wire::kArray && view == View::kMapped)
            if (const LinkError rc = enterArray(in)) return rc;
        if (const LinkError rc = readSize(in)) return rc;
        [[fallthrough]];
    case kSized:
        if (const LinkError rc = skipRemaining(in)) return rc;
        if (isTokenWithTerminator())
            if (const LinkError rc = readTerminator(in)) return rc;
        break;
    case kHeld:
    case kCounted:
        break;
    }
    release();
    return 0;
}

void GetState::release() {
    m_phase = kIdle;
    m_heldNumber = false;
    m_heldTaken = 0;
    m_text.characters.clear();
    m_counted.clear();
    m_countedPos = 0;
}

LinkError GetState::type(LinkStream& in, bool advance, uint8_t& rawType, View view) {
    if (advance) {
        if (const LinkError rc = finish(in, view)) return rc;
    }
    // A token whose data is all read is complete (a function token once its count is taken,
    // a token of no data bytes once they were counted): what is left of it, its terminator, is
    // taken and the next type byte read.
    if (m_phase == kSized && m_remaining == 0)
        if (const LinkError rc = finish(in, view)) return rc;
    if (m_phase == kIdle)
        if (const LinkError rc = readTypeByte(in)) return rc;
    rawType = m_type;
    return 0;
}

LinkError GetState::argCount(LinkStream& in, int64_t& count, View view) {
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    if (!isCountToken(m_type) || m_phase == kHeld || m_phase == kCounted) return QKERR_GET_SEQUENCE;
    if (m_type == wire::kArray && view == View::kMapped)
        if (const LinkError rc = enterArray(in)) return rc;
    if (const LinkError rc = readSize(in)) return rc;
    count = m_argCount;
    release();
    return 0;
}

LinkError GetState::readBounded(LinkStream& in, int64_t count, ByteVector& out) {
    // Grows with what arrives, never by what the peer announces.
    constexpr int64_t kStep = 1 << 16;
    while (count > 0) {
        const auto piece = static_cast<std::size_t>(std::min(count, kStep));
        const std::size_t at = out.size();
        out.resize(at + piece);
        const std::size_t got = in.getBytes(out.data() + at, piece);
        m_remaining -= static_cast<int64_t>(got);
        count -= static_cast<int64_t>(got);
        if (got < piece) {
            out.resize(at + got);
            return in.lastError() ? in.lastError() : QKERR_INCONSISTENT_DATA;
        }
    }
    return 0;
}

LinkError GetState::holdTextPayload(LinkStream& in) {
    TextToken& t = m_text;
    t.characters.clear();
    if (wire::isPlainTextType(m_type)) {
        // Plain form: the bytes themselves; numbers in it are number text.
        const bool number = m_type == wire::kPlainInteger || m_type == wire::kPlainReal;
        t.encoding = number ? 'B' : 0;
        t.identifier = wire::kTextIdentifier;
        t.headerSize = 0;
        if (const LinkError rc = readBounded(in, m_remaining, t.characters)) return rc;
        t.count = number ? static_cast<int64_t>(t.characters.size()) : -1;
        return 0;
    }
    if (const LinkError rc = readBounded(in, m_remaining, t.characters)) return rc;
    return t.parseWire();
}

bool GetState::holdTextInMemory(LinkStream& in) {
    std::size_t ready = 0;
    const uint8_t* p = in.readable(ready);
    if (ready == 0 || !(p[0] & 0x40)) return false;
    const std::size_t length = p[0] & 0x3F;
    if (ready < length + 2 || !wire::isTerminator(p[1 + length])) return false;
    if (m_text.parseWire(p + 1, length) != 0) return false;
    in.consume(length + 2);
    m_size = static_cast<int64_t>(length);
    m_remaining = 0;
    m_phase = kHeld;
    return true;
}

bool GetState::takeFunctionHead(LinkStream& in, int64_t& count) {
    if (m_phase != kIdle || m_runLeft != 0 || m_arrayActive || m_rawArrayData ||
        m_rawArrayLeaves != 0)
        return false;
    std::size_t ready = 0;
    const uint8_t* p = in.readable(ready);
    if (ready < 4 || p[0] != wire::kFunction || !(p[1] & 0x40) || p[2] != wire::kSymbol ||
        !(p[3] & 0x40))
        return false;
    const std::size_t length = p[3] & 0x3F;
    if (ready < length + 5 || !wire::isTerminator(p[4 + length])) return false;
    if (m_text.parseWire(p + 4, length) != 0) return false;
    in.consume(length + 5);
    count = p[1] & 0x3F;
    m_argCount = count;
    // The function token takes one expression and owes its head and arguments; the head, read
    // at once, takes one of them.
    m_owed = std::max<int64_t>(m_owed, 1) - 1 + count;
    m_type = wire::kSymbol;
    m_size = static_cast<int64_t>(length);
    m_remaining = 0;
    m_synthetic = false;
    m_phase = kHeld;
    return true;
}

LinkError GetState::hold(LinkStream& in) {
    if (m_phase == kHeld) return m_heldTaken == 0 ? 0 : QKERR_GET_SEQUENCE;
    if (m_phase == kCounted) return 0;
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    if (m_phase == kFresh && wire::isTextType(m_type) && holdTextInMemory(in)) return 0;
    if (const LinkError rc = readSize(in)) return rc;
    // Once raw bytes of it were taken, a token can no longer be read whole.
    if (m_remaining != m_size) return QKERR_GET_SEQUENCE;
    if (isNumberCode(m_type)) {
        const std::size_t size = static_cast<std::size_t>(m_remaining);
        if (in.getBytes(m_number, size) < size)
            return in.lastError() ? in.lastError() : QKERR_INCONSISTENT_DATA;
        m_remaining = 0;
        m_heldNumber = true;
    } else if (wire::isTextType(m_type) || wire::isPlainTextType(m_type)) {
        if (const LinkError rc = holdTextPayload(in)) return rc;
    } else {
        return QKERR_GET_SEQUENCE;
    }
    if (isTokenWithTerminator())
        if (const LinkError rc = readTerminator(in)) return rc;
    m_phase = kHeld;
    return 0;
}

LinkError GetState::holdText(LinkStream& in, bool symbolOnly, const TextToken*& text) {
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    const bool textual =
        wire::isTextType(m_type) || wire::isPlainTextType(m_type) || isNumberCode(m_type);
    if (!textual) return QKERR_GET_SEQUENCE;
    if (symbolOnly && m_type != wire::kSymbol && m_type != wire::kPlainSymbol)
        return QKERR_GET_SEQUENCE;
    if (const LinkError rc = hold(in)) return rc;
    if (m_heldNumber && m_text.characters.empty()) {
        char digits[64];
        std::size_t length = 0;
        if (!m_converter) return QKERR_INCONSISTENT_DATA;
        if (const LinkError rc = m_converter->toText(m_type, m_number, digits, length)) return rc;
        m_text.encoding = 'B';
        m_text.identifier = wire::kTextIdentifier;
        m_text.count = static_cast<int64_t>(length);
        m_text.characters.assign(digits, digits + length);
    }
    text = &m_text;
    return 0;
}

bool GetState::takeWholeNumber(LinkStream& in, uint8_t code, void* out) {
    if (m_runLeft != 0 || m_arrayActive || m_rawArrayData || m_rawArrayLeaves != 0 || !m_converter)
        return false;
    const int size = numberSize(code);
    std::size_t ready = 0;
    const uint8_t* p = in.readable(ready);
    if (size <= 0 || ready < static_cast<std::size_t>(size) + 2 || p[0] != code ||
        !wire::isTerminator(p[1 + size]))
        return false;
    wire::copyNumberBytes(out, p + 1, size);
    in.consume(static_cast<std::size_t>(size) + 2);
    m_type = code;
    m_size = size;
    m_remaining = 0;
    m_synthetic = false;
    m_owed = std::max<int64_t>(m_owed, 1) - 1;
    return true;
}

LinkError GetState::takeRun(LinkStream& in, uint8_t code, uint8_t* out, int64_t most,
                            int64_t& taken) {
    taken = 0;
    if (m_phase != kIdle || m_runLeft <= 0 || m_runCode != code || m_rawArrayData ||
        m_rawArrayLeaves != 0 || !m_converter)
        return 0;
    int64_t n = std::min(most, m_runLeft);
    if (m_arrayActive) {
        if (m_arrayNext != kArrayLeaf || m_arrayLeft.empty()) return 0;
        n = std::min(n, m_arrayLeft.back());
    }
    if (n <= 0) return 0;
    const int size = numberSize(code);
    const auto bytes = static_cast<std::size_t>(n) * static_cast<std::size_t>(size);
    const std::size_t got = in.getBytes(out, bytes);
    if (got < bytes) return in.lastError() ? in.lastError() : QKERR_INCONSISTENT_DATA;
    m_runLeft -= n;
    m_owed = std::max<int64_t>(m_owed - n, 0);
    if (m_arrayActive) {
        m_arrayLeft.back() -= n - 1;
        arrayChildDone();
    }
    m_type = code;
    m_size = size;
    m_remaining = 0;
    m_synthetic = false;
    taken = n;
    // The run's terminator follows its last number.
    return m_runLeft == 0 ? readTerminator(in) : LinkError{};
}

LinkError GetState::getNumber(LinkStream& in, uint8_t code, void* out) {
    if (m_phase == kIdle && takeWholeNumber(in, code, out)) return 0;
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    const bool textual = m_type == wire::kRealText || m_type == wire::kIntegerText ||
                         m_type == wire::kPlainInteger || m_type == wire::kPlainReal;
    if (!isNumberCode(m_type) && !textual) return QKERR_GET_SEQUENCE;
    if (!m_converter) return QKERR_UNKNOWN;
    if (const LinkError rc = hold(in)) return rc;
    LinkError rc;
    if (m_heldNumber) {
        int32_t count = 1;
        if (m_type == code) {
            wire::copyNumberBytes(out, m_number, numberSize(code));
            rc = 0;
        } else {
            rc = m_converter->convertValues(m_type, m_number, code, out, count);
        }
    } else {
        ByteVector text(PairAllocator<uint8_t>{m_memory});
        m_text.to8Bit(text, '?');
        std::size_t used = 0;
        const uint8_t textType =
            wire::isPlainTextType(m_type) ? wire::textTypeOfPlain(m_type) : m_type;
        rc = m_converter->fromText(textType, reinterpret_cast<const char*>(text.data()),
                                   text.size(), code, out, used);
    }
    if (rc == 0) release();
    return rc;
}

namespace {

// Bytes of the 7-bit character at p (p < end); a backslash that starts no escape is one byte.
std::size_t characterLength(const uint8_t* p, const uint8_t* end) {
    const uint8_t* q = p;
    if (decodeCharacter(q, end) == kBadCharacter) return 1;
    return static_cast<std::size_t>(q - p);
}

} // namespace

LinkError GetState::countText(LinkStream& in, TextSource::Width width, uint8_t replacement) {
    if (m_phase == kCounted) return width == m_countedWidth ? 0 : QKERR_GET_SEQUENCE;
    const TextToken* text = nullptr;
    if (const LinkError rc = holdText(in, false, text)) return rc;
    m_counted.clear();
    m_countedPos = 0;
    text->convert(m_counted, width, replacement);
    // 7-bit text is counted when first asked for; an escape takes several bytes.
    m_countedLeft = width == TextSource::k7Bit   ? -1
                    : width == TextSource::k8Bit ? static_cast<int64_t>(m_counted.size())
                                                 : static_cast<int64_t>(m_counted.size() / 2);
    m_countedWidth = width;
    m_phase = kCounted;
    return 0;
}

void GetState::takeCharacters(void* out, int64_t capacity, int64_t& units, int64_t& characters,
                              int64_t& left) {
    const uint8_t* from = m_counted.data() + m_countedPos;
    const uint8_t* end = m_counted.data() + m_counted.size();
    std::size_t bytes = 0;
    if (m_countedWidth == TextSource::k7Bit) {
        if (m_countedLeft < 0) {
            m_countedLeft = 0;
            for (const uint8_t* p = from; p < end; p += characterLength(p, end))
                ++m_countedLeft;
        }
        characters = 0;
        for (const uint8_t* p = from; p < end;) {
            const std::size_t length = characterLength(p, end);
            if (static_cast<int64_t>(bytes + length) > capacity) break;
            bytes += length;
            p += length;
            ++characters;
        }
        units = static_cast<int64_t>(bytes);
    } else {
        const std::size_t unit = m_countedWidth == TextSource::k16Bit ? 2 : 1;
        characters = std::min<int64_t>(std::max<int64_t>(capacity, 0), m_countedLeft);
        units = characters;
        bytes = static_cast<std::size_t>(characters) * unit;
    }
    if (bytes > 0) std::memcpy(out, from, bytes);
    m_countedPos += bytes;
    m_countedLeft -= characters;
    left = m_countedLeft;
    if (m_countedPos == m_counted.size()) release();
}

LinkError GetState::bytesToGet(LinkStream& in, int64_t& count) {
    if (const LinkError rc = countText(in, TextSource::k7Bit, 0)) return rc;
    count = static_cast<int64_t>(m_counted.size() - m_countedPos);
    return 0;
}

LinkError GetState::rawBytesToGet(LinkStream& in, int64_t& count) {
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    if (m_phase == kCounted) return bytesToGet(in, count);
    if (m_phase == kHeld) {
        count = static_cast<int64_t>(heldWireSize() - m_heldTaken);
        return 0;
    }
    if (isCountToken(m_type)) return QKERR_GET_SEQUENCE;
    if (const LinkError rc = readSize(in)) return rc;
    count = m_remaining;
    return 0;
}

// A held token's wire bytes: a binary number's own bytes (even when a text getter made text of
// it), else the text header and characters (just the characters for the plain form).
std::size_t GetState::heldWireSize() const {
    if (m_heldNumber) return static_cast<std::size_t>(numberSize(m_type));
    return m_text.headerSize + m_text.characters.size();
}

void GetState::copyHeldWire(uint8_t* out, std::size_t from, std::size_t n) const {
    if (m_heldNumber) {
        std::memcpy(out, m_number + from, n);
        return;
    }
    for (; n > 0 && from < m_text.headerSize; --n)
        *out++ = m_text.header[from++];
    if (n > 0) std::memcpy(out, m_text.characters.data() + (from - m_text.headerSize), n);
}

LinkError GetState::getData(LinkStream& in, void* out, int64_t capacity, int64_t& copied,
                            View view) {
    copied = 0;
    if (capacity < 0) return QKERR_GET_SEQUENCE;
    if (m_phase == kCounted) {
        if (m_countedWidth != TextSource::k7Bit) return QKERR_GET_SEQUENCE;
        const auto n = static_cast<std::size_t>(
            std::min<int64_t>(capacity, static_cast<int64_t>(m_counted.size() - m_countedPos)));
        if (n > 0) std::memcpy(out, m_counted.data() + m_countedPos, n);
        m_countedPos += n;
        m_countedLeft = -1; // bytes taken need not end at a character
        copied = static_cast<int64_t>(n);
        if (m_countedPos == m_counted.size()) release();
        return 0;
    }
    if (m_phase == kIdle) {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
    }
    if (m_phase == kHeld && view == View::kRaw) {
        const std::size_t n =
            std::min(static_cast<std::size_t>(capacity), heldWireSize() - m_heldTaken);
        copyHeldWire(static_cast<uint8_t*>(out), m_heldTaken, n);
        m_heldTaken += n;
        copied = static_cast<int64_t>(n);
        if (m_heldTaken == heldWireSize()) release();
        return 0;
    }
    if (m_phase == kHeld || isCountToken(m_type)) return QKERR_GET_SEQUENCE;
    if (const LinkError rc = readSize(in)) return rc;
    const auto n = static_cast<std::size_t>(std::min(capacity, m_remaining));
    const std::size_t got = in.getBytes(out, n);
    m_remaining -= static_cast<int64_t>(got);
    copied = static_cast<int64_t>(got);
    if (got < n) return in.lastError() ? in.lastError() : QKERR_INCONSISTENT_DATA;
    if (m_remaining == 0) {
        if (isTokenWithTerminator())
            if (const LinkError rc = readTerminator(in)) return rc;
        release();
    }
    return 0;
}

LinkError GetState::skipUntilOwed(LinkStream& in, int64_t keep) {
    if (const LinkError rc = finish(in, View::kMapped)) return rc;
    while (m_owed > keep) {
        uint8_t t;
        if (const LinkError rc = type(in, true, t)) return rc;
        if (const LinkError rc = finish(in, View::kMapped)) return rc;
    }
    return 0;
}

LinkError GetState::skipExpression(LinkStream& in) {
    const int64_t done = owedAfterNext();
    do {
        uint8_t t;
        if (const LinkError rc = type(in, false, t)) return rc;
        if (const LinkError rc = finish(in, View::kMapped)) return rc;
    } while (m_owed > done);
    return 0;
}

LinkError GetState::ready(LinkStream& in, bool& answer) {
    answer = true;
    if (m_phase != kIdle || m_runLeft > 0) return 0;
    for (;;) {
        const int b = in.peekByte();
        if (b == LinkStream::kNothingReady) {
            answer = false;
            return 0;
        }
        if (b == LinkStream::kFailed) return in.lastError();
        const bool separator =
            wire::isTerminator(static_cast<unsigned>(b)) || b == wire::kEndOfPacket;
        if (!separator || m_owed > 0) {
            return b == wire::kEndOfPacket ? QKERR_END_OF_PACKET : 0;
        }
        uint8_t consumed;
        if (const LinkError rc = in.getByte(consumed)) return rc;
    }
}

} // namespace corvinet
