#pragma once

// The kernel programs this process launched that still run (a zombie has ended): what tests of
// starting, quitting and ending the program check is left behind.

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace kerneltest {

inline std::vector<pid_t> RunningKernels() {
    std::vector<pid_t> kernels;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return kernels;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const auto open = line.find('(');
        const auto close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        const std::string name = line.substr(open + 1, close - open - 1);
        char state = 0;
        pid_t parent = 0;
        std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent);
        if (parent == ::getpid() && state != 'Z' && name.rfind("OskariaKernel", 0) == 0)
            kernels.push_back(pid);
    }
    ::closedir(proc);
    return kernels;
}

} // namespace kerneltest
