// Writes the seeds of the parser's fuzz target: the typed lines of TypedLines.h, one file each.
// Random bytes seldom spell a name or a whole bracket; these reach every rule.
//
//   parser_fuzz_corpus write DIR   writes every seed into DIR
//   parser_fuzz_corpus check DIR   fails when a seed in DIR differs from the table, or is
//                                  missing; run `write` then and check them in

#include "mathbox/parser/fuzz/TypedLines.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "check") != 0)) {
        std::fprintf(stderr, "usage: %s write|check DIR\n", argv[0]);
        return 2;
    }
    const bool write = std::strcmp(argv[1], "write") == 0;
    int stale = 0;
    for (const typedinput::TypedLine& line : typedinput::kTypedLines) {
        const std::string path = std::string(argv[2]) + "/" + line.name;
        if (write) {
            std::ofstream out(path, std::ios::binary);
            out.write(line.bytes.data(), static_cast<std::streamsize>(line.bytes.size()));
            if (!out) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in.is_open()) {
            std::fprintf(stderr, "missing seed %s\n", path.c_str());
            ++stale;
            continue;
        }
        const std::string kept((std::istreambuf_iterator<char>(in)), {});
        if (kept != line.bytes) {
            std::fprintf(stderr, "out-of-date seed %s\n", path.c_str());
            ++stale;
        }
    }
    if (stale > 0) std::fprintf(stderr, "run: parser_fuzz_corpus write %s\n", argv[2]);
    return stale > 0 ? 1 : 0;
}
