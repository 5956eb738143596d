// The stand-in calculation server: serves logins and kernels on loopback until interrupted.
//
//   calcserver --accounts FILE [--port N] [--kernel-port N] [--kernel PATH]
//
// The port defaults to 701 (which needs privilege), the kernel server's port to any free one,
// the kernel to OskariaKernel.exe beside this program. TESSARY_STANDIN_SCRIPT names a script
// of scripted behaviours (see CalcServer.h).

#include "CalcServer.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string besideThisProgram(const char* name) {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return name;
    std::string self(path, static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/') + 1) + name;
}

bool port(const char* text, uint16_t& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end || value < 0 || value > 65535) return false;
    out = static_cast<uint16_t>(value);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: calcserver --accounts FILE [--port N] [--kernel-port N] "
                         "[--kernel PATH]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    standin::calc::ServerConfig config;
    std::string kernel = besideThisProgram("OskariaKernel.exe");
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (i + 1 >= argc) return usage();
        const char* value = argv[++i];
        if (option == "--accounts")
            config.accountsPath = value;
        else if (option == "--kernel")
            kernel = value;
        else if (option == "--port" && port(value, config.loginPort)) {
        } else if (option == "--kernel-port" && port(value, config.kernelPort)) {
        } else
            return usage();
    }
    if (config.accountsPath.empty()) return usage();
    config.kernelCommand = standin::calc::kernelCommand(kernel);
    config.script = standin::Script::fromEnvironment();

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    standin::calc::CalcServer server(config);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "calcserver: %s\n", error.c_str());
        return 1;
    }
    std::printf("calcserver: logins on 127.0.0.1:%u, kernels on 127.0.0.1:%u\n", server.loginPort(),
                server.kernelPort());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    return 0;
}
