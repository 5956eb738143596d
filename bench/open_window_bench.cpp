// Opening a document in the program, each time in a fresh process: the time from starting the
// program with a file until its first window has been shown and painted, and the process's
// peak memory then, at 50, 500 and 5,000 pages of the file benchmark's document (goals: the
// first window of 5,000 pages within 0.5 s, peak memory under 10 times the file). Also the
// opening rate in MB/s, which should not fall by more than a fifth from 500 to 5,000 pages.
//
// The benchmark runs itself as the program: started with --open-window <file>, it does what the
// program's main does, waits for the first paint, reports and leaves without tearing down.

#include "app/TessaryApp.h"
#include "bench/SampleDocument.h"
#include "platform/tests/TempDir.h"

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

extern char** environ;

namespace {

constexpr const char* kChildFlag = "--open-window";

// The peak resident memory of this process image in kB, or -1. Not getrusage's maxrss: across
// the exec that started this process it keeps the spawning benchmark's own peak, which holds
// the sample documents it made.
long PeakResidentKb() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    long peak = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmHWM: %ld kB", &peak) == 1) break;
    std::fclose(status);
    return peak;
}

// The program, up to its first painted window; prints the peak memory in kB and the processor
// time in ms it took, and leaves.
int RunProgram(int argc, char** argv, const char* path) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    TessaryApp app;
    if (!app.InitInstance({QString::fromLocal8Bit(path)})) return 1;
    QApplication::processEvents();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->repaint();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    std::printf("%ld %.1f\n", PeakResidentKb(), ms(usage.ru_utime) + ms(usage.ru_stime));
    std::fflush(stdout);
    _exit(0);
}

std::string gSelf;

struct Sample {
    std::string path;
    int64_t size = 0;
};

// The documents are written once, by the stand-ins, into one temporary folder.
const Sample& Document(int32_t pages) {
    static platform::testing::TempDir dir;
    static std::map<int32_t, Sample> made;
    Sample& sample = made[pages];
    if (sample.path.empty()) {
        sample.path = dir.File(std::to_string(pages) + " pages.tsy");
        sample::Save(sample.path, pages * sample::kParagraphsPerPage);
        sample.size = static_cast<int64_t>(std::filesystem::file_size(sample.path));
    }
    return sample;
}

// Starts the program on the file and reads its report; the peak memory in kB, or -1.
long OpenInFreshProcess(const std::string& path, const std::string& home, double& cpuMs) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    char* args[] = {gSelf.data(), const_cast<char*>(kChildFlag), const_cast<char*>(path.c_str()),
                    nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, gSelf.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    long peak = -1;
    if (spawned == 0) {
        FILE* in = fdopen(pipeFds[0], "r");
        if (in == nullptr || std::fscanf(in, "%ld %lf", &peak, &cpuMs) != 2) peak = -1;
        if (in != nullptr) std::fclose(in);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) peak = -1;
    } else {
        close(pipeFds[0]);
    }
    return peak;
}

void BM_FirstWindow(benchmark::State& state) {
    const auto pages = static_cast<int32_t>(state.range(0));
    const Sample& sample = Document(pages);
    static platform::testing::TempDir home;
    long peak = 0;
    double cpuMs = 0;
    double cpuTotal = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        peak = OpenInFreshProcess(sample.path, home.Path(), cpuMs);
        cpuTotal += cpuMs;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (peak < 0) {
            state.SkipWithError("the program did not show its window");
            return;
        }
        state.SetIterationTime(took.count());
    }
    state.SetBytesProcessed(state.iterations() * sample.size);
    state.counters["pages"] = pages;
    state.counters["file MB"] = static_cast<double>(sample.size) / 1e6;
    // The program's own processor time, which a loaded machine disturbs less than the wall clock.
    state.counters["program cpu ms"] =
        cpuTotal / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["peak MB"] = static_cast<double>(peak) / 1e3;
    state.counters["peak / file"] =
        static_cast<double>(peak) * 1e3 / static_cast<double>(sample.size);
}
BENCHMARK(BM_FirstWindow)
    ->Arg(50)
    ->Arg(500)
    ->Arg(5000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) return RunProgram(argc, argv, argv[2]);
    gSelf = std::filesystem::canonical("/proc/self/exe").string();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
