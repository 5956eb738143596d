#pragma once

// The put engine of a link: a small state machine that checks the order of put calls and writes
// the tokens of the wire format into the link's stream. One per link, shared with duplicates
// (counted by `refs`); made at establish, freed with its last link.
//
// The engine sees only what it uses: the stream it writes to, passed with every step, and what
// the peer reads (its features), given when the link is established.
//
// Phases per token: idle -> type-set (a type is announced, nothing of it written) -> data (its
// header is out; complete when nothing is pending) -> idle. Text given in pieces or through a
// declared size is gathered whole and written when its last piece arrives.
//
// Every step returns 0 or a link error code; the exported functions store it in the link.

#include "EnvMemory.h"
#include "LinkError.h"
#include "LinkFeatures.h"
#include "TextEncoder.h"
#include "TextToken.h"
#include "corvinet/corvinet.h"

#include <array>
#include <cstdint>
#include <vector>

namespace corvinet {

class LinkStream;

class PutState {
public:
    enum Phase : uint8_t { kIdle, kTypeSet, kData, kGathering };

    PutState(AllocatorPair memory, const LinkFeatures& peer);

    int32_t refs = 1;

    // Announces a token type: a wire type byte or a number-type code.
    LinkError announce(uint8_t type);
    // Closes the current token before a packet ends or a new one starts.
    LinkError finish();

    LinkError putArgCount(LinkStream& out, int64_t count);
    LinkError putFunction(LinkStream& out, const char* head, int64_t count);
    // A whole text of type `type` (`"` or `#`; a string may continue an announced number text).
    LinkError putText(LinkStream& out, uint8_t type, const TextSource& source);
    // One number of code `code`: binary when the peer takes the code, else as number text.
    LinkError putNumber(LinkStream& out, uint8_t code, const void* value);

    // The head of an array in the array form: `A`, the leaf count and the shape block.
    LinkError putArrayForm(LinkStream& out, int64_t leaves, const ByteVector& shape);
    // `count` numbers of `code`, `size` bytes each: one packed run where the peer reads runs
    // and takes the code in binary, else one number token each.
    LinkError putLeaves(LinkStream& out, uint8_t code, int size, const uint8_t* data,
                        int64_t count);

    LinkError putRawSize(LinkStream& out, int64_t size);
    LinkError putRawData(LinkStream& out, const void* bytes, int64_t count);
    int64_t bytesToPut() const { return m_phase == kData && m_pending > 0 ? m_pending : 0; }

    // Text in pieces: a declared byte count (QKPutSize / QKPutData) or pieces with the number
    // of characters still to come after them.
    LinkError declareTextSize(int64_t bytes);
    LinkError putTextData(LinkStream& out, const void* bytes, int64_t count);
    LinkError putTextPiece(LinkStream& out, TextSource::Width width, const void* data,
                           int64_t units, int64_t charactersLeft);

    LinkError endPacket(LinkStream& out);

    Phase phase() const { return m_phase; }
    // Text whose byte count was declared is being gathered.
    bool gatheringDeclared() const { return m_phase == kGathering && m_pending >= 0; }
    uint8_t type() const { return m_type; }
    // What the peer reads, as agreed at establish.
    const LinkFeatures& peer() const { return m_peer; }
    const AllocatorPair& memory() const { return m_memory; }

private:
    // A count field, compact where the peer decodes it and `compactAllowed`.
    LinkError writeCount(LinkStream& out, int64_t n, bool compactAllowed = true);
    LinkError writeGathered(LinkStream& out);
    LinkError beginGathering(TextSource::Width width, int64_t expectedBytes);

    LinkFeatures m_peer;
    AllocatorPair m_memory;
    // Per number-type code (code & 0x7F): its byte size where the peer takes it in binary, else 0.
    std::array<int8_t, 128> m_binarySize{};
    Phase m_phase = kIdle;
    uint8_t m_type = 0;
    int64_t m_pending = -1;   // bytes of a raw token or declared text still to come
    int64_t m_declared = 0;   // a raw token's declared size, for its header
    bool m_headerOut = false; // a raw token's header has been written
    TextSource::Width m_width = TextSource::k7Bit;
    std::vector<uint8_t, PairAllocator<uint8_t>> m_gathered;
};

} // namespace corvinet
