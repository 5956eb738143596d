#include "TextEncoder.h"

#include "CharacterEscapes.h"
#include "LinkStream.h"
#include "TokenBytes.h"

#include <cstring>

namespace corvinet {
namespace {

// Walks the characters of a source. 7-bit text is read leniently: a backslash that starts no
// escape stands for itself, so that what the caller gave is what arrives.
class CharacterWalk {
public:
    explicit CharacterWalk(const TextSource& s) : m_source(s) {
        m_p = static_cast<const uint8_t*>(s.data);
        m_end = m_p + (s.width == TextSource::k16Bit ? s.length * 2 : s.length);
    }
    bool done() const { return m_p >= m_end; }
    // The next character; -2 for a named character of 7-bit text.
    int next() {
        switch (m_source.width) {
        case TextSource::k7Bit: {
            const int c = decodeCharacter(m_p, m_end);
            return c == kBadCharacter ? *m_p++ : c;
        }
        case TextSource::k8Bit:
            return *m_p++;
        case TextSource::k16Bit: {
            char16_t c;
            std::memcpy(&c, m_p, 2);
            m_p += 2;
            return c;
        }
        }
        return 0;
    }

private:
    const TextSource& m_source;
    const uint8_t* m_p;
    const uint8_t* m_end;
};

// True when 7-bit source can go out as `A` text byte for byte: printable bytes and escapes that
// mean something. Counts its characters.
bool isCleanEscapedText(const TextSource& s, int64_t& characters) {
    const auto* p = static_cast<const uint8_t*>(s.data);
    const auto* end = p + s.length;
    characters = 0;
    while (p < end) {
        if (*p < 0x20 || *p > 0x7E) return false;
        if (decodeCharacter(p, end) == kBadCharacter) return false;
        ++characters;
    }
    return true;
}

// Collects output bytes and hands them to the stream in pieces; remembers the first error.
class Output {
public:
    explicit Output(ByteSink& out) : m_out(out) {}
    ~Output() = default;
    void byte(uint8_t b) {
        if (m_used == sizeof m_buffer) drain();
        m_buffer[m_used++] = b;
    }
    void bytes(const void* p, std::size_t n) {
        drain();
        if (m_error == 0 && n > 0) m_error = m_out.putBytes(p, n);
    }
    void count(int64_t n) {
        if (m_used + 21 > sizeof m_buffer) drain();
        m_used = static_cast<std::size_t>(wire::writeCount(m_buffer + m_used, n, true) - m_buffer);
    }
    void escaped(int c) {
        if (m_used + 6 > sizeof m_buffer) drain();
        m_used = static_cast<std::size_t>(
            writeEscaped(static_cast<uint32_t>(toCarriedCharacter(c)), m_buffer + m_used) -
            m_buffer);
    }
    void oldForm(int c) {
        if (m_used + 3 > sizeof m_buffer) drain();
        m_used = static_cast<std::size_t>(
            writeOldForm(static_cast<uint32_t>(toCarriedCharacter(c)), m_buffer + m_used) -
            m_buffer);
    }
    LinkError finish() {
        drain();
        return m_error;
    }

private:
    void drain() {
        if (m_error == 0 && m_used > 0) m_error = m_out.putBytes(m_buffer, m_used);
        m_used = 0;
    }

