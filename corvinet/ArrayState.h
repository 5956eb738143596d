#pragma once

// The shape of a number array and how far its leaves have gone: read from a link's get side
// (the array form, or nested functions one level per dimension), or given by the caller, and
// written on a link's put side in the array form where the peer reads it, else as nested
// functions. Leaves lie back to back, the last dimension varying fastest.
//
// Ownership: each link keeps at most one array state per side (QKLinkRecord::getArray and
// putArray); a new one replaces the old, and the link frees both when it is destroyed, so a
// state handed to the caller is valid until its link makes the next one or releases it.

#include "EnvMemory.h"
#include "LinkError.h"
#include "TextToken.h"
#include "corvinet/corvinet.h"

#include <cstdint>
#include <vector>

namespace corvinet {

class GetState;
class LinkStream;
class PutState;

class ArrayState {
public:
    static constexpr uint32_t kValid = 0xA77A57A7;

    explicit ArrayState(AllocatorPair memory)
        : dims(PairAllocator<int32_t>(memory)), heads(PairAllocator<ByteVector>(memory)),
          m_memory(memory) {}

    // The caller's shape: `depth` dimensions with heads (null, or a null head, for "List").
    // 0, or QKERR_PUT_SEQUENCE for a shape that is no array (no levels, a negative dimension, more
    // than 2^31-1 leaves).
    LinkError setShape(const int32_t* dimensions, const char* const* headNames, int32_t depth);
    int32_t depth() const { return static_cast<int32_t>(dims.size()); }
    // Zero-terminated 7-bit text.
    const char* head(int32_t level) const {
        return reinterpret_cast<const char*>(heads[static_cast<std::size_t>(level)].data());
    }
    int64_t leavesLeft() const { return leaves - done; }

    // ---- Get side -----------------------------------------------------------------------------
    // Reads the shape: function tokens down to the first leaf. QKERR_GET_SEQUENCE when the next
    // expression is no function with symbol heads; QKERR_INCONSISTENT_DATA for more than 2^31-1
    // leaves.
    LinkError readShape(LinkStream& in, GetState& get);
    // The code the next leaf travels in: its number-type code, or for a number text the
    // build's integer or double code.
    LinkError peekLeafCode(LinkStream& in, GetState& get, uint8_t& leafCode);
    // Reads `count` leaves (at most leavesLeft()) converted to `leafCode`, `size` bytes each,
    // into `out`; the function tokens between rows must repeat the shape (else QKERR_GET_SEQUENCE).
    LinkError readLeaves(LinkStream& in, GetState& get, uint8_t leafCode, int size, uint8_t* out,
                         int64_t count);

    // ---- Put side -----------------------------------------------------------------------------
    // Writes the frame: the array form's head and shape, or the nested functions down to the
    // first leaf (every level, when there are no leaves).
    LinkError writeFrame(LinkStream& out, PutState& put);
    // Writes `count` leaves (at most leavesLeft(); else QKERR_TOO_MUCH_DATA) of `leafCode`.
    LinkError writeLeaves(LinkStream& out, PutState& put, uint8_t leafCode, int size,
                          const uint8_t* data, int64_t count);

    uint32_t valid = kValid;
    std::vector<int32_t, PairAllocator<int32_t>> dims;
    std::vector<ByteVector, PairAllocator<ByteVector>> heads;
    int64_t leaves = 0;
    int64_t done = 0;
    uint8_t code = 0;       // the leaves' code where known (QKGetArrayType0, QKPutArrayType0)
    bool arrayForm = false; // put side: the frame went out in the array form

private:
    // The levels whose function tokens come before leaf `done` (none for the first leaf, whose
    // functions are the frame): from `first` to the last level.
    int32_t firstNewLevel() const;
    LinkError expectFunction(LinkStream& in, GetState& get, int32_t level);
    LinkError writeEmptyLevels(LinkStream& out, PutState& put, int32_t level);
    LinkError addLevel(int64_t dimension, ByteVector head, int overflow);

    AllocatorPair m_memory;
};

} // namespace corvinet

// The handle that the array-state functions give out.
struct QKArrayStateRecord final : corvinet::ArrayState {
    using ArrayState::ArrayState;
};

namespace corvinet {

// How the caller's leaves lie: as they travel, or, for long doubles, as the native type while
// the wire carries the build's long-double code (80-bit extended values, or doubles).
struct LeafLayout {
    uint8_t code = 0;
    int wireSize = 0; // 0 for no code, or a code without a size
    std::size_t nativeSize = 0;
    bool longDouble = false;

    static LeafLayout of(QKLINK link, uint8_t code);
    static LeafLayout longDoubles(QKLINK link);
    void toNative(const uint8_t* wire, void* native, int64_t count) const;
    void toWire(const void* native, uint8_t* wire, int64_t count) const;
};

// Replaces the link's get-side or put-side array state with a fresh one (null without memory).
QKArrayStateRecord* renewArrayState(QKLINK link, QKArrayStateRecord* QKLinkRecord::*slot);
void releaseArrayState(QKLINK link, QKArrayStateRecord* QKLinkRecord::*slot);

// Whole arrays and lists on the put side.
LinkError putArray(LinkStream& out, PutState& put, uint8_t code, const void* data,
                   const int32_t* dims, const char* const* heads, int32_t depth);
inline constexpr int32_t kListArrayThreshold = 128;
LinkError putList(LinkStream& out, PutState& put, uint8_t code, const void* data, int32_t count);

} // namespace corvinet
