// The link reader building a tree from a kernel answer, beside the get side's raw token walk
// over the same answer in the same run. The answer is a list of 1,000 sums of 1,000 integer
// terms each: about a million nodes, and as many tokens. The reader's time includes freeing
// the tree. The table at the end gives the reader's time over the raw walk's; the goal is a
// node rate of at least half the raw token rate, a ratio of at most 2.
//
// Links are opened, and the answer is written, outside the timed region.

#include "Loopback.h"
#include "PeerRatio.h"
#include "corvinet/corvinet.h"
#include "expr/LinkReader.h"
#include "expr/symbols/BuiltinNames.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t kSums = 1000;
constexpr int32_t kTerms = 1000;
// Integers, and per function its token and its head symbol.
constexpr int64_t kTokens = int64_t{kSums} * kTerms + 2 * (kSums + 1);
constexpr int64_t kNodes = int64_t{kSums} * kTerms + kSums + 1;

using tessary::bench::Loopback;

void PutAnswer(QKLINK link) {
    QKPutFunction(link, "List", kSums);
    for (int32_t s = 0; s < kSums; ++s) {
        QKPutFunction(link, "TYPlus", kTerms);
        for (int32_t t = 0; t < kTerms; ++t)
            QKPutInteger(link, t);
    }
    QKEndPacket(link);
    QKFlush(link);
}

// Every token once, as a reader must see it: functions with their counts and heads, integers
// by value.
int64_t WalkTokens(QKLINK link) {
    int64_t owed = 1;
    int64_t seen = 0;
    while (owed > 0) {
        const int32_t type = QKGetNext(link);
        --owed;
        ++seen;
        if (type == QKTOK_FUNCTION) {
            int32_t count = 0;
            QKGetArgCount(link, &count);
            owed += count + 1;
        } else if (type == QKTOK_INTEGER) {
            int32_t value = 0;
            QKGetInteger(link, &value);
        } else if (type == QKTOK_SYMBOL) {
            const char* name = nullptr;
            if (QKGetSymbol(link, &name)) QKDisownSymbol(link, name);
        } else {
            break;
        }
    }
    return seen;
}

void Raw(benchmark::State& state) {
    Loopback loop{1, 7};
    int64_t seen = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutAnswer(loop.link);
        state.ResumeTiming();
        seen = WalkTokens(loop.link);
    }
    if (QKError(loop.link) != 0 || seen != kTokens) state.SkipWithError("wrong tokens read");
    state.SetItemsProcessed(state.iterations() * kTokens);
}

void Reader(benchmark::State& state) {
    static BuiltinNamesScope names;
    Loopback loop{1, 7};
    int32_t terms = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutAnswer(loop.link);
        state.ResumeTiming();
        NodePtr tree = ReadExprFromLink(loop.link);
        terms = tree->ChildCount();
    }
    if (QKError(loop.link) != 0 || terms != kSums) state.SkipWithError("wrong tree read");
    state.SetItemsProcessed(state.iterations() * kNodes);
}

BENCHMARK(Raw)->Name("raw/million-node answer")->Unit(benchmark::kMillisecond);
BENCHMARK(Reader)->Name("reader/million-node answer")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return tessary::bench::runWithPeerRatios(argc, argv, "reader", "raw");
}
