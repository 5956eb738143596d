#pragma once

// The stand-in kernel program's scripted behaviour for a test: a script file in a folder of its
// own, named by the environment variable the program reads at its start while one is set. The
// folder, the file and the variable go when the test ends.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace kerneltest {

class StandinScript {
public:
    StandinScript() {
        char folder[] = "/tmp/kernel-script-XXXXXX";
        if (::mkdtemp(folder) != nullptr) m_folder = folder;
        m_file = m_folder + "/script";
    }
    ~StandinScript() {
        Clear();
        std::remove(m_file.c_str());
        if (!m_folder.empty()) ::rmdir(m_folder.c_str());
    }
    StandinScript(const StandinScript&) = delete;
    StandinScript& operator=(const StandinScript&) = delete;

    bool IsReady() const { return !m_folder.empty(); }
    // The kernels started from now on follow these lines.
    void Set(const std::string& lines) {
        std::ofstream(m_file) << lines;
        ::setenv(kVariable, m_file.c_str(), 1);
    }
    // The kernels started from now on behave.
    void Clear() { ::unsetenv(kVariable); }

private:
    static constexpr const char* kVariable = "TESSARY_STANDIN_SCRIPT";
    std::string m_folder;
    std::string m_file;
};

} // namespace kerneltest
