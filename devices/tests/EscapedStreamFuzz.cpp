// Feeds arbitrary peer bytes, in arbitrary pieces, to the escaped stream's decoder and checks
// what it hands out against a byte-at-a-time reading of the framing: the same data, one
// acknowledgement per end mark of the peer, and every block inside the input buffer.

#include "DeviceStream.h"
#include "FakeTransport.h"

#include <cstdlib>
#include <string>

namespace {

using devices::testing::FakeDevice;
using devices::testing::FakeLink;

struct Expected {
    std::string data;
    std::string acknowledgements;
    bool closed = false;
};

// The framing read one byte at a time, for a listener ('C'/'c') whose peer connects ('P'/'p').
Expected expectedOf(const std::string& wire) {
    Expected expected;
    bool escaped = false;
    for (char byte : wire) {
        if (expected.closed) break;
        if (!escaped) {
            if (byte == '\\')
                escaped = true;
            else
                expected.data += byte;
            continue;
        }
        escaped = false;
        if (byte == '\\')
            expected.data += byte;
        else if (byte == 'P')
            expected.acknowledgements += "\\p";
        else if (byte == 0x04)
            expected.closed = true;
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    if (size < 1) return 0;
    // The first byte sets the size of the pieces the transport hands over.
    std::size_t piece = 1 + input[0] % 64;
    std::string wire(reinterpret_cast<const char*>(input + 1), size - 1);
    Expected expected = expectedOf(wire);

    devices::DeviceMemory memory = devices::deviceMemory(nullptr, nullptr);
    FakeDevice device(memory);
    FakeLink* link = memory.make<FakeLink>();
    int32_t error = 0;
    DeviceStream* stream = DeviceStream::create(memory, device, link, QKMODE_LISTEN, error);
    if (!stream) std::abort();
    link->chunks.push_back("ang ");
    if (stream->connect() != 0) std::abort();
    link->sent.clear();
    for (std::size_t at = 0; at < wire.size(); at += piece)
        link->chunks.push_back(wire.substr(at, piece));

    std::string data;
    int32_t answer = 0;
    for (std::size_t rounds = 0; rounds <= 2 * wire.size() + 4; ++rounds) {
        const uint8_t* block = nullptr;
        int32_t length = 0;
        answer = stream->nextInput(&block, &length);
        if (answer != 0) break;
        if (length < 0 ||
            (length > 0 &&
             (block < stream->input || block + length > stream->input + DeviceStream::kInputSize)))
            std::abort();
        data.append(reinterpret_cast<const char*>(block), std::size_t(length));
    }
    bool closed = answer == devices::kPeerClosed;
    if (answer != devices::kAborted && !closed) std::abort();
    if (closed != expected.closed) std::abort();
    // Past the close mark the decoder may still hand out what the same read held.
    if (closed ? data.compare(0, expected.data.size(), expected.data) != 0 : data != expected.data)
        std::abort();
    if (!closed && link->sent != expected.acknowledgements) std::abort();
    DeviceStream::close(stream);
    return 0;
}
