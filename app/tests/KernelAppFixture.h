#pragma once

// The running editor with its real kernel session and the stand-in kernel program beside it:
// the fixture starts the application, lets a test script the kernel's behaviour and start it
// from the Kernel menu, and at the end checks that no kernel process is left behind. Every wait
// is a bounded QTRY loop.

#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TessaryApp.h"
#include "app/tests/ShellFixture.h"
#include "kernel/KernelSession.h"
#include "kernel/tests/RunningKernels.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace kernelapp {

inline constexpr int kStartLimitMs = 60000;

using kerneltest::RunningKernels;

class KernelAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = shelltest::StartProgram(messages);
        ASSERT_NE(app, nullptr);
        frame = app->MainWindow();
        session = dynamic_cast<kernel::KernelSession*>(&app->Session());
        ASSERT_NE(session, nullptr) << "the program runs the real kernel session";
    }
    void TearDown() override {
        if (app) app->ExitInstance();
        app.reset();
        ::unsetenv("TESSARY_STANDIN_SCRIPT");
        if (!m_script.empty()) std::remove(m_script.c_str());
        [] { QTRY_VERIFY_WITH_TIMEOUT(RunningKernels().empty(), 10000); }();
    }

    // The kernel program's scripted behaviour for the next start.
    void Script(const std::string& lines) {
        char path[] = "/tmp/kernel-script-XXXXXX";
        const int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        ::close(fd);
        m_script = path;
        std::ofstream(m_script) << lines;
        ::setenv("TESSARY_STANDIN_SCRIPT", m_script.c_str(), 1);
    }

    QAction* Action(int32_t id) { return frame->Router().Action(id); }
    // Chooses a menu command as the person would: with the menu brought up to date first, so
    // that a disabled command does nothing.
    void Choose(int32_t id) {
        frame->Router().UpdateAll();
        Action(id)->trigger();
    }
    bool Enabled(int32_t id) {
        frame->Router().UpdateAll();
        return Action(id)->isEnabled();
    }
    // Start Kernel from the menu, then wait until the start-up has ended.
    bool StartFromMenu() {
        Choose(cmd::kStartKernel);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!session->IsStarting(), kStartLimitMs); }();
        return session->IsConnected();
    }

    std::unique_ptr<TessaryApp> app;
    MainFrame* frame = nullptr;
    kernel::KernelSession* session = nullptr;
    std::vector<QString> messages;

private:
    std::string m_script;
};

} // namespace kernelapp
