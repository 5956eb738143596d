#pragma once

// The test playing the editor at one end of a kernel link: requests go out as the editor sends
// them, the kernel's questions to the person are answered by a function the test sets, and its
// messages are kept. The kernel runs on a thread (KernelHarness) or as its own process.

#include "Expr.h"
#include "Loop.h"
#include "Script.h"
#include "TestPipe.h"

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace standin::testing {

// The editor's end of a kernel link: requests as the editor sends them, and its packet loop.
class EditorEnd {
public:
    explicit EditorEnd(QKLINK link = nullptr) : m_editor(link) {}

    // One request wrapped in "EvaluatePacket"; the answer, or nothing when the link failed.
    std::optional<Expr> request(const Expr& content);
    // One request written as its own packet, under its own head.
    std::optional<Expr> bare(const Expr& request);
    // The packets up to and including the answer of the request already sent.
    std::optional<Expr> answer();

    // Answers the kernel's questions: (request number, argument) to the answer written back.
    std::function<Expr(int, const Expr&)> onUserRequest;
    std::vector<std::pair<int, Expr>> userRequests;
    // One entry per message packet: the text of the text packet after it, or "" without one.
    std::vector<std::string> messages;
    // The code of the last packet that ended a read (3 for an answer, 17 after Quit, 0 on a
    // failure) and the link error then.
    int32_t lastPacket = 0;
    int32_t lastError = 0;

    QKLINK editorLink() const { return m_editor; }
    // The editor goes away: its end of the link closes.
    void closeEditorLink() {
        QKClose(m_editor);
        m_editor = nullptr;
    }

protected:
    QKLINK m_editor = nullptr;
};

// The kernel's loop on a thread of its own over an in-process pipe, the test at the editor's
// end.
class KernelHarness : public EditorEnd {
public:
    explicit KernelHarness(const std::string& script = "");
    ~KernelHarness();
    KernelHarness(const KernelHarness&) = delete;
    KernelHarness& operator=(const KernelHarness&) = delete;

    // The urgent interrupt, as the editor's Escape sends it.
    void interrupt() { m_pipe.sendMessage(1, kInterruptMessage); }
    // Whether the kernel's watcher has yet to take an interrupt sent.
    bool interruptWaiting() { return m_pipe.messageWaiting(1); }
    // Waits (bounded) for the kernel loop to end and says how it ended.
    std::optional<LoopEnd> ended(int seconds = 20);

private:
    QKParameters m_block;
    QKENV m_env = nullptr;
    TestPipe m_pipe;
    QKLINK m_kernel = nullptr;
    Script m_script;
    std::future<LoopEnd> m_loop;
};

// A few shorthands for writing trees in tables.
inline Expr sym(const char* name) {
    return Expr::symbol(name);
}
inline Expr num(long long value) {
    return Expr::integer(value);
}
Expr fn(const char* head, std::initializer_list<Expr> args);
inline Expr list(std::initializer_list<Expr> items) {
    return fn("List", items);
}

} // namespace standin::testing
