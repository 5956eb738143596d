#pragma once

// The get engine of a link: splits the stream into wire tokens and hands their contents to the
// getters. One per link (a duplicate gets a copy); made at establish. It sees only the stream it
// reads from, passed with every step, and the link's number converter, given when it is made.
//
// The current token runs through: idle (nothing in hand) -> fresh (its type byte is read) ->
// sized (its count field is read; `remaining` bytes of it are still on the wire) -> held (its
// contents are read into memory: text, or a binary number's bytes) or counted (re-expressed as
// 7-bit text for QKBytesToGet / QKGetData). A token whose getter failed (a number that does not
// fit, say) stays held, so that another getter can still read it.
//
// The owed count is the number of expressions the current packet still owes: reading a token
// takes one (0 counts as the packet's one expression), a function's argument count adds its
// head and its arguments. While nothing is owed, end-of-packet and terminator bytes are
// separators; a packet end while something is owed is QKERR_END_OF_PACKET.
//
// An array (`A` token) has two views. The mapped view reads it as nested functions: one
// function token and head symbol per level, made from its shape block, with the leaves read
// from the wire in between. The raw view reads it as it lies on the wire: `A` with the number of
// its leaves as argument count, then the `D` token whose data is the shape block, then the
// leaves; the owed count treats `D` as the head and the leaves as the arguments, so skipping and
// packet ends work alike in both views. The `A` token in hand is undecided: the first call that
// goes past it picks the view (a mapped argument count or QKGetNext converts it, a raw argument
// count or QKGetNextRaw takes it raw), and the rest of the array is read in that view by every
// getter. In the raw view the shape block is handed out uninterpreted, but the leaves must still
// be `leaves` number tokens.
//
// The peer is not trusted: every count is checked against the token around it, and memory grows
// only with bytes that have actually arrived.

#include "EnvMemory.h"
#include "LinkError.h"
#include "TextEncoder.h"
#include "TextToken.h"
#include "corvinet/corvinet.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace corvinet {

class LinkStream;
class NumberConverter;

class GetState {
public:
    enum Phase : uint8_t { kIdle, kFresh, kSized, kHeld, kCounted };

    GetState(AllocatorPair memory, const NumberConverter* converter);

    // Which view a call that goes past an undecided array token takes (see above).
    enum class View : uint8_t { kMapped, kRaw };

    // The current token's raw type byte, reading the next one when nothing is in hand (or, with
    // `advance`, after finishing the current token in `view`).
    LinkError type(LinkStream& in, bool advance, uint8_t& rawType, View view = View::kMapped);
    // The reported token code of a raw type byte.
    static int tokenCode(uint8_t rawType);
    // The raw type byte that the raw view reports for the token in hand (after type()): once
    // counted as 7-bit text, a binary or plain number is number text (`+` or `*`).
    uint8_t reportedRawType() const;

    // The argument count of the function or array token in hand; the array's count in `view`.
    LinkError argCount(LinkStream& in, int64_t& count, View view = View::kMapped);
    LinkError bytesToGet(LinkStream& in, int64_t& count);
    // Converts the current text token (a number token as its text) to `width` once, for
    // handing out in pieces: QKBytesToGet and QKGetData at 7 bits, the character getters at
    // any width. Asking for another width while pieces are out is QKERR_GET_SEQUENCE.
    LinkError countText(LinkStream& in, TextSource::Width width, uint8_t replacement);
    // Copies whole characters of the counted text: at most `capacity` bytes of 7-bit text (an
    // escape is never split) or `capacity` characters of 8-bit or 16-bit text. `units` gets
    // the bytes or characters copied, `characters` the characters, `left` the characters still
    // to come; the token ends with its last piece.
    void takeCharacters(void* out, int64_t capacity, int64_t& units, int64_t& characters,
                        int64_t& left);
    // The current token's bytes as they lie on the wire (after QKBytesToGet: its 7-bit text).
    // A held token (one whose getter failed, an array head) gives them from memory, in the raw
    // view only; once any are taken, no getter can read it whole any more.
    LinkError rawBytesToGet(LinkStream& in, int64_t& count);
    LinkError getData(LinkStream& in, void* out, int64_t capacity, int64_t& copied, View view);

    // A whole text token, left held; `symbolOnly` refuses all but symbols.
    LinkError holdText(LinkStream& in, bool symbolOnly, const TextToken*& text);
    // The common case of a function and its head, for the getters that read both: when nothing
    // is in hand and a function token with a one-byte count and its head symbol lie whole in
    // memory, takes the count and holds the head, as argCount and holdText would. False when
    // they do not: read them one by one then.
    bool takeFunctionHead(LinkStream& in, int64_t& count);
    // Ends the current token after its getter has taken what it wanted.
    void release();

