#pragma once

// What the editor asks of the kernel session: the document side only whether a kernel is
// connected and whether it is busy calculating; the shell also starts, quits and interrupts it
// and hands it the Constants palette's letters. The kernel subsystem implements it and
// installs the one session in `gKernelSession`; while none is installed there is no kernel, so
// nothing is connected or busy. The shell's operations default to a session that can start no
// kernel. GUI thread only.
//
// States: no kernel -> starting (Start) -> connected, or back to no kernel; connected and idle
// <-> busy while a request runs; Quit or a dead link -> no kernel. While starting the session
// is neither connected nor busy.

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

    // --- The shell's commands ---
    // Whether this program can start a kernel at all; the commands that start or configure
    // one are disabled where it cannot.
    virtual bool CanStart() const { return false; }
    virtual bool IsStarting() const { return false; }
    virtual void Start() {}
    // Quits the kernel and closes the link; `showMessage` is false at program exit.
    virtual void Quit(bool /*showMessage*/) {}
    // Asks the running calculation to stop.
    virtual void Interrupt() {}
    // The link runs through the calculation server (`remote`).
    virtual bool IsRemote() const { return false; }
    // Gives the kernel's symbol of a letter the attribute Constant, or clears it.
    virtual void SetConstant(char /*letter*/, bool /*constant*/) {}
    // The option dialogs of the kernel commands; each answers whether it was shown. A session
    // without them keeps their commands disabled rather than offering commands that open nothing.
    virtual bool HasOptionDialogs() const { return false; }
    virtual bool ConnectionOptions(bool /*socketsReady*/) { return false; }
    virtual bool CalculationOptions() { return false; }
    virtual bool TermOrdering() { return false; }

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
