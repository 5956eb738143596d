// Writes the seeds of the get side's fuzz target: packets as the put side writes them, toward
// peers of different features, each behind the two bytes that pick how the target reads them
// (GetSideFuzz.cpp). Random bytes rarely get past the first count field; these reach every
// token kind, the array form, packed runs and the plain form.
//
//   corvinet_get_corpus write DIR   writes every seed into DIR
//   corvinet_get_corpus check DIR   fails when a seed in DIR differs from what the put side
//                                   writes now, or is missing; run `write` then and check them in

#include "Link.h"
#include "corvinet/corvinet.h"
#include "tests/TestEnvironment.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

namespace {

// Features of the peers that the seeds are written toward.
constexpr const char* kOwnFeatures = nullptr;
// Reads only the plain form and nothing but plain tokens: no binary numbers, runs or arrays.
constexpr const char* kPlainPeer = "Corvinet 3 -formats 7 -decoders 0";
// Reads 8-bit and 16-bit text, runs and arrays, but no 7-bit text.
constexpr const char* kWidePeer = "Corvinet 3 -formats 2,3 -decoders 458752";

struct Seed {
    const char* name;
    uint8_t style; // the target's first byte: which getter reads each token
    uint8_t view;  // its second: raw view, copies
    const char* features;
    std::function<void(QKLINK)> put;
};

void nestedExpression(QKLINK link) {
    // f[g[-7, "s"], h[], 2.5, Sym]
    QKPutFunction(link, "f", 4);
    QKPutFunction(link, "g", 2);
    QKPutInteger(link, -7);
    QKPutString(link, "s");
    QKPutFunction(link, "h", 0);
    QKPutDouble(link, 2.5);
    QKPutSymbol(link, "Sym");
    QKEndPacket(link);
}

void texts(QKLINK link) {
    QKPutFunction(link, "List", 5);
    QKPutString(link, "escaped \\n and \\:03b1");
    const unsigned char bytes[] = {'c', 'a', 'f', 0xE9};
    QKPutByteString(link, bytes, sizeof bytes);
    const char16_t wide[] = {u'x', 0x3B1, 0x2202};
    QKPutUnicodeString(link, wide, 3);
    QKPutString(link, std::string(70, 'L').c_str()); // counts past the compact form
    QKPutRealByteString0(link, reinterpret_cast<const unsigned char*>("1.5`20*^3"));
    QKEndPacket(link);
}

void numberLists(QKLINK link) {
    std::vector<int32_t> shortList(5);
    std::iota(shortList.begin(), shortList.end(), -2);
    QKPutIntegerList(link, shortList.data(), static_cast<int32_t>(shortList.size()));
    QKEndPacket(link);
    std::vector<double> longList(130); // long enough to go as an array
    std::iota(longList.begin(), longList.end(), 0.5);
    QKPutRealList(link, longList.data(), static_cast<int32_t>(longList.size()));
    QKEndPacket(link);
}

void matrix(QKLINK link) {
    const int32_t dims[] = {3, 4};
    const char* heads[] = {"Matrix", "Row"};
    std::vector<int16_t> leaves(12);
    std::iota(leaves.begin(), leaves.end(), int16_t{1});
    QKPutShortIntegerArray(link, leaves.data(), dims, heads, 2);
    QKEndPacket(link);
    const int32_t empty[] = {2, 0};
    QKPutIntegerArray(link, nullptr, empty, nullptr, 2);
    QKEndPacket(link);
}

void numbers(QKLINK link) {
    QKPutFunction(link, "Numbers", 5);
    QKPutInteger(link, 2147483647);
    QKPutDouble(link, -1.0e300);
    QKPutLongDouble(link, 3.25L);
    const unsigned char byte = 200;
    QKPutBinaryNumber(link, &byte, 0xA1);
    QKPutNext(link, QKTOK_INTEGER);
    QKPutString(link, "123456789012345678901234567890");
    QKEndPacket(link);
}

void rawTokens(QKLINK link) {
    QKPutFunction(link, "Raw", 2);
    // A string token's data given raw, in two pieces: `A` text of four characters.
    QKPutNext(link, QKTOK_STRING);
    QKPutRawSize(link, 7);
    QKPutRawData(link, reinterpret_cast<const unsigned char*>("A~D"), 3);
    QKPutRawData(link, reinterpret_cast<const unsigned char*>("abcd"), 4);
    // A plain-form string given raw.
    QKPutNext(link, 'S');
    QKPutRawSize(link, 3);
    QKPutRawData(link, reinterpret_cast<const unsigned char*>("xyz"), 3);
    QKEndPacket(link);
}

const std::vector<Seed>& seeds() {
    static const std::vector<Seed> all = {
        {"nested-expression", 0x00, 0x00, kOwnFeatures, nestedExpression},
        {"nested-expression-raw-view", 0x21, 0x07, kOwnFeatures, nestedExpression},
        {"nested-expression-copied", 0x10, 0x08, kOwnFeatures, nestedExpression},
        {"texts", 0x00, 0x00, kOwnFeatures, texts},
        {"texts-in-pieces", 0x84, 0x00, kOwnFeatures, texts},
        {"texts-wide-peer", 0x08, 0x04, kWidePeer, texts},
        {"texts-plain-peer", 0x01, 0x0A, kPlainPeer, texts},
        {"number-lists", 0x40, 0x00, kOwnFeatures, numberLists},
        {"number-lists-arrays", 0x80, 0x08, kOwnFeatures, numberLists},
        {"matrix-array-form", 0x80, 0x00, kOwnFeatures, matrix},
        {"matrix-array-state", 0x08, 0x00, kOwnFeatures, matrix},
        {"matrix-raw-view", 0x00, 0x03, kOwnFeatures, matrix},
        {"matrix-plain-peer", 0x80, 0x08, kPlainPeer, matrix},
        {"numbers", 0x02, 0x00, kOwnFeatures, numbers},
        {"numbers-plain-peer", 0x05, 0x04, kPlainPeer, numbers},
        {"raw-tokens", 0x04, 0x0E, kOwnFeatures, rawTokens},
    };
    return all;
}

// The seed's bytes: its two reading bytes and the packets as the put side wrote them.
bool generate(const Seed& seed, std::vector<uint8_t>& out) {
    static QKParameters block{};
    static const QKENV env = corvinet::testing::beginWithoutDevices(block);
    int32_t error = 0;
    QKLINK link =
        seed.features ? QKLoopbackOpen0(env, seed.features, &error) : QKLoopbackOpen(env, &error);
    if (!link) return false;
    seed.put(link);
    const bool ok = QKError(link) == 0 && QKFlush(link);
    out = {seed.style, seed.view};
    const std::size_t size = link->stream.available();
    out.resize(2 + size);
    const bool whole = link->stream.getBytes(out.data() + 2, size) == size;
    QKClose(link);
    return ok && whole;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode != "write" && mode != "check") {
        std::fprintf(stderr, "usage: %s write|check DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[2];
    int stale = 0;
    for (const Seed& seed : seeds()) {
        std::vector<uint8_t> bytes;
        if (!generate(seed, bytes)) {
            std::fprintf(stderr, "%s: the put side failed\n", seed.name);
            return 1;
        }
        const std::string path = dir + "/" + seed.name;
        if (mode == "write") {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            if (!out) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> kept{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
        if (!in.is_open() || kept != bytes) {
            std::fprintf(stderr, "%s is out of date: run %s write %s\n", path.c_str(), argv[0],
                         dir.c_str());
            ++stale;
        }
    }
    return stale == 0 ? 0 : 1;
}
