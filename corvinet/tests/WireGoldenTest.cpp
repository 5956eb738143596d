// The bytes the put side writes, byte for byte, toward peers that read different things.

#include "WireFixture.h"

#include <string>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

class WireGolden : public LoopbackTest {};

// Each case puts something and compares the bytes on the wire.
struct Golden {
    const char* name;
    const char* peer; // features of the peer, or null for this library's own
    void (*put)(QKLINK);
    std::string bytes;
};

const std::string kSeventyBytes(70, 'x');

const Golden kGolden[] = {
    {"count 63 is compact", nullptr,
     [](QKLINK l) { QKPutNext(l, QKTOK_FUNCTION), QKPutArgCount(l, 63); }, "F\x7F"},
    {"count 64 is decimal", nullptr,
     [](QKLINK l) { QKPutNext(l, QKTOK_FUNCTION), QKPutArgCount(l, 64); }, "F64 "},
    {"decimal counts without the compact decoder", "Corvinet 3 -formats 1,2,3,7 -decoders 0",
     [](QKLINK l) { QKPutNext(l, QKTOK_FUNCTION), QKPutArgCount(l, 2); }, "F2 "},
    {"empty string as A", "Corvinet 3 -formats 1,7", [](QKLINK l) { QKPutString(l, ""); },
     "\x22\x43\x41\x7E\x40\n"},
    {"string as A", nullptr, [](QKLINK l) { QKPutString(l, "a\\:03B1"); },
     "\"\x4A"
     "A~\x42"
     "a\\:03B1\n"},
    {"70 bytes as B", nullptr,
     [](QKLINK l) {
         QKPutByteString(l, reinterpret_cast<const unsigned char*>(kSeventyBytes.data()), 70);
     },
     "\"73 B~ " + kSeventyBytes + "\n"},
    {"function with no arguments, then its head", nullptr,
     [](QKLINK l) { QKPutFunction(l, "f", 0); },
     "F\x40#\x44"
     "A~\x41"
     "f\n"},
    {"function without a head name", nullptr, [](QKLINK l) { QKPutFunction(l, nullptr, 2); },
     "F\x42#\x47"
     "A~\x44"
     "List\n"},
    {"integer in binary", nullptr, [](QKLINK l) { QKPutInteger(l, 5); }, "\xE4\x05\x00\x00\x00\n"s},
    {"negative short in binary", nullptr,
     [](QKLINK l) {
         const int16_t v = -2;
         QKPutBinaryNumber(l, &v, 0xE2);
     },
     "\xE2\xFE\xFF\n"s},
    {"double in binary", nullptr, [](QKLINK l) { QKPutDouble(l, 1.0); },
     "\xF6\x00\x00\x00\x00\x00\x00\xF0\x3F\n"s},
    {"integer as text when the peer takes no binary", "Corvinet 3 -formats 1,2,3,7 -tokens ''",
     [](QKLINK l) { QKPutInteger(l, 42); },
     "+\x45"
     "B~\x42"
     "42\n"},
    {"real as text after announcing a real", nullptr,
     [](QKLINK l) { QKPutNext(l, QKTOK_REAL), QKPutDouble(l, 100.0); },
     "*\x47"
     "B~\x44"
     ".1e3\n"},
    {"string continuing an announced integer", nullptr,
     [](QKLINK l) { QKPutNext(l, QKTOK_INTEGER), QKPutString(l, "123"); },
     "+\x46"
     "A~\x43"
     "123\n"},
    {"declared size and data", nullptr,
     [](QKLINK l) {
         QKPutNext(l, QKTOK_INTEGER), QKPutSize(l, 2), QKPutData(l, "1", 1), QKPutData(l, "7", 1);
     },
     "+\x45"
     "A~\x42"
     "17\n"},
    {"raw token of size 0", nullptr,
     [](QKLINK l) { QKPutNext(l, QKTOK_STRING), QKPutRawSize(l, 0); }, "\"\x40\n"},
    {"raw token in two pieces", nullptr,
     [](QKLINK l) {
         QKPutNext(l, QKTOK_SYMBOL), QKPutRawSize(l, 3);
         QKPutRawData(l, reinterpret_cast<const unsigned char*>("ab"), 2);
         QKPutRawData(l, reinterpret_cast<const unsigned char*>("c"), 1);
     },
     "#\x43"
     "abc\n"},
    {"end of packet", nullptr, [](QKLINK l) { QKPutSymbol(l, "x"), QKEndPacket(l); },
     "#\x44"
     "A~\x41"
     "x\n]"},
    {"plain form", "Corvinet 3 -formats 7", [](QKLINK l) { QKPutString(l, "ab"); }, "S2 ab\n"},
    {"plain form of a 16-bit character", "Corvinet 3 -formats 7",
     [](QKLINK l) { QKPutString(l, "\\:03B1"); }, "S3 \xFB\x03\xB1\n"s},
    {"plain form of a symbol", "Corvinet 3 -formats 7", [](QKLINK l) { QKPutSymbol(l, "x"); },
     "Y1 x\n"},
    {"7-bit text as C", "Corvinet 3 -formats 3,7", [](QKLINK l) { QKPutString(l, "A\\:03B1"); },
     "\"\x47"
     "C~\x42\x00"
     "A\x03\xB1\n"s},
    {"8-bit text as A when B is not read", "Corvinet 3 -formats 1,3,7",
     [](QKLINK l) {
         const unsigned char bytes[] = {0x41, 0x5C, 0x0A, 0xE9};
         QKPutByteString(l, bytes, 4);
     },
     "\"\x4E"
     "A~\x44"
     "A\\\\\\012\\351\n"},
    {"16-bit text as C", nullptr,
     [](QKLINK l) {
         const char16_t text[] = {u'a', 0x3B1};
         QKPutUnicodeString(l, text, 2);
     },
     "\"\x47"
     "C~\x42\x00"
     "a\x03\xB1\n"s},
    {"16-bit text as A when C is not read", "Corvinet 3 -formats 1,7",
     [](QKLINK l) {
         const char16_t text[] = {0x3B1};
         QKPutUnicodeString(l, text, 1);
     },
     "\"\x49"
     "A~\x41"
     "\\:03B1\n"},
    {"a bad escape goes out as the characters given", nullptr,
     [](QKLINK l) { QKPutString(l, "a\\q"); },
     "\"\x47"
     "A~\x43"
     "a\\\\q\n"},
    {"pieces of 8-bit text", nullptr,
     [](QKLINK l) {
         QKPutNext(l, QKTOK_STRING);
         QKPut8BitCharacters(l, 1, reinterpret_cast<const unsigned char*>("ab"), 2);
         QKPut8BitCharacters(l, 0, reinterpret_cast<const unsigned char*>("c"), 1);
     },
     "\"\x46"
     "B~\x43"
     "abc\n"},
};

