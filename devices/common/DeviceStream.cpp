#include "DeviceStream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

using namespace devices;

namespace devices {

Role roleOfMode(uint32_t modeFlags) {
    if (modeFlags & (QKMODE_LISTEN | QKMODE_LAUNCH)) return {2, 'C', 'c', "in"};
    if (modeFlags & (QKMODE_CONNECT | QKMODE_PARENTCONNECT)) return {3, 'P', 'p', "ang"};
    return {1, 'N', 'n', "Neuter"};
}

bool roleOfWord(const char* word, int32_t length, Role& role) {
    std::string_view text(word, static_cast<std::size_t>(length));
    if (text == "in")
        role = roleOfMode(QKMODE_LISTEN);
    else if (text == "ang")
        role = roleOfMode(QKMODE_CONNECT);
    else if (text == "Neuter" || text.empty())
        role = roleOfMode(0);
    else
        return false;
    return true;
}

} // namespace devices

namespace {

// What one role word of the exchange may hold, and how many words may follow a comma: enough
// for every role and for a few words that a later peer might add.
constexpr int32_t kMaxWord = 32;
constexpr int32_t kMaxExtraWords = 8;

} // namespace

DeviceStream* DeviceStream::create(const DeviceMemory& memory, TransportDevice& transport,
                                   TransportLink* link, uint32_t modeFlags, int32_t& error) {
    int32_t size = 0;
    int32_t sizeBytes = sizeof size;
    int32_t half = 0;
    if (transport.worldInfo(4, &size, &sizeBytes) == 0) half = size / 2;
    if (half < 6) {
        error = -1;
        memory.destroy(link);
        return nullptr;
    }
    DeviceStream* stream = memory.make<DeviceStream>();
    if (!stream) {
        error = QKERR_OUT_OF_MEMORY;
        memory.destroy(link);
        return nullptr;
    }
    stream->memory = memory;
    stream->transport = &transport;
    stream->link = link;
    stream->input = static_cast<uint8_t*>(memory.get(kInputSize));
    bool made = stream->input != nullptr;
    for (OutBuffer& buffer : stream->out) {
        // Room for a message of doubled bytes and its end mark.
        std::size_t size = std::size_t(half) - 2 + kAckRoom;
        buffer.storage = made ? static_cast<uint8_t*>(memory.get(size)) : nullptr;
        buffer.bytes = buffer.storage ? buffer.storage + kAckRoom : nullptr;
        if (!buffer.bytes)
            made = false;
        else
            std::memset(buffer.storage, 0, size);
    }
    if (!made) {
        error = QKERR_OUT_OF_MEMORY;
        close(stream);
        return nullptr;
    }
    stream->capacity = half - 4;
    stream->handedCapacity = std::min(stream->capacity / 2, kMaxCapacity);
    stream->role = roleOfMode(modeFlags);
    return stream;
}

void DeviceStream::close(DeviceStream* stream) {
    if (!stream) return;
    const DeviceMemory memory = stream->memory;
    if (stream->state == kStateConnected && stream->link) {
        // The peer learns of the close from the mark; a link whose write fails is over anyway.
        const uint8_t mark[2] = {kEscape, kCloseMark};
        stream->link->write(mark, 2);
    }
    memory.destroy(stream->link);
    for (OutBuffer& buffer : stream->out)
        memory.put(buffer.storage);
    memory.put(stream->input);
    memory.destroy(stream);
}

int32_t DeviceStream::fail(int32_t transfer) {
    failure = transfer == kTransferPeerGone ? kPeerClosed : kLinkDied;
    state = transfer == kTransferPeerGone ? kStatePeerClosed : kStateFailed;
    return failure;
}

// ---- Output ---------------------------------------------------------------------------------

int32_t DeviceStream::handOut(uint8_t** buffer, int32_t* size) {
    out[current].filled = 0;
    *buffer = out[current].bytes;
    *size = handedCapacity;
    return kOk;
}

int32_t DeviceStream::nextOutput(uint8_t** buffer, int32_t* size) {
    *buffer = nullptr;
    *size = 0;
    if (state == kStatePeerClosed || state == kStateFailed) return failure;
    if (firstBuffer) {
        firstBuffer = false;
        return handOut(buffer, size);
    }
    if (out[current].filled == 0) return handOut(buffer, size);
    // Reading first brings the acknowledgements that free a buffer.
    if (unreadInput() || (current + 1) % kBuffers == oldest) return kOk;
    if (int32_t error = sendCurrent()) return error;
    return handOut(buffer, size);
}

