#include "PipeKernel.h"

#include "expr/tests/LinkTokens.h"

namespace kerneltest {

std::string ReadExprText(QKLINK link) {
    return exprtest::LinkExprText(link, "");
}

PipeKernel::PipeKernel(QKENV env) {
    int32_t error = 0;
    m_editor = QKCreate0(env, corvinet::testing::PipeDevice::main, m_pipe.end(0).stream(), &error);
    m_kernel = QKCreate0(env, corvinet::testing::PipeDevice::main, m_pipe.end(1).stream(), &error);
    std::thread connecting([this] { QKConnect(m_kernel); });
    QKConnect(m_editor);
    connecting.join();
}

PipeKernel::~PipeKernel() {
    if (m_thread.joinable()) m_thread.join();
    if (m_kernel) QKClose(m_kernel);
    if (m_editor) QKClose(m_editor);
}

QKLINK PipeKernel::TakeEditorLink() {
    QKLINK link = m_editor;
    m_editor = nullptr;
    return link;
}

void PipeKernel::Serve(std::vector<Reply> replies) {
    if (m_thread.joinable()) m_thread.join();
    m_thread = std::thread([this, replies = std::move(replies)] {
        for (const Reply& reply : replies) {
            std::string text = ReadPacket();
            if (!reply) {
                CloseKernelSide();
                return;
            }
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(std::move(text));
            }
            reply(m_kernel);
            if (!m_kernel) return;
            QKFlush(m_kernel);
        }
    });
}

std::vector<std::string> PipeKernel::Requests() {
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string PipeKernel::ReadPacket() {
    std::string text = ReadExprText(m_kernel);
    // An empty packet ends before any expression: its end is what the read met.
    QKClearError(m_kernel);
    QKNewPacket(m_kernel);
    return text;
}

void PipeKernel::CloseKernelSide() {
    QKClose(m_kernel);
    m_kernel = nullptr;
}

PipeKernel::Reply ReturnExpr(std::function<void(QKLINK)> write) {
    return [write](QKLINK link) {
        QKPutFunction(link, "ReturnPacket", 1);
        write(link);
        QKEndPacket(link);
    };
}

PipeKernel::Reply ReturnSymbol(const char* name) {
    return ReturnExpr([name](QKLINK link) { QKPutSymbol(link, name); });
}

PipeKernel::Reply ReturnInteger(int32_t value) {
    return ReturnExpr([value](QKLINK link) { QKPutInteger(link, value); });
}

PipeKernel::Reply ReturnString(const char* text) {
    return ReturnExpr([text](QKLINK link) { QKPutString(link, text); });
}

PipeKernel::Reply Packets(std::vector<PipeKernel::Reply> parts) {
    return [parts](QKLINK link) {
        for (const auto& part : parts)
            part(link);
    };
}

PipeKernel::Reply Message(const char* text) {
    return [text](QKLINK link) {
        QKPutFunction(link, "MessagePacket", 2);
        QKPutSymbol(link, "General");
        QKPutString(link, "warning");
        QKEndPacket(link);
        if (text) {
            QKPutFunction(link, "TextPacket", 1);
            QKPutString(link, text);
            QKEndPacket(link);
        }
    };
}

PipeKernel::Reply Question(int32_t number, std::function<void(QKLINK)> argument,
                           std::vector<std::string>* answers) {
    return [number, argument, answers](QKLINK link) {
        QKPutFunction(link, "CallPacket", 2);
        QKPutInteger(link, number);
        argument(link);
        QKEndPacket(link);
        QKFlush(link);
        if (!answers) return;
        std::string text = ReadExprText(link);
        QKClearError(link);
        QKNewPacket(link);
        answers->push_back(text);
    };
}

PipeKernel::Reply OtherPacket(const char* head) {
    return [head](QKLINK link) {
        QKPutFunction(link, head, 1);
        QKPutString(link, "ignored");
        QKEndPacket(link);
    };
}

PipeKernel::Reply GoAway() {
    return nullptr;
}

} // namespace kerneltest
