#pragma once

// A benchmark main that measures a subject beside its peer in the same run and reports the
// subject's time as a ratio of the peer's. Benchmarks are named "<side>/<case>"; every case that
// both sides have gets one line, subject time over peer time (below 1 means the subject is
// faster).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tessary::bench {

class PeerRatioReporter : public benchmark::ConsoleReporter {
public:
    PeerRatioReporter(std::string subject, std::string peer)
        : m_subject(std::move(subject)), m_peer(std::move(peer)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions the median, reported after the single runs, has the last word.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred) continue;
            const std::string name = run.run_name.str();
            const std::size_t slash = name.find('/');
            if (slash == std::string::npos) continue;
            m_times[name.substr(slash + 1)][name.substr(0, slash)] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-48s %12s %12s %8s\n", "case", m_subject.c_str(), m_peer.c_str(), "ratio");
        for (const auto& [name, sides] : m_times) {
            const auto subject = sides.find(m_subject);
            const auto peer = sides.find(m_peer);
            if (subject == sides.end() || peer == sides.end() || peer->second <= 0) continue;
            std::printf("%-48s %12.3f %12.3f %8.2f\n", name.c_str(), subject->second, peer->second,
                        subject->second / peer->second);
        }
        std::fflush(stdout);
    }

private:
    std::string m_subject;
    std::string m_peer;
    std::map<std::string, std::map<std::string, double>> m_times;
};

// Runs every registered benchmark (command-line flags as usual) and then the ratio table.
inline int runWithPeerRatios(int argc, char** argv, const char* subject, const char* peer) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PeerRatioReporter reporter(subject, peer);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace tessary::bench
