// Stand-in for libFuzzer when the compiler has none: feeds the target seeded random inputs,
// some of them mutations of earlier ones or of the seed inputs, so the same regression run
// happens everywhere. Understands the libFuzzer flags that ctest passes: -runs=N, -seed=N,
// -max_len=N and -seed_inputs=FILE,FILE,... (or @LISTFILE); other arguments name files whose
// contents are run first (a crash reproducer). Seeds and files are run as they are first.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

long flagValue(std::string_view arg, std::string_view name, long fallback) {
    if (arg.substr(0, name.size()) != name) return fallback;
    return std::strtol(arg.data() + name.size(), nullptr, 10);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files of a comma-separated list, or of the list held in a file when it starts with "@".
std::vector<std::string> seedFiles(std::string_view list) {
    std::string text(list);
    if (text.starts_with("@")) {
        const std::vector<uint8_t> held = readFile(text.substr(1));
        text.assign(held.begin(), held.end());
    }
    std::vector<std::string> files;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        std::string file = text.substr(start, comma - start);
        while (!file.empty() && (file.back() == '\n' || file.back() == '\r'))
            file.pop_back();
        if (!file.empty()) files.push_back(file);
        start = comma + 1;
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    long runs = 10000, seed = 1, maxLen = 4096;
    std::vector<std::vector<uint8_t>> corpus;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg(argv[i]);
        constexpr std::string_view kSeeds = "-seed_inputs=";
        if (arg.starts_with(kSeeds)) {
            for (const std::string& file : seedFiles(arg.substr(kSeeds.size())))
                corpus.push_back(readFile(file));
            continue;
        }
        if (arg.starts_with("-")) {
            runs = flagValue(arg, "-runs=", runs);
            seed = flagValue(arg, "-seed=", seed);
            maxLen = flagValue(arg, "-max_len=", maxLen);
            continue;
        }
        corpus.push_back(readFile(argv[i]));
    }
    for (const auto& input : corpus)
        LLVMFuzzerTestOneInput(input.data(), input.size());

    std::mt19937_64 rng(static_cast<uint64_t>(seed));
    std::vector<uint8_t> input;
    for (long run = 0; run < runs; ++run) {
        // A quarter of the time mutate a seed, which the target accepts, so that the damage
        // reaches past the first checks; otherwise half the time mutate the previous input a
        // little: damaged-but-plausible data reaches deeper than pure noise.
        const bool fromSeed = !corpus.empty() && rng() % 4 == 0;
        if (fromSeed) input = corpus[rng() % corpus.size()];
        if (!fromSeed && (input.empty() || rng() % 2 == 0)) {
            input.resize(rng() % static_cast<uint64_t>(maxLen + 1));
            for (auto& byte : input)
                byte = static_cast<uint8_t>(rng());
        } else {
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits && !input.empty(); ++e)
                input[rng() % input.size()] = static_cast<uint8_t>(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("Done %ld runs\n", runs);
    return 0;
}
