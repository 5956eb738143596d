#include "KernelHarness.h"

#include "Algebra.h"
#include "LinkIO.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace standin::testing {

Expr fn(const char* head, std::initializer_list<Expr> args) {
    return Expr::call(head, args);
}

KernelHarness::KernelHarness(const std::string& script) : m_script(Script::parse(script)) {
    QKNewParameters(m_block, 7, 6);
    QKSetDeviceParameter(m_block, "");
    m_env = QKBegin(m_block);
    int32_t error = 0;
    m_editor = QKCreate0(m_env, TestPipe::device, m_pipe.stream(0), &error);
    m_kernel = QKCreate0(m_env, TestPipe::device, m_pipe.stream(1), &error);
    std::thread connecting([this] { QKConnect(m_kernel); });
    QKConnect(m_editor);
    connecting.join();
    m_loop = std::async(std::launch::async, [this] {
        LoopEnd end = runKernel(m_kernel, &m_pipe.messages(1), m_script);
        QKClose(m_kernel);
        return end;
    });
}

KernelHarness::~KernelHarness() {
    if (m_editor) QKClose(m_editor);
    // A kernel still computing (a test that failed to interrupt it) is stopped, so that a
    // failing test ends instead of hanging.
    while (m_loop.valid() && m_loop.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        algebra::requestInterrupt();
    QKEnd(m_env);
}

std::optional<LoopEnd> KernelHarness::ended(int seconds) {
    if (m_loop.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready)
        return std::nullopt;
    return m_loop.get();
}

std::optional<Expr> EditorEnd::request(const Expr& content) {
    if (!QKPutFunction(m_editor, "EvaluatePacket", 1) || !writeExpr(m_editor, content) ||
        !QKEndPacket(m_editor) || !QKFlush(m_editor))
        return std::nullopt;
    return answer();
}

std::optional<Expr> EditorEnd::bare(const Expr& request) {
    if (!writeExpr(m_editor, request) || !QKEndPacket(m_editor) || !QKFlush(m_editor))
        return std::nullopt;
    return answer();
}

std::optional<Expr> EditorEnd::answer() {
    int32_t code = QKNextPacket(m_editor);
    for (int packets = 0; packets < 1000; ++packets) {
        lastPacket = code;
        lastError = QKError(m_editor);
        switch (code) {
        case ILLEGALPKT:
            return std::nullopt;
        case RETURNPKT: {
            auto e = readExpr(m_editor);
            QKNewPacket(m_editor);
            return e;
        }
        case SUSPENDPKT:
            QKNewPacket(m_editor);
            return Expr::symbol("$Suspended");
        case CALLPKT: {
            int32_t number = 0;
            QKGetInteger(m_editor, &number);
            auto argument = readExpr(m_editor);
            QKNewPacket(m_editor);
            if (!argument) return std::nullopt;
            userRequests.emplace_back(number, *argument);
            // Requests 4 and those outside 1-6 get a bare packet end.
            if (number >= 1 && number <= 6 && number != 4) {
                Expr reply = onUserRequest ? onUserRequest(number, *argument) : canceled();
                writeExpr(m_editor, reply);
            }
            QKEndPacket(m_editor);
            QKFlush(m_editor);
            code = QKNextPacket(m_editor);
            break;
        }
        case MESSAGEPKT: {
            QKNewPacket(m_editor);
            code = QKNextPacket(m_editor);
            if (code == TEXTPKT) {
                const char* text = nullptr;
                QKGetString(m_editor, &text);
                messages.push_back(text ? text : "");
                if (text) QKDisownString(m_editor, text);
                QKNewPacket(m_editor);
                code = QKNextPacket(m_editor);
            } else {
                messages.push_back("");
            }
            break;
        }
        default:
            QKNewPacket(m_editor);
            code = QKNextPacket(m_editor);
        }
    }
    return std::nullopt;
}

} // namespace standin::testing
