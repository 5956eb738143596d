#pragma once

// A scripted kernel at the far end of an in-process pipe: it records every packet the session
// sends as text (Head[arg, ...], strings quoted, reals marked "R:") and answers each with the
// packets its script writes. It runs on a thread of its own while the session, on the test's
// thread, waits in its packet loop. Every read of the pipe gives up after a few seconds.

#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"

#include <PipeDevice.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kerneltest {

// One expression from the link as text.
std::string ReadExprText(QKLINK link);

class PipeKernel {
public:
    // Writes the packets that answer one request; the kernel's side of the link is given.
    using Reply = std::function<void(QKLINK)>;

    explicit PipeKernel(QKENV env);
    ~PipeKernel();
    PipeKernel(const PipeKernel&) = delete;
    PipeKernel& operator=(const PipeKernel&) = delete;

    // The editor's end, connected; the caller (the session) owns it.
    QKLINK TakeEditorLink();
    // Serves one request per reply, in order, on the kernel's thread.
    void Serve(std::vector<Reply> replies);
    // Waits until every reply was sent; the packets read.
    std::vector<std::string> Requests();
    // Reads one more packet from the editor (the answer to a question) as text; "" for a
    // packet with nothing in it.
    std::string ReadPacket();
    // Ends the kernel's side, as a kernel that went away.
    void CloseKernelSide();

private:
    corvinet::testing::PipeDevice m_pipe;
    QKLINK m_editor = nullptr;
    QKLINK m_kernel = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

// Replies.
PipeKernel::Reply ReturnExpr(std::function<void(QKLINK)> write);
PipeKernel::Reply ReturnSymbol(const char* name);
PipeKernel::Reply ReturnInteger(int32_t value);
PipeKernel::Reply ReturnString(const char* text);
// Several replies' packets in order, for one request.
PipeKernel::Reply Packets(std::vector<PipeKernel::Reply> parts);
// A message packet, followed by a text packet when `text` is given.
PipeKernel::Reply Message(const char* text);
// A question of the kernel; the editor's answer is appended to `answers` (null: the kernel
// expects none).
PipeKernel::Reply Question(int32_t number, std::function<void(QKLINK)> argument,
                           std::vector<std::string>* answers);
// A packet of another kind, which the loop skips.
PipeKernel::Reply OtherPacket(const char* head);
// The kernel says nothing and closes its end.
PipeKernel::Reply GoAway();

} // namespace kerneltest
