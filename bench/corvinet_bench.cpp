// Corvinet's put and get sides over a loopback link, through the real stream layer, beside
// msgpack-c packing and unpacking the same values in the same run. The table at the end gives
// Corvinet's time over msgpack-c's for each case. Goals: per token within 2 times msgpack-c's
// time, whole arrays at least as fast.
//
// Cases:
//   integer tokens      1 million integers, one put or get call each (msgpack-c: one pack call
//                       each; its unpacker hands out whole objects, so one unpack call each)
//   integer array       the same integers in one array call (msgpack-c: an array packed element
//                       by element, unpacked in one call and copied out)
//   nested expressions  100,000 packets f[g[i, "s"], h[], 2.5], a head and its arguments, nine
//                       tokens each (msgpack-c: ["f", ["g", i, "s"], ["h"], 2.5], one unpack
//                       call per expression and a walk over the result)
// Links are opened, and data to be read is written, outside the timed region.

#include "Loopback.h"
#include "PeerRatio.h"
#include "corvinet/corvinet.h"

#include <benchmark/benchmark.h>
#include <msgpack.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int32_t kIntegers = 1'000'000;
constexpr int32_t kExpressions = 100'000;
constexpr int64_t kExpressionTokens = int64_t{kExpressions} * 9; // F f F g i "s" F h 2.5

const std::vector<int32_t>& integers() {
    static const std::vector<int32_t> values = [] {
        std::vector<int32_t> v(kIntegers);
        std::iota(v.begin(), v.end(), -kIntegers / 2);
        return v;
    }();
    return values;
}

int64_t integerSum() {
    return std::accumulate(integers().begin(), integers().end(), int64_t{0});
}

// What the expression getters add up: i, the string's character and the real, per packet.
int64_t expressionSum() {
    const int64_t n = kExpressions;
    return n * (n - 1) / 2 + n * ('s' + 2);
}

// ---- Corvinet -----------------------------------------------------------------------------------

using tessary::bench::Loopback;

void putIntegerTokens(QKLINK link) {
    QKPutFunction(link, "List", kIntegers);
    for (const int32_t value : integers())
        QKPutInteger(link, value);
    QKEndPacket(link);
    QKFlush(link);
}

int64_t getIntegerTokens(QKLINK link) {
    int32_t count = 0;
    QKCheckFunction(link, "List", &count);
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t value = 0;
        QKGetInteger(link, &value);
        sum += value;
    }
    return sum;
}

void putIntegerArray(QKLINK link) {
    const int32_t dims[] = {kIntegers};
    QKPutIntegerArray(link, integers().data(), dims, nullptr, 1);
    QKEndPacket(link);
    QKFlush(link);
}

int64_t getIntegerArray(QKLINK link) {
    int32_t* data = nullptr;
    int32_t* dims = nullptr;
    char** heads = nullptr;
    int32_t depth = 0;
    if (!QKGetIntegerArray(link, &data, &dims, &heads, &depth)) return 0;
    const int64_t sum = std::accumulate(data, data + dims[0], int64_t{0});
    QKDisownIntegerArray(link, data, dims, heads, depth);
    return sum;
}

void putExpressions(QKLINK link) {
    for (int32_t i = 0; i < kExpressions; ++i) {
        QKPutFunction(link, "f", 3);
        QKPutFunction(link, "g", 2);
        QKPutInteger(link, i);
        QKPutString(link, "s");
        QKPutFunction(link, "h", 0);
        QKPutDouble(link, 2.5);
        QKEndPacket(link);
    }
    QKFlush(link);
}

int64_t getExpressions(QKLINK link) {
    int64_t sum = 0;
    for (int32_t i = 0; i < kExpressions; ++i) {
        int32_t n = 0;
        int32_t value = 0;
        double real = 0;
        const char* text = nullptr;
        QKCheckFunction(link, "f", &n);
        QKCheckFunction(link, "g", &n);
        QKGetInteger(link, &value);
        QKGetString(link, &text);
        sum += value + text[0];
        QKDisownString(link, text);
        QKCheckFunction(link, "h", &n);
        QKGetDouble(link, &real);
        sum += static_cast<int64_t>(real);
    }
    return sum;
}

// Times `put` on a link opened beforehand; what it wrote is read away untimed.
template <class Put>
void corvinetPut(benchmark::State& state, Put put, int64_t items) {
    Loopback loop{7, 6};
    for (auto _ : state) {
        put(loop.link);
        state.PauseTiming();
        loop.drain();
        state.ResumeTiming();
    }
    if (QKError(loop.link) != 0) state.SkipWithError("the link failed");
    state.SetItemsProcessed(state.iterations() * items);
}

// Times `get` over data that `put` wrote untimed.
template <class Put, class Get>
void corvinetGet(benchmark::State& state, Put put, Get get, int64_t items, int64_t expected) {
    Loopback loop{7, 6};
    int64_t sum = expected;
    for (auto _ : state) {
        state.PauseTiming();
        put(loop.link);
        state.ResumeTiming();
        sum = get(loop.link);
    }
    if (QKError(loop.link) != 0 || sum != expected) state.SkipWithError("wrong values read");
    state.SetItemsProcessed(state.iterations() * items);
}

// ---- msgpack-c ----------------------------------------------------------------------------------

class Packer {
public:
    Packer() {
        msgpack_sbuffer_init(&buffer);
        msgpack_packer_init(&packer, &buffer, msgpack_sbuffer_write);
    }
    ~Packer() { msgpack_sbuffer_destroy(&buffer); }
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    msgpack_sbuffer buffer;
    msgpack_packer packer;
};

void packIntegerTokens(Packer& p) {
    for (const int32_t value : integers())
        msgpack_pack_int32(&p.packer, value);
}

