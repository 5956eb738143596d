#include "TextFile.h"

#include <fstream>
#include <sstream>

namespace standin {

std::optional<std::string> readTextFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> uncommentedLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        out.push_back(std::move(line));
    }
    return out;
}

} // namespace standin
