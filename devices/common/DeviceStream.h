#pragma once

// The escaped byte stream that both plug-ins run over their transport, one per link.
//
// Framing (0x5C is the escape byte): a data byte 0x5C travels doubled; 0x5C and the sender's
// upper-case letter end a message (one output buffer); 0x5C and the receiver's own lower-case
// letter acknowledge one message of the receiver's; 0x5C 0x04 announces that the sender closes;
// 0x5C and any other byte is dropped. The letters come from the role: 'C'/'c' for a listener
// (or launcher), 'P'/'p' for a connecting side, 'N'/'n' for neither.
//
// Flow: three output buffers form a ring. At most two messages wait for their
// acknowledgement while the third buffer fills; until one is acknowledged the library gets no
// buffer and reads input, which brings the acknowledgements.
//
// The peer is not trusted: its role words are bounded, stray acknowledgements are ignored, and
// a failed write of data, acknowledgement or close mark ends the link.

#include "DeviceMemory.h"
#include "Transport.h"

#include <cstdint>

namespace devices {

// Link error codes that the entry answers.
constexpr int32_t kOk = 0;
constexpr int32_t kLinkDied = 1;
constexpr int32_t kPeerClosed = 11;
constexpr int32_t kOutputPending = 15;
constexpr int32_t kAborted = 25;
constexpr int32_t kInputPending = 26;

enum StreamState : int32_t {
    kStateMade = 0,
    kStateConnected = 1,
    kStatePeerClosed = 2,
    kStateFailed = 4,
};

constexpr uint8_t kEscape = 0x5C;
constexpr uint8_t kCloseMark = 0x04;

// The mode number and letters of a role.
struct Role {
    int32_t mode;
    char end;         // upper-case: ends the own messages
    char ack;         // lower-case: acknowledges the peer's messages to it
    const char* word; // sent in the connect exchange
};
// The role of the open mode flags: Listen or Launch, else Connect or ParentConnect, else none.
Role roleOfMode(uint32_t modeFlags);
// The peer's letters from the role word it sent; false for a word that names no role.
bool roleOfWord(const char* word, int32_t length, Role& role);

} // namespace devices

// One link's stream; the library sees it only as an opaque handle.
struct DeviceStream {
    // Room for every message that may be in flight at once (two of doubled bytes and their
    // marks), so that one read takes all the peer could send before it waits.
    static constexpr int32_t kInputSize = 8192;
    static constexpr int32_t kMaxBlocks = 16;
    static constexpr int32_t kMaxCapacity = 1022;
    static constexpr int32_t kBuffers = 3;

    struct Block {
        int32_t length;
        const uint8_t* data;
    };
    // Acknowledgements wait for the next message or the next wait, whichever comes first, so
    // that an answer and the acknowledgement of the question travel together. No more than
    // this many wait; the room for them lies before each output buffer.
    static constexpr int32_t kMaxPendingAcks = 16;
    static constexpr int32_t kAckRoom = 2 * kMaxPendingAcks;

    struct OutBuffer {
        uint8_t* storage = nullptr; // kAckRoom bytes, then the buffer
        uint8_t* bytes = nullptr;
        int32_t filled = 0;
    };

    // Made over a connected-to-be transport link, which it owns from then on. Null when memory
    // runs out (8) or the transport's buffer size is too small (-1), with the code in `error`;
    // the transport link is destroyed on failure.
    static DeviceStream* create(const devices::DeviceMemory& memory,
                                devices::TransportDevice& transport, devices::TransportLink* link,
                                uint32_t modeFlags, int32_t& error);
    // Sends the close mark when connected, destroys the transport link and frees the stream.
    static void close(DeviceStream* stream);

    int32_t nextOutput(uint8_t** buffer, int32_t* capacity);
    int32_t putOutput(uint8_t** buffer, int32_t* size);
    int32_t readyCount(int32_t* ready);
    int32_t nextInput(const uint8_t** block, int32_t* length);
    int32_t inputState() const;
    int32_t outputPending() const { return current != oldest ? devices::kOutputPending : 0; }
    int32_t connect();

    bool unreadInput() const { return blocksLeft > 0 || readCursor < readEnd; }
    int32_t inFlight() const { return (current - oldest + kBuffers) % kBuffers; }

    devices::DeviceMemory memory;
    devices::TransportDevice* transport = nullptr;
    devices::TransportLink* link = nullptr;

    uint8_t* input = nullptr;
    int32_t readCursor = 0;
    int32_t readEnd = 0;
    Block blocks[kMaxBlocks] = {};
    int32_t blockCursor = 0;
    int32_t blocksLeft = 0;

    bool escaped = false;     // the last byte read was the escape byte
    int32_t messageBytes = 0; // data bytes of the peer's message so far
    int32_t pendingAcks = 0;  // the peer's messages that ended and are not acknowledged yet
    bool peerEndSeen = false;
    char peerEnd = 0;
    char peerAck = 0;

    OutBuffer out[kBuffers];
    int32_t oldest = 0;  // the oldest unacknowledged buffer
    int32_t current = 0; // the buffer being filled
    int32_t capacity = 0;
    int32_t handedCapacity = 0;

    devices::Role role = {};
    bool firstBuffer = true;
    int32_t state = devices::kStateMade;
    int32_t failure = devices::kLinkDied; // what the link answers once it failed

private:
    int32_t handOut(uint8_t** buffer, int32_t* size);
    int32_t sendCurrent();
    // Sends the waiting acknowledgements on their own (before a wait).
    void flushAcks();
    void cutBlocks();
    void addBlock(const uint8_t* data, int32_t length);
    // Ends the link after a failed transfer: 11 when the peer is known gone, else 1.
    int32_t fail(int32_t transfer);
    int32_t exchangeRoles();
};
