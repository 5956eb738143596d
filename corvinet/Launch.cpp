#include "Launch.h"

#include "CallbackRecord.h"
#include "ExportGuard.h"
#include "OpenOptions.h"

#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <thread>

extern char** environ;

namespace corvinet {

QKLINK openFromWords(QKENV env, const char* const* words, std::size_t count, int32_t* error);

namespace {

constexpr std::size_t kChooserPathSize = 270;

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string ownFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/'));
}

// The program the user picks through the request dialog; only an existing executable file
// counts as a choice.
bool chooseProgram(QKENV env, std::string& path) {
    char chosen[kChooserPathSize] = "";
    QKRequest(env, QK_LAUNCH_CHOOSER_PROMPT, chosen, sizeof chosen);
    path = chosen;
    return isExecutableFile(path);
}

// Starts the command line; the child's pid, or -1.
pid_t spawn(const std::string& commandLine) {
    std::vector<std::string> words = splitCommand(commandLine);
    if (words.empty()) return -1;
    std::string file = findProgram(words[0]);
    if (file.empty()) return -1;
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

// The yield function of a link whose program was launched: it stops the device's wait once the
// program has ended, and otherwise asks the program's own yield function, if one is set.
int32_t watchChild(QKLINK link, QKYieldParameters parameters) {
    LaunchWatch* watch = link ? link->launch : nullptr;
    if (!watch) return 0;
    if (launchedProgramEnded(*watch)) return 1;
    return watch->chained ? QKCallYieldFunction(watch->chained, link, parameters) : 0;
}

QKLINK fail(int32_t* error, int32_t code) {
    if (error) *error = code;
    return nullptr;
}

} // namespace

std::vector<std::string> splitCommand(const std::string& command) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && (command[i] == ' ' || command[i] == '\t'))
            ++i;
        if (i == command.size()) break;
        std::string word;
        bool quoted = false;
        for (; i < command.size(); ++i) {
            char c = command[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && (c == ' ' || c == '\t'))
                break;
            else
                word += c;
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string programOfCommand(const std::string& command) {
    std::vector<std::string> words = splitCommand(command);
    return words.empty() ? std::string() : words.front();
}

std::string findProgram(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos)
        return isExecutableFile(program) ? program : std::string();
    std::vector<std::string> folders{ownFolder(), "."};
    if (const char* path = std::getenv("PATH")) {
        std::string list = path;
        for (std::size_t start = 0;;) {
            std::size_t colon = list.find(':', start);
            std::string folder = list.substr(start, colon - start);
            folders.push_back(folder.empty() ? "." : folder);
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    for (const std::string& folder : folders) {
        std::string candidate = folder + "/" + program;
        if (!folder.empty() && isExecutableFile(candidate)) return candidate;
    }
    return {};
}

bool launchedProgramEnded(LaunchWatch& watch) {
    if (watch.pid <= 0) return true;
    if (watch.pidfd >= 0) {
        pollfd ready{watch.pidfd, POLLIN, 0};
        if (poll(&ready, 1, 0) <= 0) return false;
    }
    // 0: still running. The pid itself: reaped now. -1: already reaped, by a handler of the
    // program's own, say; the program has ended either way.
    if (waitpid(watch.pid, nullptr, WNOHANG) == 0) return false;
    watch.pid = -1;
    return true;
}

void endLaunchWatch(LaunchWatch* watch) {
    if (!watch) return;
    if (!launchedProgramEnded(*watch)) {
        pid_t pid = watch->pid;
        try {
            std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
        } catch (...) {
            // Without a thread the child is reaped by nobody; it still ends normally.
        }
    }
    if (watch->pidfd >= 0) close(watch->pidfd);
    if (watch->watch) destroyCallbackRecord(watch->watch);
    delete watch;
}

QKLINK launchLink(QKENV env, const OpenOptions& options, int32_t* error) {
    auto watch = std::make_unique<LaunchWatch>();
    const char* words[] = {"-linkprotocol", options.protocol.c_str(), "-linkmode",
                           "listen",        "-linkoptions",           "256"};
    QKLINK opened = openFromWords(env, words, std::size(words), error);
    if (!opened) return nullptr;
    // Closed on every way out but success, an exception's included.
    std::unique_ptr<QKLinkRecord, int32_t (*)(QKLINK) noexcept> listener(opened, &QKClose);
    bool browse = !(options.options & kDontBrowse);

    std::string command = options.name, program = programOfCommand(options.name);
    if (command.empty()) {
        if (!browse || !chooseProgram(env, program)) return fail(error, QKERR_LAUNCH_NOT_FOUND);
        command = "\"" + program + "\"";
    }
    auto commandLine = [&] {
        const char* name = QKName(opened);
        return command + " -corvinet -linkprotocol \"" + options.protocol +
               "\" -linkmode connect -linkname \"" + (name ? name : "") + "\"";
    };

    pid_t pid = spawn(commandLine());
    if (pid < 0 && !options.name.empty()) {
        if (!browse || !chooseProgram(env, program)) return fail(error, QKERR_LAUNCH_NOT_FOUND);
        command = "\"" + program + "\"";
        pid = spawn(commandLine());
    }
    if (pid < 0) return fail(error, QKERR_UNKNOWN);

    watch->pid = pid;
    watch->pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    QKYieldFunctionObject previous = QKYieldFunction(opened);
    opened->launch = watch.release(); // from here the link reaps the program
    if (!QKSetName(opened, program.c_str())) return fail(error, QKERR_OUT_OF_MEMORY);
    LaunchWatch& kept = *opened->launch;
    kept.watch =
        makeCallbackRecord(QKCALLBACK_YIELD, reinterpret_cast<void (*)()>(&watchChild), false);
    if (kept.watch) {
        // The program's default yield function, if any, moves behind the watch.
        kept.chained = previous;
        DeviceLink& device = *opened->device;
        device.device(device.deviceStream, DEVICE_SETYIELD, kept.watch, opened);
    }
    if (error) *error = 0;
    return listener.release();
}

} // namespace corvinet
