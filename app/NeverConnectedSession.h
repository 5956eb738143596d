#pragma once

// The kernel session of a program built without the kernel subsystem: never connected, never
// busy, and it cannot start a kernel, so every kernel command stays disabled.

#include "document/KernelSession.h"

#include <QMessageBox>

class NeverConnectedSession final : public KernelSession {
public:
    bool IsConnected() const override { return false; }
    bool IsBusy() const override { return false; }
    // Never busy, so never asked to wait; a message would still reach the user.
    void ShowMessage(const char* text) override {
        QMessageBox::information(nullptr, QStringLiteral("Tessary"), QString::fromLatin1(text));
    }
};
