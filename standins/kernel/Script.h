#pragma once

// Scripted behaviours, so that tests (and a person trying the editor by hand) can make the
// stand-ins misbehave on purpose. The file named by the environment variable
// TESSARY_STANDIN_SCRIPT holds one behaviour a line; '#' starts a comment.
//
//   on <head|any|start> <action> [words...]     the kernel, for requests with that head
//   server <action> [words...]                  the calculation server
//
// Kernel actions: slow [seconds] (an interruptible computation first), stuck [seconds]
// (ignores interrupts meanwhile), die-before-connect and die-after-connect (with "start"),
// die-mid-evaluation, die-in-user-request, garbage <unknown-head|unknown-head-only|
// extra-arguments|huge-count|deep-nesting|malformed-records|malformed-ordering|stall-mid-string
// [seconds]>, warning [text], answer <failed|canceled|null>. Server actions are listed in
// calcserver/CalcServer.h.

#include <string>
#include <vector>

namespace standin {

struct ScriptLine {
    std::string scope; // "server", or the head a kernel line applies to ("any", "start")
    std::string action;
    std::vector<std::string> words;
    std::string rest; // the words after the action as written
};

class Script {
public:
    static constexpr const char* kVariable = "TESSARY_STANDIN_SCRIPT";

    // The script of the environment variable; empty when it is unset or unreadable.
    static Script fromEnvironment();
    static Script parse(const std::string& text);

    // The first kernel line with `action` that applies to requests with `head`.
    const ScriptLine* kernel(const std::string& action, const std::string& head) const;
    // Every server line with `action`, in order.
    std::vector<const ScriptLine*> server(const std::string& action) const;

    bool empty() const { return m_lines.empty(); }

private:
    std::vector<ScriptLine> m_lines;
};

} // namespace standin