    LinkError getNumber(LinkStream& in, uint8_t code, void* out);
    // Numbers of `code` straight from the packed run in hand, once its first number was read:
    // at most `most` of them into `out` (their wire bytes), no further than the current row of
    // an array; `taken` says how many (0 when the next number is not such a one: read it with
    // getNumber). The state afterwards is as if getNumber had read them one by one.
    LinkError takeRun(LinkStream& in, uint8_t code, uint8_t* out, int64_t most, int64_t& taken);

    // Skips expressions until only `keep` of the current packet are owed.
    LinkError skipUntilOwed(LinkStream& in, int64_t keep);
    int64_t owed() const { return m_owed; }
    // The owed count once the next expression (starting with the token in hand, if any) has
    // been read.
    int64_t owedAfterNext() const {
        return m_phase == kIdle ? std::max<int64_t>(m_owed, 1) - 1 : m_owed;
    }
    // Skips the next expression, the token in hand included.
    LinkError skipExpression(LinkStream& in);

    // Whether a token can be read without waiting (QKReady).
    LinkError ready(LinkStream& in, bool& answer);

    Phase phase() const { return m_phase; }
    // The token in hand is an array that arrived in the array form, not yet read in either view.
    bool atArrayStart() const { return m_phase == kFresh && m_type == 'A'; }

private:
    LinkError readByte(LinkStream& in, uint8_t& b);
    LinkError readCount(LinkStream& in, int64_t& n, int64_t* fieldBytes = nullptr);
    LinkError readTypeByte(LinkStream& in);
    LinkError readSize(LinkStream& in);
    LinkError readTerminator(LinkStream& in);
    LinkError skipRemaining(LinkStream& in);
    LinkError finish(LinkStream& in, View view);
    LinkError hold(LinkStream& in);
    LinkError holdTextPayload(LinkStream& in);
    LinkError readBounded(LinkStream& in, int64_t count, ByteVector& out);
    int numberSize(uint8_t code) const;
    // The common case of getNumber: when the bytes in memory at the read position are a whole
    // binary token of `code`, outside runs and arrays, reads it as the general path would.
    bool takeWholeNumber(LinkStream& in, uint8_t code, void* out);
    // The common case of hold for a text token whose type byte was read: when its count field is
    // one byte and its data and terminator lie in memory, holds it as the general path would.
    bool holdTextInMemory(LinkStream& in);
    LinkError readArrayFrame(LinkStream& in);
    LinkError enterArray(LinkStream& in);
    LinkError checkArrayMember(uint8_t b);
    LinkError nextArrayToken();
    void arrayChildDone();
    bool isTokenWithTerminator() const;
    std::size_t heldWireSize() const;
    void copyHeldWire(uint8_t* out, std::size_t from, std::size_t n) const;

    AllocatorPair m_memory;
    const NumberConverter* m_converter;
    std::array<int8_t, 128> m_numberSizes{}; // per number-type code (code & 0x7F): its byte size

    Phase m_phase = kIdle;
    uint8_t m_type = 0;
    int64_t m_size = -1;      // bytes of the current token's data
    int64_t m_remaining = -1; // of them still on the wire
    int64_t m_argCount = 0;
    int64_t m_owed = 0;
    int64_t m_runLeft = 0; // numbers of a packed run still to come after the current one
    uint8_t m_runCode = 0;

    // A held token: text, or a binary number's bytes.
    TextToken m_text;
    uint8_t m_number[16] = {};
    bool m_heldNumber = false;
    std::size_t m_heldTaken = 0; // wire bytes of the held token handed out raw
    ByteVector m_counted;        // counted phase: the token's text at m_countedWidth
    std::size_t m_countedPos = 0;
    int64_t m_countedLeft = 0; // characters of it not yet handed out; -1 not yet counted
    TextSource::Width m_countedWidth = TextSource::k7Bit;

    // An array being read: its dimensions and heads per level, the children still to come in
    // each open level, and what comes next.
    enum ArrayNext : uint8_t { kArrayFunction, kArrayHead, kArrayLeaf };
    std::vector<int64_t, PairAllocator<int64_t>> m_arrayDims;
    std::vector<int64_t, PairAllocator<int64_t>> m_arrayLeft;
    std::vector<TextToken, PairAllocator<TextToken>> m_arrayHeads;
    ArrayNext m_arrayNext = kArrayFunction;
    bool m_arrayActive = false;
    bool m_synthetic = false; // the current function token comes from an array's shape

    // An array read in the raw view: its `D` token is next, then this many leaves.
    bool m_rawArrayData = false;
    int64_t m_rawArrayLeaves = 0;
};

} // namespace corvinet
