// Stand-in for libFuzzer when the compiler has none: feeds the target seeded random inputs,
// some of them mutations of earlier ones, so the same regression run happens everywhere.
// Understands the libFuzzer flags that ctest passes: -runs=N, -seed=N, -max_len=N; other
// arguments name files whose contents are run first (a corpus or a crash reproducer).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

long flagValue(std::string_view arg, std::string_view name, long fallback) {
    if (arg.substr(0, name.size()) != name) return fallback;
    return std::strtol(arg.data() + name.size(), nullptr, 10);
}

} // namespace

int main(int argc, char** argv) {
    long runs = 10000, seed = 1, maxLen = 4096;
    std::vector<std::vector<uint8_t>> corpus;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg(argv[i]);
        if (arg.starts_with("-")) {
            runs = flagValue(arg, "-runs=", runs);
            seed = flagValue(arg, "-seed=", seed);
            maxLen = flagValue(arg, "-max_len=", maxLen);
            continue;
        }
        std::ifstream in(argv[i], std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (const auto& input : corpus)
        LLVMFuzzerTestOneInput(input.data(), input.size());

    std::mt19937_64 rng(static_cast<uint64_t>(seed));
    std::vector<uint8_t> input;
    for (long run = 0; run < runs; ++run) {
        // Half the time mutate the previous input a little: damaged-but-plausible data reaches
        // deeper than pure noise.
        if (input.empty() || rng() % 2 == 0) {
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
