// Building a sum one appended term at a time, as the parser and the link reader do. The time
// per term should stay the same whatever the sum's length; the items-per-second column shows
// it across the lengths.

#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void AppendTerms(benchmark::State& state) {
    const auto terms = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        PlusNode sum;
        for (int32_t i = 0; i < terms; ++i)
            sum.AppendChild(std::make_unique<MachineIntegerNode>(i));
        benchmark::DoNotOptimize(sum.ChildCount());
    }
    state.SetItemsProcessed(state.iterations() * terms);
}

} // namespace

BENCHMARK(AppendTerms)
    ->Name("append/terms")
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);
