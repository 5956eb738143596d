#include "kernel/KernelStartup.h"

#include "corvinet/corvinet.h"
#include "corvinet/qkwire.h"
#include "kernel/ServerWire.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

namespace kernel {

namespace {

constexpr const char* kCannotLocate = KernelStartup::kCannotLocate;
constexpr const char* kUnableToStart = "Unable to start the kernel.";
constexpr const char* kNoCorvinet = "Could not initialize Corvinet.";
constexpr const char* kNoLoginServer = "Could not connect to the server to log in.";
constexpr const char* kLoginFailed = "Communication with server failed.";
constexpr const char* kNoKernelServer = "Could not connect to the kernel server.";
constexpr const char* kKernelServerFailed = "Communication with kernel server failed.";
constexpr const char* kNoAccount =
    "The server has rejected your connection because there is no account matching the user "
    "name you have supplied. Check your user name in the account options dialog box.";
constexpr const char* kNoTime =
    "The server has rejected your connection because you have used up all of your server time.";
constexpr const char* kNoKernelFree =
    "The server has rejected your connection because all available kernels are in use or the "
    "server is preparing to shut down for maintenance.";
constexpr const char* kRefused = "The server has rejected your connection. Please try again later.";
constexpr const char* kKernelsInUse =
    "The server has rejected your connection because all available kernels are in use.";
constexpr const char* kBadPassword =
    "The server has rejected your connection because your password is incorrect.\nCheck your "
    "password in the connection options dialog box.";

// The site the server's message offers to open: only web addresses; anything else (a file, a
// program, another scheme) is not offered at all.
std::string WebSiteOnly(const std::string& site) {
    auto startsWith = [&](const char* scheme) {
        const std::size_t n = std::strlen(scheme);
        return site.size() > n && strncasecmp(site.c_str(), scheme, n) == 0;
    };
    return startsWith("http://") || startsWith("https://") ? site : std::string();
}

// The current folder belongs to the whole process: one launch changes it at a time.
std::mutex gFolderMutex;

// The children of the calling thread (the launch starts the kernel from this thread).
std::set<pid_t> ThreadChildren() {
    std::set<pid_t> children;
    std::ifstream file("/proc/self/task/" + std::to_string(::gettid()) + "/children");
    for (pid_t pid; file >> pid;)
        children.insert(pid);
    return children;
}

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The folder that holds the kernel program named by `path` (a folder or the program itself).
std::optional<std::string> KernelFolder(const std::string& path, const std::string& program) {
    if (IsExecutable(path) && path.size() >= program.size() &&
        path.compare(path.size() - program.size(), program.size(), program) == 0) {
        const std::size_t slash = path.rfind('/');
        return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    }
    if (IsExecutable(path + "/" + program)) return path;
    return std::nullopt;
}

std::string CurrentFolder() {
    char folder[PATH_MAX];
    return ::getcwd(folder, sizeof folder) ? folder : ".";
}

std::string EditorFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/'));
}

// Where the launch looks for a bare program name, in its order: beside the editor, in the
// current folder, on the PATH. The folder holding the program, or nothing with the places in
// the failure text.
std::optional<std::string> FindKernelFolder(const std::string& program, std::string& failure) {
    std::vector<std::string> folders{EditorFolder(), CurrentFolder()};
    if (const char* path = std::getenv("PATH")) {
        std::istringstream list(path);
        for (std::string folder; std::getline(list, folder, ':');)
            folders.push_back(folder.empty() ? CurrentFolder() : folder);
    }
    for (const std::string& folder : folders) {
        if (!folder.empty() && IsExecutable(folder + "/" + program)) return folder;
    }
    failure = std::string(kCannotLocate) + "\nThere is no " + program + " beside the editor (" +
              folders[0] + "), in the current folder (" + folders[1] + ") or on the PATH.";
    return std::nullopt;
}

} // namespace

KernelStartup::KernelStartup(QKENV env, ConnectionSettings settings, Callbacks callbacks)
    : m_env(env), m_settings(std::move(settings)), m_callbacks(std::move(callbacks)) {}

KernelStartup::~KernelStartup() {
    Cancel();
    Join();
    if (m_link) QKClose(m_link);
    if (m_yielder) QKDestroyYieldFunction(m_yielder);
}

void KernelStartup::Run() {
    m_active = true;
    m_thread = std::thread([this] {
        if (m_settings.useLocalKernel)
            RunLocal();
        else
            RunRemote();
        m_callbacks.done();
    });
}