int32_t DeviceStream::putOutput(uint8_t** buffer, int32_t* size) {
    if (state == kStatePeerClosed || state == kStateFailed) {
        *buffer = nullptr;
        *size = 0;
        return failure;
    }
    // Only the buffer handed out last can come back, filled at most to its capacity.
    if (*buffer != out[current].bytes || *size < 0 || *size > handedCapacity) {
        *buffer = nullptr;
        *size = 0;
        return kLinkDied;
    }
    out[current].filled = *size;
    return nextOutput(buffer, size);
}

int32_t DeviceStream::sendCurrent() {
    OutBuffer& buffer = out[current];
    uint8_t* bytes = buffer.bytes;
    const int32_t filled = buffer.filled;
    // Most messages hold no escape byte at all: the search runs at the speed of memchr.
    int32_t escapes = 0;
    for (const uint8_t *at = bytes, *end = bytes + filled;
         (at = static_cast<const uint8_t*>(std::memchr(at, kEscape, std::size_t(end - at)))); ++at)
        ++escapes;
    // Double the escape bytes in place, from the back, then add the end mark. The capacity
    // handed out leaves room for every byte doubled.
    const int32_t length = filled + escapes;
    for (int32_t from = filled - 1, to = length; escapes > 0; --from) {
        bytes[--to] = bytes[from];
        if (bytes[from] == kEscape) {
            bytes[--to] = kEscape;
            --escapes;
        }
    }
    bytes[length] = kEscape;
    bytes[length + 1] = static_cast<uint8_t>(role.end);
    // The waiting acknowledgements go first, in the room before the buffer.
    uint8_t* start = bytes;
    for (; pendingAcks > 0; --pendingAcks) {
        *--start = static_cast<uint8_t>(peerAck);
        *--start = kEscape;
    }
    int32_t total = static_cast<int32_t>(bytes - start) + length + 2;
    int32_t written = link->write(start, total);
    if (written != total) return fail(written);
    buffer.filled = 0;
    current = (current + 1) % kBuffers;
    return kOk;
}

// ---- Input ----------------------------------------------------------------------------------

void DeviceStream::addBlock(const uint8_t* data, int32_t length) {
    blocks[blocksLeft++] = {length, data};
}

void DeviceStream::cutBlocks() {
    blockCursor = 0;
    blocksLeft = 0;
    int32_t acknowledgements = 0;
    bool bulk = false;
    while (readCursor < readEnd && blocksLeft < kMaxBlocks) {
        if (!escaped) {
            const uint8_t* from = input + readCursor;
            const void* at = std::memchr(from, kEscape, std::size_t(readEnd - readCursor));
            int32_t run = at ? static_cast<int32_t>(static_cast<const uint8_t*>(at) - from)
                             : readEnd - readCursor;
            if (run > 0) {
                addBlock(from, run);
                readCursor += run;
                messageBytes += run;
            } else {
                escaped = true;
                ++readCursor;
            }
            continue;
        }
        escaped = false;
        const uint8_t byte = input[readCursor];
        if (byte == kEscape) {
            addBlock(input + readCursor, 1);
            ++messageBytes;
        } else if (byte == static_cast<uint8_t>(peerEnd)) {
            peerEndSeen = true;
            ++acknowledgements;
            bulk = bulk || messageBytes >= kMaxCapacity;
            messageBytes = 0;
        } else if (byte == static_cast<uint8_t>(role.ack)) {
            // An acknowledgement with nothing in flight is the peer's mistake: ignore it.
            if (oldest != current) oldest = (oldest + 1) % kBuffers;
        } else if (byte == kCloseMark) {
            if (state == kStateConnected) state = kStatePeerClosed;
            failure = kPeerClosed;
        }
        ++readCursor;
    }
    if (state != kStateConnected) return;
    pendingAcks += acknowledgements;
    // A full message means the peer streams: it waits for this acknowledgement to send more,
    // and no answer of ours is coming for it to ride with, so it goes before the data is read.
    if (bulk || pendingAcks > kMaxPendingAcks) flushAcks();
}

