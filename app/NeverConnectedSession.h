#pragma once

// The kernel session of a program built without the kernel subsystem: never connected, never
// busy, and it cannot start a kernel, so every kernel command stays disabled.

#include "document/KernelSessionApi.h"

class NeverConnectedSession final : public KernelSessionApi {
public:
    bool IsConnected() const override { return false; }
    bool IsStarting() const override { return false; }
    bool IsBusy() const override { return false; }
    bool CheckBusy() override { return false; }
    bool CanStart() const override { return false; }
    void Start() override {}
    void Quit(bool) override {}
    void Interrupt() override {}
    bool IsRemote() const override { return false; }
    void SetConstant(char, bool) override {}
    bool ConnectionOptions(bool) override { return false; }
    bool CalculationOptions() override { return false; }
    bool TermOrdering() override { return false; }
};
