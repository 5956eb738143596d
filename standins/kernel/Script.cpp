#include "Script.h"

#include "TextFile.h"

#include <cstdlib>
#include <sstream>

namespace standin {

Script Script::fromEnvironment() {
    const char* path = std::getenv(kVariable);
    if (!path || !*path) return {};
    return parse(readTextFile(path).value_or(""));
}

Script Script::parse(const std::string& text) {
    Script script;
    for (const std::string& line : uncommentedLines(text)) {
        std::istringstream words(line);
        ScriptLine parsed;
        std::string first;
        if (!(words >> first)) continue;
        if (first == "on") {
            if (!(words >> parsed.scope)) continue;
        } else if (first == "server") {
            parsed.scope = "server";
        } else {
            continue;
        }
        if (!(words >> parsed.action)) continue;
        std::getline(words, parsed.rest);
        parsed.rest.erase(0, parsed.rest.find_first_not_of(' '));
        std::istringstream restWords(parsed.rest);
        for (std::string w; restWords >> w;)
            parsed.words.push_back(w);
        script.m_lines.push_back(std::move(parsed));
    }
    return script;
}

const ScriptLine* Script::kernel(const std::string& action, const std::string& head) const {
    for (const ScriptLine& line : m_lines)
        if (line.scope != "server" && line.action == action &&
            (line.scope == head || (line.scope == "any" && head != "start")))
            return &line;
    return nullptr;
}

std::vector<const ScriptLine*> Script::server(const std::string& action) const {
    std::vector<const ScriptLine*> out;
    for (const ScriptLine& line : m_lines)
        if (line.scope == "server" && line.action == action) out.push_back(&line);
    return out;
}

} // namespace standin
