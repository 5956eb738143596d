#include "kernel/ServerConnection.h"

#include "kernel/ServerWire.h"

#include <chrono>
#include <ctime>

namespace kernel {

namespace {

constexpr uint8_t kStatusRequest = 2;

} // namespace

ServerConnection::ServerConnection(KernelStartup::Grant grant, const ConnectionSettings& settings,
                                   Callbacks callbacks, std::function<long long()> nowSeconds)
    : m_grant(std::move(grant)), m_pollMilliseconds(settings.pollMilliseconds),
      m_timeoutMs(settings.socketTimeoutMs), m_callbacks(std::move(callbacks)),
      m_now(nowSeconds ? std::move(nowSeconds)
                       : [] { return static_cast<long long>(std::time(nullptr)); }),
      m_startMinute(Minute()), m_minutes(m_grant.minutes) {}

ServerConnection::~ServerConnection() {
    RequestQuit();
    if (m_thread.joinable()) m_thread.join();
    m_stopping = true;
    if (m_statusThread.joinable()) m_statusThread.join();
}

void ServerConnection::Start() {
    m_thread = std::thread([this] { Main(); });
}

void ServerConnection::RequestQuit() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_signalled = true;
    }
    m_event.notify_all();
}

long long ServerConnection::Minute() const {
    return m_now() / 60;
}

int32_t ServerConnection::RemainingMinutes() const {
    return static_cast<int32_t>(m_startMinute + m_minutes - Minute());
}

bool ServerConnection::WaitForEvent() {
    std::unique_lock lock(m_mutex);
    m_event.wait_for(lock, std::chrono::milliseconds(m_pollMilliseconds),
                     [this] { return m_signalled; });
    m_signalled = false;
    return m_quit;
}

void ServerConnection::Main() {
    m_status = 0;
    bool quit = WaitForEvent();
    bool statusOnly = false;
    while (!quit) {
        const int status = m_status;
        if (status == 0) {
            const int32_t left = RemainingMinutes();
            if (!m_warned && left >= 0 && left <= 5) {
                m_warned = true;
                m_callbacks.message(kLowTimeWarning);
            }
        } else if (status == 1) {
            m_callbacks.message(kMaintenanceNotice);
        } else {
            // The server ended the kernel: the session quits it on the GUI thread once no
            // request is running, and that quit asks for the logout, which charges the time.
            m_callbacks.quitKernel();
            m_callbacks.message(status == 2 ? kKernelEnded : kTimeRanOut);
            statusOnly = status == 3;
            while (!WaitForEvent()) {
            }
            break;
        }
        if (m_statusThread.joinable()) m_statusThread.join();
        m_statusThread = std::thread([this] { Poll(); });
        quit = WaitForEvent();
    }
    if (m_statusThread.joinable()) {
        m_stopping = true;
        m_statusThread.join();
    }
    KernelStartup::Logout(m_grant, m_timeoutMs, statusOnly);
    m_finished = true;
}

void ServerConnection::Poll() {
    ServerSocket socket(&m_stopping, m_timeoutMs);
    if (!socket.Connect(m_grant.host, m_grant.port) || m_finished) return;
    uint8_t status = 0;
    if (!socket.Send(WireMessage().Byte(kStatusRequest).Byte(m_grant.kernelId)) ||
        !socket.ReadByte(status))
        return;
    int32_t minutes = 0;
    if (status <= 1) {
        if (!socket.ReadInt32(minutes)) return;
        m_minutes = minutes;
    }
    m_status = status;
}

} // namespace kernel
