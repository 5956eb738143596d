#pragma once

// How to reach a kernel, as the profile section "Kernel Connection" keeps it: the folder of a
// local kernel, whether to launch one, and the calculation server's address and account. The
// application reads it at start-up and after Connection Options, and hands it to the session.

#include "kernel/ConnectionSettings.h"

#include <cstdint>
#include <string>

class QSettings;

namespace kernel {

struct AppSettings {
    static constexpr const char* kSection = "Kernel Connection";

    AppSettings() = default;
    explicit AppSettings(QSettings& profile) { Load(profile); }

    // Missing or damaged values read as their defaults. Only "local" exactly launches a local
    // kernel: any other value of "Kernel", or none, means the calculation server.
    void Load(QSettings& profile);
    // As Load; but a profile that holds nothing yet, at the program's first start for this
    // account, is given the local kernel at once (an empty path: the one beside the program),
    // so that the first Start Kernel calculates without a question.
    void LoadOrCreate(QSettings& profile);
    // The profile holds the password in clear: while it does, its file is readable by its
    // owner alone (mode 0600), from before the password is first written.
    void Save(QSettings& profile) const;
    // The session's settings with these values over `base` (which keeps the timings).
    ConnectionSettings Apply(ConnectionSettings base) const;

    std::string kernelPath;
    bool useLocalKernel = false;
    std::string serverHost = "localhost";
    uint16_t loginPort = 701;
    std::string userName;
    std::string password;
};

} // namespace kernel
