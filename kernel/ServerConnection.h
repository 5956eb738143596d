#pragma once

// The calculation server's side of a remote kernel: while the kernel is in use a thread polls
// the kernel server for the account's state once a poll interval (a minute), warns when time
// runs short, passes on maintenance notices, and logs out when the kernel is quit or the
// server ends it. One status exchange runs at a time, each bounded by the socket timeout.
//
// The thread reaches the GUI only through the callbacks it was given (which post). The
// destructor asks for the logout if nobody did and waits for the thread, which every socket
// timeout bounds.

#include "kernel/ConnectionSettings.h"
#include "kernel/KernelStartup.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kernel {

class ServerConnection {
public:
    static constexpr const char* kLowTimeWarning =
        "You now have less than five minutes of kernel server time remaining.\nWhen your kernel "
        "server time runs out your connection to the kernel will be closed automatically.";
    static constexpr const char* kMaintenanceNotice =
        "The kernel server will be shutting down for maintenance work in a few minutes.\nPlease "
        "finish your session with the Oskaria kernel and quit the kernel.";
    static constexpr const char* kKernelEnded =
        "The kernel server has shut down the kernel you were connected to.";
    static constexpr const char* kTimeRanOut =
        "You have run out of time on the kernel server.\nYour connection to the Oskaria kernel "
        "has been closed.";

    struct Callbacks {
        std::function<void(const std::string&)> message;
        // The server ended the kernel: the session is to quit it.
        std::function<void()> quitKernel;
    };

    ServerConnection(KernelStartup::Grant grant, const ConnectionSettings& settings,
                     Callbacks callbacks, std::function<long long()> nowSeconds = nullptr);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    void Start();
    // Asks the thread to log out and end (the quit of the kernel).
    void RequestQuit();
    // Start minute + account minutes - current minute.
    int32_t RemainingMinutes() const;
    bool Finished() const { return m_finished; }

private:
    void Main();
    void Poll();
    // Waits for the event or the poll interval; true when quit was requested.
    bool WaitForEvent();
    long long Minute() const;

    KernelStartup::Grant m_grant;
    int m_pollMilliseconds;
    int m_timeoutMs;
    Callbacks m_callbacks;
    std::function<long long()> m_now;
    long long m_startMinute;
    std::atomic<int32_t> m_minutes;
    std::atomic<int> m_status{0};
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stopping{false}; // ends the socket waits at destruction
    bool m_warned = false;
    bool m_signalled = false; // the auto-reset event, under m_mutex
    std::mutex m_mutex;
    std::condition_variable m_event;
    std::thread m_thread;
    std::thread m_statusThread;
};

} // namespace kernel
