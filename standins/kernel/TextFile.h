#pragma once

// The small text files the stand-ins read (scripts, accounts): one entry a line, '#' starting a
// comment.

#include <optional>
#include <string>
#include <vector>

namespace standin {

// The whole file; nothing when it cannot be read.
std::optional<std::string> readTextFile(const std::string& path);
// Every line of `text` with its comment cut off, blank lines included.
std::vector<std::string> uncommentedLines(const std::string& text);

} // namespace standin
