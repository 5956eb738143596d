#pragma once

// A session host with nothing to show, for benchmarks that drive a kernel session: the
// benchmark's thread is the GUI thread, and a message goes to standard error.

#include "kernel/SessionHost.h"

#include <cstdio>
#include <functional>
#include <string>

namespace tessary::bench {

class QuietHost : public kernel::SessionHost {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    void SetWaitCursor(bool) override {}
    void SetStatusText(const std::string&) override {}
    void OpenProgress(const std::string&, std::function<void()>) override {}
    void SetProgressText(const std::string&) override {}
    void CloseProgress() override {}
    void ShowServerMessage(const std::string&, const std::string&, const std::string&) override {}
    void OpenConstantsPalette() override {}
    void CloseConstantsPalette() override {}
    bool IsConstantsPaletteOpen() const override { return false; }
    void SetConstantCheck(char, bool) override {}
    NodePtr AnswerKernelRequest(int32_t, NodePtr) override { return nullptr; }
    void ProcessEvents(int) override {}
    void Post(std::function<void()>) override {}
};

} // namespace tessary::bench
