#pragma once

// Giac's parser, reached from C++20 code: Giac's headers build only as C++17, so they stay in
// giac_parse.cpp.

#include <string>
#include <vector>

namespace tessary::bench {

// Parses every line with Giac; answers how many parsed without error.
int GiacParseAll(const std::vector<std::string>& lines);

} // namespace tessary::bench
