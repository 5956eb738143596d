#pragma once

// Starting the stand-in kernel program for a session in a test, as the tests that compute
// through it all do: a short drain at quit, then waiting until the start-up has ended.

#include "expr/symbols/BuiltinNames.h"
#include "kernel/KernelSession.h"
#include "kernel/tests/FakeHost.h"
#include "kernel/tests/StandinScript.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kerneltest {

// The kernel program beside the test; a quit that is not confirmed gives up soon.
inline kernel::ConnectionSettings LocalKernelSettings() {
    kernel::ConnectionSettings settings;
    settings.quitDrainMilliseconds = 2000;
    return settings;
}

// Starts as the shell's Start Kernel does, from the settings given; false when the start-up
// has not ended in time (whether it connected is the session's to say).
inline bool StartAndWait(kernel::KernelSession& session, FakeHost& host,
                         const kernel::ConnectionSettings& settings) {
    session.SetConnectionSettings(settings);
    session.Start();
    return host.PumpUntil([&] { return !session.IsStarting(); }, 60);
}

// Starts the kernel program beside the test and waits for it; the failure names the host's
// first message.
inline ::testing::AssertionResult StartLocalKernel(kernel::KernelSession& session, FakeHost& host) {
    if (!StartAndWait(session, host, LocalKernelSettings()))
        return ::testing::AssertionFailure() << "the kernel did not start in time";
    if (!session.IsConnected())
        return ::testing::AssertionFailure()
               << "not connected: " << (host.messages.empty() ? "" : host.messages[0]);
    return ::testing::AssertionSuccess();
}

// A session on the kernel program with a recording host, and the program's scripted behaviour
// for the kernels the test starts. The session ends in TearDown, before the script goes.
class LocalKernelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_script.IsReady()); }
    void TearDown() override { session.reset(); }

    // The kernels started from now on follow these lines; with none they behave.
    void Script(const std::string& lines) {
        if (lines.empty())
            m_script.Clear();
        else
            m_script.Set(lines);
    }
    // Starts the kernel program, with the scripted behaviour given, and waits until it is
    // connected.
    void StartKernel(const std::string& script = "") {
        Script(script);
        ASSERT_TRUE(StartLocalKernel(*session, host));
    }

    BuiltinNamesScope names;
    FakeHost host;
    std::unique_ptr<kernel::KernelSession> session = std::make_unique<kernel::KernelSession>(host);

private:
    StandinScript m_script;
};

} // namespace kerneltest
