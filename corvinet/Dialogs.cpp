#include "Dialogs.h"

#include "Environment.h"
#include "ExportGuard.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace corvinet {
namespace {

constexpr std::size_t kMaxAnswer = 99;

bool onTerminal() {
    return isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
}

// Copies `text` into [buffer, buffer + size), cut to fit and always terminated.
void copyCut(char* buffer, std::size_t size, const char* text) {
    if (!buffer || size == 0) return;
    std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

// One line from the terminal without its newline; false at the end of input.
bool readAnswer(std::string& line) {
    line.clear();
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        if (c == '\n') return true;
        if (line.size() < kMaxAnswer) line += static_cast<char>(c);
    }
    return !line.empty();
}

int32_t defaultAlert(QKENV, const char* text) {
    if (!text) return 0;
    std::fprintf(stderr, "Corvinet: %s\n", text);
    return 1;
}

int32_t defaultConfirm(QKENV, const char* text, int32_t) {
    if (!text || !onTerminal()) return 0;
    std::fprintf(stderr, "Corvinet: %s [OK/Cancel] ", text);
    std::string answer;
    if (!readAnswer(answer)) return 0;
    return answer.empty() || answer[0] == 'o' || answer[0] == 'O' || answer[0] == 'y' ||
           answer[0] == 'Y';
}

// The text of the most recent answered request in the process, which every request hands back.
std::mutex lastAnswerMutex;
char lastAnswer[kMaxAnswer + 1] = "";

int32_t defaultRequest(QKENV, const char* prompt, char* response, int32_t size) {
    if (!response || size < 2) return 0;
    int32_t answered = 0;
    if (prompt && onTerminal()) {
        std::fprintf(stderr, "Corvinet: %s", prompt);
        std::string line;
        if (readAnswer(line)) {
            std::lock_guard lock(lastAnswerMutex);
            copyCut(lastAnswer, sizeof lastAnswer, line.c_str());
            answered = 1;
        }
    }
    std::lock_guard lock(lastAnswerMutex);
    copyCut(response, static_cast<std::size_t>(size), lastAnswer);
    return answered;
}

// Asks for a link to create, else one to connect to, and writes the words that open it:
// "-corvinet -linkname <answer> -linkmode listen|connect". The words go into the caller's
// buffer; too small an argv or buffer gives 0 and writes nothing.
int32_t defaultRequestArgv(QKENV env, char** argv, int32_t capacity, char* buffer, int32_t size) {
    constexpr int32_t kWords = 5;
    if (!argv || capacity < kWords || !buffer || size <= 0) return 0;
    char answer[kMaxAnswer + 1] = "";
    const char* mode = "listen";
    if (QKRequest(env, "Create link: ", answer, sizeof answer) == 1) {
        if (answer[0] == ' ' || answer[0] == '0') answer[0] = '\0';
    } else {
        copyCut(answer, sizeof answer, "name@host");
        if (QKRequest(env, "Connect to link: ", answer, sizeof answer) != 1) {
            argv[0] = nullptr;
            return 0;
        }
        mode = "connect";
    }
    const char* words[kWords] = {"-corvinet", "-linkname", answer, "-linkmode", mode};
    std::size_t needed = 0;
    for (const char* word : words)
        needed += std::strlen(word) + 1;
    if (needed > static_cast<std::size_t>(size)) {
        argv[0] = nullptr;
        return 0;
    }
    char* out = buffer;
    for (int32_t i = 0; i < kWords; ++i) {
        std::size_t length = std::strlen(words[i]) + 1;
        std::memcpy(out, words[i], length);
        argv[i] = out;
        out += length;
    }
    if (capacity > kWords) argv[kWords] = nullptr;
    return kWords;
}

int32_t defaultRequestToInteract(QKENV, int32_t) {
    return 1;
}

template <class F>
F slot(QKENV env, DialogSlot which) {
    return reinterpret_cast<F>(env->dialogs[which]);
}

bool mayInteract(QKENV env) {
    return QKRequestToInteract(env, 1) != 0;
}

} // namespace

void installDefaultDialogs(QKENV env) {
    env->defaultDialogs[kAlert] = reinterpret_cast<QKProc>(&defaultAlert);
    env->defaultDialogs[kRequest] = reinterpret_cast<QKProc>(&defaultRequest);
    env->defaultDialogs[kConfirm] = reinterpret_cast<QKProc>(&defaultConfirm);
    env->defaultDialogs[kRequestArgv] = reinterpret_cast<QKProc>(&defaultRequestArgv);
    env->defaultDialogs[kRequestToInteract] = reinterpret_cast<QKProc>(&defaultRequestToInteract);
    std::copy(std::begin(env->defaultDialogs), std::end(env->defaultDialogs), env->dialogs);
}

} // namespace corvinet

using corvinet::guarded;
using corvinet::slot;

QK_API int32_t QKSetDialogFunction(QKENV env, int32_t which, QKProc function) noexcept {
    if (!env || which < 1 || which > corvinet::kDialogSlots) return 0;
    int index = which - 1;
    env->dialogs[index] =
        function == reinterpret_cast<QKProc>(1) ? env->defaultDialogs[index] : function;
    return 1;
}

QK_API int32_t QKRequestToInteract(QKENV env, int32_t wait) noexcept {
    return guarded<int32_t>(0, [&] {
        auto function =
            env ? slot<QKRequestToInteractProc>(env, corvinet::kRequestToInteract) : nullptr;
        return function ? function(env, wait) : 0;
    });
}

QK_API int32_t QKAlert(QKENV env, const char* text) noexcept {
    return guarded<int32_t>(0, [&] {
        if (!env || !text || !corvinet::mayInteract(env)) return 0;
        auto function = slot<QKAlertProc>(env, corvinet::kAlert);
        return function ? function(env, text) : 0;
    });
}

QK_API int32_t QKConfirm(QKENV env, const char* text, int32_t answer) noexcept {
    return guarded<int32_t>(answer, [&] {
        if (!env || !text || !corvinet::mayInteract(env)) return answer;
        auto function = slot<QKConfirmProc>(env, corvinet::kConfirm);
        return function ? function(env, text, answer) : answer;
    });
}

QK_API int32_t QKRequest(QKENV env, const char* prompt, char* response, int32_t size) noexcept {
    return guarded<int32_t>(1, [&] {
        if (!env || !prompt || !corvinet::mayInteract(env)) return 1;
        auto function = slot<QKRequestProc>(env, corvinet::kRequest);
        return function ? function(env, prompt, response, size) : 1;
    });
}

QK_API int32_t QKRequestArgv(QKENV env, char** argv, int32_t capacity, char* buffer,
                             int32_t size) noexcept {
    return guarded<int32_t>(0, [&] {
        if (!argv) return 0;
        auto function = env ? slot<QKRequestArgvProc>(env, corvinet::kRequestArgv) : nullptr;
        if (function && corvinet::mayInteract(env))
            return function(env, argv, capacity, buffer, size);
        if (capacity > 0) argv[0] = nullptr;
        return 0;
    });
}