TEST_F(WireGolden, BytesOfEveryToken) {
    for (const Golden& g : kGolden) {
        SCOPED_TRACE(g.name);
        open(g.peer);
        g.put(link);
        EXPECT_EQ(QKError(link), 0) << QKErrorMessage(link);
        EXPECT_EQ(wire(), g.bytes);
    }
}

TEST_F(WireGolden, PutSequenceErrors) {
    struct Case {
        const char* name;
        bool (*put)(QKLINK);
        int32_t error;
    } cases[] = {
        {"arg count after a string announcement",
         [](QKLINK l) { return QKPutNext(l, QKTOK_STRING) && QKPutArgCount(l, 1); },
         QKERR_PUT_SEQUENCE},
        {"end of packet right after an announcement",
         [](QKLINK l) { return QKPutNext(l, QKTOK_STRING) && QKEndPacket(l); }, QKERR_END_PACKET},
        {"too much raw data",
         [](QKLINK l) {
             return QKPutNext(l, QKTOK_STRING) && QKPutRawSize(l, 1) &&
                    QKPutRawData(l, reinterpret_cast<const unsigned char*>("ab"), 2);
         },
         QKERR_TOO_MUCH_DATA},
        {"symbol after an integer announcement",
         [](QKLINK l) { return QKPutNext(l, QKTOK_INTEGER) && QKPutSymbol(l, "x"); },
         QKERR_PUT_SEQUENCE},
        {"a bad token type", [](QKLINK l) { return QKPutNext(l, 'Q') != 0; }, QKERR_BAD_TOKEN},
        {"too much declared text",
         [](QKLINK l) {
             return QKPutNext(l, QKTOK_STRING) && QKPutSize(l, 1) && QKPutData(l, "ab", 2);
         },
         QKERR_TOO_MUCH_DATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        EXPECT_EQ(c.put(link), 0);
        EXPECT_EQ(QKError(link), c.error);
    }
    // Too much data writes nothing, and a link with an error refuses further puts.
    open(nullptr);
    QKPutNext(link, QKTOK_STRING);
    QKPutRawSize(link, 1);
    EXPECT_EQ(QKPutRawData(link, reinterpret_cast<const unsigned char*>("ab"), 2), 0);
    EXPECT_EQ(QKPutInteger(link, 1), 0);
    EXPECT_EQ(QKError(link), QKERR_TOO_MUCH_DATA);
    EXPECT_EQ(wire(), "");
}

} // namespace
} // namespace corvinet::testing
