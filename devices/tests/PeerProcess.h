#pragma once

// A small test program run beside a test: started with posix_spawn (no shell), its standard
// output read line by line, and every wait on it bounded, so that a broken peer fails a test
// instead of hanging it. The process is killed and reaped when the object goes.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace devices::testing {

class PeerProcess {
public:
    explicit PeerProcess(std::vector<std::string> arguments) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_out = fds[0];
    }
    ~PeerProcess() {
        kill();
        if (m_out >= 0) close(m_out);
    }
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // The next line the peer writes, without its newline; empty when none comes in time.
    std::string readLine(int milliseconds = 10000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            std::size_t newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0 || m_out < 0) return {};
            pollfd poll{m_out, POLLIN, 0};
            if (::poll(&poll, 1, static_cast<int>(left)) <= 0) continue;
            char chunk[256];
            ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0) return {};
            m_buffer.append(chunk, std::size_t(n));
        }
    }

    // The exit status once the peer ends (-1 when it does not end in time or was killed).
    int wait(int milliseconds = 10000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (m_pid > 0) {
            int status = 0;
            pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (std::chrono::steady_clock::now() > until) break;
            usleep(5000);
        }
        return -1;
    }

    void kill() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

} // namespace devices::testing
