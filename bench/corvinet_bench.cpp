// Corvinet's put and get sides over a loopback link, through the real stream layer. Rates are
// tokens per second; the get side of the flat integer list should reach 20 million a second.

#include "corvinet/corvinet.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int32_t kIntegers = 1'000'000;
constexpr int32_t kExpressions = 100'000;
constexpr int64_t kTokensPerExpression = 9; // F f F g 1 "s" F h 2.5

class Loopback {
public:
    Loopback() {
        QKNewParameters(m_block, 7, 6);
        QKSetDeviceParameter(m_block, "");
        m_env = QKBegin(m_block);
        int32_t error = 0;
        link = QKLoopbackOpen(m_env, &error);
    }
    ~Loopback() {
        QKClose(link);
        QKEnd(m_env);
    }
    QKLINK link = nullptr;

private:
    QKParameters m_block{};
    QKENV m_env = nullptr;
};

void putIntegers(QKLINK link) {
    QKPutFunction(link, "List", kIntegers);
    for (int32_t i = 0; i < kIntegers; ++i)
        QKPutInteger(link, i);
    QKEndPacket(link);
    QKFlush(link);
}

void getIntegers(QKLINK link) {
    int32_t count = 0;
    QKCheckFunction(link, "List", &count);
    int32_t value = 0;
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        QKGetInteger(link, &value);
        sum += value;
    }
    benchmark::DoNotOptimize(sum);
}

// Packets of f[g[i, "s"], h[], 2.5].
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

void getExpressions(QKLINK link) {
    int32_t n = 0;
    int32_t value = 0;
    double real = 0;
    const char* text = nullptr;
    for (int32_t i = 0; i < kExpressions; ++i) {
        QKCheckFunction(link, "f", &n);
        QKCheckFunction(link, "g", &n);
        QKGetInteger(link, &value);
        QKGetString(link, &text);
        QKDisownString(link, text);
        QKCheckFunction(link, "h", &n);
        QKGetDouble(link, &real);
    }
    benchmark::DoNotOptimize(real);
}

void BM_PutIntegerList(benchmark::State& state) {
    for (auto _ : state) {
        Loopback loop;
        putIntegers(loop.link);
        state.PauseTiming();
        getIntegers(loop.link);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kIntegers);
}

void BM_GetIntegerList(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto loop = std::make_unique<Loopback>();
        putIntegers(loop->link);
        state.ResumeTiming();
        getIntegers(loop->link);
        state.PauseTiming();
        loop.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kIntegers);
}

void BM_PutNestedExpressions(benchmark::State& state) {
    for (auto _ : state) {
        Loopback loop;
        putExpressions(loop.link);
        state.PauseTiming();
        getExpressions(loop.link);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kExpressions * kTokensPerExpression);
}

void BM_GetNestedExpressions(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto loop = std::make_unique<Loopback>();
        putExpressions(loop->link);
        state.ResumeTiming();
        getExpressions(loop->link);
        state.PauseTiming();
        loop.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kExpressions * kTokensPerExpression);
}

BENCHMARK(BM_PutIntegerList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetIntegerList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PutNestedExpressions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetNestedExpressions)->Unit(benchmark::kMillisecond);

} // namespace
