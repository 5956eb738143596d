#pragma once

// One kernel start-up, on a thread of its own so that the GUI stays responsive while a local
// kernel is launched or a remote one is requested from the calculation server.
//
// The thread never touches the session or a widget: it reports through the callbacks it was
// given (which post to the GUI thread) and keeps what it obtained (the open, connected link,
// the server's grant, or the failure text) until the session takes it after `done`. Cancel
// stops every wait it is in (the link's, through its yield function, and the sockets') at the
// next check; a cancelled start-up reports nothing.

#include "corvinet/corvinet.h"
#include "kernel/ConnectionSettings.h"

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace kernel {

class KernelStartup {
public:
    static constexpr const char* kCannotLocate = "Can not locate the Oskaria kernel.";

    // The option text that launches the kernel program named by its full path.
    static std::string LaunchOptions(const std::string& program);
    // The folder a local start would launch the kernel program from; nothing (with the
    // reason in `failure`) when the program is not where the settings say or, without a
    // path, not beside the editor, in the current folder or on the PATH.
    static std::optional<std::string> LocateKernel(const ConnectionSettings& settings,
                                                   std::string& failure);

    // What the server granted: the kernel server's address and port, the kernel id, and the
    // account's minutes at the start.
    struct Grant {
        std::string user;
        std::string host; // the kernel server, "%u.%u.%u.%u"
        uint32_t address = 0;
        uint16_t port = 0;
        uint8_t kernelId = 0;
        int32_t minutes = 0;
    };

    struct Callbacks {
        std::function<void(const std::string&)> status;
        // The server's message: text, site, caption.
        std::function<void(const std::string&, const std::string&, const std::string&)>
            serverMessage;
        // The thread has finished; runs last, on the start-up thread.
        std::function<void()> done;
    };

    KernelStartup(QKENV env, ConnectionSettings settings, Callbacks callbacks);
    // Cancels and waits for the thread.
    ~KernelStartup();
    KernelStartup(const KernelStartup&) = delete;
    KernelStartup& operator=(const KernelStartup&) = delete;

    void Run();
    void Cancel();
    void Join();
    bool Active() const { return m_active; }

    // After `done`: the connected link (the caller owns it), or null with the failure text
    // (empty when cancelled or when nothing is to be shown).
    QKLINK TakeLink();
    const std::string& Failure() const { return m_failure; }
    const std::optional<Grant>& ServerGrant() const { return m_grant; }
    // The launched kernel's process, 0 when unknown.
    pid_t LaunchedProcess() const { return m_launched; }

    // The option text that connects to a kernel the server started.
    static std::string ConnectOptions(uint32_t address, uint16_t port);
    // Gives the granted kernel back to the server, which charges the time; the balance that
    // follows a plain logout is read off unless `statusOnly`.
    static void Logout(const Grant& grant, int timeoutMs, bool statusOnly = false);

private:
    void RunLocal();
    void RunRemote();
    void Login(const std::string& user);
    void RequestKernel(const std::string& user, int32_t token, uint32_t address, uint16_t port);
    // Opens and connects the link, from `folder` when given; false with the failure set.
    bool OpenLink(const std::string& options, const char* failure,
                  const std::optional<std::string>& folder);
    void Status(const std::string& text);
    // Ends in failure with `message` (shown unless cancelled).
    void Fail(const std::string& message);
    void FailSocket(const char* text, int32_t error);
    static int32_t Yield(QKLINK link, QKYieldParameters parameters);

    QKENV m_env;
    ConnectionSettings m_settings;
    Callbacks m_callbacks;
    std::thread m_thread;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_cancelled{false};
    QKYieldFunctionObject m_yielder = nullptr;
    QKLINK m_link = nullptr;
    std::string m_failure;
    bool m_failed = false;
    std::optional<Grant> m_grant;
    pid_t m_launched = 0;
};

} // namespace kernel
