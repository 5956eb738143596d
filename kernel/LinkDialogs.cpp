#include "kernel/LinkDialogs.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kernel {

namespace {

struct Installation {
    QKENV env;
    SessionHost* host;
    std::thread::id guiThread;
};

std::mutex gMutex;
std::vector<Installation> gInstalled; // the latest installation of an environment counts

constexpr int32_t kSlots[] = {1, 2, 3}; // alert, request, confirm

// The host to ask, when the caller is on its GUI thread; null means: answer as cancelled.
SessionHost* HostHere(QKENV env) {
    std::lock_guard lock(gMutex);
    for (auto it = gInstalled.rbegin(); it != gInstalled.rend(); ++it) {
        if (it->env == env) return it->guiThread == std::this_thread::get_id() ? it->host : nullptr;
    }
    return nullptr;
}

int32_t Alert(QKENV env, const char* text) {
    SessionHost* host = HostHere(env);
    if (!host || !text) return 0;
    host->ShowMessage(text);
    return 1;
}

int32_t Confirm(QKENV env, const char* text, int32_t) {
    SessionHost* host = HostHere(env);
    return host && text && host->Confirm(text) ? 1 : 0;
}

int32_t Request(QKENV env, const char* prompt, char* response, int32_t size) {
    if (!response || size < 2) return 0;
    SessionHost* host = HostHere(env);
    if (!host || !prompt) return 0;
    // The buffer may hold a proposal ("name@host" before "Connect to link: ").
    std::string answer(response, strnlen(response, static_cast<std::size_t>(size)));
    const bool chosen = std::strcmp(prompt, QK_LAUNCH_CHOOSER_PROMPT) == 0
                            ? host->ChooseProgram(prompt, answer)
                            : host->AskText(prompt, answer);
    if (!chosen) return 0;
    const std::size_t length = std::min(answer.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(response, answer.data(), length);
    response[length] = '\0';
    return 1;
}

} // namespace

void InstallLinkDialogs(QKENV env, SessionHost& host) {
    if (!env) return;
    {
        std::lock_guard lock(gMutex);
        gInstalled.push_back({env, &host, std::this_thread::get_id()});
    }
    QKSetDialogFunction(env, 1, reinterpret_cast<QKProc>(&Alert));
    QKSetDialogFunction(env, 2, reinterpret_cast<QKProc>(&Request));
    QKSetDialogFunction(env, 3, reinterpret_cast<QKProc>(&Confirm));
}

void RemoveLinkDialogs(QKENV env, SessionHost& host) {
    if (!env) return;
    bool othersLeft = false;
    {
        std::lock_guard lock(gMutex);
        const auto mine = std::find_if(gInstalled.rbegin(), gInstalled.rend(), [&](const auto& i) {
            return i.env == env && i.host == &host;
        });
        if (mine != gInstalled.rend()) gInstalled.erase(std::next(mine).base());
        othersLeft = std::any_of(gInstalled.begin(), gInstalled.end(),
                                 [&](const auto& i) { return i.env == env; });
    }
    if (othersLeft) return;
    for (const int32_t slot : kSlots)
        QKSetDialogFunction(env, slot, reinterpret_cast<QKProc>(1));
}

} // namespace kernel
