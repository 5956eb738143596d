// The round trip of a small evaluation (a sum of a few terms, simplified) from the session to
// the stand-in kernel program and back, over each device, beside the kernel's own computation
// of the same request run from this process (in a child process, as the kernel runs every
// computation so that an interrupt can end it). The difference is what the session, the link
// library and the device add; the goal is under half a millisecond.

#include "Package.h"
#include "QuietHost.h"
#include "expr/LeafNodes.h"
#include "expr/PlusNode.h"
#include "expr/symbols/BuiltinNames.h"
#include "kernel/KernelSession.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using tessary::bench::QuietHost;

// x + 2 + y + 3 + x
NodePtr SmallSum() {
    NodePtr first = SymbolNode::FromName("x");
    ExprNode* last = first.get();
    auto append = [&](NodePtr node) {
        last->SetNext(std::move(node));
        last = last->Next();
    };
    append(std::make_unique<MachineIntegerNode>(2));
    append(SymbolNode::FromName("y"));
    append(std::make_unique<MachineIntegerNode>(3));
    append(SymbolNode::FromName("x"));
    return std::make_unique<PlusNode>(std::move(first));
}

void SessionRoundTrip(benchmark::State& state, const char* protocol) {
    BuiltinNamesScope names;
    QuietHost host;
    kernel::KernelSession session(host);
    QKENV env = QKInitialize(nullptr);
    const std::string options = std::string("-linklaunch -linkprotocol ") + protocol +
                                " -linkname '" + KERNEL_PROGRAM + "'";
    int32_t error = 0;
    QKLINK link = QKOpenString(env, options.c_str(), &error);
    if (!link || !QKConnect(link)) {
        state.SkipWithError("the kernel program did not start");
        if (link) QKClose(link);
        QKDeinitialize(env);
        return;
    }
    session.AttachLink(link);
    const NodePtr sum = SmallSum();
    if (session.Simplify(*sum)->TypeTag() == TypeTag("errN")) {
        state.SkipWithError("the kernel did not answer");
        session.Quit(false);
        QKDeinitialize(env);
        return;
    }
    for (auto _ : state) {
        NodePtr answer = session.Simplify(*sum);
        benchmark::DoNotOptimize(answer);
    }
    session.Quit(false);
    QKDeinitialize(env);
}

class NoUser : public standin::UserChannel {
public:
    std::optional<standin::Expr> ask(int, const standin::Expr&) override { return std::nullopt; }
};

// What the kernel program computes for the same request, without the link.
void KernelCompute(benchmark::State& state) {
    using standin::Expr;
    NoUser user;
    standin::Package package(user);
    const Expr request = Expr::call(
        "TYSimplify", {Expr::call("TYPlus", {Expr::symbol("x"), Expr::integer(2), Expr::symbol("y"),
                                             Expr::integer(3), Expr::symbol("x")})});
    for (auto _ : state) {
        Expr answer = package.answer(request);
        benchmark::DoNotOptimize(answer);
    }
}

BENCHMARK_CAPTURE(SessionRoundTrip, shared_memory, "FileMap")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SessionRoundTrip, tcp, "TCP")->Unit(benchmark::kMicrosecond);
BENCHMARK(KernelCompute)->Unit(benchmark::kMicrosecond);

// Prints, after the runs, each device's round trip less the kernel's own computation.
class OverheadReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto compute = m_times.find("KernelCompute");
        if (compute == m_times.end()) return;
        std::printf("\n%-34s %12s %12s %12s\n", "device", "round trip", "compute", "overhead");
        for (const auto& [name, time] : m_times) {
            if (name == "KernelCompute") continue;
            std::printf("%-34s %9.1f us %9.1f us %9.1f us\n", name.c_str(), time, compute->second,
                        time - compute->second);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    OverheadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
