#pragma once

// Starting the stand-in kernel program for a session in a test, as the tests that compute
// through it all do: a short drain at quit, then waiting until the start-up has ended.

#include "kernel/KernelSession.h"
#include "kernel/tests/FakeHost.h"

#include <gtest/gtest.h>

namespace kerneltest {

// Starts the kernel program beside the test and waits for it; the failure names the host's
// first message.
inline ::testing::AssertionResult StartLocalKernel(kernel::KernelSession& session, FakeHost& host) {
    kernel::ConnectionSettings settings;
    settings.quitDrainMilliseconds = 2000;
    session.SetConnectionSettings(settings);
    session.Start();
    if (!host.PumpUntil([&] { return !session.IsStarting(); }, 60))
        return ::testing::AssertionFailure() << "the kernel did not start in time";
    if (!session.IsConnected())
        return ::testing::AssertionFailure()
               << "not connected: " << (host.messages.empty() ? "" : host.messages[0]);
    return ::testing::AssertionSuccess();
}

} // namespace kerneltest
