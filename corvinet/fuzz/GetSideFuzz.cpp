// The get side over arbitrary bytes: whatever arrives, every getter ends with a value or a
// stored error, never a crash, a hang, a read past the data or a leak. The first input byte
// picks how the reader walks the tokens and the second how often it takes the raw view or
// copies expressions to another link, so every getter and the copy meet damaged input.

#include "Link.h"
#include "corvinet/corvinet.h"
#include "tests/TestEnvironment.h"

#include <cstddef>
#include <cstdint>

namespace {

QKENV environment() {
    static QKParameters block{};
    static QKENV env = corvinet::testing::beginWithoutDevices(block);
    return env;
}

// Reads the current token with the getter that `style` picks for its type.
void readToken(QKLINK link, int token, uint8_t style) {
    int32_t n = 0;
    const char* text = nullptr;
    switch (token) {
    case QKTOK_FUNCTION:
        if (style & 0x40) {
            int32_t* list = nullptr;
            if (QKGetIntegerList(link, &list, &n)) QKDisownIntegerList(link, list, n);
        } else if (style & 0x80) {
            double* array = nullptr;
            int32_t* dims = nullptr;
            char** heads = nullptr;
            if (QKGetDoubleArray(link, &array, &dims, &heads, &n))
                QKDisownDoubleArray(link, array, dims, heads, n);
        } else if (style & 0x08) {
            // A part at a time through an array state.
            QKARRAYSTATE state = nullptr;
            int32_t code = 0;
            unsigned char leaves[3 * 16]; // room for three values of any code
            if (QKGetArrayType0(link, &state, &n, &code))
                while (QKGetBinaryNumberArrayData0(link, state, leaves, 3)) {
                }
            QKReleaseGetArrayState0(link, state);
        } else if (style & 1) {
            QKGetArgCount(link, &n);
        } else if (QKGetFunction(link, &text, &n)) {
            QKDisownSymbol(link, text);
        }
        break;
    case QKTOK_INTEGER:
    case QKTOK_REAL:
        if (style & 2) {
            double d;
            QKGetDouble(link, &d);
        } else {
            int32_t i;
            QKGetInteger(link, &i);
        }
        break;
    default:
        if (style & 4) {
            char buffer[16];
            int32_t copied = 0;
            if (QKBytesToGet(link, &n))
                while (n > 0 && QKGetData(link, buffer, sizeof buffer, &copied) && copied > 0)
                    n -= copied;
        } else if (style & 8) {
            const char16_t* wide = nullptr;
            if (QKGetUnicodeString(link, &wide, &n)) QKDisownUnicodeString(link, wide, n);
        } else if (style & 0x80) {
            char buffer[7];
            int32_t left = 1, bytes = 0, characters = 0;
            while (left > 0 &&
                   QKGet7BitCharacters(link, &left, buffer, sizeof buffer, &bytes, &characters) &&
                   bytes > 0) {
            }
        } else if (style & 1) {
            if (QKGetString0(link, &text)) QKDisownString(link, text);
        } else if (QKGetString(link, &text)) {
            QKDisownString(link, text);
        }
        break;
    }
}

// Reads the current token in the raw view: a function's or array's count, else its bytes as
// they lie on the wire.
void readRawToken(QKLINK link, int rawType) {
    int32_t n = 0;
    if (rawType == 'F' || rawType == 'A') {
        QKGetRawArgCount(link, &n);
        return;
    }
    unsigned char buffer[16];
    int32_t copied = 0;
    if (QKRawBytesToGet(link, &n))
        while (n > 0 && QKGetRawData(link, buffer, sizeof buffer, &copied) && copied > 0)
            n -= copied;
}

// Destinations for copies of the fuzzed expressions: one that reads the plain form, one that
// does not. Opened when an input first copies, closed with it.
class CopyTargets {
public:
    ~CopyTargets() {
        for (QKLINK link : m_links)
            if (link) QKClose(link);
    }
    // Copies the next expression to target `which` (0 or 1), or skips it (2).
    void copy(QKLINK source, int which) {
        if (which > 1) {
            QKTransferExpression(nullptr, source);
            return;
        }
        QKLINK& target = m_links[which];
        int32_t error = 0;
        if (!target)
            target = which == 0
                         ? QKLoopbackOpen(environment(), &error)
                         : QKLoopbackOpen0(environment(),
                                           "Corvinet 3 -formats 1,2,3 -decoders 458752", &error);
        if (!target) return;
        QKTransferExpression(target, source);
        // What the copy wrote is read back and dropped, so that a target only fills with one
        // copy at a time.
        QKClearError(target);
        QKTransferToEndOfLoopbackLink(nullptr, target);
    }

private:
    QKLINK m_links[2] = {};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    int32_t error = 0;
    QKLINK link = QKLoopbackOpen(environment(), &error);
    if (!link) return 0;
    const uint8_t style = data[0];
    const uint8_t view = data[1];
    // The bytes arrive as from a peer, beneath the put side.
    if (link->stream.putBytes(data + 2, size - 2) != 0 || link->stream.flush() != 0) {
        QKClose(link);
        return 0;
    }
    CopyTargets targets;
    for (int step = 0; step < 4096 && QKError(link) == 0; ++step) {
        if (style & 0x10 && step % 7 == 3) {
            QKNewPacket(link);
            continue;
        }
        // With bit 3 of the view byte, some steps copy the next expression instead of reading.
        if (view & 0x08 && step % 5 == 2) {
            targets.copy(link, (step / 5) % 3);
            continue;
        }
        // Bit 0 of the step's view byte navigates raw, bit 1 reads the token raw; the two
        // views meet on the same token.
        const auto stepView = static_cast<uint8_t>(view >> (step % 7));
        const bool stay = style & 0x20;
        int token = 0;
        if (stepView & 1)
            token = stay ? QKGetRawType(link) : QKGetNextRaw(link);
        else
            token = stay ? QKGetType(link) : QKGetNext(link);
        if (token == 0) break;
        if (stepView & 2)
            readRawToken(link, (stepView & 1) ? token : QKGetRawType(link));
        else
            readToken(link, (stepView & 1) ? QKGetType(link) : token,
                      static_cast<uint8_t>(style >> (step % 4)));
        // With bit 2, a token that its getter refused or could not fit stays in hand: read it
        // raw then.
        const int32_t error = QKError(link);
        if ((stepView & 4) && (error == QKERR_GET_SEQUENCE || error == QKERR_NUMBER_OVERFLOW)) {
            QKClearError(link);
            readRawToken(link, QKGetRawType(link));
        }
    }
    QKClose(link);
    return 0;
}
