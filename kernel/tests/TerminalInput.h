#pragma once

// Standard input and standard error on a terminal for the life of the object, as when the
// editor is started from a shell: the link library's own prompts would wait there for a line.
// `Answer` types one, so that a test that failed does not leave a thread waiting for ever.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace kerneltest {

class TerminalInput {
public:
    TerminalInput() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        const char* name = ::ptsname(m_master);
        m_terminal = name ? ::open(name, O_RDWR | O_NOCTTY) : -1;
        if (m_terminal < 0) return;
        m_input = ::dup(STDIN_FILENO);
        m_error = ::dup(STDERR_FILENO);
        m_ready = ::dup2(m_terminal, STDIN_FILENO) >= 0 && ::dup2(m_terminal, STDERR_FILENO) >= 0;
    }
    ~TerminalInput() {
        if (m_input >= 0) ::dup2(m_input, STDIN_FILENO);
        if (m_error >= 0) ::dup2(m_error, STDERR_FILENO);
        for (int fd : {m_input, m_error, m_terminal, m_master})
            if (fd >= 0) ::close(fd);
    }
    TerminalInput(const TerminalInput&) = delete;
    TerminalInput& operator=(const TerminalInput&) = delete;

    bool IsReady() const { return m_ready && ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO); }
    // Types an empty line (the end of a prompt's wait).
    void Answer() {
        if (m_master >= 0 && ::write(m_master, "\n", 1) < 0) return;
    }

private:
    int m_master = -1;
    int m_terminal = -1;
    int m_input = -1;
    int m_error = -1;
    bool m_ready = false;
};

} // namespace kerneltest