void packIntegerArray(Packer& p) {
    msgpack_pack_array(&p.packer, integers().size());
    for (const int32_t value : integers())
        msgpack_pack_int32(&p.packer, value);
}

void packExpressions(Packer& p) {
    for (int32_t i = 0; i < kExpressions; ++i) {
        msgpack_pack_array(&p.packer, 4);
        msgpack_pack_str_with_body(&p.packer, "f", 1);
        msgpack_pack_array(&p.packer, 3);
        msgpack_pack_str_with_body(&p.packer, "g", 1);
        msgpack_pack_int32(&p.packer, i);
        msgpack_pack_str_with_body(&p.packer, "s", 1);
        msgpack_pack_array(&p.packer, 1);
        msgpack_pack_str_with_body(&p.packer, "h", 1);
        msgpack_pack_double(&p.packer, 2.5);
    }
}

int64_t unpackIntegerTokens(const msgpack_sbuffer& buffer) {
    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    std::size_t offset = 0;
    int64_t sum = 0;
    while (msgpack_unpack_next(&result, buffer.data, buffer.size, &offset) ==
           MSGPACK_UNPACK_SUCCESS)
        sum += result.data.via.i64;
    msgpack_unpacked_destroy(&result);
    return sum;
}

// Like Corvinet's array getter, hands the values out in memory of their own.
int64_t unpackIntegerArray(const msgpack_sbuffer& buffer) {
    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    std::size_t offset = 0;
    if (msgpack_unpack_next(&result, buffer.data, buffer.size, &offset) != MSGPACK_UNPACK_SUCCESS)
        return 0;
    const msgpack_object_array& array = result.data.via.array;
    std::vector<int32_t> out(array.size);
    for (uint32_t i = 0; i < array.size; ++i)
        out[i] = static_cast<int32_t>(array.ptr[i].via.i64);
    msgpack_unpacked_destroy(&result);
    return std::accumulate(out.begin(), out.end(), int64_t{0});
}

bool hasHead(const msgpack_object& o, char head) {
    return o.type == MSGPACK_OBJECT_ARRAY && o.via.array.size > 0 &&
           o.via.array.ptr[0].type == MSGPACK_OBJECT_STR && o.via.array.ptr[0].via.str.size == 1 &&
           o.via.array.ptr[0].via.str.ptr[0] == head;
}

int64_t unpackExpressions(const msgpack_sbuffer& buffer) {
    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    std::size_t offset = 0;
    int64_t sum = 0;
    while (msgpack_unpack_next(&result, buffer.data, buffer.size, &offset) ==
           MSGPACK_UNPACK_SUCCESS) {
        const msgpack_object& f = result.data;
        if (!hasHead(f, 'f') || f.via.array.size != 4) break;
        const msgpack_object& g = f.via.array.ptr[1];
        if (!hasHead(g, 'g') || g.via.array.size != 3 || !hasHead(f.via.array.ptr[2], 'h')) break;
        sum += g.via.array.ptr[1].via.i64 + g.via.array.ptr[2].via.str.ptr[0];
        sum += static_cast<int64_t>(f.via.array.ptr[3].via.f64);
    }
    msgpack_unpacked_destroy(&result);
    return sum;
}

template <class Pack>
void msgpackPack(benchmark::State& state, Pack pack, int64_t items) {
    Packer p;
    for (auto _ : state) {
        msgpack_sbuffer_clear(&p.buffer);
        pack(p);
        benchmark::DoNotOptimize(p.buffer.data);
    }
    state.SetItemsProcessed(state.iterations() * items);
}

template <class Pack, class Unpack>
void msgpackUnpack(benchmark::State& state, Pack pack, Unpack unpack, int64_t items,
                   int64_t expected) {
    Packer p;
    pack(p);
    int64_t sum = expected;
    for (auto _ : state) {
        sum = unpack(p.buffer);
        benchmark::DoNotOptimize(sum);
    }
    if (sum != expected) state.SkipWithError("wrong values read");
    state.SetItemsProcessed(state.iterations() * items);
}

// One case of the comparison: how each side writes the values and reads them back, and what the
// values read add up to.
struct Case {
    const char* name;
    int64_t items;
    int64_t (*expected)();
    void (*put)(QKLINK);
    int64_t (*get)(QKLINK);
    void (*pack)(Packer&);
    int64_t (*unpack)(const msgpack_sbuffer&);
};

const Case kCases[] = {
    {"integer tokens", kIntegers, integerSum, putIntegerTokens, getIntegerTokens, packIntegerTokens,
     unpackIntegerTokens},
    {"integer array", kIntegers, integerSum, putIntegerArray, getIntegerArray, packIntegerArray,
     unpackIntegerArray},
    {"nested expressions", kExpressionTokens, expressionSum, putExpressions, getExpressions,
     packExpressions, unpackExpressions},
};

void registerAll() {
    for (const Case& c : kCases) {
        const std::string name = c.name;
        benchmark::RegisterBenchmark(("corvinet/put " + name).c_str(), [&c](benchmark::State& s) {
            corvinetPut(s, c.put, c.items);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("msgpack/put " + name).c_str(), [&c](benchmark::State& s) {
            msgpackPack(s, c.pack, c.items);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("corvinet/get " + name).c_str(), [&c](benchmark::State& s) {
            corvinetGet(s, c.put, c.get, c.items, c.expected());
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("msgpack/get " + name).c_str(), [&c](benchmark::State& s) {
            msgpackUnpack(s, c.pack, c.unpack, c.items, c.expected());
        })->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    registerAll();
    return tessary::bench::runWithPeerRatios(argc, argv, "corvinet", "msgpack");
}
