#pragma once

// A session talking to a scripted kernel over an in-process pipe, with a recording host.

#include "FakeHost.h"
#include "PipeKernel.h"
#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "kernel/KernelSession.h"

#include <gtest/gtest.h>

#include <memory>

namespace kerneltest {

inline NodePtr Sym(const char* name) {
    return SymbolNode::FromName(name);
}
inline NodePtr Int(int32_t value) {
    return std::make_unique<MachineIntegerNode>(value);
}
// A list of the given nodes, in order.
inline NodePtr List(std::vector<NodePtr> items) {
    auto list = std::make_unique<ListNode>();
    for (NodePtr& item : items)
        list->AppendChild(std::move(item));
    return list;
}
inline std::string TextOf(const ExprNode* node) {
    if (!node) return "<null>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        env = QKInitialize(nullptr);
        ASSERT_NE(env, nullptr);
        kernel = std::make_unique<PipeKernel>(env);
        session_->AttachLink(kernel->TakeEditorLink());
        ASSERT_TRUE(session.IsConnected());
    }
    void TearDown() override {
        // The kernel goes first, so that the session's quit finds its peer gone at once; the
        // pipe under the session's link goes last.
        kernel->Requests();
        kernel->CloseKernelSide();
        session_.reset();
        kernel.reset();
        QKDeinitialize(env);
    }

    // Serves the replies and answers the requests the kernel read.
    std::vector<std::string> Served() { return kernel->Requests(); }

    BuiltinNamesScope names;
    QKENV env = nullptr;
    FakeHost host;
    std::unique_ptr<PipeKernel> kernel;
    // Ended in TearDown, before the pipe under its link.
    std::unique_ptr<kernel::KernelSession> session_ = std::make_unique<kernel::KernelSession>(host);
    kernel::KernelSession& session = *session_;
};

} // namespace kerneltest
