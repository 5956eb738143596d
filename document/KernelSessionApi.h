#pragma once

// What the editor asks of the one kernel session. The session itself is built on the link
// library; the model and the shell see only this. An empty slot means no kernel: disconnected,
// never busy.
//
// States: no kernel -> starting (Start) -> connected, or back to no kernel; connected and idle
// <-> busy while a request runs; Quit or a dead link -> no kernel. While starting the session
// is neither connected nor busy.

#include "platform/Installed.h"

class KernelSessionApi {
public:
    virtual ~KernelSessionApi() = default;

    // A link to a kernel is open and no start-up is in progress.
    virtual bool IsConnected() const = 0;
    virtual bool IsStarting() const = 0;
    // A link is open and a request is running.
    virtual bool IsBusy() const = 0;
    // When busy, shows "Waiting for a Oskaria calculation to complete.\nYou will not be able to
    // perform any actions until the calculation is complete." and answers true.
    virtual bool CheckBusy() = 0;
    // Whether this program can start a kernel at all; the kernel commands that start or
    // configure one are disabled where it cannot.
    virtual bool CanStart() const = 0;
    virtual void Start() = 0;
    // Quits the kernel and closes the link; `showMessage` is false at program exit.
    virtual void Quit(bool showMessage) = 0;
    // Asks the running calculation to stop.
    virtual void Interrupt() = 0;
    // The link runs through the calculation server (`remote`).
    virtual bool IsRemote() const = 0;
    // Gives the kernel's symbol of a letter the attribute Constant, or clears it.
    virtual void SetConstant(char letter, bool constant) = 0;
    // The option dialogs of the kernel commands; each answers whether it was shown.
    virtual bool ConnectionOptions(bool socketsReady) = 0;
    virtual bool CalculationOptions() = 0;
    virtual bool TermOrdering() = 0;
};

extern ServiceSlot<KernelSessionApi> gKernelSession;

// Convenience for callers: absent means disconnected and idle.
inline bool KernelConnected() {
    return gKernelSession.Get() != nullptr && gKernelSession->IsConnected();
}
inline bool KernelBusy() {
    return gKernelSession.Get() != nullptr && gKernelSession->IsBusy();
}