void DeviceStream::flushAcks() {
    if (pendingAcks == 0 || state != kStateConnected) return;
    uint8_t marks[kAckRoom];
    while (pendingAcks > 0) {
        int32_t length = 0;
        for (; pendingAcks > 0 && length < kAckRoom; --pendingAcks) {
            marks[length++] = kEscape;
            marks[length++] = static_cast<uint8_t>(peerAck);
        }
        // A peer that has gone needs no acknowledgements, and what it sent before it went is
        // still to be read: its end is reported once the transport has nothing more. Any other
        // failure ends the link; the blocks cut so far are still handed out, the next call
        // reports the end.
        int32_t written = link->write(marks, length);
        if (written == length) continue;
        pendingAcks = 0;
        if (written != kTransferPeerGone) fail(written);
    }
}

int32_t DeviceStream::nextInput(const uint8_t** block, int32_t* length) {
    *block = nullptr;
    *length = 0;
    if (blocksLeft == 0) {
        if (readCursor == readEnd) {
            // The peer may be waiting for them to send more.
            flushAcks();
            if (state == kStatePeerClosed || state == kStateFailed) return failure;
            int32_t count = link->read(input, kInputSize);
            if (count == kTransferStopped) return kAborted;
            if (count < 0 || count > kInputSize) return fail(count < 0 ? count : kTransferFailed);
            readCursor = 0;
            readEnd = count;
        }
        cutBlocks();
    }
    if (blocksLeft > 0) {
        *block = blocks[blockCursor].data;
        *length = blocks[blockCursor].length;
        ++blockCursor;
        --blocksLeft;
    }
    return kOk;
}

int32_t DeviceStream::inputState() const {
    if (unreadInput()) return kInputPending;
    if (state == kStatePeerClosed) return kPeerClosed;
    return kOk;
}

int32_t DeviceStream::readyCount(int32_t* ready) {
    int32_t flag = 0;
    int32_t answer = kOk;
    if (unreadInput()) {
        flag = 1;
    } else if (state == kStatePeerClosed || state == kStateFailed) {
        flag = 1;
        answer = failure;
    } else {
        flushAcks();
        int32_t data = state == kStatePeerClosed || state == kStateFailed ? 0 : link->hasData();
        if (state == kStatePeerClosed || state == kStateFailed) {
            flag = 1;
            answer = failure;
        } else if (data < 0) {
            flag = 1;
            answer = fail(data);
        } else {
            flag = data > 0;
        }
    }
    if (ready) *ready = flag;
    return answer;
}

// ---- Connect --------------------------------------------------------------------------------

int32_t DeviceStream::connect() {
    if (state == kStateConnected || state == kStatePeerClosed) return kOk;
    if (state != kStateMade) return kLinkDied;
    switch (link->connect()) {
    case kConnected:
        break;
    case kConnectFailed:
        state = kStateFailed;
        return kLinkDied;
    case kConnectRefused:
        state = kStateFailed;
        return QKERR_ACCEPT_FAILED;
    case kConnectBadHost:
        state = kStateFailed;
        return QKERR_BAD_LOCATION;
    case kConnectNoListener:
        return QKERR_NOT_LISTENING; // a later connect tries again
    case kConnectStopped:
        return kAborted;
    default:
        break;
    }
    return exchangeRoles();
}

int32_t DeviceStream::exchangeRoles() {
    const int32_t wordLength = static_cast<int32_t>(std::strlen(role.word));
    uint8_t said[8];
    std::memcpy(said, role.word, std::size_t(wordLength));
    said[wordLength] = ' ';
    if (link->write(said, wordLength + 1) != wordLength + 1) {
        state = kStateFailed;
        return kLinkDied;
    }
    // The peer's role word, then any words after a comma up to one that ends with a blank.
    char word[kMaxWord];
    int32_t length = 0;
    bool first = true;
    for (int32_t words = 0;;) {
        uint8_t byte = 0;
        if (link->read(&byte, 1) != 1) {
            state = kStateFailed;
            return kLinkDied;
        }
        if (byte != ' ' && byte != ',') {
            if (length == kMaxWord) {
                state = kStateFailed;
                return kLinkDied;
            }
            word[length++] = static_cast<char>(byte);
            continue;
        }
        if (first) {
            Role peer;
            if (!roleOfWord(word, length, peer)) {
                state = kStateFailed;
                return kLinkDied;
            }
            peerEnd = peer.end;
            peerAck = peer.ack;
            first = false;
        }
        if (byte == ' ') break;
        if (++words > kMaxExtraWords) {
            state = kStateFailed;
            return kLinkDied;
        }
        length = 0;
    }
    state = kStateConnected;
    return kOk;
}
