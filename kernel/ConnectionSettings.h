#pragma once

// How the session reaches a kernel: a local kernel launched from its folder, or one assigned
// by the calculation server after a login. The application fills it from its connection
// settings; the timings have the product's values and exist so that tests can shorten them.

#include <cstdint>
#include <string>

namespace kernel {

struct ConnectionSettings {
    static constexpr const char* kKernelProgram = "OskariaKernel.exe";

    bool useLocalKernel = true;
    // The folder holding the kernel program, or the program's own path. Empty: the editor's
    // own folder, the current one and the PATH, where the link library looks for a bare name.
    std::string kernelPath;
    // The kernel program's file name: always kKernelProgram but in tests of a missing one.
    std::string kernelProgram = kKernelProgram;

    std::string serverHost = "localhost";
    uint16_t loginPort = 701;
    std::string userName;
    std::string password;

    int pollMilliseconds = 60000;     // between the server connection's status polls
    int socketTimeoutMs = 30000;      // any one step of a server exchange
    int quitDrainMilliseconds = 5000; // how long Quit waits for the kernel to confirm
    // How long a kernel may take to answer once the person has aborted its calculation or
    // cancelled its start, before the session ends it.
    int stoppedAnswerMilliseconds = 5000;
};

// The answer a client proves its password with: the 32-bit FNV-1a hash of the token's four
// octets (most significant first) followed by the password's octets, read as signed. The
// password itself never travels.
int32_t PasswordAnswer(int32_t token, const std::string& password);

} // namespace kernel