    ByteSink& m_out;
    uint8_t m_buffer[256];
    std::size_t m_used = 0;
    LinkError m_error;
};

} // namespace

bool TextEncoder::reads(uint8_t letter) const {
    return maskHas(m_features.formats, letter & 0x1F);
}

uint8_t TextEncoder::choose(TextSource::Width width, bool piecewise) const {
    using namespace wire;
    switch (width) {
    case TextSource::k7Bit:
        if (reads(kEncoding7Bit)) return kEncoding7Bit;
        if (reads(kEncoding16Bit)) return kEncoding16Bit;
        break;
    case TextSource::k8Bit:
        if (reads(kEncoding8Bit)) return kEncoding8Bit;
        if (!piecewise && reads(kEncoding7Bit)) return kEncoding7Bit;
        if (reads(kEncoding16Bit)) return kEncoding16Bit;
        if (reads(kEncoding7Bit)) return kEncoding7Bit;
        break;
    case TextSource::k16Bit:
        if (reads(kEncoding16Bit)) return kEncoding16Bit;
        if (reads(kEncoding7Bit)) return kEncoding7Bit;
        break;
    }
    return 0; // the plain form
}

namespace {
class StreamSink final : public ByteSink {
public:
    explicit StreamSink(LinkStream& stream) : m_stream(stream) {}
    LinkError putBytes(const void* bytes, std::size_t count) override {
        return m_stream.putBytes(bytes, count);
    }

private:
    LinkStream& m_stream;
};

// The common text token: short 7-bit text of printable characters and no escapes, toward a peer
// that reads `A`. Written whole into the output buffer when it has room, byte for byte as the
// general path writes it; false when the text is not such a one or the buffer lacks the room.
bool writeShortPlainText(LinkStream& stream, uint8_t type, const TextSource& source) {
    // Up to this many characters every count of the token fits one compact byte.
    constexpr std::size_t kMost = 60;
    if (source.width != TextSource::k7Bit || source.length > kMost) return false;
    const auto* text = static_cast<const uint8_t*>(source.data);
    for (std::size_t i = 0; i < source.length; ++i)
        if (text[i] < 0x20 || text[i] > 0x7E || text[i] == '\\') return false;
    const std::size_t n = source.length;
    uint8_t* w = stream.writable(n + 6);
    if (!w) return false;
    w[0] = type;
    w[1] = static_cast<uint8_t>(0x40 + 3 + n); // letter, identifier, count byte, characters
    w[2] = wire::kEncoding7Bit;
    w[3] = wire::kTextIdentifier;
    w[4] = static_cast<uint8_t>(0x40 + n);
    if (n > 0) std::memcpy(w + 5, text, n);
    w[5 + n] = wire::kTerminator;
    stream.commit(w + n + 6);
    return true;
}

} // namespace

LinkError TextEncoder::write(LinkStream& stream, uint8_t type, const TextSource& source,
                             bool piecewise) const {
    if (reads(wire::kEncoding7Bit) && writeShortPlainText(stream, type, source)) return 0;
    StreamSink sink(stream);
    return write(sink, type, source, piecewise);
}

LinkError TextEncoder::write(ByteSink& stream, uint8_t type, const TextSource& source,
                             bool piecewise) const {
    using namespace wire;
    Output out(stream);
    const uint8_t encoding = choose(source.width, piecewise);

    if (encoding == 0) {
        int64_t length = 0;
        for (CharacterWalk w(source); !w.done();)
            length += oldFormSize(toCarriedCharacter(w.next()));
        out.byte(plainTypeOf(type));
        uint8_t field[21];
        out.bytes(field, static_cast<std::size_t>(writeCount(field, length, false) - field));
        for (CharacterWalk w(source); !w.done();)
            out.oldForm(w.next());
        out.byte(kTerminator);
        return out.finish();
    }

    out.byte(type);
    if (encoding == kEncoding7Bit) {
        int64_t characters = 0;
        if (source.width == TextSource::k7Bit && isCleanEscapedText(source, characters)) {
            const auto bytes = static_cast<int64_t>(source.length);
            out.count(2 + countSize(characters, true) + bytes);
            out.byte(kEncoding7Bit);
            out.byte(kTextIdentifier);
            out.count(characters);
            out.bytes(source.data, source.length);
        } else {
            int64_t bytes = 0;
            characters = 0;
            for (CharacterWalk w(source); !w.done(); ++characters)
                bytes += escapedSize(toCarriedCharacter(w.next()));
            out.count(2 + countSize(characters, true) + bytes);
            out.byte(kEncoding7Bit);
            out.byte(kTextIdentifier);
            out.count(characters);
            for (CharacterWalk w(source); !w.done();)
                out.escaped(w.next());
        }
    } else {
        int64_t characters = 0;
        if (source.width == TextSource::k7Bit) {
            for (CharacterWalk w(source); !w.done(); w.next())
                ++characters;
        } else {
            characters = static_cast<int64_t>(source.length);
        }
        const int64_t unit = encoding == kEncoding16Bit ? 2 : 1;
        out.count(kFixedTextHeader + unit * characters);
        out.byte(encoding);
        out.byte(kTextIdentifier);
        out.byte(characters < 64 ? static_cast<uint8_t>(0x40 + characters) : ' ');
        if (encoding == kEncoding8Bit && source.width == TextSource::k8Bit) {
            out.bytes(source.data, source.length);
        } else {
            for (CharacterWalk w(source); !w.done();) {
                const char16_t c = toCarriedCharacter(w.next());
                if (unit == 2) out.byte(static_cast<uint8_t>(c >> 8));
                out.byte(static_cast<uint8_t>(c));
            }
        }
    }
    out.byte(kTerminator);
    return out.finish();
}

} // namespace corvinet
