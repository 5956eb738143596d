#pragma once

// What the kernel session asks of the application: message boxes, the wait cursor, the status
// line, the start-up progress window, the server's message dialog, the Constants palette, the
// kernel's questions to the user, and a way onto the GUI thread. The application implements it
// over its widgets; tests implement it with a recording fake that serves posted work from a
// queue.
//
// Threads: `Post` may be called from any thread; everything else only on the GUI thread. The
// start-up and server-connection threads reach the GUI only through it.

#include "expr/ExprNode.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kernel {

class SessionHost {
public:
    virtual ~SessionHost() = default;

    // A message box with an OK button; returns when the user closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // The wait cursor on (true) or off; the session pairs every on with one off.
    virtual void SetWaitCursor(bool on) = 0;
    // The main frame's status line.
    virtual void SetStatusText(const std::string& text) = 0;

    // The modeless start-up progress window with its one text and a Cancel button; `cancel`
    // runs on the GUI thread when Cancel is pressed, after which the window is gone.
    virtual void OpenProgress(const std::string& text, std::function<void()> cancel) = 0;
    virtual void SetProgressText(const std::string& text) = 0;
    virtual void CloseProgress() = 0;
    // The server's message (text, site, button caption), modal. The site is empty or a web
    // address ("http:" or "https:"); an empty site leaves the button blank and disabled.
    virtual void ShowServerMessage(const std::string& text, const std::string& site,
                                   const std::string& caption) = 0;

    // The Constants palette of the main frame.
    virtual void OpenConstantsPalette() = 0;
    virtual void CloseConstantsPalette() = 0;
    virtual bool IsConstantsPaletteOpen() const = 0;
    // Shows a letter's box in the palette checked or cleared, without telling the kernel (it
    // already knows); anything but A to Z and a to z changes no box.
    virtual void SetConstantCheck(char letter, bool checked) = 0;
    // The kernel is gone (quit, or its link lost): whatever it offered goes with it.
    virtual void KernelGone() {}

    // A question of the kernel (request number 1, 2, 3, 5 or 6 with its argument); the
    // answer to send back, or null when the user cancelled.
    virtual NodePtr AnswerKernelRequest(int32_t number, NodePtr argument) = 0;

    // Serves pending GUI events for at most `milliseconds` while the session waits for the
    // kernel (repainting, Escape, the palette), without running a nested modal loop.
    virtual void ProcessEvents(int milliseconds) = 0;

    // Runs `work` on the GUI thread later, in the order posted (any thread may call it). The
    // threads never wait for the GUI, so nothing they post can hold up their ending.
    virtual void Post(std::function<void()> work) = 0;
};

} // namespace kernel