void KernelStartup::Cancel() {
    m_active = false;
    m_cancelled = true;
}

void KernelStartup::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

QKLINK KernelStartup::TakeLink() {
    QKLINK link = m_link;
    m_link = nullptr;
    return link;
}

void KernelStartup::Status(const std::string& text) {
    if (!m_cancelled) m_callbacks.status(text);
}

void KernelStartup::Fail(const std::string& message) {
    m_failed = true;
    m_failure = m_active ? message : std::string();
    if (m_link) {
        QKClose(m_link);
        m_link = nullptr;
    }
}

void KernelStartup::FailSocket(const char* text, int32_t error) {
    Fail(std::string(text) + " " + SocketErrorText(error));
}

int32_t KernelStartup::Yield(QKLINK link, QKYieldParameters) {
    auto* startup = static_cast<KernelStartup*>(QKUserData(link, nullptr));
    return startup && startup->m_cancelled ? 1 : 0;
}

bool KernelStartup::OpenLink(const std::string& options, const char* failure,
                             const std::optional<std::string>& folder) {
    int32_t error = 0;
    {
        // The launch finds a bare program name in the current folder.
        std::lock_guard lock(gFolderMutex);
        char remembered[PATH_MAX];
        const bool moved = folder && ::getcwd(remembered, sizeof remembered) != nullptr &&
                           ::chdir(folder->c_str()) == 0;
        if (folder && !moved) {
            Fail(kCannotLocate);
            return false;
        }
        const std::set<pid_t> before = ThreadChildren();
        m_link = QKOpenString(m_env, options.c_str(), &error);
        for (pid_t pid : ThreadChildren())
            if (!before.count(pid)) m_launched = pid;
        if (moved && ::chdir(remembered) != 0) {
            // The folder we came from is gone; the launch itself went on.
        }
    }
    if (error != 0 || !m_link) {
        Fail(std::string(failure) + (error ? std::string(" ") + QKErrorString(m_env, error) : ""));
        return false;
    }
    if (!m_yielder) m_yielder = QKCreateYieldFunction(m_env, &KernelStartup::Yield, nullptr);
    QKSetUserData(m_link, this, nullptr);
    QKSetYieldFunction(m_link, m_yielder);
    if (m_cancelled || !QKConnect(m_link)) {
        const char* reason = QKErrorMessage(m_link);
        Fail(std::string(failure) + " " + (reason ? reason : ""));
        return false;
    }
    return true;
}

std::string KernelStartup::LaunchOptions(const std::string& program) {
    // The link name is the command the library splits again: the program in double quotes, so
    // a folder with blanks stays one word, escaped for the option text's own double quotes.
    std::string name = "\\\"";
    for (const char c : program) {
        if (c == '\\' || c == '"' || c == '\xB6') name += '\\';
        name += c;
    }
    return "-linklaunch -linkname \"" + name + "\\\"\" -corvinet";
}

std::optional<std::string> KernelStartup::LocateKernel(const ConnectionSettings& settings,
                                                       std::string& failure) {
    const std::string& program = settings.kernelProgram;
    if (settings.kernelPath.empty()) return FindKernelFolder(program, failure);
    std::optional<std::string> folder = KernelFolder(settings.kernelPath, program);
    if (!folder)
        failure = std::string(kCannotLocate) + "\nThere is no " + program + " at " +
                  settings.kernelPath + ".";
    return folder;
}

void KernelStartup::RunLocal() {
    // Found first, so that a missing program ends the start with a message that says what was
    // looked for where, instead of the launch asking for another program.
    std::string failure;
    const std::optional<std::string> folder = LocateKernel(m_settings, failure);
    if (!folder) return Fail(failure);
    // By its full path (made absolute here, since the launch runs from the kernel's folder): a
    // bare name would be looked for by the link library, which tries its own folder first and
    // would start the kernel bundled there instead of the one chosen. The library's command
    // cannot carry a double quote, so a folder whose path holds one names the program from
    // inside it.
    std::string program = folder->rfind('/', 0) == 0 ? *folder : CurrentFolder() + "/" + *folder;
    if (program.back() != '/') program += '/';
    if (program.find('"') != std::string::npos) program = "./";
    program += m_settings.kernelProgram;
    Status("Starting the kernel");
    OpenLink(LaunchOptions(program), kUnableToStart, folder);
}

