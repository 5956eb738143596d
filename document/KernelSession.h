#pragma once

// The least the document side asks of the kernel session: whether a kernel is connected and
// whether it is busy calculating. The kernel subsystem implements it and installs the one
// session in `gKernelSession`; while none is installed there is no kernel, so nothing is
// connected or busy. GUI thread only.

#include "platform/Installed.h"

class KernelSession {
public:
    static constexpr const char* kBusyMessage =
        "Waiting for a Oskaria calculation to complete.\nYou will not be able to perform any "
        "actions until the calculation is complete.";

    virtual ~KernelSession() = default;

    // A link to a kernel is open and the session is not marked closed.
    virtual bool IsConnected() const = 0;
    // A link is open and a calculation is running.
    virtual bool IsBusy() const = 0;
    // Shows `text` in a message box with an OK button.
    virtual void ShowMessage(const char* text) = 0;

    // While busy: shows the waiting message and answers true. Otherwise false.
    bool CheckBusy() {
        if (!IsBusy()) return false;
        ShowMessage(kBusyMessage);
        return true;
    }
};

extern ServiceSlot<KernelSession> gKernelSession;

// The installed session's answers, with no session meaning no kernel.
inline bool IsKernelConnected() {
    const KernelSession* session = gKernelSession.Get();
    return session && session->IsConnected();
}
inline bool IsKernelBusy() {
    const KernelSession* session = gKernelSession.Get();
    return session && session->IsBusy();
}
