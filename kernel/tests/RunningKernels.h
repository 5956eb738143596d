#pragma once

// The kernel programs this process launched that still run (a zombie has ended): what tests of
// starting, quitting and ending the program check is left behind.

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kerneltest {

// A process's name, state letter ('Z' for a zombie) and parent, as the system lists it.
struct ProcessStat {
    std::string name;
    char state = 0;
    pid_t parent = 0;
};

// Nothing once the process is gone (reaped); a line that does not read leaves the fields empty.
inline std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    ProcessStat process;
    // The name is in parentheses and may hold any character, a parenthesis too.
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) return process;
    process.name = line.substr(open + 1, close - open - 1);
    std::sscanf(line.c_str() + close + 1, " %c %d", &process.state, &process.parent);
    return process;
}

inline std::vector<pid_t> RunningKernels() {
    std::vector<pid_t> kernels;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return kernels;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        const std::optional<ProcessStat> process = ReadProcessStat(pid);
        if (process && process->parent == ::getpid() && process->state != 'Z' &&
            process->name.rfind("OskariaKernel", 0) == 0)
            kernels.push_back(pid);
    }
    ::closedir(proc);
    return kernels;
}

} // namespace kerneltest