void KernelStartup::RunRemote() {
    Status("Initializing network connection.");
    Login(m_settings.userName);
}

void KernelStartup::Login(const std::string& user) {
    ServerSocket socket(&m_cancelled, m_settings.socketTimeoutMs);
    if (!socket.Connect(m_settings.serverHost, m_settings.loginPort))
        return FailSocket(kNoLoginServer, socket.Error());
    Status("Logging in.");
    uint8_t reply = 0;
    if (!socket.Send(WireMessage().Byte(1).String(user)) || !socket.ReadByte(reply))
        return FailSocket(kLoginFailed, socket.Error());
    int32_t token = 0;
    int32_t address = 0;
    uint16_t port = 0;
    std::string text, site, caption;
    auto readBanner = [&] {
        return socket.ReadString(text) && socket.ReadString(site) && socket.ReadString(caption);
    };
    switch (reply) {
    case 0:
        if (!socket.ReadInt32(token) || !socket.ReadInt32(address) || !socket.ReadInt16(port) ||
            !readBanner())
            return FailSocket(kLoginFailed, socket.Error());
        if (!text.empty() && !m_cancelled)
            m_callbacks.serverMessage(text, WebSiteOnly(site), caption);
        break;
    case 1:
        return Fail(kNoAccount);
    case 2:
        return Fail(kNoTime);
    case 3:
    case 4:
        if (!readBanner()) return FailSocket(kLoginFailed, socket.Error());
        if (!text.empty()) {
            if (!m_cancelled) m_callbacks.serverMessage(text, WebSiteOnly(site), caption);
            return Fail("");
        }
        return Fail(reply == 3 ? kNoKernelFree : kRefused);
    default:
        return Fail(kRefused);
    }
    socket.Close();
    if (m_cancelled) return Fail("");
    Status("Requesting a kernel.");
    RequestKernel(user, token, static_cast<uint32_t>(address), port);
}

void KernelStartup::RequestKernel(const std::string& user, int32_t token, uint32_t address,
                                  uint16_t port) {
    Grant grant;
    grant.user = user;
    grant.host = DottedAddress(address);
    grant.address = address;
    grant.port = port;
    ServerSocket socket(&m_cancelled, m_settings.socketTimeoutMs);
    if (!socket.Connect(grant.host, port)) return FailSocket(kNoKernelServer, socket.Error());
    uint8_t reply = 0;
    if (!socket.Send(WireMessage().Byte(1).String(user).Int32(token).Int32(
            PasswordAnswer(token, m_settings.password))) ||
        !socket.ReadByte(reply))
        return FailSocket(kKernelServerFailed, socket.Error());
    uint16_t linkPort = 0;
    switch (reply) {
    case 0:
        if (!socket.ReadByte(grant.kernelId) || !socket.ReadInt16(linkPort) ||
            !socket.ReadInt32(grant.minutes))
            return FailSocket(kKernelServerFailed, socket.Error());
        break;
    case 1:
        return Fail(kNoTime);
    case 2:
        return Fail(kKernelsInUse);
    default:
        return Fail(kBadPassword);
    }
    socket.Close();
    Status("Waiting for a kernel to start.");
    if (m_cancelled || !OpenLink(ConnectOptions(address, linkPort), kNoCorvinet, std::nullopt)) {
        // The server has a kernel running for us: give it back.
        if (!m_failed) Fail("");
        Logout(grant, m_settings.socketTimeoutMs);
        return;
    }
    m_grant = grant;
}

void KernelStartup::Logout(const Grant& grant, int timeoutMs, bool statusOnly) {
    constexpr uint8_t kLogoutRequest = 3;
    ServerSocket socket(nullptr, timeoutMs);
    uint8_t status = 0;
    int32_t balance = 0;
    if (socket.Connect(grant.host, grant.port) &&
        socket.Send(WireMessage().Byte(kLogoutRequest).Byte(grant.kernelId).String(grant.user)) &&
        socket.ReadByte(status) && status == 0 && !statusOnly)
        socket.ReadInt32(balance);
}

std::string KernelStartup::ConnectOptions(uint32_t address, uint16_t port) {
    return "-linkconnect -linkprotocol \"TCP\" -linkname \"" + std::to_string(port) +
           "\" -linkhost \"" + DottedAddress(address) + "\"";
}

} // namespace kernel
